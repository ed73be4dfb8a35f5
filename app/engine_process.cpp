#include "app/engine_process.h"

#include <QProcess>
#include <QTimer>

namespace kd::app {

namespace {
// How long a stopped engine is waited for after it was killed.
constexpr int kStopWaitMs = 5000;
} // namespace

QtEngineProcess::QtEngineProcess() = default;

QtEngineProcess::~QtEngineProcess() {
  Stop();
  delete Process;
}

void QtEngineProcess::Release() {
  if (!Process)
    return;
  QProcess *old = Process;
  Process = nullptr;
  old->disconnect();
  old->deleteLater();
}

bool QtEngineProcess::Start(const QString &program, const QStringList &args, QString &error) {
  Stop();
  Release();
  EndCode.reset();
  Process = new QProcess();
  Process->setProgram(program);
  Process->setArguments(args);
  Process->setStandardInputFile(QProcess::nullDevice());
  Process->setStandardOutputFile(QProcess::nullDevice());
  Process->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(Process, &QProcess::finished, Process,
                   [this](int exitCode, QProcess::ExitStatus status) {
                     if (status == QProcess::NormalExit)
                       EndCode = exitCode;
                     if (OnEnded)
                       OnEnded();
                   });
  Process->start();
  if (Process->waitForStarted())
    return true;
  error = Process->errorString();
  if (error.isEmpty())
    error = QStringLiteral("Cannot start %1").arg(program);
  Release();
  return false;
}

bool QtEngineProcess::Running() { return Process && Process->state() != QProcess::NotRunning; }

void QtEngineProcess::Stop() {
  if (!Process || Process->state() == QProcess::NotRunning)
    return;
  // A stopped process reports nothing.
  Process->disconnect();
  Process->kill();
  Process->waitForFinished(kStopWaitMs);
  EndCode.reset();
}

std::optional<int> QtEngineProcess::ExitCode() const { return EndCode; }

long long QtEngineProcess::ProcessId() const {
  return Process && Process->state() != QProcess::NotRunning ? Process->processId() : 0;
}

QtRepeatingTimer::QtRepeatingTimer(int intervalMs) : Timer(std::make_unique<QTimer>()) {
  Timer->setInterval(intervalMs);
  QObject::connect(Timer.get(), &QTimer::timeout, [this] {
    if (OnTimer)
      OnTimer();
  });
}

QtRepeatingTimer::~QtRepeatingTimer() = default;

void QtRepeatingTimer::SetEnabled(bool on) {
  if (on)
    Timer->start();
  else
    Timer->stop();
}

bool QtRepeatingTimer::Enabled() const { return Timer->isActive(); }
int QtRepeatingTimer::Interval() const { return Timer->interval(); }

} // namespace kd::app
