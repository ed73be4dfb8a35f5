#include "precision/bulk_precision.h"
#include "core/survey_network.h"

#include <gtest/gtest.h>

namespace {

void AddPoint(SurveyNetwork &net, double number, long double x, long double y, long double z) {
  NetworkPoint p;
  p.Number = number;
  p.X = x;
  p.Y = y;
  p.Z = z;
  net.Points.List.Append(p);
}

// Points 1..4: 1-2 is 300 m level, 1-3 is 400 m level, 1-4 is 30 m
// horizontally and 40 m up (slope 50 m).
SurveyNetwork Network() {
  SurveyNetwork net;
  AddPoint(net, 1, 0, 0, 0);
  AddPoint(net, 2, 300, 0, 0);
  AddPoint(net, 3, 0, 400, 0);
  AddPoint(net, 4, 30, 0, 40);
  auto &m = net.Measurements;
  m.AddMeasurement(mtSd, 0.001, 2, 1);
  m.AddMeasurement(mtSd, 0.001, 4, 1);
  m.AddMeasurement(mtHd, 0.001, 3, 1);
  m.AddMeasurement(mtHd, 0.001, 4, 1);
  m.AddMeasurement(mtVd, 0.001, 2, 1);
  m.AddMeasurement(mtVd, 0.001, 3, 1);
  m.AddMeasurement(mtDi, 0.0003, 2, 1);
  m.AddMeasurement(mtGd, 0.0010, 2, 1);
  m.AddMeasurement(mtPr, 0.0010, 4, 1);
  return net;
}

double Sd(const SurveyNetwork &net, int i) {
  return net.Measurements.Items[static_cast<std::size_t>(i)].StdDev;
}

} // namespace

TEST(SetStdDevOfType, ChangesOnlyThatType) {
  SurveyNetwork net = Network();
  SetStdDevOfType(net, mtDi, 0.0007);
  EXPECT_EQ(Sd(net, 6), 0.0007);
  EXPECT_EQ(Sd(net, 7), 0.0010); // gyro directions are another type
  SetStdDevOfType(net, mtPr, 0.0025);
  EXPECT_EQ(Sd(net, 8), 0.0025);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Sd(net, i), 0.001);
}

TEST(AverageLength, PerTypeAndZeroWhenNone) {
  SurveyNetwork net = Network();
  EXPECT_DOUBLE_EQ(static_cast<double>(AverageLengthSd(net)), (300.0 + 50.0) / 2);
  EXPECT_DOUBLE_EQ(static_cast<double>(AverageLengthHd(net)), (400.0 + 30.0) / 2);
  EXPECT_DOUBLE_EQ(static_cast<double>(AverageLengthVd(net)), (300.0 + 400.0) / 2);
  SurveyNetwork empty;
  EXPECT_EQ(AverageLengthSd(empty), 0.0L);
  EXPECT_EQ(AverageLengthHd(empty), 0.0L);
  EXPECT_EQ(AverageLengthVd(empty), 0.0L);
}

TEST(ApplyOneByOne, UsesEachMeasurementsOwnLength) {
  SurveyNetwork net = Network();
  ASSERT_TRUE(ApplyOneByOneSd(net, 1, 0.002L, 0.002L));
  EXPECT_DOUBLE_EQ(Sd(net, 0), 0.0026);  // 2 mm + 2 ppm of 300 m
  EXPECT_DOUBLE_EQ(Sd(net, 1), 0.0021);  // slope length 50 m
  ASSERT_TRUE(ApplyOneByOneHd(net, 2, 0.003L, 0.0L));
  EXPECT_DOUBLE_EQ(Sd(net, 2), 0.00212); // 3 mm / √2 rounded to 0.01 mm
  EXPECT_DOUBLE_EQ(Sd(net, 3), 0.00212);
  ASSERT_TRUE(ApplyOneByOneVd(net, 1, 0.001L, 1.0L));
  EXPECT_DOUBLE_EQ(Sd(net, 4), 0.000548); // √0.3 mm
  EXPECT_DOUBLE_EQ(Sd(net, 5), 0.000632); // √0.4 mm
  EXPECT_EQ(Sd(net, 6), 0.0003);           // other types untouched
  EXPECT_EQ(Sd(net, 8), 0.0010);
}

TEST(ApplyOneByOne, RefusesWhatItCannotComputeAndChangesNothing) {
  SurveyNetwork net = Network();
  EXPECT_FALSE(ApplyOneByOneSd(net, 0, 0.002L, 0.002L));
  EXPECT_FALSE(ApplyOneByOneHd(net, -3, 0.002L, 0.002L));
  EXPECT_FALSE(ApplyOneByOneVd(net, 0, 0.001L, 1.0L));
  EXPECT_FALSE(ApplyOneByOneVd(net, 1, 0.001L, -1.0L)); // root of a negative route
  EXPECT_FALSE(ApplyOneByOneSd(net, 1, -0.01L, 0.0L));  // negative result
  // A measurement whose point is missing has no length.
  net.Measurements.AddMeasurement(mtSd, 0.001, 99, 1);
  EXPECT_FALSE(ApplyOneByOneSd(net, 1, 0.002L, 0.002L));
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Sd(net, i), 0.001);
}
