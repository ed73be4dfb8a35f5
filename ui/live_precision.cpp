#include "ui/live_precision.h"

#include "core/text_file.h"
#include "settings/language_pack.h"
#include "settings/messages.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QDir>
#include <QTemporaryDir>

namespace {
// The base name of the files of a run inside its folder.
constexpr const char *kRunBase = "live";
} // namespace

LivePrecision::LivePrecision(QObject *parent) : QObject(parent) {
  Dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/korvadimensio3d-live-XXXXXX");
  if (!Dir->isValid())
    Dir.reset();
  // The real engine process, whose end is an event, and a poll that only
  // watches the time limit; a refused start fails at once.
  Evaluation = std::make_unique<kd::app::Evaluator>(
      std::make_unique<kd::app::QtEngineProcess>(),
      std::make_unique<kd::app::QtRepeatingTimer>(EnginePoll::IntervalMs),
      kd::app::Evaluator::Policy{TimeoutMs, false});
  // Queued: no outcome is ever delivered inside Request.
  using kd::app::Evaluator;
  connect(Evaluation.get(), &Evaluator::Finished, this, &LivePrecision::RunFinished,
          Qt::QueuedConnection);
  connect(Evaluation.get(), &Evaluator::Failed, this, &LivePrecision::RunFailed,
          Qt::QueuedConnection);
}

LivePrecision::~LivePrecision() {
  Evaluation.reset(); // stops a running engine
  RemoveRunFolder();
}

QString LivePrecision::Folder() const { return Dir ? Dir->path() : QString(); }

qint64 LivePrecision::EngineProcessId() const {
  return Evaluation->Running() ? Evaluation->Process().ProcessId() : 0;
}

void LivePrecision::Cancel() {
  ++Generation; // outcomes of the older request are dropped
  Pending = false;
  Run = 0;
  Evaluation->Stop();
  RemoveRunFolder();
}

void LivePrecision::RemoveRunFolder() {
  if (!RunFolder.isEmpty())
    QDir(RunFolder).removeRecursively();
  RunFolder.clear();
}

bool LivePrecision::Current(quint64 run) const { return Pending && Run != 0 && run == Run; }

void LivePrecision::FailLater(const QString &reason) {
  const quint64 generation = Generation;
  QMetaObject::invokeMethod(
      this,
      [this, generation, reason] {
        if (generation != Generation || !Pending)
          return;
        FailNow(reason);
      },
      Qt::QueuedConnection);
}

void LivePrecision::FailNow(const QString &reason) {
  Pending = false;
  Run = 0;
  RemoveRunFolder();
  emit PrecisionFailed(reason);
}

void LivePrecision::Request(const SurveyNetwork &snapshot) {
  Cancel();
  Pending = true;
  emit Started();
  // Only what the engine input needs is copied: no window state, no
  // warning receiver (plumbing warnings are the main evaluation's job).
  SurveyNetwork copy;
  copy.Points.List = snapshot.Points.List;
  copy.Points.ScSvpMode = snapshot.Points.ScSvpMode;
  copy.Measurements = snapshot.Measurements;
  copy.PlumbSigma = snapshot.PlumbSigma;
  StartRun(copy);
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
  copy.Measurements.Sort();
  kd::app::EvaluationRequest request;
  request.Files = RunFilesInFolder(S(RunFolder), kRunBase);
  request.Engine = EnginePath.isEmpty() ? Q(Platform().Folders().EnginePath()) : EnginePath;
  RunEngine = request.Engine;
  request.PointNumberHeading = S(Txt(Text::PointNumberShort));
  Run = Evaluation->Start(copy, request);
}

void LivePrecision::RunFinished(quint64 run, const std::shared_ptr<EvaluationResults> &results) {
  if (!Current(run))
    return; // a newer request arrived meanwhile
  if (!results->Usable()) {
    FailNow(Txt(Text::AllPointsMustBe3d) +
            Q(results->Error.empty() ? "cannot read " + results->Files.Results : results->Error));
    return;
  }
  Pending = false;
  Run = 0;
  RemoveRunFolder();
  emit PrecisionReady(results->Precision);
}

void LivePrecision::RunFailed(quint64 run, const kd::app::EvaluationFailure &failure) {
  if (!Current(run))
    return;
  using Kind = kd::app::EvaluationFailure::Kind;
  switch (failure.What) {
  case Kind::OldResultsKept:
    FailNow(Txt(Text::EvaluationFails) + " (" + Q(failure.Detail) + ")");
    return;
  case Kind::InputNotWritten:
    FailNow(Txt(Text::EvaluationFails) + " (" +
            Q(failure.Input.empty() ? failure.Detail : failure.Input) + ")");
    return;
  case Kind::NotStarted:
    FailNow(Q(failure.Detail) + " (" + RunEngine + ")");
    return;
  case Kind::TimedOut:
    FailNow(Txt(Text::EngineTooSlow).arg(TimeoutMs / 1000.0));
    return;
  case Kind::EngineEnded:
  case Kind::NoEngine: {
    std::string reason = failure.Protocol.Reason;
    if (reason.empty())
      reason = S(failure.ExitCode ? Txt(Text::EngineExitWithoutResults).arg(*failure.ExitCode)
                                  : Txt(Text::EngineStoppedAbnormally));
    FailNow(Q(reason));
    return;
  }
  }
}
