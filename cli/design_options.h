#pragma once
// Command-line options of the measurement design: requirements, candidates,
// next best measurements, optimisation and critical measurements.
#include <string>
#include <vector>

struct DesignOptions {
  std::string RequireFile;     // --require: the requirements file; "" = no design
  std::string CandidatesFile;  // --candidates: candidate measurements instead of the automatic ones
  std::string ExcludeFile;     // --exclude: point pairs that get no candidate
  std::string OptimiseFile;    // --optimise: where the proposed measurement file goes
  double MaxSight = 0;         // --max-sight, m; 0: the longest planned sight
  double SetupCost = 5;        // --setup-cost
  bool PrunePlanned = false;   // --prune-planned
  bool Critical = false;       // --critical
  int NextBest = 0;            // --next-best [N]: how many to list; 0: none

  bool Requested() const { return !RequireFile.empty(); }
};

// Tries args[i] as a design option. Returns 1 when it was one (i then points
// at its last argument), 0 when it is no design option, -1 on an error
// (`error` says what is wrong).
int ParseDesignOption(const std::vector<std::string> &args, size_t &i, DesignOptions &opts,
                      std::string &error);

// Options that make sense only together with --require. False with `error`.
bool CheckDesignOptions(const DesignOptions &opts, std::string &error);

// The lines of --help for these options.
std::string DesignUsage();
