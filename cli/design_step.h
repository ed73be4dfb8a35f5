#pragma once
// The measurement design step of the batch command: requirements checked
// on the planned network, the next best measurements, the optimised plan
// and the critical measurements, computed in process on the engine's own
// least-squares code from the engine document of the run.
#include "cli/batch_options.h"
#include "core/survey_network.h"
#include "design/requirements.h"
#include "evaluation/report_design.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

// Exit status when a requirement is not met (or cannot be met with the
// candidates).
inline constexpr int kExitRequirementsUnmet = 3;
// Exit status when the search was interrupted.
inline constexpr int kExitDesignInterrupted = 130;

struct DesignStepInput {
  kd::design::RequirementSet Requirements;
  std::vector<Measurement> Candidates;
  std::vector<std::pair<double, double>> Excluded;
};

// Reads the requirements, candidates and excluded pairs, and checks that the
// proposed measurement file is none of the inputs or outputs. Returns -1 to
// go on, or the exit code after printing the reason to `err`.
int PrepareDesignStep(const BatchOptions &opts, DesignStepInput &input, std::ostream &err);

// Runs the design on `net` as its engine document `documentUtf8` was written
// (sorted, observations computed). Returns the exit code: 0 every
// requirement holds, 3 not, 1 bad input or an unwritable output.
// `stop`, when set, is asked during the search and ends it (exit 130).
// `report`, when set, receives the requirements' values and the optimised
// plan's changes for the reports.
int RunDesignStep(const BatchOptions &opts, const DesignStepInput &input, const SurveyNetwork &net,
                  const std::string &documentUtf8, std::ostream &out, std::ostream &err,
                  const std::function<bool()> &stop = {}, ReportDesign *report = nullptr);
