#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/error_ellipse.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Covariance of an ellipse with semi-axes a, b whose major axis has the
// bearing theta (gon).
Covariance2 Rotated(long double a, long double b, long double thetaGon) {
  const long double t = thetaGon * kPi / 200;
  const long double c = std::cos(t), s = std::sin(t);
  return {a * a * c * c + b * b * s * s, (a * a - b * b) * c * s, a * a * s * s + b * b * c * c};
}

} // namespace

TEST(ErrorEllipse, AxesAndBearingComeBackFromARotatedCovariance) {
  for (long double theta : {0.0L, 12.5L, 50.0L, 99.0L, 100.0L, 150.0L, 199.5L}) {
    const ErrorEllipse e = EllipseOf(Rotated(3, 2, theta));
    EXPECT_NEAR(static_cast<double>(e.SemiMajor), 3, 1e-12);
    EXPECT_NEAR(static_cast<double>(e.SemiMinor), 2, 1e-12);
    EXPECT_NEAR(static_cast<double>(e.Bearing), static_cast<double>(theta), 1e-9) << theta;
  }
  // An axis has no sign: a bearing of 250 gon is the axis at 50 gon.
  EXPECT_NEAR(static_cast<double>(EllipseOf(Rotated(3, 2, 250)).Bearing), 50, 1e-9);
  // Larger Y variance: the major axis lies along +Y (100 gon).
  EXPECT_NEAR(static_cast<double>(EllipseOf({4, 0, 9}).Bearing), 100, 1e-12);
}

TEST(ErrorEllipse, CircleAndRoundingNoise) {
  const ErrorEllipse circle = EllipseOf({4, 0, 4});
  EXPECT_EQ(circle.Bearing, 0);
  EXPECT_EQ(circle.SemiMajor, 2);
  EXPECT_EQ(circle.SemiMinor, 2);
  // A singular block whose smaller eigenvalue comes out a hair below zero.
  const ErrorEllipse line = EllipseOf({1, 1 + 1e-15L, 1});
  EXPECT_EQ(line.SemiMinor, 0);
  EXPECT_NEAR(static_cast<double>(line.Bearing), 50, 1e-9);
}

TEST(ErrorEllipse, AlongAndAcrossAgreeWithTheAxes) {
  const Covariance2 q = Rotated(5, 1, 30);
  const AlongAcross major = AlongAcrossOf(q, 30);
  EXPECT_NEAR(static_cast<double>(major.Along), 5, 1e-12);
  EXPECT_NEAR(static_cast<double>(major.Across), 1, 1e-12);
  const AlongAcross minor = AlongAcrossOf(q, 130);
  EXPECT_NEAR(static_cast<double>(minor.Along), 1, 1e-12);
  EXPECT_NEAR(static_cast<double>(minor.Across), 5, 1e-12);
  // Any bearing: the two variances add up to the trace.
  const AlongAcross any = AlongAcrossOf(q, 77.7L);
  EXPECT_NEAR(static_cast<double>(any.Along * any.Along + any.Across * any.Across), 26, 1e-12);
}

TEST(ErrorEllipse, ConfidenceFactors) {
  EXPECT_EQ(EllipseFactor(ConfidenceLevel::Standard), 1);
  EXPECT_NEAR(static_cast<double>(EllipseFactor(ConfidenceLevel::Percent95)), 2.4477, 1e-4);
  EXPECT_NEAR(static_cast<double>(LinearFactor(ConfidenceLevel::Percent95)), 1.96, 1e-3);
}

TEST(ErrorEllipse, RelativeCovarianceOfTwoPoints) {
  // Two points with variances 4 (point 0) and 9 (point 1) on every axis,
  // correlated by 3 in X and Y only.
  CovarianceMatrix cov(6, 6);
  auto both = [&cov](std::size_t i, std::size_t j, double v) {
    cov.Set(i, j, v);
    cov.Set(j, i, v);
  };
  for (std::size_t k = 1; k <= 3; ++k) {
    cov.Set(k, k, 4);
    cov.Set(k + 3, k + 3, 9);
  }
  both(1, 4, 3);
  both(2, 5, 3);
  both(1, 5, 1); // X of 0 with Y of 1
  const RelativeCovariance r = RelativeCovarianceOf(cov, 0, 1);
  EXPECT_EQ(r.Horizontal.XX, 4 + 9 - 6);
  EXPECT_EQ(r.Horizontal.YY, 4 + 9 - 6);
  EXPECT_EQ(r.Horizontal.XY, -1);
  EXPECT_EQ(r.ZZ, 13);
  // The same in the other direction, and a point with itself has none.
  EXPECT_EQ(RelativeCovarianceOf(cov, 1, 0).Horizontal.XY, -1);
  EXPECT_EQ(RelativeCovarianceOf(cov, 1, 1).ZZ, 0);
  EXPECT_EQ(HorizontalBlock(cov, 1).XX, 9);
  EXPECT_EQ(HeightVariance(cov, 0), 4);
}
