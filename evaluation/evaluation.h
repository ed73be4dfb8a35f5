#pragma once
// One evaluation run without any window: the checks made before the engine
// input is written, the names of the files of a run, starting the engine as a
// child process with an argument list (never through a shell), and the poll
// that waits for the engine's two output files.
//
// The desktop program drives the poll from its 500 ms timer (one Tick per
// timer event); the batch command drives it from RunEngineAndWait. Both see
// the same states, status texts and time-out.
#include "core/survey_network.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// The files of one run. The engine writes the protocol as Prefix + "txt",
// the observation table as Prefix + "obs.csv" and the results as
// Prefix + "xml".
struct EngineRunFiles {
  std::string Input;    // engine input document (".gfk")
  std::string Prefix;   // output prefix, ending with a point
  std::string Protocol; // Prefix + "txt"
  std::string Results;  // Prefix + "xml"
  std::string ObservationTable; // Prefix + "obs.csv"
};

// The files of the desktop program: the program path with its extension
// replaced (".gfk", "." as the prefix, ".txt", ".xml").
EngineRunFiles RunFilesForProgram(const std::string &programPath);

// The files of a run kept in `folder` under `baseName`: folder/base.gfk,
// folder/base.txt, folder/base.xml.
EngineRunFiles RunFilesInFolder(const std::string &folder, const std::string &baseName);

// The engine executable for the program: beside it (portable), else in the
// installed tree's <prefix>/lib/korvadimensio3d; when neither exists, the
// path beside the program (see core/app_folders.h).
std::string EnginePathFor(const std::string &programPath);

// The engine's command-line arguments after its own name: the code page and
// language options, the input document and the output prefix.
std::vector<std::string> EngineArguments(const EngineRunFiles &files);

// The full path of the running program file; "" when it cannot be learnt.
std::string ProgramPath();

// True when `path` names an existing regular file.
bool FileExists(const std::string &path);

// Outcome of the checks made before the engine input is written.
struct EvaluationCheck {
  bool Dropped = false;  // measurements without coordinates were removed
  int DroppedCount = 0;  // how many
  bool TooSmall = false; // 2 points or fewer, or 2 measurements or fewer
};

// Removes the measurements whose points are unknown (plumbing warnings go to
// `sink`), then tells whether the network is too small to evaluate. A too
// small network must not be evaluated: the caller shows text 19 and sets
// the status to text 20.
EvaluationCheck CheckBeforeEvaluation(SurveyNetwork &net, const WarningCallback &sink);

// Deletes the protocol, the observation table and the results of an earlier
// run. Absent files are fine. False when an existing file could not be removed, so that a stale
// result can never be taken for a new one.
bool DeleteOutputs(const EngineRunFiles &files);
// Removes the temporary files a stopped or failed run left beside the
// input and the outputs (see kd::RemoveAtomicTemporaries); DeleteOutputs
// does it too.
void RemoveRunTemporaries(const EngineRunFiles &files);

// The reason a failed run gives in the engine's protocol text: the first
// explanatory line after the protocol's failure heading ("THE ADJUSTMENT
// FAILED." or "... WAS NOT DONE ..."), else the first line that reports an
// error ("ERROR:", "Error"), with the line after it when that one is
// indented (a path). "" when the protocol names no reason.
std::string ProtocolFailureReason(const std::string &protocolText);
// True when the protocol reports that the network could not be adjusted
// because its normal equations are singular (no datum, or points that the
// measurements do not determine).
bool ProtocolReportsSingularNetwork(const std::string &protocolText);

// The engine's exit code for an input it refuses as unusable.
inline constexpr int kEngineExitBadInput = 1;

// The poll for the two output files. The windows and the command show
// text 22 with WaitingCount() while waiting, text 21 when complete and
// text 20 when failed (settings/messages.h).
enum class PollState {
  Waiting,  // neither complete nor timed out
  Complete, // both files exist
  Failed,   // 51 ticks without both files and no engine working
};

class EnginePoll {
public:
  static constexpr int MaxPolls = 51;
  static constexpr int IntervalMs = 500;

  EnginePoll() = default;
  explicit EnginePoll(EngineRunFiles files) : WatchedFiles(std::move(files)) {}

  // Starts counting anew (PollCount 0, state Waiting).
  void Reset();
  // One timer event: Complete when both files exist; otherwise the count of
  // the waiting status is the current count, and the count increases. From the 51st such
  // tick on the run ends in Failed unless `engineRunning` says the engine is
  // still at work: a large network may need longer, and only an engine that
  // could not start or has vanished is given up on. Ticks after the end
  // change nothing.
  PollState Tick(bool engineRunning = false);
  // Ends the run as failed at once (the engine could not be started or has
  // ended without writing both files).
  void Fail();

  bool BothFilesExist() const;
  int PollCount() const { return TickCount; }
  PollState State() const { return CurrentState; }
  // The count the waiting status shows: the ticks before the last one.
  int WaitingCount() const { return LastWaitingCount; }
  const EngineRunFiles &Files() const { return WatchedFiles; }

private:
  EngineRunFiles WatchedFiles;
  int TickCount = 0;
  PollState CurrentState = PollState::Waiting;
  int LastWaitingCount = 0;
};

// A child process started from an executable path and an argument list. Its
// standard input and output are /dev/null; its standard error is the
// caller's. The destructor stops a process that still runs.
class ChildProcess {
public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess &) = delete;
  ChildProcess &operator=(const ChildProcess &) = delete;

  // False with `error` set when the program cannot be started (missing,
  // not executable, no resources).
  bool Start(const std::string &program, const std::vector<std::string> &args,
             std::string &error);
  // True while the process runs; collects it once it has ended.
  bool Running();
  // Stops the process (SIGKILL) and collects it.
  void Kill();
  // Asks the process to end (SIGTERM), waits up to `graceMs` for it, then
  // stops it (SIGKILL) and collects it: the wait is bounded even for a
  // process that ignores the request.
  void Stop(int graceMs);
  // The grace a stopped engine gets to end by itself.
  static constexpr int StopGraceMs = 2000;
  // Valid after the process has ended: its exit code, or -1 when a signal
  // ended it.
  int ExitCode() const { return ExitStatus; }
  pid_t Pid() const { return ProcessId; }

private:
  pid_t ProcessId = -1;
  bool ProcessRunning = false;
  int ExitStatus = -1;
};

// Why RunEngineAndWait ended without results.
enum class RunFailure {
  None,
  OldResultsKept, // the results file of an earlier run could not be deleted
  NotStarted,     // the engine could not be started (Detail: the system's reason)
  Interrupted,    // `stop` asked to end the wait
  NoOutputs,      // the engine ended without writing both output files
  TimedOut,       // the caller's time limit passed with the engine still running
};

// Result of RunEngineAndWait.
struct RunOutcome {
  bool Complete = false; // both output files exist
  bool Started = false;  // the engine process could be started
  bool TimedOut = false; // the caller's time limit passed with the engine still running
  bool Interrupted = false; // `stop` asked to end the wait
  int ExitCode = -1;     // the engine's exit code when it has ended
  RunFailure Failure = RunFailure::None;
  std::string Detail;    // the system's reason where there is one
};

// Starts the engine and waits for both output files, ticking `poll` every
// 500 ms like the desktop's timer. The wait ends as soon as both files exist
// or the engine has ended (no result can come after that). While the engine
// works there is no limit, unless `timeoutMs` is positive: then an engine
// still running after that long is stopped (TimedOut). `status` receives
// the poll after every change (waiting ticks included); `stop`, when set, is asked
// between checks and ends the wait (engine stopped).
RunOutcome RunEngineAndWait(const std::string &engine, const EngineRunFiles &files,
                             EnginePoll &poll,
                             const std::function<void(const EnginePoll &)> &status,
                             const std::function<bool()> &stop = {}, long long timeoutMs = 0);
