#include "cli/design_step.h"

#include "app/design_session.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "design/plan_model.h"
#include "design/planner.h"

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;
using namespace kd::design;

namespace {

bool SameFile(const std::string &a, const std::string &b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec1, ec2;
  const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
  const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
  if (ec1 || ec2) return a == b;
  return pa == pb;
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

bool IsRedundancy(const Requirement &r) { return r.kind == RequirementKind::Redundancy; }

// "3.756 mm" or "0.412" (redundancy numbers).
std::string ValueText(const Requirement &r, double v) {
  return IsRedundancy(r) ? Fixed(v, 3) : Fixed(v, 3) + " mm";
}

// "across 401 404 81.29 2.5: 3.756 mm, margin -1.256 mm"
std::string RequirementLine(const Requirement &r, const RequirementValue &v) {
  std::string s = r.text + ": " + ValueText(r, v.value);
  const bool many = r.allPoints || r.points.size() > 1;
  if (many) s += IsRedundancy(r) ? " (least)" : " (worst: point " + v.subject + ")";
  s += ", margin " + ValueText(r, v.margin);
  return s;
}

void PrintValues(const RequirementSet &reqs, const std::vector<RequirementValue> &values,
                 const std::vector<bool> *binding, std::ostream &out) {
  for (size_t i = 0; i < values.size(); ++i) {
    out << "  " << RequirementLine(reqs.items[i], values[i]);
    if (!values[i].holds) out << ", NOT MET";
    else if (binding && (*binding)[i]) out << ", binds";
    out << "\n";
  }
}

std::string CostText(double c) { return NumToText(c); }

}  // namespace

int PrepareDesignStep(const BatchOptions &opts, DesignStepInput &input, std::ostream &err) {
  const DesignOptions &d = opts.Design;
  if (!d.Requested()) return -1;
  auto fail = [&](const std::string &message) {
    err << kBatchProgramName << ": " << message << "\n";
    return 1;
  };
  std::string error;
  if (!LoadRequirements(d.RequireFile, input.Requirements, error)) return fail(error);
  if (!d.CandidatesFile.empty()) {
    MeasurementList list;
    list.LoadFromFile(d.CandidatesFile);
    if (list.LoadResult == MeasurementList::lfCannotRead)
      return fail("cannot read the candidates file " + d.CandidatesFile);
    if (list.LoadResult == MeasurementList::lfFormatError)
      return fail(d.CandidatesFile + ":" + std::to_string(list.LoadErrorLine) + ": a faulty number");
    if (list.Items.empty()) return fail("the candidates file " + d.CandidatesFile + " holds no measurement");
    input.Candidates = list.Items;
  }
  if (!d.ExcludeFile.empty() && !LoadExcludedPairs(d.ExcludeFile, input.Excluded, error)) return fail(error);
  if (!d.OptimiseFile.empty()) {
    for (const std::string *in : {&opts.CoordFile, &opts.MeasFile, &d.RequireFile, &d.CandidatesFile,
                                  &d.ExcludeFile, &opts.TableFile, &opts.CovFile})
      if (SameFile(d.OptimiseFile, *in))
        return fail("--optimise " + d.OptimiseFile + " names the file " + *in +
                    ", which the command reads or writes");
    for (const auto *list : {&opts.ReportFiles, &opts.PlotFiles})
      for (const std::string &f : *list)
        if (SameFile(d.OptimiseFile, f))
          return fail("--optimise " + d.OptimiseFile + " names the output file " + f);
    std::error_code ec;
    if (!fs::is_directory(fs::absolute(d.OptimiseFile, ec).parent_path(), ec))
      return fail("the folder of the output file " + d.OptimiseFile + " does not exist");
  }
  return -1;
}

int RunDesignStep(const BatchOptions &opts, const DesignStepInput &input, const SurveyNetwork &net,
                  const std::string &documentUtf8, std::ostream &out, std::ostream &err,
                  const std::function<bool()> &stop, ReportDesign *report) {
  const DesignOptions &d = opts.Design;
  auto fail = [&](const std::string &message) {
    err << kBatchProgramName << ": " << message << "\n";
    return 1;
  };
  CandidateOptions co;
  co.automatic = d.CandidatesFile.empty();
  co.fromFile = input.Candidates;
  co.excluded = input.Excluded;
  co.maxSight = d.MaxSight;
  co.setupCost = d.SetupCost;
  PlanModel model;
  std::string error;
  if (!BuildPlanModel(net, documentUtf8, co, model, error)) return fail("design: " + error);
  std::vector<Check> checks;
  const RequirementSet &reqs = input.Requirements;
  if (!CompileChecks(model.engine, model.system, reqs, model.pointNumbers, checks, error)) return fail(error);
  Planner planner(model.system, model.units, checks, reqs, d.SetupCost);
  planner.SetStop(stop);
  auto interrupted = [&] {
    err << kBatchProgramName << ": interrupted\n";
    return kExitDesignInterrupted;
  };

  out << "\nRequirements (" << reqs.fileName << ", "
      << (reqs.confidence95 ? "95 % confidence" : "standard confidence") << "):\n";
  if (model.system.freeNetwork)
    out << "Free network: the requirements are evaluated in its minimum-trace datum.\n";
  const std::vector<RequirementValue> now = planner.Values();
  PrintValues(reqs, now, nullptr, out);
  if (report) {
    report->Present = true;
    report->FileName = reqs.fileName;
    report->Confidence95 = reqs.confidence95;
    report->FreeNetwork = model.system.freeNetwork;
    report->Requirements = kd::app::ReportRequirements(reqs, now, nullptr);
  }
  int code = planner.AllHold(now) ? 0 : kExitRequirementsUnmet;

  const int candidates = static_cast<int>(model.units.size()) - model.plannedCount;
  if (d.NextBest > 0 || !d.OptimiseFile.empty())
    out << "Candidates: " << candidates << " (" << (co.automatic ? "automatic, sights up to " +
                                                                      Fixed(model.maxSight, 3) + " m"
                                                                : "from " + d.CandidatesFile)
        << "), set-up cost " << CostText(d.SetupCost) << "\n";

  if (d.NextBest > 0) {
    out << "\nNext best measurements (gain in the worst margin per cost, % of the limit):\n";
    const auto ranked = planner.Rank(static_cast<size_t>(d.NextBest));
    if (stop && stop()) return interrupted();
    if (ranked.empty()) out << "  none: there is no candidate\n";
    int rank = 0;
    for (const RankedCandidate &rc : ranked) {
      out << "  " << ++rank << ". " << model.units[rc.unit].label << ", cost " << CostText(rc.effect.cost)
          << ", gain " << Fixed(100 * rc.effect.score, 3) << " %:";
      for (size_t r = 0; r < rc.effect.values.size(); ++r)
        out << (r ? ";" : "") << " " << reqs.items[r].text << " -> "
            << ValueText(reqs.items[r], rc.effect.values[r].value);
      out << "\n";
    }
  }

  if (d.Critical) {
    const CriticalReport rep = planner.Critical();
    out << "\nCritical measurements (their loss breaks a requirement):\n";
    if (rep.critical.empty()) out << "  none\n";
    for (size_t i = 0; i < rep.critical.size(); ++i) {
      const int u = rep.critical[i];
      out << "  " << model.units[u].label;
      if (rep.valuesWithout[i].empty()) {
        out << ": without it the network is singular\n";
        continue;
      }
      std::string broken;
      for (size_t r = 0; r < now.size(); ++r)
        if (now[r].holds && !rep.valuesWithout[i][r].holds)
          broken += (broken.empty() ? "" : "; ") + reqs.items[r].text + " -> " +
                    ValueText(reqs.items[r], rep.valuesWithout[i][r].value);
      out << ": " << broken << "\n";
    }
    out << "Low-value measurements (their loss changes no requirement's value by more than 1 %):\n";
    if (rep.lowValue.empty()) out << "  none\n";
    for (int u : rep.lowValue) out << "  " << model.units[u].label << "\n";
  }

  if (!d.OptimiseFile.empty()) {
    const OptimiseResult res = planner.Optimise(d.PrunePlanned);
    if (res.stopped) return interrupted();
    if (report) {
      const ReportDesign optimised = kd::app::ReportOptimisation(planner, res);
      report->Optimised = true;
      report->Reached = optimised.Reached;
      report->Changes = optimised.Changes;
      report->TotalCost = optimised.TotalCost;
      report->Final = optimised.Final;
    }
    out << "\nOptimised plan:\n";
    if (!res.reached) {
      out << "  The candidates cannot meet every requirement: with " << res.changes.size()
          << " of them added (cost " << CostText(res.totalCost) << ") the values reached are:\n";
      PrintValues(reqs, res.values, nullptr, out);
      out << "No measurement file was written.\n";
      for (size_t r = 0; r < res.values.size(); ++r)
        if (!res.values[r].holds)
          err << kBatchProgramName << ": requirement not met: " << reqs.items[r].text
              << " (line " << reqs.items[r].line << "): best value reached "
              << ValueText(reqs.items[r], res.values[r].value) << "\n";
      return kExitRequirementsUnmet;
    }
    if (res.changes.empty()) out << "  no change: the planned measurements meet every requirement\n";
    for (const PlanChange &c : res.changes)
      out << "  " << (c.added ? "added   " : "removed ") << model.units[c.unit].label
          << (c.added ? ", cost " : ", saves ") << CostText(c.cost) << "\n";
    out << "  Total cost: " << CostText(res.totalCost) << "\n";
    out << "Final values:\n";
    PrintValues(reqs, res.values, &res.binding, out);
    // The proposed file keeps the measurement file's own lines and notes;
    // without them at hand it is the list of measurements alone.
    std::vector<Measurement> removed, added;
    MeasurementList proposed;
    for (const Unit &unit : planner.Units()) {
      const Measurement &m = model.measurements[unit.measurement];
      if (unit.active) proposed.Items.push_back(m);
      if (unit.planned && !unit.active) removed.push_back(m);
      if (!unit.planned && unit.active) added.push_back(m);
    }
    std::string original, text;
    if (kd::ReadFileBytes(opts.MeasFile, original) &&
        ProposedMeasurementText(kd::Cp1250ToUtf8(original), removed, added, text)) {
      if (!kd::WriteFileAtomic(d.OptimiseFile, kd::Utf8ToCp1250(text)))
        return fail("cannot write the proposed measurement file " + d.OptimiseFile);
    } else if (proposed.SaveToFile(d.OptimiseFile) == 0) {
      return fail("cannot write the proposed measurement file " + d.OptimiseFile);
    }
    out << "Every requirement is met. Proposed measurements written: " << d.OptimiseFile << "\n";
    code = 0;
  }
  if (code != 0 && d.OptimiseFile.empty())
    for (size_t r = 0; r < now.size(); ++r)
      if (!now[r].holds)
        err << kBatchProgramName << ": requirement not met: " << reqs.items[r].text << " (line "
            << reqs.items[r].line << "): " << ValueText(reqs.items[r], now[r].value) << "\n";
  return code;
}
