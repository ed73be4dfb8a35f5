#pragma once
// Runs a program with an argument list and collects its exit code and output,
// for the end-to-end tests of the batch command.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

struct RunResult {
  int Code = -1; // exit code; -1 when killed or not started
  std::string Out;
  std::string Err;
};

inline std::string ReadWholeFile(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
  TempFolder() {
    std::string templ = std::filesystem::temp_directory_path().string() + "/kdtest-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()))
      FolderPath = buf.data();
  }
  ~TempFolder() {
    std::error_code ec;
    if (!FolderPath.empty())
      std::filesystem::remove_all(FolderPath, ec);
  }
  const std::string &Path() const { return FolderPath; }
  std::string operator/(const std::string &name) const { return FolderPath + "/" + name; }

private:
  std::string FolderPath;
};

// Runs `program` with `args`; `env` entries ("NAME=value") are added to the
// environment, replacing inherited entries of the same name. With `interruptAfter` set, SIGINT is sent once after that
// time. The run is stopped after `limit` so that a fault can never hang the
// test suite. With `signalWhen` set, `signal` is sent once as soon as it
// returns true for the standard output written so far.
inline RunResult RunProgram(const std::string &program, const std::vector<std::string> &args,
                             const std::vector<std::string> &env = {},
                             std::chrono::milliseconds interruptAfter = {},
                             std::chrono::seconds limit = std::chrono::seconds(120),
                             const std::function<bool(const std::string &)> &signalWhen = {},
                             int signal = SIGINT) {
  RunResult r;
  TempFolder io;
  const std::string outPath = io / "out", errPath = io / "err";
  std::vector<std::string> argStore{program};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &a : argStore)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  // The given entries replace inherited ones of the same name (a program
  // sees the first of two entries named alike).
  auto nameOf = [](const std::string &entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> envStore(env.begin(), env.end());
  for (char **e = environ; *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string &given : env)
      replaced = replaced || nameOf(given) == nameOf(entry);
    if (!replaced)
      envStore.push_back(entry);
  }
  std::vector<char *> envp;
  for (auto &e : envStore)
    envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    r.Err = "cannot start " + program;
    return r;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + limit;
  bool interrupted = false;
  int status = 0;
  for (;;) {
    const pid_t w = waitpid(pid, &status, WNOHANG);
    if (w == pid)
      break;
    if (interruptAfter.count() > 0 && !interrupted &&
        std::chrono::steady_clock::now() - start >= interruptAfter) {
      kill(pid, SIGINT);
      interrupted = true;
    }
    if (signalWhen && !interrupted && signalWhen(ReadWholeFile(outPath))) {
      kill(pid, signal);
      interrupted = true;
    }
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      r.Err = "killed after the time limit";
      return r;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.Out = ReadWholeFile(outPath);
  r.Err = ReadWholeFile(errPath);
  return r;
}
