#include "evaluation/evaluation.h"

#include "core/app_folders.h"
#include "core/number_text.h"
#include "core/text_file.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

std::string JoinPath(const std::string &folder, const std::string &name) {
  if (folder.empty())
    return name;
  if (folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

} // namespace

EngineRunFiles RunFilesForProgram(const std::string &programPath) {
  EngineRunFiles f;
  f.Input = kd::ChangeFileExt(programPath, ".gfk");
  f.Prefix = kd::ChangeFileExt(programPath, ".");
  f.Protocol = f.Prefix + "txt";
  f.Results = f.Prefix + "xml";
  f.ObservationTable = f.Prefix + "obs.csv";
  return f;
}

EngineRunFiles RunFilesInFolder(const std::string &folder, const std::string &baseName) {
  EngineRunFiles f;
  const std::string base = JoinPath(folder, baseName);
  f.Input = base + ".gfk";
  f.Prefix = base + ".";
  f.Protocol = f.Prefix + "txt";
  f.Results = f.Prefix + "xml";
  f.ObservationTable = f.Prefix + "obs.csv";
  return f;
}

std::string EnginePathFor(const std::string &programPath) {
  return kd::AppFolders::ForProgram(programPath).EnginePath();
}

std::vector<std::string> EngineArguments(const EngineRunFiles &files) {
  return {"--encoding", "cp-1250", "--language", "en", files.Input, files.Prefix};
}

std::string ProgramPath() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0)
      return "";
    if (static_cast<size_t>(n) < buf.size())
      return std::string(buf.data(), static_cast<size_t>(n));
    if (buf.size() > (1u << 20))
      return "";
    buf.resize(buf.size() * 2);
  }
}

bool FileExists(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

EvaluationCheck CheckBeforeEvaluation(SurveyNetwork &net, const WarningCallback &sink) {
  EvaluationCheck c;
  const int before = net.Measurements.Count();
  c.Dropped = net.CheckConsistency(true, sink);
  c.DroppedCount = before - net.Measurements.Count();
  c.TooSmall = net.Points.List.Count() <= 2 || net.Measurements.Count() <= 2;
  return c;
}

void RemoveRunTemporaries(const EngineRunFiles &files) {
  for (const std::string *p : {&files.Input, &files.Protocol, &files.ObservationTable, &files.Results})
    if (!p->empty())
      kd::RemoveAtomicTemporaries(*p);
}

bool DeleteOutputs(const EngineRunFiles &files) {
  RemoveRunTemporaries(files);
  bool ok = true;
  for (const std::string *p : {&files.Protocol, &files.ObservationTable, &files.Results}) {
    if (unlink(p->c_str()) != 0 && errno != ENOENT)
      ok = false;
  }
  return ok;
}

std::string ProtocolFailureReason(const std::string &protocolText) {
  const std::vector<std::string> lines = kd::SplitLines(protocolText);
  auto trimmed = [](const std::string &line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
      return std::string();
    const auto last = line.find_last_not_of(" \t");
    return line.substr(first, last - first + 1);
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = trimmed(lines[i]);
    if (line.rfind("THE ADJUSTMENT", 0) == 0 &&
        (line.find("FAILED") != std::string::npos || line.find("NOT DONE") != std::string::npos)) {
      for (std::size_t j = i + 1; j < lines.size(); ++j)
        if (!trimmed(lines[j]).empty())
          return trimmed(lines[j]);
    }
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = trimmed(lines[i]);
    if (line.rfind("ERROR", 0) == 0 || line.rfind("Error", 0) == 0) {
      std::string reason = line;
      // A long path stands indented on the next line.
      if (i + 1 < lines.size() && !lines[i + 1].empty() &&
          (lines[i + 1][0] == ' ' || lines[i + 1][0] == '\t') && !trimmed(lines[i + 1]).empty())
        reason += " " + trimmed(lines[i + 1]);
      return reason;
    }
  }
  return "";
}

bool ProtocolReportsSingularNetwork(const std::string &protocolText) {
  std::string reason = ProtocolFailureReason(protocolText);
  for (char &c : reason)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return reason.find("singular") != std::string::npos;
}

// ---- EnginePoll

void EnginePoll::Reset() {
  TickCount = 0;
  CurrentState = PollState::Waiting;
  LastWaitingCount = 0;
}

bool EnginePoll::BothFilesExist() const {
  return FileExists(WatchedFiles.Results) && FileExists(WatchedFiles.Protocol);
}

PollState EnginePoll::Tick(bool engineRunning) {
  if (CurrentState != PollState::Waiting)
    return CurrentState;
  if (BothFilesExist()) {
    CurrentState = PollState::Complete;
    return CurrentState;
  }
  LastWaitingCount = TickCount;
  ++TickCount;
  if (TickCount >= MaxPolls && !engineRunning)
    Fail();
  return CurrentState;
}

void EnginePoll::Fail() {
  CurrentState = PollState::Failed;
}

// ---- ChildProcess

ChildProcess::~ChildProcess() {
  if (ProcessRunning)
    Kill();
}

bool ChildProcess::Start(const std::string &program, const std::vector<std::string> &args,
                          std::string &error) {
  error.clear();
  if (ProcessRunning) {
    error = "a process is already running";
    return false;
  }
  std::vector<std::string> argStore;
  argStore.reserve(args.size() + 1);
  argStore.push_back(program);
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &a : argStore)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    error = "cannot prepare the process start";
    return false;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  // Signals the caller ignores or catches start with their default action in
  // the engine, so that it can always be interrupted and stopped.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
    sigaddset(&defaults, sig);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    error = std::strerror(rc);
    return false;
  }
  ProcessId = pid;
  ProcessRunning = true;
  ExitStatus = -1;
  return true;
}

bool ChildProcess::Running() {
  if (!ProcessRunning)
    return false;
  int status = 0;
  const pid_t r = waitpid(ProcessId, &status, WNOHANG);
  if (r == 0)
    return true;
  ProcessRunning = false;
  if (r == ProcessId && WIFEXITED(status))
    ExitStatus = WEXITSTATUS(status);
  else
    ExitStatus = -1;
  return false;
}

void ChildProcess::Kill() {
  if (!ProcessRunning)
    return;
  kill(ProcessId, SIGKILL);
  int status = 0;
  while (waitpid(ProcessId, &status, 0) < 0 && errno == EINTR) {
  }
  ProcessRunning = false;
  ExitStatus = -1;
}

void ChildProcess::Stop(int graceMs) {
  if (!Running())
    return;
  kill(ProcessId, SIGTERM);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
  while (std::chrono::steady_clock::now() < until) {
    if (!Running())
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Kill();
}

// ---- RunEngineAndWait

RunOutcome RunEngineAndWait(const std::string &engine, const EngineRunFiles &files,
                             EnginePoll &poll,
                             const std::function<void(const EnginePoll &)> &status,
                             const std::function<bool()> &stop, long long timeoutMs) {
  using Clock = std::chrono::steady_clock;
  RunOutcome out;
  poll = EnginePoll(files);
  auto report = [&] {
    if (status)
      status(poll);
  };

  // A second guard against a stale result: the results must be new.
  if (FileExists(files.Results) && unlink(files.Results.c_str()) != 0) {
    out.Failure = RunFailure::OldResultsKept;
    poll.Fail();
    report();
    return out;
  }

  ChildProcess child;
  std::string error;
  if (!child.Start(engine, EngineArguments(files), error)) {
    out.Failure = RunFailure::NotStarted;
    out.Detail = error;
    poll.Fail();
    report();
    return out;
  }
  out.Started = true;

  const auto interval = std::chrono::milliseconds(EnginePoll::IntervalMs);
  const auto started = Clock::now();
  auto nextTick = started + interval;
  for (;;) {
    if (stop && stop()) {
      child.Stop(ChildProcess::StopGraceMs);
      out.Interrupted = true;
      out.Failure = RunFailure::Interrupted;
      poll.Fail();
      report();
      return out;
    }
    if (!child.Running()) {
      // The engine has ended: whatever it wrote is all there will be.
      out.ExitCode = child.ExitCode();
      if (poll.BothFilesExist()) {
        poll.Tick();
        out.Complete = true;
      } else {
        poll.Fail();
        out.Failure = RunFailure::NoOutputs;
      }
      report();
      return out;
    }
    if (timeoutMs > 0 && Clock::now() - started >= std::chrono::milliseconds(timeoutMs)) {
      child.Stop(ChildProcess::StopGraceMs);
      out.TimedOut = true;
      out.Failure = RunFailure::TimedOut;
      poll.Fail();
      report();
      return out;
    }
    if (Clock::now() >= nextTick) {
      nextTick += interval;
      const PollState st = poll.Tick(true);
      report();
      if (st == PollState::Complete) {
        // Both files are there; give the engine a moment to finish writing
        // and exit before it is stopped.
        const auto grace = Clock::now() + std::chrono::seconds(5);
        while (child.Running() && Clock::now() < grace)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        out.ExitCode = child.Running() ? -1 : child.ExitCode();
        child.Kill();
        out.Complete = true;
        return out;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
