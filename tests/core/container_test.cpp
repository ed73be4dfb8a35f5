#include "core/survey_network.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
void AddPoint(SurveyNetwork &c, double n, long double x, long double y, long double z) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  c.Points.List.Append(p);
}
} // namespace

TEST(PointSet, DefaultsAndBulkChanges) {
  PointSet p;
  EXPECT_EQ(p.PointCount(), 0);
  EXPECT_EQ(p.ScSvpMode, 1);
  EXPECT_TRUE(p.AutoSave);
  p.SetAllFixed(true); // an empty list stays empty
  EXPECT_EQ(p.PointCount(), 0);
  for (int i = 0; i < 3; ++i) {
    NetworkPoint n;
    n.Number = i;
    n.X = i * 10;
    n.Fixed = i == 1;
    n.Svp = 0.007;
    p.List.Append(n);
  }
  p.SetAllFixed(true);
  p.SetAllFixed(false);
  p.SetAllSc(0.003);
  for (const NetworkPoint &n : p.List.Items) {
    EXPECT_FALSE(n.Fixed);
    EXPECT_EQ(n.Sc, 0.003);
    EXPECT_EQ(n.Svp, 0.007);
    EXPECT_EQ(n.X, n.Number * 10);
  }
  p.SetAllSvp(0.001);
  EXPECT_EQ(p.List.Items[2].Svp, 0.001);
}

TEST(ObservationGeometry, ValuesOfTheSightLine) {
  SurveyNetwork c;
  AddPoint(c, 0, 0, 0, 0);
  AddPoint(c, 1, 10, 10, 0);
  AddPoint(c, 2, -5, 0, 0);
  AddPoint(c, 3, 0, -3, 4);
  AddPoint(c, 4, 1, -1, 0);
  AddPoint(c, 5, 0, 0, 7);
  AddPoint(c, 6, 0, 0, 0);
  const PointSet &p = c.Points;
  EXPECT_NEAR(static_cast<double>(p.ObsHorizDist(0, 1)), 14.142135623730950, 1e-14);
  EXPECT_EQ(p.ObsHorizDist(0, 1), p.ObsSlopeDist(0, 1));
  EXPECT_NEAR(static_cast<double>(p.ObsDirection(0, 1)), M_PI / 4, 1e-15);
  EXPECT_EQ(p.ObsZenith(0, 1), kHalfPi);
  EXPECT_EQ(p.ObsDeltaZ(0, 1), 0);
  EXPECT_EQ(p.ObsDirection(0, 2), kPi);
  EXPECT_EQ(p.ObsDirection(0, 3), kThreeHalfPi);
  EXPECT_EQ(p.ObsHorizDist(0, 3), 3);
  EXPECT_EQ(p.ObsSlopeDist(0, 3), 5);
  EXPECT_NEAR(static_cast<double>(p.ObsZenith(0, 3)), std::acos(0.8), 1e-15);
  EXPECT_NEAR(static_cast<double>(p.ObsDirection(0, 4)), 7 * M_PI / 4, 1e-15);
  bool defined = true;
  EXPECT_EQ(p.ObsDirection(0, 5, &defined), 0);
  EXPECT_FALSE(defined);
  EXPECT_EQ(p.ObsZenith(0, 5, &defined), 0);
  EXPECT_TRUE(defined);
  EXPECT_EQ(p.ObsHorizDist(0, 5), 0);
  p.ObsZenith(0, 6, &defined);
  EXPECT_FALSE(defined) << "coincident points have no zenith angle";
  // Swapping the ends.
  for (double t : {1.0, 3.0, 4.0}) {
    Vector3 a = p.CoordDelta(0, t), b = p.CoordDelta(t, 0);
    EXPECT_EQ(a.X, -b.X);
    EXPECT_EQ(p.ObsDeltaZ(0, t), -p.ObsDeltaZ(t, 0));
    EXPECT_EQ(p.ObsHeightDiff(0, t), p.ObsDeltaZ(0, t));
    EXPECT_NEAR(static_cast<double>(p.ObsZenith(t, 0)), static_cast<double>(kPi - p.ObsZenith(0, t)), 1e-15);
    long double dd = std::fabs(p.ObsDirection(t, 0) - p.ObsDirection(0, t));
    EXPECT_NEAR(static_cast<double>(dd), M_PI, 1e-15);
    EXPECT_EQ(p.ObsSlopeDist(t, 0), p.ObsSlopeDist(0, t));
  }
  EXPECT_THROW(p.ObsSlopeDist(0, 99), MissingPointError);
  c.Points.BuildLookupIndex();
  EXPECT_EQ(p.ObsSlopeDist(0, 3), 5);
  EXPECT_THROW(p.ObsSlopeDist(99, 0), MissingPointError);
  c.Points.DropLookupIndex();
}

TEST(Consistency, DropsMeasurementsWithUnknownPoints) {
  SurveyNetwork c;
  EXPECT_EQ(c.PlumbSigma, 0.005);
  int warnings = 0;
  c.WarningSink = [&](const PlumbingWarning &) { ++warnings; };
  EXPECT_FALSE(c.CheckConsistency(true)) << "an empty list is consistent";
  AddPoint(c, 1, 0, 0, 0);
  AddPoint(c, 2, 100, 0, 0);
  c.Measurements.AddMeasurement(mtSd, 0.002, 2, 1);
  c.Measurements.AddMeasurement(mtSd, 0.002, 9, 1);
  c.Measurements.AddMeasurement(mtSd, 0.002, 2, 9);
  EXPECT_TRUE(c.CheckConsistency(false));
  EXPECT_EQ(c.Measurements.Count(), 3);
  EXPECT_EQ(c.LastInvalidCount, 2);
  EXPECT_TRUE(c.CheckConsistency(true));
  ASSERT_EQ(c.Measurements.Count(), 1);
  EXPECT_EQ(c.Measurements.Items[0].Target, 2);
  EXPECT_FALSE(c.CheckConsistency(true));
  EXPECT_EQ(warnings, 0);

  c.Points.List.Items.clear();
  EXPECT_TRUE(c.CheckConsistency(true));
  EXPECT_EQ(c.Measurements.Count(), 0) << "without points every measurement goes";
}

TEST(Consistency, WarnsAboutPlumbingOffTheVertical) {
  SurveyNetwork c;
  AddPoint(c, 1, 1000, 2000, 300);
  AddPoint(c, 2, 1000.009L, 2000, 250);
  AddPoint(c, 3, 1000, 2000.011L, 200);
  AddPoint(c, 4, 1000.01L, 2000, 200);
  c.Measurements.AddMeasurement(mtPr, 0.001, 2, 1);
  c.Measurements.AddMeasurement(mtPr, 0.001, 3, 1);
  c.Measurements.AddMeasurement(mtPr, 0.001, 4, 1);
  c.Measurements.AddMeasurement(mtSd, 0.001, 3, 1);
  c.Measurements.AddMeasurement(mtPr, 0.001, 7, 1);
  std::vector<PlumbingWarning> got;
  EXPECT_TRUE(c.CheckConsistency(true, [&](const PlumbingWarning &w) { got.push_back(w); }));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].Station, 1);
  EXPECT_EQ(got[0].Target, 3);
  EXPECT_NEAR(static_cast<double>(got[0].Offset), 0.011, 1e-9);
  EXPECT_EQ(c.Measurements.Count(), 4) << "the warning keeps the measurement";
  // Without a receiver the check still works.
  EXPECT_FALSE(c.CheckConsistency(true));
}
