#include "app/design_session.h"

#include "core/text_file.h"
#include "evaluation/evaluation.h"
#include "evaluation/input_document.h"
#include "precision/observation_sigma.h"
#include "settings/messages.h"

#include <filesystem>
#include <set>

namespace kd::app {

using namespace kd::design;

std::string RequirementsPathFor(const std::string &measurementFile) {
  if (measurementFile.empty())
    return std::string();
  std::filesystem::path p(measurementFile);
  p.replace_extension(".req");
  return p.string();
}

namespace {

// The engine document of the network as an evaluation writes it: unknown
// points' measurements left out, the list sorted, observations computed.
bool EngineDocument(const SurveyNetwork &net, SurveyNetwork &copy, std::string &document,
                    std::string &error) {
  copy.Points.List = net.Points.List;
  copy.Points.ScSvpMode = net.Points.ScSvpMode;
  copy.Measurements = net.Measurements;
  copy.PlumbSigma = net.PlumbSigma;
  if (CheckBeforeEvaluation(copy, [](const PlumbingWarning &) {}).TooSmall) {
    error = "too few points or measurements";
    return false;
  }
  copy.Measurements.Sort();
  WriteHeader(copy);
  if (!WritePoints(copy) || !ComputeObservations(copy) || !WriteObservations(copy)) {
    error = FailedMeasurementText(copy.LastWriteFailure);
    if (error.empty())
      error = "the engine document cannot be written";
    return false;
  }
  WriteFooter(copy);
  document = kd::JoinLinesCrLf(copy.Document);
  return true;
}

ReportRequirement Row(const Requirement &r, const RequirementValue &v) {
  ReportRequirement row;
  row.Text = r.text;
  row.Redundancy = r.kind == RequirementKind::Redundancy;
  row.Many = r.allPoints || r.points.size() > 1;
  row.Worst = v.subject;
  row.Value = v.value;
  row.Margin = v.margin;
  row.Holds = v.holds;
  return row;
}

} // namespace

DesignSession::DesignSession() = default;
DesignSession::~DesignSession() = default;

bool DesignSession::Evaluate(const SurveyNetwork &net, const RequirementSet &reqs,
                             const CandidateOptions &candidates) {
  Planner_.reset();
  Current.clear();
  Checks.clear();
  Error_.clear();
  RequirementFault_ = false;
  Reqs = reqs;
  SurveyNetwork copy;
  std::string document;
  if (!EngineDocument(net, copy, document, Error_))
    return false;
  if (!BuildPlanModel(copy, document, candidates, Model, Error_))
    return false;
  if (!CompileChecks(Model.engine, Model.system, Reqs, Model.pointNumbers, Checks, Error_)) {
    RequirementFault_ = true;
    return false;
  }
  Planner_ = std::make_unique<Planner>(Model.system, Model.units, Checks, Reqs, candidates.setupCost);
  Current = Planner_->Values();
  return true;
}

bool DesignSession::FreeNetwork() const { return Ready() && Model.system.freeNetwork; }

int DesignSession::CandidateCount() const {
  return Ready() ? static_cast<int>(Model.units.size()) - Model.plannedCount : 0;
}

bool DesignSession::AllHold() const { return Ready() && Planner_->AllHold(Current); }

std::vector<DesignCandidate> DesignSession::Rank(size_t count) const {
  std::vector<DesignCandidate> out;
  if (!Ready())
    return out;
  for (const RankedCandidate &rc : Planner_->Rank(count)) {
    const Unit &u = Planner_->Units()[static_cast<size_t>(rc.unit)];
    DesignCandidate c;
    c.Item = Model.measurements[static_cast<size_t>(u.measurement)];
    c.Label = u.label;
    c.Cost = rc.effect.cost;
    c.Gain = rc.effect.score;
    c.Values = rc.effect.values;
    out.push_back(std::move(c));
  }
  return out;
}

DesignMarks DesignSession::Marks() const {
  DesignMarks marks;
  if (!Ready())
    return marks;
  const CriticalReport rep = Planner_->Critical();
  for (size_t i = 0; i < rep.critical.size(); ++i) {
    const Unit &u = Planner_->Units()[static_cast<size_t>(rep.critical[i])];
    marks.Critical.push_back(Model.measurements[static_cast<size_t>(u.measurement)]);
    std::string why;
    if (rep.valuesWithout[i].empty()) {
      why = "singular";
    } else {
      for (size_t r = 0; r < Current.size(); ++r)
        if (Current[r].holds && !rep.valuesWithout[i][r].holds)
          why += (why.empty() ? "" : "; ") + Reqs.items[r].text;
    }
    marks.CriticalWhy.push_back(why);
  }
  for (int unit : rep.lowValue)
    marks.LowValue.push_back(
        Model.measurements[static_cast<size_t>(Planner_->Units()[static_cast<size_t>(unit)].measurement)]);
  return marks;
}

DesignProposal DesignSession::Optimise(bool prunePlanned) const {
  DesignProposal p;
  if (!Ready())
    return p;
  Planner work = *Planner_;
  const OptimiseResult res = work.Optimise(prunePlanned);
  p.Reached = res.reached;
  p.Values = res.values;
  p.Binding = res.binding;
  for (const Unit &u : work.Units()) {
    const Measurement &m = Model.measurements[static_cast<size_t>(u.measurement)];
    if (u.planned && !u.active)
      p.Removed.push_back(m);
    if (!u.planned && u.active)
      p.Added.push_back(m);
  }
  p.Report = ReportOptimisation(work, res);
  return p;
}

ReportDesign DesignSession::Report() const {
  ReportDesign d;
  d.Present = true;
  d.FileName = Reqs.fileName;
  d.Confidence95 = Reqs.confidence95;
  d.FreeNetwork = FreeNetwork();
  d.Requirements = ReportRequirements(Reqs, Current, nullptr);
  return d;
}

std::vector<ReportRequirement> ReportRequirements(const RequirementSet &reqs,
                                                  const std::vector<RequirementValue> &values,
                                                  const std::vector<bool> *binding) {
  std::vector<ReportRequirement> rows;
  for (size_t i = 0; i < values.size() && i < reqs.items.size(); ++i) {
    rows.push_back(Row(reqs.items[i], values[i]));
    rows.back().Binds = binding && i < binding->size() && (*binding)[i];
  }
  return rows;
}

ReportDesign ReportOptimisation(const Planner &planner, const OptimiseResult &result) {
  ReportDesign d;
  d.Present = true;
  d.Optimised = true;
  d.Reached = result.reached;
  d.TotalCost = result.totalCost;
  const RequirementSet &reqs = planner.Requirements();
  d.FileName = reqs.fileName;
  d.Confidence95 = reqs.confidence95;
  d.Final = ReportRequirements(reqs, result.values, &result.binding);
  // A change undone later in the search (an exchange) is no change of the
  // plan; each measurement is listed once.
  std::set<int> listed;
  for (const PlanChange &c : result.changes) {
    const Unit &u = planner.Units()[static_cast<size_t>(c.unit)];
    if (u.active != c.added || u.planned == c.added || !listed.insert(c.unit).second)
      continue;
    ReportPlanChange change;
    change.Added = c.added;
    change.Measurement = u.label;
    change.Cost = c.cost;
    if (c.added) {
      const Effect without = planner.TryRemove(c.unit);
      if (!without.ok) {
        change.Singular = true;
      } else {
        for (size_t r = 0; r < without.values.size(); ++r)
          if (!without.values[r].holds)
            change.Without.push_back(Row(reqs.items[r], without.values[r]));
      }
    }
    d.Changes.push_back(std::move(change));
  }
  return d;
}

} // namespace kd::app
