// korvadimensio3d-batch: evaluates a planned network from the command line.
#include "cli/batch_run.h"
#include "cli/batch_options.h"
#include "evaluation/evaluation.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <iostream>

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) { gInterrupted = 1; }

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

  // Ctrl+C or a termination request while the engine runs stops the engine
  // and removes the temporary files before the command ends.
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
  std::unique_ptr<QGuiApplication> gui;
  if (!opts.PlotFiles.empty() || !opts.ReportFiles.empty() || !opts.DxfFile.empty()) {
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
