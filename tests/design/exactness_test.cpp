// Every prediction of the block updates against a full adjustment of the
// changed network by the engine: covariance, requirement values and
// redundancy numbers to 1e-9 relative, on the sample, a free network and a
// generated 300-point network.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "adjustment/adjust.h"
#include "core/text_file.h"
#include "evaluation/input_document.h"
#include "design/plan_model.h"
#include "design/planner.h"
#include "design/generated_network.h"

using namespace kd::design;
using kd::adj::Matrix;

namespace {

// Observed values exactly as computed from the coordinates, so that the
// engine adjusts at the very coordinates the design linearises at.
void MakeValuesExact(kd::adj::Network &net) {
  for (kd::adj::Observation &o : net.observations) {
    double v = 0, d[3];
    ASSERT_TRUE(kd::adj::ObservationGeometry(o.kind, net.points[o.from].coord, net.points[o.to].coord, v, d));
    o.value = v;
  }
}

SurveyNetwork SampleNetwork() {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::PerMeasurement;
  EXPECT_GT(net.Points.List.LoadFull(std::string(KD_BIN_DIR) + "/shaft_coords.txt"), 2);
  EXPECT_GT(net.Measurements.LoadFromFile(std::string(KD_BIN_DIR) + "/shaft_meas.txt"), 2);
  net.CheckConsistency(true, [](const PlumbingWarning &) {});
  return net;
}

// Writes the engine document of `net` and builds the model from it.
PlanModel ModelOf(SurveyNetwork &net, const CandidateOptions &co = {}) {
  const std::string path = ::testing::TempDir() + "/design_exactness.gfk";
  EXPECT_TRUE(WriteEngineInput(net, path)) << net.LastWriteFailure.Reason;
  PlanModel model;
  std::string error;
  EXPECT_TRUE(BuildPlanModel(net, kd::JoinLinesCrLf(net.Document), co, model, error)) << error;
  MakeValuesExact(model.engine);
  return model;
}

RequirementSet Parse(const std::string &text) {
  RequirementSet reqs;
  std::string error;
  EXPECT_TRUE(ParseRequirements(text, "test.req", reqs, error)) << error;
  return reqs;
}

double RelDiff(double a, double b, double scale) { return std::fabs(a - b) / std::max(scale, 1e-300); }

// Compares the planner's state with a full engine adjustment of its plan.
void ExpectAgreesWithEngine(const PlanModel &model, const Planner &planner,
                            const std::vector<Check> &checks) {
  const kd::adj::Network changed = ChangedNetwork(model.engine, planner.Units());
  const kd::adj::AdjustmentResult r = kd::adj::Adjust(changed);
  ASSERT_EQ(r.outcome, kd::adj::Outcome::Adjusted) << r.failure;
  const Matrix &Q = planner.Cofactor();
  const auto &sys = model.system;
  // Covariance of every coordinate pair, relative to the largest variance.
  double scale = 0;
  for (int i = 0; i < r.cov.rows(); ++i) scale = std::max(scale, r.cov(i, i));
  double worst = 0;
  for (size_t p = 0; p < model.engine.points.size(); ++p)
    for (size_t q = 0; q < model.engine.points.size(); ++q)
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
          const int mine1 = sys.unknownOf[p][a], mine2 = sys.unknownOf[q][b];
          const int eng1 = r.unknownOf[p][a], eng2 = r.unknownOf[q][b];
          if (mine1 < 0 || mine2 < 0) continue;
          ASSERT_GE(eng1, 0);
          worst = std::max(worst, RelDiff(Q(mine1, mine2), r.cov(eng1, eng2), scale));
        }
  EXPECT_LT(worst, 1e-9);

  // Requirement values: the engine's covariance through the same functionals.
  const std::vector<RequirementValue> predicted = planner.Values();
  for (const Check &c : checks) {
    if (c.kind == CheckKind::Redundancy) continue;
    auto engineQuad = [&](const kd::adj::DesignRow &g1, const kd::adj::DesignRow &g2) {
      double s = 0;
      for (int i = 0; i < g1.n; ++i)
        for (int j = 0; j < g2.n; ++j) {
          // Map my columns to the engine's through the points.
          int e1 = -1, e2 = -1;
          for (size_t p = 0; p < sys.unknownOf.size(); ++p)
            for (int k = 0; k < 3; ++k) {
              if (sys.unknownOf[p][k] == g1.col[i]) e1 = r.unknownOf[p][k];
              if (sys.unknownOf[p][k] == g2.col[j]) e2 = r.unknownOf[p][k];
            }
          s += g1.val[i] * g2.val[j] * r.cov(e1, e2);
        }
      return s;
    };
    double value = 0;
    if (c.kind == CheckKind::Planar) {
      const double xx = engineQuad(c.g[0], c.g[0]), yy = engineQuad(c.g[1], c.g[1]), xy = engineQuad(c.g[0], c.g[1]);
      value = c.factor * std::sqrt((xx + yy) / 2 + std::hypot((xx - yy) / 2, xy));
    } else {
      value = c.factor * std::sqrt(engineQuad(c.g[0], c.g[0]));
    }
    // The requirement's value is the worst of its checks; with one check
    // per requirement in these tests it is the check's value.
    EXPECT_LT(RelDiff(predicted[c.requirement].value, value, value), 1e-9) << c.subject;
  }

  // Redundancy numbers of every observation of the plan, and their sum.
  double sum = 0;
  int obsCount = 0;
  size_t added = model.engine.observations.size();
  bool removed = false;
  for (const Unit &u : planner.Units()) removed = removed || (u.planned && !u.active);
  for (size_t ui = 0; ui < planner.Units().size(); ++ui) {
    const Unit &u = planner.Units()[ui];
    if (!u.active) continue;
    const kd::adj::Vector rr = planner.Redundancy(static_cast<int>(ui));
    for (int k = 0; k < rr.size(); ++k) sum += rr(k);
    obsCount += static_cast<int>(rr.size());
    if (removed) continue;  // observation indices of the changed network shift
    std::vector<int> idx = u.block.obs;
    if (!u.planned) {
      idx.clear();
      for (size_t k = 0; k < u.block.rows.size(); ++k) idx.push_back(static_cast<int>(added++));
    }
    for (size_t k = 0; k < idx.size(); ++k)
      EXPECT_NEAR(rr(k), r.obs[idx[k]].redundancy, 1e-9) << u.label;
  }
  const int unknowns = sys.unknowns + sys.eliminatedOrientations + [&] {
    int extra = 0;
    for (const Unit &u : planner.Units()) extra += (!u.planned && u.active && u.ownSet) ? 1 : 0;
    return extra;
  }();
  EXPECT_NEAR(sum, obsCount - unknowns + sys.defect, 1e-8);
  EXPECT_NEAR(sum, r.redundancy, 1e-8);
}

// Adds the best candidates one by one, then removes a planned measurement,
// checking against the engine after each step.
void ExerciseUpdates(PlanModel &model, const std::string &requirements, int additions) {
  const RequirementSet reqs = Parse(requirements);
  std::vector<Check> checks;
  std::string error;
  ASSERT_TRUE(CompileChecks(model.engine, model.system, reqs, model.pointNumbers, checks, error)) << error;
  Planner planner(model.system, model.units, checks, reqs, 5);
  ExpectAgreesWithEngine(model, planner, checks);
  for (int k = 0; k < additions; ++k) {
    const auto ranked = planner.Rank(1);
    ASSERT_FALSE(ranked.empty());
    const auto predicted = ranked[0].effect.values;
    planner.Add(ranked[0].unit);
    const auto after = planner.Values();
    for (size_t r = 0; r < after.size(); ++r)
      EXPECT_NEAR(predicted[r].value, after[r].value, 1e-9 * std::max(1.0, after[r].value));
    ExpectAgreesWithEngine(model, planner, checks);
  }
  // A gyro candidate (a set of its own) when there is one.
  for (size_t u = 0; u < planner.Units().size(); ++u)
    if (!planner.Units()[u].planned && !planner.Units()[u].active && planner.Units()[u].ownSet) {
      planner.Add(static_cast<int>(u));
      ExpectAgreesWithEngine(model, planner, checks);
      break;
    }
  // Removing a planned measurement that others check.
  for (size_t u = 0; u < planner.Units().size(); ++u) {
    if (!planner.Units()[u].planned) continue;
    const Effect e = planner.TryRemove(static_cast<int>(u));
    if (!e.ok) continue;
    ASSERT_TRUE(planner.Remove(static_cast<int>(u)));
    const auto after = planner.Values();
    for (size_t r = 0; r < after.size(); ++r)
      EXPECT_NEAR(e.values[r].value, after[r].value, 1e-9 * std::max(1.0, after[r].value));
    ExpectAgreesWithEngine(model, planner, checks);
    break;
  }
}

}  // namespace

TEST(DesignExactness, SampleNetwork) {
  SurveyNetwork net = SampleNetwork();
  PlanModel model = ModelOf(net);
  ASSERT_GT(model.units.size(), static_cast<size_t>(model.plannedCount));
  EXPECT_FALSE(model.system.freeNetwork);
  ExerciseUpdates(model, "across 401 404 81.29 2.5\nellipse 404 3\nheight 404 5\nrelative 401 404 4\n"
                         "along 401 404 81.29 3\ndistance 401 404 3\nredundancy * 0.01\n", 3);
}

TEST(DesignExactness, FreeNetworkInMinimumTraceDatum) {
  SurveyNetwork net = kd::design::test::GeneratedNetwork(3, 4, false);
  PlanModel model = ModelOf(net);
  ASSERT_TRUE(model.system.freeNetwork);
  EXPECT_EQ(model.system.defect, 4);  // three translations and the rotation about Z
  ExerciseUpdates(model, "ellipse 1005 1\nrelative 1000 1011 1\nacross 1000 1011 50 1\ndistance 1000 1011 1\n", 3);
}

TEST(DesignExactness, GeneratedNetworkOf300Points) {
  SurveyNetwork net = kd::design::test::GeneratedNetwork(15, 20);
  PlanModel model = ModelOf(net);
  EXPECT_EQ(model.engine.points.size(), 300u + 2u);  // two gyro reference points
  ExerciseUpdates(model, "ellipse 1150 1\nacross 1001 1298 40 1\nheight 1298 1\n", 2);
}

// A levelling line of n equal legs between two fixed benchmarks: the middle
// point has the variance n/4·σ². From one benchmark alone it is n/2·σ²;
// closing the line back onto that benchmark with one more leg makes a loop
// of n + 1 legs, where point k has k(n + 1 − k)/(n + 1)·σ².
TEST(DesignExactness, LevellingLineClosedByOneLeg) {
  const int n = 8;
  const double sigma = 2.0;  // mm per leg
  kd::adj::Network net;
  for (int k = 0; k <= n; ++k) {
    kd::adj::Point p;
    p.id = std::to_string(k);
    p.coord[0] = 100.0 * k;
    p.coord[2] = 0.5 * k;
    if (k == 0) p.fixed[2] = p.given[2] = true;
    else p.adjusted[2] = p.given[2] = true;
    net.points.push_back(p);
  }
  kd::adj::Cluster c;
  c.kind = kd::adj::ClusterKind::HeightDiffs;
  for (int k = 0; k < n; ++k) {
    kd::adj::Observation o;
    o.kind = kd::adj::ObsKind::HeightDiff;
    o.from = k;
    o.to = k + 1;
    o.value = 0.5;
    o.sigma = sigma;
    o.cluster = 0;
    c.obs.push_back(k);
    net.observations.push_back(o);
  }
  net.clusters.push_back(c);
  kd::adj::NormalSystem sys;
  std::string error;
  ASSERT_TRUE(kd::adj::BuildNormalSystem(net, {}, sys, error)) << error;
  const int mid = sys.unknownOf[n / 2][2];
  EXPECT_NEAR(sys.cofactor(mid, mid), n / 2.0 * sigma * sigma, 1e-9);

  Unit closing;
  closing.additions.resize(1);
  kd::adj::DesignRow row;
  const double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
  ASSERT_TRUE(kd::adj::RowOf(kd::adj::ObsKind::HeightDiff, a, b, sys.unknownOf[n], sys.unknownOf[0], -1, row));
  closing.block = kd::adj::SingleBlock(row, sigma);
  std::vector<Unit> units;
  for (const kd::adj::WeightedBlock &blk : sys.blocks) {
    Unit u;
    u.planned = u.active = true;
    u.block = blk;
    units.push_back(u);
  }
  units.push_back(closing);
  RequirementSet reqs = Parse("height 4 100\n");
  Planner planner(sys, units, {}, reqs, 0);
  planner.Add(static_cast<int>(units.size()) - 1);
  for (int k = 1; k <= n; ++k) {
    const int col = sys.unknownOf[k][2];
    EXPECT_NEAR(planner.Cofactor()(col, col), k * (n + 1.0 - k) / (n + 1.0) * sigma * sigma, 1e-9) << k;
  }
  // The closing leg's own redundancy: the loop has one redundant leg, shared
  // equally by its n + 1 legs.
  EXPECT_NEAR(planner.Redundancy(static_cast<int>(units.size()) - 1)(0), 1.0 / (n + 1), 1e-12);

  // Between two fixed benchmarks the middle point has n/4·σ².
  net.points[n].fixed[2] = true;
  net.points[n].adjusted[2] = false;
  ASSERT_TRUE(kd::adj::BuildNormalSystem(net, {}, sys, error)) << error;
  EXPECT_NEAR(sys.cofactor(sys.unknownOf[n / 2][2], sys.unknownOf[n / 2][2]), n / 4.0 * sigma * sigma, 1e-9);
}
