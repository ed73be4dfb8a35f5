#pragma once
// One run of the engine from its command line:
//   gama.exe [--encoding cp-1250|utf-8] [--language en] [--threads N]
//            [--kernels generic|avx2|avx512] INPUT PREFIX
// (--threads: threads of the factorisation and the inverse, default every
// core; --kernels: instruction set of the dense kernels, default the widest
// the processor runs; neither changes a result beyond the last bits)
// writes PREFIX + "txt" (protocol) and, after a successful adjustment,
// PREFIX + "xml" (results). Both are written atomically, the protocol first.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "adjustment/adjust.h"
#include "adjustment/network.h"

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

// The same run inside the calling program: protocol and observation table
// are written as RunEngine writes them, but instead of the results file
// the adjusted network goes to `results` (after both files are complete).
// The callee may take the covariance out of the result. An exception it
// throws ends the run as RunEngine ends on one (no results, exit 3).
using ResultsConsumer = std::function<void(const Network &net, AdjustmentResult &res)>;
int RunEngineInProcess(const std::vector<std::string> &args, std::ostream &err,
                       const ResultsConsumer &results);

}  // namespace kd::adj
