#include "analysis/error_ellipse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

long double GonToRadians(long double gon) { return gon * kPi / 200.0L; }

} // namespace

long double EllipseFactor(ConfidenceLevel level) {
  // sqrt(-2 ln 0.05): the 95 % quantile of chi-square with two degrees of
  // freedom, under the square root.
  return level == ConfidenceLevel::Standard ? 1.0L : std::sqrt(-2.0L * std::log(0.05L));
}

long double LinearFactor(ConfidenceLevel level) {
  return level == ConfidenceLevel::Standard ? 1.0L : 1.959963984540054L;
}

long double EllipsoidFactor(ConfidenceLevel level) {
  // The 95 % quantile of chi-square with three degrees of freedom,
  // 7.814727903251178, under the square root.
  return level == ConfidenceLevel::Standard ? 1.0L : 2.795483482915108L;
}

ErrorEllipse EllipseOf(const Covariance2 &q) {
  const long double mean = (q.XX + q.YY) / 2;
  const long double half = (q.XX - q.YY) / 2;
  const long double root = std::hypot(half, q.XY);
  const long double large = mean + root;
  const long double small = mean - root;
  ErrorEllipse e;
  e.SemiMajor = std::sqrt(std::max(large, 0.0L));
  e.SemiMinor = std::sqrt(std::max(small, 0.0L));
  if (root > 0) {
    long double theta = 0.5L * std::atan2(2 * q.XY, q.XX - q.YY) * 200.0L / kPi;
    if (theta < 0)
      theta += 200.0L;
    if (theta >= 200.0L)
      theta -= 200.0L;
    e.Bearing = theta;
  }
  return e;
}

AlongAcross AlongAcrossOf(const Covariance2 &q, long double bearingGon) {
  const long double t = GonToRadians(bearingGon);
  const long double c = std::cos(t), s = std::sin(t);
  const long double along = c * c * q.XX + 2 * c * s * q.XY + s * s * q.YY;
  const long double across = s * s * q.XX - 2 * c * s * q.XY + c * c * q.YY;
  return {std::sqrt(std::max(along, 0.0L)), std::sqrt(std::max(across, 0.0L))};
}

Covariance2 HorizontalBlock(const CovarianceMatrix &cov, std::size_t point) {
  const std::size_t r = 3 * point + 1; // 1-based element access
  return {cov.At(r, r), cov.At(r, r + 1), cov.At(r + 1, r + 1)};
}

long double HeightVariance(const CovarianceMatrix &cov, std::size_t point) {
  const std::size_t r = 3 * point + 3;
  return cov.At(r, r);
}

RelativeCovariance RelativeCovarianceOf(const CovarianceMatrix &cov, std::size_t i,
                                        std::size_t j) {
  const std::size_t a = 3 * i + 1, b = 3 * j + 1;
  auto rel = [&](std::size_t u, std::size_t v) {
    // Summed in extended precision.
    const long double bb = cov.At(b + u, b + v), aa = cov.At(a + u, a + v);
    return bb + aa - cov.At(a + u, b + v) - cov.At(b + u, a + v);
  };
  RelativeCovariance r;
  r.Horizontal = {rel(0, 0), rel(0, 1), rel(1, 1)};
  r.ZZ = std::max(rel(2, 2), 0.0L);
  return r;
}
