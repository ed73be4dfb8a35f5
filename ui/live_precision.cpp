#include "ui/live_precision.h"

#include "app/updatable_precision.h"
#include "core/available_memory.h"

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
// Updates of one matrix before it is formed anew.
constexpr int kMaxUpdates = 50;
} // namespace

LivePrecision::LivePrecision(PlatformServices &platform, QObject *parent)
    : LivePrecision(platform, BuiltInLanguage(), parent) {}

LivePrecision::LivePrecision(PlatformServices &platform, const LanguagePack &lang, QObject *parent)
    : QObject(parent), Platform_(platform), Language(lang) {
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
    FailLater(Txt(Language, Text::TooFewCoordinatesOrMeasurements));
    return;
  }
  if (!Dir) {
    FailLater(Txt(Language, Text::NoTemporaryFolder).arg(QDir::tempPath()));
    return;
  }
  // A folder per request: files of a stopped older engine can never be
  // taken for the new results.
  RunFolder = Dir->filePath(QStringLiteral("run%1").arg(Generation));
  if (!QDir().mkpath(RunFolder)) {
    FailLater(Txt(Language, Text::CannotCreateFolder).arg(RunFolder));
    RunFolder.clear();
    return;
  }
  copy.Measurements.Sort();
  kd::app::EvaluationRequest request;
  request.Files = RunFilesInFolder(S(RunFolder), kRunBase);
  request.Engine = EnginePath.isEmpty() ? Q(Platform_.Folders().EnginePath()) : EnginePath;
  RunEngine = request.Engine;
  request.PointNumberHeading = S(Txt(Language, Text::PointNumberShort));
  Run = Evaluation->Start(copy, request);
}

void LivePrecision::RunFinished(quint64 run, const std::shared_ptr<EvaluationResults> &results) {
  if (!Current(run))
    return; // a newer request arrived meanwhile
  if (!results->Usable()) {
    FailNow(Txt(Language, Text::AllPointsMustBe3d) +
            Q(results->Error.empty() ? "cannot read " + results->Files.Results : results->Error));
    return;
  }
  Pending = false;
  Run = 0;
  RemoveRunFolder();
  const quint64 generation = Generation;
  emit PrecisionReady(results->Precision);
  UpdateDelivered = false;
  // The matrix follows the delivered network: formed anew when there is
  // none, or after many updates (their rounding adds up).
  if (generation == Generation && (!Updates || Updates->Updates() >= kMaxUpdates)) {
    Updates.reset();
    StartMatrix();
  }
}

void LivePrecision::RunFailed(quint64 run, const kd::app::EvaluationFailure &failure) {
  if (!Current(run))
    return;
  using Kind = kd::app::EvaluationFailure::Kind;
  switch (failure.What) {
  case Kind::OldResultsKept:
    FailNow(Txt(Language, Text::EvaluationFails) + " (" + Q(failure.Detail) + ")");
    return;
  case Kind::InputNotWritten:
    FailNow(Txt(Language, Text::EvaluationFails) + " (" +
            Q(failure.Input.empty() ? failure.Detail : failure.Input) + ")");
    return;
  case Kind::NotStarted:
    FailNow(Q(failure.Detail) + " (" + RunEngine + ")");
    return;
  case Kind::TimedOut:
    FailNow(Txt(Language, Text::EngineTooSlow).arg(TimeoutMs / 1000.0));
    return;
  case Kind::EngineEnded:
  case Kind::NoEngine: {
    std::string reason = failure.Protocol.Reason;
    if (reason.empty())
      reason = S(failure.ExitCode ? Txt(Language, Text::EngineExitWithoutResults).arg(*failure.ExitCode)
                                  : Txt(Language, Text::EngineStoppedAbnormally));
    FailNow(Q(reason));
    return;
  }
  }
}
