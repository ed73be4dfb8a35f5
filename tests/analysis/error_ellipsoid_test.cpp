// Error ellipsoids of 3 x 3 covariance blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/error_ellipsoid.h"

namespace {

constexpr double kGon = 200.0 / std::numbers::pi;

// A 6 x 6 covariance holding `block` at rows/columns 3..5 (0-based), with
// other entries that must not leak into the ellipsoid.
CovarianceMatrix WithBlock(const double block[3][3]) {
  CovarianceMatrix cov(6, 6);
  for (std::size_t i = 1; i <= 6; ++i)
    for (std::size_t j = 1; j <= 6; ++j)
      cov.Set(i, j, 0.25);
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      cov.Set(4 + r, 4 + c, block[r][c]);
  return cov;
}

double D(long double x) { return static_cast<double>(x); }

} // namespace

TEST(ErrorEllipsoid, DiagonalBlockKeepsDiagonalOrder) {
  const double b[3][3] = {{4, 0, 0}, {0, 1, 0}, {0, 0, 9}};
  const CovarianceMatrix cov = WithBlock(b);
  ErrorEllipsoid e(cov, 3);
  EXPECT_TRUE(e.Converged);
  EXPECT_TRUE(e.NonNegative);
  EXPECT_NEAR(D(e.SemiAxes[0]), 2.0, 1e-15);
  EXPECT_NEAR(D(e.SemiAxes[1]), 1.0, 1e-15);
  EXPECT_NEAR(D(e.SemiAxes[2]), 3.0, 1e-15);
  EXPECT_NEAR(D(e.Zeniths[0]) * kGon, 100.0, 1e-12);
  EXPECT_NEAR(D(e.Zeniths[1]) * kGon, 100.0, 1e-12);
  EXPECT_NEAR(D(e.Zeniths[2]) * kGon, 200.0, 1e-12);
  for (long double d : e.Directions) {
    EXPECT_GT(d, -std::numbers::pi_v<long double>); // never -pi
    EXPECT_LE(d, std::numbers::pi_v<long double>);
  }
  // The block is kept unchanged; the full matrix is untouched.
  for (std::size_t r = 1; r <= 3; ++r)
    for (std::size_t c = 1; c <= 3; ++c)
      EXPECT_EQ(e.Block.At(r, c), b[r - 1][c - 1]);
  EXPECT_EQ(cov.At(1, 1), 0.25L);
  EXPECT_EQ(cov.At(4, 4), 4.0L);
}

TEST(ErrorEllipsoid, CorrelatedBlockLargestAxisSecond) {
  const double b[3][3] = {{2, 1, 0}, {1, 2, 0}, {0, 0, 1}};
  ErrorEllipsoid e(WithBlock(b), 3);
  EXPECT_NEAR(D(e.SemiAxes[0]), 1.0, 1e-15);
  EXPECT_NEAR(D(e.SemiAxes[1]), std::sqrt(3.0), 1e-15);
  EXPECT_NEAR(D(e.SemiAxes[2]), 1.0, 1e-15);
  EXPECT_NEAR(D(e.Directions[0]) * kGon, 150.0, 1e-10);
  EXPECT_NEAR(D(e.Directions[1]) * kGon, -150.0, 1e-10);
  EXPECT_NEAR(D(e.Zeniths[0]) * kGon, 100.0, 1e-10);
  EXPECT_NEAR(D(e.Zeniths[1]) * kGon, 100.0, 1e-10);
  EXPECT_NEAR(D(e.Zeniths[2]) * kGon, 200.0, 1e-10);
}

TEST(ErrorEllipsoid, ZeroAndIsotropicBlocks) {
  const double zero[3][3] = {};
  ErrorEllipsoid z(WithBlock(zero), 3);
  EXPECT_TRUE(z.Converged);
  const double expW[3] = {0, 100, 0}, expZ[3] = {100, 100, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(z.SemiAxes[i], 0.0L);
    EXPECT_NEAR(D(z.Directions[i]) * kGon, expW[i], 1e-12) << i;
    EXPECT_NEAR(D(z.Zeniths[i]) * kGon, expZ[i], 1e-12) << i;
  }

  const double iso[3][3] = {{2.25, 0, 0}, {0, 2.25, 0}, {0, 0, 2.25}};
  ErrorEllipsoid s(WithBlock(iso), 3);
  for (long double a : s.SemiAxes)
    EXPECT_NEAR(D(a), 1.5, 1e-15);
}

TEST(ErrorEllipsoid, ScalingScalesAxesOnly) {
  const double b[3][3] = {{3.0, 0.7, -0.4}, {0.7, 2.0, 0.3}, {-0.4, 0.3, 1.5}};
  double b9[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      b9[r][c] = 9 * b[r][c];
  ErrorEllipsoid e1(WithBlock(b), 3), e3(WithBlock(b9), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(D(e3.SemiAxes[i]), 3 * D(e1.SemiAxes[i]), 1e-13);
    EXPECT_NEAR(D(e3.Directions[i]), D(e1.Directions[i]), 1e-12);
    EXPECT_NEAR(D(e3.Zeniths[i]), D(e1.Zeniths[i]), 1e-12);
  }
  // Semi-axes squared are the eigenvalues: their sum is the trace.
  long double sum = 0;
  for (long double a : e1.SemiAxes)
    sum += a * a;
  EXPECT_NEAR(D(sum), 6.5, 1e-14);
}

TEST(ErrorEllipsoid, IndefiniteBlockAndOutOfRange) {
  // Correlation above 1: eigenvalues 3 and -1 in the XY plane.
  const double b[3][3] = {{1, 2, 0}, {2, 1, 0}, {0, 0, 1}};
  ErrorEllipsoid e(WithBlock(b), 3);
  EXPECT_FALSE(e.NonNegative);

  CovarianceMatrix cov(6, 6);
  EXPECT_THROW(ErrorEllipsoid(cov, 4), std::out_of_range);
  EXPECT_NO_THROW(ErrorEllipsoid(cov, 0));
}
