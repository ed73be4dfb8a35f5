#pragma once
// One run of the engine from its command line:
//   gama.exe [--encoding cp-1250|utf-8] [--language en] INPUT PREFIX
// writes PREFIX + "txt" (protocol) and, after a successful adjustment,
// PREFIX + "xml" (results). Both are written atomically, the protocol first.
#include <ostream>
#include <string>
#include <vector>

namespace kd::adj {

enum ExitCode {
  kExitOk = 0,
  kExitInput = 1,      // the input file or document cannot be used
  kExitAdjust = 2,     // singular network, no convergence, degenerate geometry
  kExitSystem = 3,     // output cannot be written, out of memory
  kExitUsage = 64,     // faulty command line
};

// Runs the engine with the arguments after the program name. Messages that
// cannot go to a protocol go to `err`.
int RunEngine(const std::vector<std::string> &args, std::ostream &err);

}  // namespace kd::adj
