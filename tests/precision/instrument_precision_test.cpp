#include "precision/instrument_precision.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

TEST(RoundDecimals, HalvesGoToTheEvenNeighbourWhateverTheRoundingMode) {
  // Binary-exact halves, so the tie really is a tie.
  EXPECT_EQ(RoundDecimals(2.5L, 0), 2.0L);
  EXPECT_EQ(RoundDecimals(-3.5L, 0), -4.0L);
  std::fesetround(FE_UPWARD);
  const long double r = RoundDecimals(0.125L, 2);
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  EXPECT_DOUBLE_EQ(static_cast<double>(r), 0.12);
  EXPECT_EQ(mode, FE_UPWARD); // the caller's mode is restored
  EXPECT_DOUBLE_EQ(static_cast<double>(RoundDecimals(0.375L, 2)), 0.38);
  EXPECT_TRUE(std::isnan(RoundDecimals(std::numeric_limits<long double>::quiet_NaN(), 5)));
}

TEST(AngleStdDev, RepetitionsShrinkItBySquareRoot) {
  EXPECT_DOUBLE_EQ(static_cast<double>(AngleStdDev(1, 0.0005L)), 0.0005);
  EXPECT_DOUBLE_EQ(static_cast<double>(AngleStdDev(4, 0.0005L)), 0.00025);
  EXPECT_DOUBLE_EQ(static_cast<double>(AngleStdDev(3, 0.0010L)), 0.00058);
}

TEST(DistStdDev, GuideExamples) {
  // 2 mm + 2 ppm over 100 m: 2.2 mm; measured twice 1.5556 mm -> 0.00156 m.
  EXPECT_DOUBLE_EQ(static_cast<double>(DistStdDev(1, 0.002L, 0.002L, 100)), 0.0022);
  EXPECT_DOUBLE_EQ(static_cast<double>(DistStdDev(2, 0.002L, 0.002L, 100)), 0.00156);
  // Proportional part over 1 km equals b.
  EXPECT_DOUBLE_EQ(static_cast<double>(DistStdDev(1, 0.001L, 0.003L, 1000)), 0.004);
  // Four repetitions halve it.
  EXPECT_DOUBLE_EQ(static_cast<double>(DistStdDev(4, 0.004L, 0, 0)), 0.002);
}

TEST(LevelStdDev, GuideExamplesAndGrowthWithLength) {
  EXPECT_DOUBLE_EQ(static_cast<double>(LevelStdDev(1, 0.0007L, 1.5L, 100)), 0.000271);
  // 1 km route with k = 1: exactly sigmaKm.
  EXPECT_DOUBLE_EQ(static_cast<double>(LevelStdDev(1, 0.0010L, 1.0L, 1000)), 0.001);
  // Four times the length doubles it.
  EXPECT_DOUBLE_EQ(static_cast<double>(LevelStdDev(1, 0.0010L, 1.0L, 4000)), 0.002);
  EXPECT_DOUBLE_EQ(static_cast<double>(LevelStdDev(1, 0.0010L, 1.0L, 0)), 0.0);
}
