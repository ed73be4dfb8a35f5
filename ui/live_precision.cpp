#include "ui/live_precision.h"

#include "app/updatable_precision.h"
#include "core/available_memory.h"
#include "evaluation/run_precision.h"

#include "core/text_file.h"
#include "evaluation/observation_table.h"
#include "evaluation/results_reader.h"
#include "evaluation/input_document.h"
#include "settings/language_pack.h"
#include "settings/messages.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

namespace {
// The base name of the files of a run inside its folder.
constexpr const char *kRunBase = "live";
// Updates of one matrix before it is formed anew.
constexpr int kMaxUpdates = 50;
} // namespace

LivePrecision::LivePrecision(QObject *parent) : QObject(parent) {
  Dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/korvadimensio3d-live-XXXXXX");
  if (!Dir->isValid())
    Dir.reset();
  Timeout = new QTimer(this);
  Timeout->setSingleShot(true);
  Timeout->setInterval(TimeoutMs);
  connect(Timeout, &QTimer::timeout, this, &LivePrecision::EngineTimedOut);
}

LivePrecision::~LivePrecision() {
  StopEngine();
  RemoveRunFolder();
  JoinMatrixThread();
}

void LivePrecision::JoinMatrixThread() {
  if (MatrixThread.joinable())
    MatrixThread.join();
}

void LivePrecision::WaitForUpdateMatrix() {
  if (!MatrixThread.joinable())
    return;
  JoinMatrixThread();
  MatrixFormed();
}

void LivePrecision::StartMatrix() {
  if (MatrixThread.joinable())
    return; // one at a time; the next delivery asks again
  const int points = Requested.Points.List.Count();
  const std::uint64_t available = kd::AvailableMemoryBytes();
  // The matrix, its precision and the engine's beside it must fit easily.
  if (available > 0 && kd::app::UpdatablePrecision::MatrixBytes(points) > available / 4)
    return;
  MatrixThreadDone = false;
  MatrixGeneration = Generation;
  MatrixThread = std::thread([this, net = Requested] {
    auto formed = std::make_shared<kd::app::UpdatablePrecision>();
    std::string error;
    if (!formed->Build(net, error))
      formed.reset();
    {
      std::lock_guard<std::mutex> lock(MatrixMutex);
      Formed = std::move(formed);
      MatrixThreadDone = true;
    }
    QMetaObject::invokeMethod(this, &LivePrecision::MatrixFormed, Qt::QueuedConnection);
  });
}

void LivePrecision::MatrixFormed() {
  std::shared_ptr<kd::app::UpdatablePrecision> formed;
  {
    std::lock_guard<std::mutex> lock(MatrixMutex);
    if (!MatrixThreadDone)
      return;
    formed = std::move(Formed);
  }
  JoinMatrixThread();
  // A matrix of an older request's network is of no use.
  if (MatrixGeneration == Generation)
    Updates = std::move(formed);
  else if (!Pending)
    StartMatrix();
}

bool LivePrecision::DeliverUpdate(const SurveyNetwork &snapshot) {
  if (!Updates)
    return false;
  if (!Updates->Apply(snapshot)) {
    Updates.reset(); // formed again after the next delivery
    return false;
  }
  auto precision = std::make_shared<const NetworkPrecision>(Updates->Precision());
  const quint64 generation = Generation;
  QMetaObject::invokeMethod(
      this,
      [this, generation, precision] {
        if (generation != Generation)
          return;
        emit PrecisionReady(precision);
        UpdateDelivered = true;
      },
      Qt::QueuedConnection);
  return true;
}

QString LivePrecision::Folder() const { return Dir ? Dir->path() : QString(); }

qint64 LivePrecision::EngineProcessId() const {
  return Engine && Engine->state() != QProcess::NotRunning ? Engine->processId() : 0;
}

void LivePrecision::Cancel() {
  ++Generation; // outcomes of the older request are dropped
  Pending = false;
  Timeout->stop();
  StopEngine();
  RemoveRunFolder();
}

void LivePrecision::StopEngine() {
  if (!Engine)
    return;
  QProcess *old = Engine;
  Engine = nullptr;
  old->disconnect(this);
  if (old->state() != QProcess::NotRunning) {
    old->kill();
    old->waitForFinished(2000);
  }
  // Later: this may run while the process is delivering one of its signals.
  old->deleteLater();
}

void LivePrecision::RemoveRunFolder() {
  if (!RunFolder.isEmpty())
    QDir(RunFolder).removeRecursively();
  RunFolder.clear();
}

void LivePrecision::FailLater(const QString &reason) {
  const quint64 generation = Generation;
  QMetaObject::invokeMethod(
      this,
      [this, generation, reason] {
        if (generation != Generation)
          return;
        Pending = false;
        emit PrecisionFailed(reason);
      },
      Qt::QueuedConnection);
}

void LivePrecision::Request(const SurveyNetwork &snapshot) {
  Cancel();
  Pending = true;
  UpdateDelivered = false;
  emit Started();
  // Only what the engine input needs is copied: no window state, no
  // warning receiver (plumbing warnings are the main evaluation's job).
  SurveyNetwork copy;
  copy.Points.List = snapshot.Points.List;
  copy.Points.ScSvpMode = snapshot.Points.ScSvpMode;
  copy.Measurements = snapshot.Measurements;
  copy.PlumbSigma = snapshot.PlumbSigma;
  Requested = copy;
  if (MatrixThread.joinable())
    Updates.reset(); // being formed for an older network
  if (!DeliverUpdate(copy)) {
    StartRun(copy);
    return;
  }
  // The update is shown first; the engine starts after it.
  const quint64 generation = Generation;
  QMetaObject::invokeMethod(
      this,
      [this, generation, copy]() mutable {
        if (generation == Generation)
          StartRun(copy);
      },
      Qt::QueuedConnection);
}

void LivePrecision::StartRun(SurveyNetwork &copy) {
  const EvaluationCheck check = CheckBeforeEvaluation(copy, [](const PlumbingWarning &) {});
  if (check.TooSmall) {
    FailLater(Txt(Text::TooFewCoordinatesOrMeasurements));
    return;
  }
  if (!Dir) {
    FailLater(Txt(Text::NoTemporaryFolder).arg(QDir::tempPath()));
    return;
  }
  // A folder per request: files of a stopped older engine can never be
  // taken for the new results.
  RunFolder = Dir->filePath(QStringLiteral("run%1").arg(Generation));
  if (!QDir().mkpath(RunFolder)) {
    FailLater(Txt(Text::CannotCreateFolder).arg(RunFolder));
    RunFolder.clear();
    return;
  }
  Files = RunFilesInFolder(S(RunFolder), kRunBase);
  copy.Measurements.Sort();
  if (!WriteEngineInput(copy, Files.Input)) {
    const std::string failed = FailedMeasurementText(copy.LastWriteFailure);
    FailLater(Txt(Text::EvaluationFails) + " (" + Q(failed.empty() ? Files.Input : failed) + ")");
    return;
  }
  Points = copy.Points.List;
  Mode = copy.Points.ScSvpMode;

  const QString engine =
      EnginePath.isEmpty() ? Q(Platform().Folders().EnginePath()) : EnginePath;
  QStringList args;
  for (const std::string &arg : EngineArguments(Files))
    args << Q(arg);
  Engine = new QProcess(this);
  Engine->setProgram(engine);
  Engine->setArguments(args);
  // The engine talks only through its files.
  Engine->setStandardInputFile(QProcess::nullDevice());
  Engine->setStandardOutputFile(QProcess::nullDevice());
  Engine->setStandardErrorFile(QProcess::nullDevice());
  connect(Engine, &QProcess::finished, this, &LivePrecision::EngineFinished);
  connect(Engine, &QProcess::errorOccurred, this, [this, engine](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart)
      return; // crashes end in finished()
    const QString why = Engine ? Engine->errorString() : QString();
    Timeout->stop();
    FailLater(why + " (" + engine + ")");
  });
  Timeout->start();
  Engine->start();
}

void LivePrecision::EngineTimedOut() {
  if (!Pending)
    return;
  StopEngine();
  FailLater(Txt(Text::EngineTooSlow).arg(TimeoutMs / 1000.0));
}

void LivePrecision::EngineFinished(int exitCode, QProcess::ExitStatus status) {
  Timeout->stop();
  if (Engine) {
    // The receivers of the outcome may start a new request at once.
    Engine->disconnect(this);
    Engine->deleteLater();
    Engine = nullptr;
  }
  const quint64 generation = Generation;
  auto failWith = [&](const QString &reason) {
    Pending = false;
    RemoveRunFolder();
    emit PrecisionFailed(reason);
  };

  if (status != QProcess::NormalExit || exitCode != 0 || !FileExists(Files.Results)) {
    std::string bytes, reason;
    if (kd::ReadFileBytes(Files.Protocol, bytes))
      reason = ProtocolFailureReason(kd::Cp1250ToUtf8(bytes));
    if (reason.empty())
      reason = S(status == QProcess::NormalExit
                     ? Txt(Text::EngineExitWithoutResults).arg(exitCode)
                     : Txt(Text::EngineStoppedAbnormally));
    failWith(Q(reason));
    return;
  }

  // Without the observation table only the reliability is missing; the
  // ellipses are still worth showing.
  auto precision = std::make_shared<NetworkPrecision>();
  std::string error, tableWarning;
  if (!ReadRunPrecision(Files, Mode, Points, *precision, error, tableWarning)) {
    failWith(Txt(Text::AllPointsMustBe3d) + Q(error));
    return;
  }
  if (generation != Generation)
    return; // a newer request arrived meanwhile
  Pending = false;
  RemoveRunFolder();
  emit PrecisionReady(std::shared_ptr<const NetworkPrecision>(std::move(precision)));
  UpdateDelivered = false;
  // The matrix follows the delivered network: formed anew when there is
  // none, or after many updates (their rounding adds up).
  if (generation == Generation && (!Updates || Updates->Updates() >= kMaxUpdates)) {
    Updates.reset();
    StartMatrix();
  }
}
