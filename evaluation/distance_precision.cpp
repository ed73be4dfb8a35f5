// Distances between two adjusted points and their standard deviations,
// propagated through the joint covariance of the two points.
#include <cmath>
#include <limits>

#include "core/number_text.h"
#include "evaluation/results_reader.h"

long double ResultsReader::ResultSlopeDist(int F, int T) const {
  if (F < 0 || T < 0 || F >= Results.Count() || T >= Results.Count())
    return std::numeric_limits<long double>::quiet_NaN();
  const Vector3 d = Results.DeltaXYZ(T, F); // F minus T
  return std::sqrt(d.X * d.X + d.Y * d.Y + d.Z * d.Z);
}

long double ResultsReader::ResultHorizDist(int F, int T) const {
  if (F < 0 || T < 0 || F >= Results.Count() || T >= Results.Count())
    return std::numeric_limits<long double>::quiet_NaN();
  const Vector3 d = Results.DeltaXYZ(T, F);
  return std::sqrt(d.X * d.X + d.Y * d.Y);
}

long double ResultsReader::ResultVertDist(int F, int T) const {
  if (F < 0 || T < 0 || F >= Results.Count() || T >= Results.Count())
    return std::numeric_limits<long double>::quiet_NaN();
  const Vector3 d = Results.DeltaXYZ(T, F);
  return std::sqrt(d.Z * d.Z);
}

bool ResultsReader::BuildPairCov(int F, int T) {
  const std::size_t rows = Cov.Rows();
  if (F < 0 || T < 0 || 3 * static_cast<std::size_t>(F) + 3 > rows ||
      3 * static_cast<std::size_t>(T) + 3 > rows || Cov.Cols() != rows)
    return false;
  std::size_t idx[6];
  for (std::size_t a = 0; a < 3; ++a) {
    idx[a] = 3 * static_cast<std::size_t>(F) + a;
    idx[a + 3] = 3 * static_cast<std::size_t>(T) + a;
  }
  DenseMatrix d(6, 6);
  for (std::size_t r = 0; r < 6; ++r)
    for (std::size_t c = 0; c < 6; ++c)
      d.At(r + 1, c + 1) = Cov.Row(idx[c])[idx[r]];
  PairCov = std::move(d);
  return true;
}

long double ResultsReader::RelPrecision(int F, int T, long double d, int k) {
  constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
  if (F < 0 || T < 0 || F >= Results.Count() || T >= Results.Count())
    return kNaN;
  if (F == T)
    return 0.0L;
  if (k < 0 || k > 2 || !(d != 0) || !std::isfinite(d))
    return kNaN;
  if (!BuildPairCov(F, T))
    return kNaN;
  const Vector3 delta = Results.DeltaXYZ(T, F); // F minus T
  const long double gx = delta.X / d, gy = delta.Y / d, gz = delta.Z / d;
  DenseMatrix j(6, 1);
  const long double col[3][6] = {{gx, gy, gz, -gx, -gy, -gz},
                                 {gx, gy, 0, -gx, -gy, 0},
                                 {0, 0, gz, 0, 0, -gz}};
  for (std::size_t r = 0; r < 6; ++r)
    j.At(r + 1, 1) = col[k][r];
  const auto jt = Transpose(j);
  const auto p = Multiply(*jt, PairCov);
  if (!p)
    return kNaN;
  const auto res = Multiply(*p, j);
  if (!res)
    return kNaN;
  const long double var = res->At(1, 1);
  if (var >= 0)
    return std::sqrt(var);
  // Tell rounding from a matrix that is not a covariance matrix: compare
  // with the size of the terms that were summed.
  long double magnitude = 0;
  for (std::size_t r = 1; r <= 6; ++r)
    for (std::size_t c = 1; c <= 6; ++c)
      magnitude += std::fabs(j.At(r, 1) * PairCov.At(r, c) * j.At(c, 1));
  if (var >= -1e-12L * magnitude)
    return 0.0L;
  return kNaN;
}

bool ResultsReader::CalculateDistance(int F, int T, int k, std::string &distanceText,
                                   std::string &sigmaText) {
  if (F < 0 || T < 0 || F >= Results.Count() || T >= Results.Count()) {
    Error = "Choose two points of the results.";
    return false;
  }
  long double d = 0;
  switch (k) {
  case 0: d = ResultSlopeDist(F, T); break;
  case 1: d = ResultHorizDist(F, T); break;
  case 2: d = ResultVertDist(F, T); break;
  default: d = 0; break;
  }
  long double sigma = 0;
  if (d != 0) {
    sigma = RelPrecision(F, T, d, k);
    if (std::isnan(sigma)) {
      Error = "The standard deviation cannot be computed: the covariance of the two points "
              "is not a valid covariance matrix.";
      return false;
    }
  }
  distanceText = NumToTextFixed(d, 15, 6) + " m";
  sigmaText = NumToTextFixed(sigma, 15, 6) + " mm";
  return true;
}
