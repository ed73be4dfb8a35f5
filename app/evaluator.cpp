#include "app/evaluator.h"

#include "settings/messages.h"

namespace kd::app {

namespace {
// Registered once, so that queued connections can carry the outcomes.
const int kFailureType = qRegisterMetaType<kd::app::EvaluationFailure>();
const int kResultsType = qRegisterMetaType<std::shared_ptr<EvaluationResults>>();
} // namespace

Evaluator::Evaluator(EngineProcess &process, RepeatingTimer &timer, Policy policy, QObject *parent)
    : QObject(parent), Engine(&process), PollTimer(&timer), Rules(policy) {
  Connect();
}

Evaluator::Evaluator(std::unique_ptr<EngineProcess> process, std::unique_ptr<RepeatingTimer> timer,
                     Policy policy, QObject *parent)
    : QObject(parent), OwnedProcess(std::move(process)), OwnedTimer(std::move(timer)),
      Engine(OwnedProcess.get()), PollTimer(OwnedTimer.get()), Rules(policy) {
  Connect();
}

Evaluator::~Evaluator() {
  // An engine still working leaves no half outputs behind.
  Stop();
  Engine->OnEnded = nullptr;
  PollTimer->OnTimer = nullptr;
}

void Evaluator::Connect() {
  (void)kFailureType;
  (void)kResultsType;
  PollTimer->SetEnabled(false);
  PollTimer->OnTimer = [this] { Tick(); };
  Engine->OnEnded = [this] {
    if (Active && EngineStarted)
      EngineEnded();
  };
}

quint64 Evaluator::Start(SurveyNetwork &network, const EvaluationRequest &request) {
  if (Active) {
    Active = false;
    PollTimer->SetEnabled(false);
    Engine->Stop();
  }
  ++Run;
  LastResults.reset();
  Request = request;
  Points = network.Points.List;
  ScSvpMode = network.Points.ScSvpMode;
  ElapsedMs = 0;
  EngineStarted = false;
  RefusedStart.clear();
  EnginePollState = EnginePoll(request.Files);

  switch (PrepareEngineRun(network, request.Files)) {
  case PreparationFailure::None:
    break;
  case PreparationFailure::OldResultsKept:
    Fail({EvaluationFailure::Kind::OldResultsKept, request.Files.Results, {}, {}, {}});
    return Run;
  case PreparationFailure::InputNotWritten: {
    std::string input = FailedMeasurementText(network.LastWriteFailure);
    if (input.empty())
      input = network.LastWriteFailure.Reason; // a fault of the points themselves
    Fail({EvaluationFailure::Kind::InputNotWritten, request.Files.Input, input, {}, {}});
    return Run;
  }
  }

  Active = true;
  QStringList args;
  for (const std::string &arg : EngineArguments(request.Files))
    args << QString::fromStdString(arg);
  QString error;
  EngineStarted = Engine->Start(request.Engine, args, error);
  if (!EngineStarted) {
    RefusedStart = error.isEmpty() ? QStringLiteral("Cannot start %1").arg(request.Engine) : error;
    if (!Rules.WaitOutRefusedStart) {
      Fail({EvaluationFailure::Kind::NotStarted, RefusedStart.toStdString(), {}, {}, {}});
      return Run;
    }
  }
  emit Started(Run);
  // The receivers of Started may have stopped the run.
  if (Active)
    PollTimer->SetEnabled(true);
  return Run;
}

void Evaluator::Tick() {
  if (!Active)
    return;
  // Asked before the files are looked at: once the engine has ended, what
  // the files show is all there will be.
  const bool running = EngineStarted && Engine->Running();
  const PollState state = EnginePollState.Tick(running);
  if (state == PollState::Complete) {
    Complete();
    return;
  }
  if (state == PollState::Failed) {
    Fail({EvaluationFailure::Kind::NoEngine, {}, {}, {}, {}});
    return;
  }
  const quint64 run = Run;
  emit Waiting(run, EnginePollState.WaitingCount());
  if (!Active || run != Run)
    return;
  if (EngineStarted && !running) {
    EngineEnded();
    return;
  }
  if (running && Rules.TimeoutMs > 0) {
    ElapsedMs += PollTimer->Interval();
    if (ElapsedMs >= Rules.TimeoutMs) {
      EndWait();
      Engine->Stop();
      DeleteOutputs(Request.Files);
      Fail({EvaluationFailure::Kind::TimedOut, {}, {}, {}, {}});
    }
  }
}

void Evaluator::Stop() {
  if (!Active)
    return;
  EndWait();
  Engine->Stop();
  // Whatever the stopped engine wrote is incomplete.
  DeleteOutputs(Request.Files);
  EnginePollState.Fail();
  LastResults.reset();
  emit Stopped(Run);
}

void Evaluator::EndWait() {
  Active = false;
  PollTimer->SetEnabled(false);
}

void Evaluator::EngineEnded() {
  if (EnginePollState.BothFilesExist()) {
    Complete();
    return;
  }
  EvaluationFailure failure;
  failure.What = EvaluationFailure::Kind::EngineEnded;
  failure.ExitCode = Engine->ExitCode();
  failure.Protocol = ReadEngineFailureReason(Request.Files);
  Fail(std::move(failure));
}

void Evaluator::Complete() {
  EndWait();
  auto results = std::make_shared<EvaluationResults>();
  results->Files = Request.Files;
  results->ScSvpMode = ScSvpMode;
  ReadEvaluationResults(*results, Points, Request.PointNumberHeading);
  LastResults = results;
  emit Finished(Run, results);
}

void Evaluator::Fail(EvaluationFailure failure) {
  EndWait();
  EnginePollState.Fail();
  LastResults.reset();
  // A stopped or failed engine may have left a file half written.
  RemoveRunTemporaries(Request.Files);
  emit Failed(Run, failure);
}

} // namespace kd::app
