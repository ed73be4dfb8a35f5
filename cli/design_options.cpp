#include "cli/design_options.h"

#include <cmath>
#include <cstdlib>

#include "core/number_text.h"

namespace {

bool PositiveNumber(const std::string &text, double &v, bool zeroAllowed) {
  long double x = 0;
  if (text.empty() || !TryTextToNum(text, x) || !std::isfinite(x)) return false;
  v = static_cast<double>(x);
  return zeroAllowed ? v >= 0 : v > 0;
}

}  // namespace

int ParseDesignOption(const std::vector<std::string> &args, size_t &i, DesignOptions &opts,
                      std::string &error) {
  const std::string &arg = args[i];
  std::string name = arg, value;
  bool inlineValue = false;
  if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    inlineValue = true;
  }
  auto take = [&](std::string &out) {
    if (!inlineValue) {
      if (i + 1 >= args.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (value.empty()) {
      error = "option " + name + " needs a value";
      return false;
    }
    out = value;
    return true;
  };
  if (name == "--require") return take(opts.RequireFile) ? 1 : -1;
  if (name == "--candidates") return take(opts.CandidatesFile) ? 1 : -1;
  if (name == "--exclude") return take(opts.ExcludeFile) ? 1 : -1;
  if (name == "--optimise") return take(opts.OptimiseFile) ? 1 : -1;
  if (name == "--max-sight" || name == "--setup-cost") {
    std::string v;
    if (!take(v)) return -1;
    const bool sight = name == "--max-sight";
    if (!PositiveNumber(v, sight ? opts.MaxSight : opts.SetupCost, !sight)) {
      error = name + ": '" + v + "' is not " +
              (sight ? "a positive number of metres" : "a number of zero or more");
      return -1;
    }
    return 1;
  }
  if (inlineValue) return 0;
  if (name == "--prune-planned") {
    opts.PrunePlanned = true;
    return 1;
  }
  if (name == "--critical") {
    opts.Critical = true;
    return 1;
  }
  if (name == "--next-best") {
    opts.NextBest = 10;
    // The count is optional: the next argument is taken when it is a
    // whole number from 1 on.
    if (i + 1 < args.size()) {
      const std::string &n = args[i + 1];
      char *end = nullptr;
      const long v = std::strtol(n.c_str(), &end, 10);
      if (!n.empty() && end && *end == '\0' && n.find_first_not_of("0123456789") == std::string::npos) {
        if (v < 1 || v > 100000) {
          error = "--next-best: '" + n + "' is not a count from 1 to 100000";
          return -1;
        }
        opts.NextBest = static_cast<int>(v);
        ++i;
      }
    }
    return 1;
  }
  return 0;
}

bool CheckDesignOptions(const DesignOptions &opts, std::string &error) {
  if (opts.Requested()) return true;
  const char *needs = !opts.OptimiseFile.empty() ? "--optimise"
                      : opts.NextBest > 0        ? "--next-best"
                      : opts.Critical            ? "--critical"
                      : !opts.CandidatesFile.empty() ? "--candidates"
                      : !opts.ExcludeFile.empty()    ? "--exclude"
                      : opts.MaxSight > 0            ? "--max-sight"
                      : opts.PrunePlanned            ? "--prune-planned"
                      : opts.SetupCost != 5          ? "--setup-cost"
                                                     : nullptr;
  if (!needs) return true;
  error = std::string(needs) + " needs --require FILE (the requirements to meet)";
  return false;
}

std::string DesignUsage() {
  return "  --require FILE         check the precision requirements of FILE (NAME.req;\n"
         "                         see the README) and print each one's value and\n"
         "                         margin; exit 3 when one is not met\n"
         "  --next-best [N]        list the N (default 10) best measurements to add:\n"
         "                         gain in the worst margin per cost, and the effect\n"
         "                         on every requirement\n"
         "  --optimise OUT_MEAS    find the cheapest measurements that meet every\n"
         "                         requirement and write the proposed measurement file\n"
         "  --critical             list the planned measurements whose loss breaks a\n"
         "                         requirement, and those of little value\n"
         "  --candidates FILE      candidate measurements (measurement format) instead\n"
         "                         of the automatic ones\n"
         "  --exclude FILE         point pairs (FROM TO a line) that get no candidate\n"
         "  --max-sight METRES     longest sight of an automatic candidate (default:\n"
         "                         the longest planned sight)\n"
         "  --setup-cost N         cost of a station without planned measurements\n"
         "                         (default 5; every observation costs 1)\n"
         "  --prune-planned        the optimisation may also drop planned measurements\n";
}
