#pragma once
// The measurement design of the network being edited: the values of its
// requirements on the current plan, the ranked next best measurements, the
// optimised plan and the critical and low-value measurements. Everything is
// computed in process on the engine's own least-squares code, from the
// engine document of a copy of the network, so that the desktop shows the
// figures the command prints for the same files.
//
// Requirements live beside the measurement file: NAME.req for NAME.txt.
// Values and margins are millimetres at the requirement file's confidence
// level, or redundancy numbers (see design/planner.h).
#include "core/survey_network.h"
#include "design/plan_model.h"
#include "design/planner.h"
#include "design/requirements.h"
#include "evaluation/report_design.h"

#include <memory>
#include <string>
#include <vector>

namespace kd::app {

// The requirements file of a measurement file: its name with the extension
// ".req" ("" when the measurement list has no file yet).
std::string RequirementsPathFor(const std::string &measurementFile);

// A candidate measurement as the next best one.
struct DesignCandidate {
  Measurement Item;  // as it is added to the measurement list
  std::string Label; // "gd 401 -> 402"
  double Cost = 0;
  double Gain = 0;   // rise of the worst relative margin per cost
  std::vector<kd::design::RequirementValue> Values; // every requirement with it added
};

// A proposed plan: measurements to add to the list and to take out of it.
struct DesignProposal {
  bool Reached = false;
  std::vector<Measurement> Added;
  std::vector<Measurement> Removed;
  std::vector<kd::design::RequirementValue> Values; // with the proposal
  std::vector<bool> Binding;                        // per requirement
  ReportDesign Report; // the changes with their reasons, the cost and the final values
};

// Planned measurements whose loss breaks a requirement, and those whose
// loss changes no requirement's value by more than 1 %.
struct DesignMarks {
  std::vector<Measurement> Critical;
  std::vector<std::string> CriticalWhy; // per critical one: what its loss breaks
  std::vector<Measurement> LowValue;
};

class DesignSession {
public:
  DesignSession();
  ~DesignSession();
  DesignSession(const DesignSession &) = delete;
  DesignSession &operator=(const DesignSession &) = delete;

  // Evaluates `net` against `reqs` with the candidates of `candidates`. False,
  // with Error() saying why, when the network cannot be adjusted or a
  // requirement names a point the network lacks.
  bool Evaluate(const SurveyNetwork &net, const kd::design::RequirementSet &reqs,
                const kd::design::CandidateOptions &candidates);
  bool Ready() const { return Planner_ != nullptr; }
  const std::string &Error() const { return Error_; }
  // True when the last Evaluate failed on a requirement (a missing point,
  // one that cannot be judged), not on the network.
  bool RequirementFault() const { return RequirementFault_; }
  const kd::design::RequirementSet &Requirements() const { return Reqs; }
  // True for a free network: values in its minimum-trace datum.
  bool FreeNetwork() const;
  int CandidateCount() const;
  double MaxSight() const { return Model.maxSight; }
  // Every requirement's value on the current plan.
  const std::vector<kd::design::RequirementValue> &Values() const { return Current; }
  bool AllHold() const;

  // The `count` best candidates (all when 0).
  std::vector<DesignCandidate> Rank(size_t count) const;
  DesignMarks Marks() const;
  // Greedy addition, pruning (planned ones too with `prunePlanned`) and
  // exchanges, on a copy: the session's plan stays as it is.
  DesignProposal Optimise(bool prunePlanned) const;

  // The requirements of the current plan as the report gives them.
  ReportDesign Report() const;

private:
  kd::design::PlanModel Model;
  std::vector<kd::design::Check> Checks;
  kd::design::RequirementSet Reqs;
  std::unique_ptr<kd::design::Planner> Planner_;
  std::vector<kd::design::RequirementValue> Current;
  std::string Error_;
  bool RequirementFault_ = false;
};

// The report's rows of a set's values (`binding` per requirement, or null).
std::vector<ReportRequirement> ReportRequirements(const kd::design::RequirementSet &reqs,
                                                  const std::vector<kd::design::RequirementValue> &values,
                                                  const std::vector<bool> *binding);

// The report of an optimisation run on `planner` (the plan after it): every
// change with its reason (for an added measurement, what its loss would
// break), the total cost and whether every requirement holds.
ReportDesign ReportOptimisation(const kd::design::Planner &planner,
                                const kd::design::OptimiseResult &result);

} // namespace kd::app
