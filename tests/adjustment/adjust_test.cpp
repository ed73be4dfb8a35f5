#include <gtest/gtest.h>

#include <unistd.h>

#include <random>

#include "adjustment/adjust.h"
#include "adjustment/memory_limit.h"
#include "net_builder.h"

using namespace kd::adj;
using kd::adj::test::Cov;
using kd::adj::test::NetBuilder;

namespace {

// Every observation kind's derivatives against central differences.
TEST(Geometry, DerivativesMatchFiniteDifferences) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-300, 300);
  const ObsKind kinds[] = {ObsKind::Direction,  ObsKind::Distance, ObsKind::SlopeDistance,
                           ObsKind::ZenithAngle, ObsKind::HeightDiff, ObsKind::VecX,
                           ObsKind::VecY,        ObsKind::VecZ};
  for (int trial = 0; trial < 50; ++trial) {
    double s[3] = {u(rng), u(rng), u(rng) / 10}, t[3] = {u(rng), u(rng), u(rng) / 10};
    for (ObsKind k : kinds) {
      double v, d[3];
      ASSERT_TRUE(ObservationGeometry(k, s, t, v, d));
      for (int c = 0; c < 3; ++c) {
        const double h = 1e-4;  // m
        double tp[3] = {t[0], t[1], t[2]}, tm[3] = {t[0], t[1], t[2]}, vp, vm, dd[3];
        tp[c] += h;
        tm[c] -= h;
        ObservationGeometry(k, s, tp, vp, dd);
        ObservationGeometry(k, s, tm, vm, dd);
        double diff = vp - vm;
        if (IsAngular(k)) {
          diff = std::remainder(diff, 400.0) * 1e4;  // gon -> cc
        } else {
          diff *= 1000;  // m -> mm
        }
        const double numeric = diff / (2 * h * 1000);  // per mm
        EXPECT_NEAR(d[c], numeric, 1e-6 * (1 + std::fabs(numeric)))
            << ObsKindName(k) << " coordinate " << c;
      }
    }
  }
}

TEST(Geometry, BearingsRunFromXTowardsYAndZenithFromUp) {
  const double s[3] = {0, 0, 0};
  double v, d[3];
  const double t1[3] = {10, 10, 0};
  ObservationGeometry(ObsKind::Direction, s, t1, v, d);
  EXPECT_NEAR(v, 50, 1e-12);
  const double t2[3] = {1, -1, 0};
  ObservationGeometry(ObsKind::Direction, s, t2, v, d);
  EXPECT_NEAR(v, 350, 1e-12);
  const double t3[3] = {0, -3, 4};
  ObservationGeometry(ObsKind::ZenithAngle, s, t3, v, d);
  EXPECT_NEAR(v, std::acos(0.8) * 200 / M_PI, 1e-12);
  const double up[3] = {0, 0, 5};
  EXPECT_FALSE(ObservationGeometry(ObsKind::ZenithAngle, s, up, v, d));
  EXPECT_FALSE(ObservationGeometry(ObsKind::Direction, s, up, v, d));
  EXPECT_TRUE(ObservationGeometry(ObsKind::SlopeDistance, s, up, v, d));
}

TEST(Analytic, PointFixedByThreePerpendicularDistances) {
  NetBuilder b;
  b.Point("P", 0, 0, 0, "adj=\"XYZ\"");
  b.Point("A", 100, 0, 0, "fix=\"XYZ\"");
  b.Point("B", 0, 100, 0, "fix=\"XYZ\"");
  b.Point("C", 0, 0, 100, "fix=\"XYZ\"");
  b.Set("A"); b.SDist("P", 1); b.EndSet();
  b.Set("B"); b.SDist("P", 2); b.EndSet();
  b.Set("C"); b.SDist("P", 3); b.EndSet();
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  EXPECT_NEAR(Cov(r, 0, 0, 0, 0), 1, 1e-9);
  EXPECT_NEAR(Cov(r, 0, 1, 0, 1), 4, 1e-9);
  EXPECT_NEAR(Cov(r, 0, 2, 0, 2), 9, 1e-9);
  EXPECT_NEAR(Cov(r, 0, 0, 0, 1), 0, 1e-9);
  EXPECT_EQ(r.redundancy, 0);
  for (const ObsResult &o : r.obs) {
    EXPECT_NEAR(o.redundancy, 0, 1e-9);
    EXPECT_LT(o.mdb, 0);  // not checked
  }
  EXPECT_NEAR(r.points[0].axes[0], 3, 1e-9);
  EXPECT_NEAR(r.points[0].ellA, 2, 1e-9);
  EXPECT_NEAR(r.points[0].ellBearing, 100, 1e-6);  // major axis along +Y
}

TEST(Analytic, LevellingLineAccumulatesVariances) {
  NetBuilder b;
  b.Point("A", 0, 0, 100, "fix=\"Z\"");
  b.Point("B", 500, 0, 101, "adj=\"Z\"");
  b.Point("C", 1000, 0, 99, "adj=\"Z\"");
  b.Dh("A", "B", 1);
  b.Dh("B", "C", 2);
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  EXPECT_NEAR(Cov(r, 1, 2, 1, 2), 1, 1e-9);
  EXPECT_NEAR(Cov(r, 2, 2, 2, 2), 5, 1e-9);
  EXPECT_NEAR(Cov(r, 1, 2, 2, 2), 1, 1e-9);
  EXPECT_EQ(r.points.size(), 2u);
  EXPECT_EQ(r.points[0].sigma[0], 0);  // X is constant
}

TEST(Analytic, DirectionSetWithItsOrientation) {
  NetBuilder b;
  b.Point("S", 0, 0, 0, "fix=\"XYZ\"");
  b.Point("R", 100, 0, 0, "fix=\"XYZ\"");
  b.Point("P", 0, 100, 0, "adj=\"XY\"");
  b.Set("S"); b.Dir("R", 10); b.Dir("P", 10); b.Dist("P", 2); b.EndSet();
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  // The angle R-S-P has variance 2σ²; P moves across its sight by 100 m × angle.
  const double sx = std::sqrt(2.0) * 10 / kRhoCC * 1e5;
  EXPECT_NEAR(std::sqrt(Cov(r, 2, 0, 2, 0)), sx, 1e-9);
  EXPECT_NEAR(std::sqrt(Cov(r, 2, 1, 2, 1)), 2, 1e-9);
  ASSERT_EQ(r.orientations.size(), 1u);
  EXPECT_NEAR(r.orientations[0].sigma, 10, 1e-9);
  EXPECT_NEAR(r.orientations[0].value, 0, 1e-9);
  EXPECT_EQ(r.orientationUnknowns, 1);
}

TEST(Analytic, PlumbingVectorCarriesItsCovariance) {
  NetBuilder b;
  b.Point("A", 0, 0, 100, "fix=\"XYZ\"");
  b.Point("B", 0, 0, 40, "adj=\"XYZ\"");
  const double c[6] = {9, 1.5, -0.5, 4, 0.7, 25};
  b.Vec("A", "B", c);
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  const double full[3][3] = {{9, 1.5, -0.5}, {1.5, 4, 0.7}, {-0.5, 0.7, 25}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(Cov(r, 1, i, 1, j), full[i][j], 1e-9);
}

// A closed, well-conditioned test network of `n` points around a circle
// with a centre point, all observation kinds, optionally with fixed points.
NetBuilder Ring(bool fixed, double sigmaScale = 1, double dx = 0, double dy = 0, double dz = 0,
                double mirror = 1) {
  NetBuilder b;
  const int n = 7;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n;
    const std::string flags = (fixed && i < 2) ? "fix=\"XYZ\"" : "adj=\"XYZ\"";
    b.Point(std::to_string(i + 1), dx + 300 * std::cos(a) + 17 * i,
            dy + mirror * (300 * std::sin(a) - 9 * i), dz + 50 + 7 * (i % 3), flags);
  }
  b.Point("C", dx + 10, dy + mirror * 20, dz + 60, fixed ? "fix=\"Z\" adj=\"XY\"" : "adj=\"XYZ\"");
  for (int i = 0; i < n; ++i) {
    const std::string s = std::to_string(i + 1), t = std::to_string((i + 1) % n + 1),
                      u = std::to_string((i + 2) % n + 1);
    b.Set(s);
    b.Dir(t, 3 * sigmaScale);
    b.Dir("C", 3 * sigmaScale);
    b.Dir(u, 4 * sigmaScale);
    b.SDist(t, 2 * sigmaScale);
    b.Dist("C", 1.5 * sigmaScale);
    b.Zen(t, 5 * sigmaScale);
    b.Zen(u, 6 * sigmaScale);
    b.EndSet();
  }
  b.Dh("C", "1", 1 * sigmaScale);
  return b;
}

TEST(Invariance, TranslationLeavesTheCovarianceAlone) {
  const AdjustmentResult a = Adjust(Ring(true).Net());
  const AdjustmentResult b = Adjust(Ring(true, 1, 250000, -80000, 900).Net());
  ASSERT_EQ(a.outcome, Outcome::Adjusted) << a.failure;
  ASSERT_EQ(b.outcome, Outcome::Adjusted) << b.failure;
  EXPECT_LT((a.cov - b.cov).cwiseAbs().maxCoeff(), 1e-6 * a.cov.cwiseAbs().maxCoeff());
}

TEST(Invariance, DoublingStandardDeviationsQuadruplesTheCovariance) {
  const AdjustmentResult a = Adjust(Ring(true).Net());
  const AdjustmentResult b = Adjust(Ring(true, 2).Net());
  ASSERT_EQ(b.outcome, Outcome::Adjusted) << b.failure;
  EXPECT_LT((4 * a.cov - b.cov).cwiseAbs().maxCoeff(), 1e-9 * b.cov.cwiseAbs().maxCoeff());
  // Redundancy numbers depend on the ratios only.
  for (size_t i = 0; i < a.obs.size(); ++i)
    EXPECT_NEAR(a.obs[i].redundancy, b.obs[i].redundancy, 1e-9);
}

TEST(Invariance, MirroringTheNetworkReversesEveryDirection) {
  // y -> -y turns every bearing α into 400 − α: the covariance changes only
  // the sign of the entries that couple Y with X or Z.
  const AdjustmentResult a = Adjust(Ring(true).Net());
  const AdjustmentResult m = Adjust(Ring(true, 1, 0, 0, 0, -1).Net());
  ASSERT_EQ(m.outcome, Outcome::Adjusted) << m.failure;
  for (size_t p = 0; p < a.unknownOf.size(); ++p)
    for (size_t q = 0; q < a.unknownOf.size(); ++q)
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) {
          const double sign = ((k == 1) != (l == 1)) ? -1 : 1;
          EXPECT_NEAR(Cov(m, p, k, q, l), sign * Cov(a, p, k, q, l), 1e-9);
        }
}

TEST(Quality, RedundancyNumbersSumToTheRedundancy) {
  NetBuilder b = Ring(true);
  const double c[6] = {16, 3, -2, 9, 1, 25};  // a correlated vector as well
  b.Vec("C", "3", c);
  const AdjustmentResult r = Adjust(b.Net());
  double sum = 0;
  for (const ObsResult &o : r.obs) {
    EXPECT_GE(o.redundancy, 0);
    EXPECT_LE(o.redundancy, 1);
    EXPECT_LE(o.sigmaAdj, o.sigmaApr * (1 + 1e-12));
    sum += o.redundancy;
  }
  EXPECT_NEAR(sum, r.redundancy, 1e-6);
  EXPECT_GT(r.redundancy, 0);
  EXPECT_LT(r.sigma0Post, 1e-3);  // exact values: nothing to estimate
}

TEST(FreeNetwork, MinimumTraceDatumAnnihilatesTheDatumVectors) {
  const NetBuilder nb = Ring(false);
  const Network net = nb.Net();
  const AdjustmentResult r = Adjust(net);
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  EXPECT_TRUE(r.freeNetwork);
  EXPECT_EQ(r.defect, 4);  // three translations and the rotation about Z
  // Datum vectors: translations and the rotation about Z.
  const int n = r.coordUnknowns;
  Matrix G = Matrix::Zero(n, 4);
  for (size_t p = 0; p < net.points.size(); ++p) {
    for (int k = 0; k < 3; ++k) G(r.unknownOf[p][k], k) = 1;
    G(r.unknownOf[p][0], 3) = -net.points[p].coord[1] / 1000;
    G(r.unknownOf[p][1], 3) = net.points[p].coord[0] / 1000;
  }
  EXPECT_LT((r.cov * G).cwiseAbs().maxCoeff(), 1e-8 * r.cov.cwiseAbs().maxCoeff());
  double sum = 0;
  for (const ObsResult &o : r.obs) sum += o.redundancy;
  EXPECT_NEAR(sum, r.redundancy, 1e-6);

  // Any fixed datum gives a larger total variance.
  for (int variant = 0; variant < 3; ++variant) {
    NetBuilder f = nb;
    const int a = variant, c = (variant + 3) % 7;
    f.points[a].flags = "fix=\"XYZ\"";
    f.points[c].flags = "fix=\"X\" adj=\"YZ\"";
    const AdjustmentResult fr = Adjust(f.Net());
    ASSERT_EQ(fr.outcome, Outcome::Adjusted) << fr.failure;
    EXPECT_GT(fr.cov.trace(), r.cov.trace());
  }
}

TEST(Singular, WorkedExampleNamesTheUndeterminedCoordinates) {
  const std::string text = kd::adj::test::ReadText(KD_SOURCE_DIR "/tests/adjustment/data/worked.gfk");
  const AdjustmentResult r = Adjust(ReadNetwork(text));
  ASSERT_EQ(r.outcome, Outcome::Singular);
  std::string got;
  for (const Undetermined &u : r.undetermined)
    got += std::to_string(u.point) + "XYZ"[u.coord] + " ";
  EXPECT_EQ(got, "1X 1Z 2Y 2Z 3X 3Z ");
  EXPECT_EQ(r.cov.size(), 0);
}

TEST(Singular, IncompleteDatumIsNamedAsAMovementOfTheWholeNetwork) {
  NetBuilder b = Ring(false);
  b.points[0].flags = "fix=\"XYZ\"";  // one point: the network can still rotate about it
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Singular);
  std::string notes;
  for (const auto &s : r.defectNotes) notes += s;
  EXPECT_NE(notes.find("rotation about a vertical axis"), std::string::npos) << notes;
  EXPECT_EQ(notes.find("translation"), std::string::npos) << notes;
  EXPECT_EQ(r.undetermined.size(), 2u * 7);  // X and Y of the 7 other points
}

TEST(Singular, PointWithoutObservationsIsAConfigurationDefect) {
  NetBuilder b = Ring(true);
  b.Point("lonely", 5, 5, 5, "adj=\"XYZ\"");
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Singular);
  ASSERT_EQ(r.undetermined.size(), 3u);
  EXPECT_EQ(r.undetermined[0].point, 8);
}

TEST(Tolerance, GrossErrorIsLeftOutAndReported) {
  NetBuilder b = Ring(true);
  b.Set("3");
  b.SDist("5", 2, 1.5);  // 1.5 m off, tol-abs is 1 m
  b.Dir("6", 3);
  b.Dir("1", 3);
  b.Dir("2", 3);
  b.Dir("7", 3, 0.5);  // 0.5 gon off at some 300 m: metres across the sight
  b.EndSet();
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  EXPECT_EQ(r.observationsRejected, 2);
  const size_t last = r.obs.size() - 1;
  EXPECT_FALSE(r.obs[last].used);
  EXPECT_TRUE(r.obs[last - 1].used);
  EXPECT_TRUE(r.obs[last - 3].used);
  EXPECT_FALSE(r.obs[last - 4].used);
  EXPECT_NEAR(r.obs[last - 4].absTerm, 1500, 1e-6);
}

TEST(Parameters, AposterioriScalesTheCovariance) {
  NetBuilder b = Ring(true);
  b.params = "sigma-act=\"aposteriori\"";
  b.Set("4");
  b.SDist("6", 2, 0.004);  // a 4 mm discrepancy
  b.EndSet();
  const AdjustmentResult post = Adjust(b.Net());
  b.params = "sigma-act=\"apriori\"";
  const AdjustmentResult prior = Adjust(b.Net());
  ASSERT_TRUE(post.aposterioriUsed);
  EXPECT_GT(post.sigma0Post, 0);
  const double ratio = post.sigma0Post * post.sigma0Post;
  EXPECT_NEAR(post.cov(0, 0), ratio * prior.cov(0, 0), 1e-9 * prior.cov(0, 0));
}

TEST(Parameters, ConfidenceCoefficients) {
  double k1, k2, k3;
  ConfidenceCoefficients(0.95, k1, k2, k3);
  EXPECT_NEAR(k1, 1.959964, 1e-6);
  EXPECT_NEAR(k2, 2.447747, 1e-6);
  EXPECT_NEAR(k3, 2.795483, 1e-5);
}

}  // namespace

namespace {

TEST(Limits, NetworkTooLargeForMemoryIsRefusedBeforeAllocating) {
  // Enough points to exceed this computer's memory, whatever its size.
  const double have = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE);
  const int points = static_cast<int>(std::sqrt(have / kMemoryPerUnknownSquared) * 1.2 / 3) + 1;
  if (points > 60000) GTEST_SKIP() << "too much memory to exceed in a test";
  NetBuilder b;
  b.Point("0", 0, 0, 0, "fix=\"XYZ\"");
  std::string obs;
  for (int i = 1; i <= points; ++i) {
    b.Point(std::to_string(i), i, 0, 0, "adj=\"XYZ\"");
    obs += "<dh from=\"" + std::to_string(i - 1) + "\" to=\"" + std::to_string(i) +
           "\" val=\"0\" stdev=\"1\"/>\n";
  }
  b.Raw("<height-differences>" + obs + "</height-differences>\n");
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::TooLarge);
  EXPECT_NE(r.failure.find(std::to_string(3 * points) + " coordinate unknowns"), std::string::npos)
      << r.failure;
}

}  // namespace

namespace {

TEST(FreeNetwork, LevellingWithoutAFixedHeightFloatsAsAWhole) {
  NetBuilder b;
  b.Point("A", 0, 0, 100, "adj=\"Z\"");
  b.Point("B", 500, 0, 101, "adj=\"Z\"");
  b.Point("C", 900, 300, 99, "adj=\"Z\"");
  b.Dh("A", "B", 1);
  b.Dh("B", "C", 1);
  b.Dh("C", "A", 1);
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  EXPECT_TRUE(r.freeNetwork);
  EXPECT_EQ(r.defect, 1);
  EXPECT_EQ(r.redundancy, 1);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.cov.row(i).sum(), 0, 1e-12);
  // By symmetry every height gets the same variance: 2/9 mm² for a loop of three.
  EXPECT_NEAR(r.cov(0, 0), 2.0 / 9, 1e-12);
}

}  // namespace

namespace {

TEST(Limits, SightStraightUpIsReportedWithItsLine) {
  NetBuilder b;
  b.Point("A", 0, 0, 0, "fix=\"XYZ\"");
  b.Point("B", 0, 0, 30, "adj=\"XYZ\"");
  b.Point("C", 50, 0, 0, "fix=\"XYZ\"");
  b.Set("C");
  b.SDist("B", 1);
  b.EndSet();
  b.Raw("<obs from=\"A\">\n<z-angle to=\"B\" val=\"0\" stdev=\"5\"/>\n</obs>\n");
  const AdjustmentResult r = Adjust(b.Net());
  ASSERT_EQ(r.outcome, Outcome::Geometry);
  EXPECT_NE(r.failure.find("zenith from \"A\" to \"B\" (line 13)"), std::string::npos) << r.failure;
}

}  // namespace
