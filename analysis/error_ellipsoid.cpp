#include "analysis/error_ellipsoid.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

ErrorEllipsoid::ErrorEllipsoid(const CovarianceMatrix &covariance, std::size_t first) {
  if (first + 3 > covariance.Rows() || first + 3 > covariance.Cols())
    throw std::out_of_range("covariance block outside the matrix");
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      Block.At(r + 1, c + 1) = covariance.Row(first + r)[first + c];
  Compute();
}

ErrorEllipsoid::ErrorEllipsoid(const DenseMatrix &block) {
  if (block.Rows() != 3 || block.Cols() != 3)
    throw std::out_of_range("an ellipsoid needs a 3 x 3 block");
  Block = block;
  Compute();
}

void ErrorEllipsoid::Compute() {
  // Decompose a copy so that the block itself survives; the copy becomes U.
  auto u = Copy(Block);
  std::unique_ptr<DenseMatrix> w, v;
  Converged = SingularValueDecomposition(*u, w, v);

  long double largest = 0.0L;
  for (std::size_t i = 1; i <= 3; ++i)
    largest = std::max(largest, std::fabs(w->At(i, 1)));

  for (std::size_t i = 1; i <= 3; ++i) {
    const long double wi = w->At(i, 1);
    const long double vx = v->At(1, i), vy = v->At(2, i), vz = v->At(3, i);
    SemiAxes[i - 1] = std::sqrt(std::max(wi, 0.0L));
    // Adding +0 turns a negative zero into +0, so that an axis along -X is
    // reported as +pi rather than -pi and a zero angle never shows as "-0".
    Directions[i - 1] = std::atan2(vy + 0.0L, vx + 0.0L);
    const long double n = std::sqrt(vx * vx + vy * vy + vz * vz);
    long double q = n > 0.0L ? vz / n : 1.0L;
    q = std::clamp(q, -1.0L, 1.0L);
    Zeniths[i - 1] = std::atan2(std::sqrt(1.0L - q * q), q);

    // For a symmetric block, U and V share a column for a non-negative
    // eigenvalue and have opposite columns for a negative one.
    if (wi > largest * 1e-9L) {
      long double dot = 0.0L;
      for (std::size_t r = 1; r <= 3; ++r)
        dot += u->At(r, i) * v->At(r, i);
      if (dot < 0.0L)
        NonNegative = false;
    }
  }
}
