#pragma once
// Standard error ellipsoid of one adjusted point.
//
// Built from the point's 3 x 3 covariance block (rows X, Y, Z) cut from the
// full covariance matrix. The semi-axes are one standard deviation (no
// confidence scale), in the unit of the square root of the covariance
// (millimetres for a matrix in square millimetres). Each axis also gets its
// horizontal direction, counted from the X axis towards the Y axis in
// (-pi, pi], and its zenith angle from the Z axis in [0, pi], both in radians.
//
// The axes are NOT sorted by size: axis a, b, c are the singular values in
// the order the decomposition delivers them; direction and zenith angle of
// index i belong to the semi-axis of index i (0 = a, 1 = b, 2 = c).
#include <array>
#include <cstddef>

#include "analysis/covariance_matrix.h"
#include "analysis/dense_matrix.h"

class ErrorEllipsoid {
public:
  // Copies block(r, c) = covariance(first + r, first + c), r, c = 0..2 counted
  // from 0, and computes everything. Throws std::out_of_range when the block
  // does not lie inside the matrix.
  ErrorEllipsoid(const CovarianceMatrix &covariance, std::size_t first);
  // The same from the 3 x 3 block itself (throws std::out_of_range for
  // another size).
  explicit ErrorEllipsoid(const DenseMatrix &block);

  DenseMatrix Block{3, 3};                       // the block as copied, unchanged
  std::array<long double, 3> SemiAxes{};   // a, b, c
  std::array<long double, 3> Directions{}; // w(a), w(b), w(c), radians
  std::array<long double, 3> Zeniths{};    // z(a), z(b), z(c), radians

  // False when the decomposition did not converge: the values above are then
  // not to be shown.
  bool Converged = true;
  // False when the block has a clearly negative eigenvalue, i.e. it is not a
  // covariance matrix: the semi-axes would then hide that fact (a singular
  // value is the absolute value of the eigenvalue).
  bool NonNegative = true;

private:
  void Compute();
};
