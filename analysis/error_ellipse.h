#pragma once
// Horizontal error ellipses of points and of the vector between two points,
// and standard deviations along and across a bearing, from covariances in
// square millimetres. Bearings are in gons, measured from +X towards +Y.
#include <cstddef>

#include "analysis/covariance_matrix.h"

// A symmetric 2 x 2 covariance of (X, Y), mm^2.
struct Covariance2 {
  long double XX = 0, XY = 0, YY = 0;
};

struct ErrorEllipse {
  long double SemiMajor = 0; // mm
  long double SemiMinor = 0; // mm
  long double Bearing = 0;   // gon of the major axis, in [0, 200)
};

// Confidence of a drawn or printed ellipse: the standard ellipse, or the one
// that holds the true position with 95 % probability.
enum class ConfidenceLevel { Standard, Percent95 };

// Scale factor of the semi-axes for the level in two dimensions
// (1, or sqrt(chi-square(2, 0.95)) = 2.4477), and of a single standard
// deviation (1, or 1.96).
long double EllipseFactor(ConfidenceLevel level);
long double LinearFactor(ConfidenceLevel level);
// The same for an ellipsoid in three dimensions (1, or
// sqrt(chi-square(3, 0.95)) = 2.7955).
long double EllipsoidFactor(ConfidenceLevel level);

// Ellipse of a 2 x 2 covariance. A slightly negative smaller eigenvalue
// (rounding) counts as zero; the bearing of a circle is 0.
ErrorEllipse EllipseOf(const Covariance2 &q);

// Standard deviations (mm) along and across the bearing `bearingGon`.
struct AlongAcross {
  long double Along = 0;
  long double Across = 0;
};
AlongAcross AlongAcrossOf(const Covariance2 &q, long double bearingGon);

// Blocks of a full covariance matrix whose point k (from 0) owns rows and
// columns 3k, 3k+1, 3k+2 (X, Y, Z). The caller checks the indices.
Covariance2 HorizontalBlock(const CovarianceMatrix &cov, std::size_t point);
long double HeightVariance(const CovarianceMatrix &cov, std::size_t point);

// Covariance of the vector from point i to point j: Qjj + Qii - Qij - Qji.
struct RelativeCovariance {
  Covariance2 Horizontal;
  long double ZZ = 0; // mm^2
};
RelativeCovariance RelativeCovarianceOf(const CovarianceMatrix &cov, std::size_t i,
                                        std::size_t j);
