#pragma once
// The one evaluator: runs the engine program on a network and delivers the
// one results object that everything after it reads (results table,
// plans, report, exports). The desktop's evaluation and its live
// precision each own one; the headless command takes the same non-Qt steps
// underneath (evaluation/evaluation_results.h).
//
// A run: the old outputs are deleted and the engine input written
// (PrepareEngineRun), the engine is started as a child process with an
// argument list, and the poll (EnginePoll) waits for its two files on
// every tick of the timer; an engine that tells of its end is looked at
// at once. A complete run is read once (ReadEvaluationResults) and
// delivered by Finished; everything else ends in Failed or, when asked,
// Stopped. Every signal carries the run's number, so that a receiver can
// tell the outcome of an older run from that of the newest.
//
// Signals are emitted directly (inside Start, Stop or a tick); a receiver
// that must never be called inside Start connects with a queued
// connection.
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/engine_process.h"
#include "core/survey_network.h"
#include "evaluation/evaluation.h"
#include "evaluation/evaluation_results.h"

namespace kd::app {

// Why a run ended without results.
struct EvaluationFailure {
  enum class Kind {
    OldResultsKept,  // an output of an earlier run could not be deleted (Detail: its name)
    InputNotWritten, // the engine input was refused or not written (Input: the measurement
                     // or the network's own fault, Detail: the input's name)
    NotStarted,      // the engine could not be started (Detail: the system's reason)
    EngineEnded,     // the engine ended without both output files (Protocol says why)
    NoEngine,        // the poll gave up: no engine at work and no results
    TimedOut,        // the engine ran longer than the policy allows and was stopped
  };
  Kind What = Kind::EngineEnded;
  std::string Detail;
  std::string Input;             // InputNotWritten: the failed measurement or the fault
  EngineFailureReason Protocol;  // EngineEnded: what the protocol says
  std::optional<int> ExitCode;   // EngineEnded: the engine's exit code when it told one
};

// What a run needs beside the network.
struct EvaluationRequest {
  EngineRunFiles Files;
  QString Engine;                 // path of the engine program
  std::string PointNumberHeading; // heading of the results table's first column
};

class Evaluator : public QObject {
  Q_OBJECT
public:
  struct Policy {
    // An engine still running after this long is stopped and the run
    // fails (TimedOut); 0 waits as long as the engine works.
    long long TimeoutMs = 0;
    // A refused start is told by Start's result and the run goes on until
    // the poll gives up (NoEngine), as the desktop's evaluation always
    // did; otherwise the run fails at once (NotStarted).
    bool WaitOutRefusedStart = false;
  };

  // `process` and `timer` must outlive the evaluator.
  Evaluator(EngineProcess &process, RepeatingTimer &timer, Policy policy, QObject *parent = nullptr);
  // With a process and a timer of its own.
  Evaluator(std::unique_ptr<EngineProcess> process, std::unique_ptr<RepeatingTimer> timer,
            Policy policy, QObject *parent = nullptr);
  ~Evaluator() override;

  // Starts a run of `network`, whose measurements the caller has checked
  // (CheckBeforeEvaluation) and sorted. A run still going is stopped first
  // (without Stopped). Emits Started once the engine runs, Failed when the
  // run could not be prepared or started. Returns the run's number; its
  // start's fate is in StartError() ("" when the engine started).
  quint64 Start(SurveyNetwork &network, const EvaluationRequest &request);
  // Stops the run: the engine is stopped, every output of the run removed,
  // Stopped emitted. Nothing when no run is going.
  void Stop();
  // One tick of the poll (the timer calls it).
  void Tick();

  bool Running() const { return Active; }
  quint64 CurrentRun() const { return Run; }
  const QString &StartError() const { return RefusedStart; }
  const EnginePoll &Poll() const { return EnginePollState; }
  // The results of the last complete run; null after a newer run started,
  // failed or was stopped.
  std::shared_ptr<EvaluationResults> Results() const { return LastResults; }
  EngineProcess &Process() { return *Engine; }
  RepeatingTimer &Timer() { return *PollTimer; }

signals:
  void Started(quint64 run);
  // A tick without an end: the waiting count the status shows.
  void Waiting(quint64 run, int count);
  void Finished(quint64 run, std::shared_ptr<EvaluationResults> results);
  void Failed(quint64 run, kd::app::EvaluationFailure failure);
  void Stopped(quint64 run);

private:
  void Connect();
  void Complete();
  void Fail(EvaluationFailure failure);
  // The engine ended by itself (told by the process or seen by the poll).
  void EngineEnded();
  void EndWait();

  std::unique_ptr<EngineProcess> OwnedProcess;
  std::unique_ptr<RepeatingTimer> OwnedTimer;
  EngineProcess *Engine;
  RepeatingTimer *PollTimer;
  Policy Rules;

  quint64 Run = 0;
  bool Active = false;
  bool EngineStarted = false;
  QString RefusedStart;
  EnginePoll EnginePollState;
  EvaluationRequest Request;
  PointList Points; // the run's points, for the centring of mode 2
  ::ScSvpMode ScSvpMode = ::ScSvpMode::None;
  long long ElapsedMs = 0;
  std::shared_ptr<EvaluationResults> LastResults;
};

} // namespace kd::app

Q_DECLARE_METATYPE(kd::app::EvaluationFailure)
Q_DECLARE_METATYPE(std::shared_ptr<EvaluationResults>)
