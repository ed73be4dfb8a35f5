// korvadimensio3d-batch: evaluates a planned network from the command line.
#include "cli/batch_run.h"
#include "cli/batch_options.h"
#include "core/text_file.h"
#include "evaluation/evaluation.h"

#include <QGuiApplication>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <cstdlib>
#include <memory>
#include <iostream>

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

// Also stops every file write that has not replaced its target yet.
extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
  kd::RequestInterrupt();
}

// Qt wants a private runtime folder; without XDG_RUNTIME_DIR it makes one
// in the temporary folder and leaves it there. The command gives it one of
// its own for the run and removes it at the end.
class PrivateRuntimeFolder {
public:
  PrivateRuntimeFolder() {
    const char *given = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (given && *given && ::stat(given, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
      return;
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/korvadimensio3d-runtime-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
      return;
    FolderPath = buf.data();
    ::setenv("XDG_RUNTIME_DIR", FolderPath.c_str(), 1);
  }
  ~PrivateRuntimeFolder() {
    if (FolderPath.empty())
      return;
    std::error_code ec;
    std::filesystem::remove_all(FolderPath, ec);
  }
  PrivateRuntimeFolder(const PrivateRuntimeFolder &) = delete;
  PrivateRuntimeFolder &operator=(const PrivateRuntimeFolder &) = delete;

private:
  std::string FolderPath;
};

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  BatchOptions opts;
  std::string error;
  switch (ParseBatchOptions(args, opts, error)) {
  case ParseOutcome::Help:
    std::cout << BatchUsage(kBatchProgramName);
    return beOk;
  case ParseOutcome::Error:
    std::cerr << kBatchProgramName << ": " << error << "\n"
              << "Try '" << kBatchProgramName << " --help' for more information.\n";
    return beBadInput;
  case ParseOutcome::Run:
    break;
  }

  // Ctrl+C, a termination request or a hang-up at any stage stops the engine,
  // keeps any file not yet written from being written and removes the
  // temporary files before the command ends (exit 130).
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  // A reader that goes away (e.g. "| head") must not end the command before
  // it has removed its temporary folder; the output is simply lost.
  signal(SIGPIPE, SIG_IGN);

  // Plots and reports are drawn with the desktop program's drawing code, which needs a
  // GUI application; it draws offscreen, never on a display.
  // Declared first: removed after the application has ended.
  std::unique_ptr<PrivateRuntimeFolder> runtimeFolder;
  std::unique_ptr<QGuiApplication> gui;
  if (!opts.PlotFiles.empty() || !opts.ReportFiles.empty() || !opts.DxfFile.empty()) {
    runtimeFolder = std::make_unique<PrivateRuntimeFolder>();
    if (!std::getenv("QT_QPA_PLATFORM"))
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int guiArgc = 1;
    static char guiName[] = "korvadimensio3d-batch";
    static char *guiArgv[] = {guiName, nullptr};
    gui = std::make_unique<QGuiApplication>(guiArgc, guiArgv);
  }

  std::string programPath = ProgramPath();
  if (programPath.empty())
    programPath = argv[0];
  const int code = RunBatch(opts, programPath, std::cout, std::cerr, &gInterrupted);
  std::cout.flush();
  return code;
}
