// The optimised plan and the critical measurements, judged by full engine
// adjustments of the plans they describe.
#include <gtest/gtest.h>

#include "adjustment/adjust.h"
#include "core/text_file.h"
#include "evaluation/input_document.h"
#include "design/generated_network.h"
#include "design/plan_model.h"
#include "design/planner.h"

using namespace kd::design;

namespace {

struct Fixture {
  PlanModel model;
  std::vector<Check> checks;
  RequirementSet reqs;
};

Fixture Make(SurveyNetwork net, const std::string &requirements, const CandidateOptions &co = {}) {
  Fixture f;
  const std::string path = ::testing::TempDir() + "/design_optimise.gfk";
  EXPECT_TRUE(WriteEngineInput(net, path));
  std::string error;
  EXPECT_TRUE(BuildPlanModel(net, kd::JoinLinesCrLf(net.Document), co, f.model, error)) << error;
  for (kd::adj::Observation &o : f.model.engine.observations) {
    double v = 0, d[3];
    kd::adj::ObservationGeometry(o.kind, f.model.engine.points[o.from].coord, f.model.engine.points[o.to].coord, v, d);
    o.value = v;
  }
  EXPECT_TRUE(ParseRequirements(requirements, "t.req", f.reqs, error)) << error;
  EXPECT_TRUE(CompileChecks(f.model.engine, f.model.system, f.reqs, f.model.pointNumbers, f.checks, error)) << error;
  return f;
}

// σ of the engine's adjustment of the plan for the check's single functional.
double EngineValue(const Fixture &f, const std::vector<Unit> &units, const Check &c) {
  const kd::adj::AdjustmentResult r = kd::adj::Adjust(ChangedNetwork(f.model.engine, units));
  EXPECT_EQ(r.outcome, kd::adj::Outcome::Adjusted) << r.failure;
  double s = 0;
  const auto &sys = f.model.system;
  for (int i = 0; i < c.g[0].n; ++i)
    for (int j = 0; j < c.g[0].n; ++j) {
      int e1 = -1, e2 = -1;
      for (size_t p = 0; p < sys.unknownOf.size(); ++p)
        for (int k = 0; k < 3; ++k) {
          if (sys.unknownOf[p][k] == c.g[0].col[i]) e1 = r.unknownOf[p][k];
          if (sys.unknownOf[p][k] == c.g[0].col[j]) e2 = r.unknownOf[p][k];
        }
      s += c.g[0].val[i] * c.g[0].val[j] * r.cov(e1, e2);
    }
  return c.factor * std::sqrt(s);
}

}  // namespace

TEST(DesignOptimise, MeetsTheRequirementAtLeastCostAndTheEngineAgrees) {
  // A 4 × 6 grid; the transverse error across the long side at 95 %.
  Fixture f = Make(kd::design::test::GeneratedNetwork(4, 6), "confidence 95\nacross 1001 1022 100 0.45\n");
  Planner planner(f.model.system, f.model.units, f.checks, f.reqs, 5);
  const double before = planner.Values()[0].value;
  ASSERT_GT(before, 0.45);
  const OptimiseResult res = planner.Optimise(false);
  ASSERT_TRUE(res.reached);
  ASSERT_FALSE(res.changes.empty());
  double cost = 0;
  for (const PlanChange &c : res.changes) {
    EXPECT_TRUE(c.added);  // planned measurements stay without --prune-planned
    EXPECT_FALSE(planner.Units()[c.unit].planned);
    cost += c.cost;
  }
  EXPECT_DOUBLE_EQ(cost, res.totalCost);
  EXPECT_LE(res.values[0].value, 0.45);
  EXPECT_TRUE(res.binding[0]);
  EXPECT_NEAR(EngineValue(f, planner.Units(), f.checks[0]), res.values[0].value, 1e-9 * res.values[0].value);
  // Pruned: no added measurement can go without breaking the requirement.
  for (const PlanChange &c : res.changes) {
    const Effect e = planner.TryRemove(c.unit);
    EXPECT_TRUE(!e.ok || !e.values[0].holds) << planner.Units()[c.unit].label;
  }
}

TEST(DesignOptimise, MetRequirementChangesNothingUnlessPlannedMayGo) {
  Fixture f = Make(kd::design::test::GeneratedNetwork(3, 4), "ellipse * 50\n");
  Planner keep(f.model.system, f.model.units, f.checks, f.reqs, 5);
  const OptimiseResult none = keep.Optimise(false);
  EXPECT_TRUE(none.reached);
  EXPECT_TRUE(none.changes.empty());
  EXPECT_EQ(none.totalCost, 0);

  Planner prune(f.model.system, f.model.units, f.checks, f.reqs, 5);
  const OptimiseResult fewer = prune.Optimise(true);
  ASSERT_TRUE(fewer.reached);
  ASSERT_FALSE(fewer.changes.empty());
  EXPECT_LT(fewer.totalCost, 0);  // money saved
  EXPECT_LE(fewer.values[0].value, 50);
  // The pruned plan still adjusts, with the predicted worst ellipse.
  const kd::adj::AdjustmentResult r = kd::adj::Adjust(ChangedNetwork(f.model.engine, prune.Units()));
  ASSERT_EQ(r.outcome, kd::adj::Outcome::Adjusted) << r.failure;
  double worst = 0;
  for (const kd::adj::PointResult &p : r.points) worst = std::max(worst, p.ellA);
  EXPECT_NEAR(worst, fewer.values[0].value, 1e-9 * worst);
}

TEST(DesignOptimise, UnreachableRequirementKeepsTheBestValue) {
  Fixture f = Make(kd::design::test::GeneratedNetwork(3, 4), "height 1005 0.0001\n");
  Planner planner(f.model.system, f.model.units, f.checks, f.reqs, 5);
  const double before = planner.Values()[0].value;
  const OptimiseResult res = planner.Optimise(false);
  EXPECT_FALSE(res.reached);
  EXPECT_FALSE(res.values[0].holds);
  EXPECT_LT(res.values[0].value, before);
}

TEST(DesignCritical, LossesThatBreakARequirementOrTheNetwork) {
  // The generated grid with a requirement that holds only just.
  Fixture f = Make(kd::design::test::GeneratedNetwork(3, 4), "ellipse * 1\n");
  Planner probe(f.model.system, f.model.units, f.checks, f.reqs, 5);
  RequirementSet tight = f.reqs;
  tight.items[0].limit = probe.Values()[0].value * 1.0001;
  Planner planner(f.model.system, f.model.units, f.checks, tight, 5);
  const CriticalReport rep = planner.Critical();
  ASSERT_FALSE(rep.critical.empty());
  ASSERT_EQ(rep.critical.size(), rep.valuesWithout.size());
  for (size_t i = 0; i < rep.critical.size(); ++i) {
    if (rep.valuesWithout[i].empty()) continue;  // singular without it
    EXPECT_FALSE(rep.valuesWithout[i][0].holds);
    // The engine confirms the loss.
    std::vector<Unit> units = planner.Units();
    units[rep.critical[i]].active = false;
    const kd::adj::AdjustmentResult r = kd::adj::Adjust(ChangedNetwork(f.model.engine, units));
    ASSERT_EQ(r.outcome, kd::adj::Outcome::Adjusted);
    double worst = 0;
    for (const kd::adj::PointResult &p : r.points) worst = std::max(worst, p.ellA);
    EXPECT_NEAR(worst, rep.valuesWithout[i][0].value, 1e-9 * worst);
    break;
  }
  // A critical measurement is never also of low value.
  for (int u : rep.critical)
    EXPECT_EQ(std::find(rep.lowValue.begin(), rep.lowValue.end(), u), rep.lowValue.end());
}

TEST(DesignCritical, SoleMeasurementOfAPointLeavesTheNetworkSingular) {
  SurveyNetwork net = kd::design::test::GeneratedNetwork(3, 3);
  NetworkPoint spur;
  spur.Number = 5000;
  spur.X = 900;
  spur.Y = 1900;
  spur.Z = 300;
  net.Points.List.Items.push_back(spur);
  net.Measurements.AddMeasurement(mtDi, 0.0003, 5000, 1000);
  net.Measurements.AddMeasurement(mtSd, 0.002, 5000, 1000);
  net.Measurements.AddMeasurement(mtZu, 0.0003, 5000, 1000);
  net.Measurements.Sort();
  Fixture f = Make(net, "ellipse 5000 100\n");
  Planner planner(f.model.system, f.model.units, f.checks, f.reqs, 5);
  const CriticalReport rep = planner.Critical();
  int singular = 0;
  for (int u : rep.singular) {
    const std::string &label = planner.Units()[u].label;
    EXPECT_NE(label.find("-> 5000"), std::string::npos) << label;
    ++singular;
  }
  EXPECT_EQ(singular, 3);  // each of the three fixes the spur point alone
}
