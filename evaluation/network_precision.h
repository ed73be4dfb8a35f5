#pragma once
// The precision of a planned network as the plans, the results window and
// the report show it: every adjusted point with its horizontal error ellipse
// and height standard deviation, the relative precision of any two points,
// and every observation with its reliability. Built from the engine's
// results and observation table; independent of any window.
#include <memory>
#include <string>
#include <vector>

#include "analysis/covariance_matrix.h"
#include "analysis/error_ellipse.h"
#include "evaluation/observation_table.h"

class ResultsReader;

struct PointPrecision {
  double Number = 0;
  long double X = 0, Y = 0, Z = 0; // m, adjusted
  Covariance2 Horizontal;          // mm^2
  ErrorEllipse Ellipse;            // standard ellipse, mm
  long double SigmaZ = 0;          // mm
};

struct ObservationReliability {
  std::string Type; // engine element name (direction, s-distance, ...)
  double From = 0, To = 0;
  long double StdevApriori = 0, StdevAdjusted = 0; // mm or cc
  long double Redundancy = 0;
  long double Mdb = 0; // mm or cc; NaN when unchecked
  bool Rejected = false;
  ReliabilityClass Class = ReliabilityClass::Controlled;
};

// Relative precision of the vector between two points.
struct RelativePrecision {
  RelativeCovariance Covariance;
  ErrorEllipse Ellipse; // standard ellipse, mm
  long double SigmaZ = 0;
};

class NetworkPrecision {
public:
  std::vector<PointPrecision> Points;               // in results order
  std::vector<ObservationReliability> Observations; // in engine input order
  // The full covariance (mm^2, 3 rows per point in Points order); shares
  // its elements with the reader it was built from.
  std::shared_ptr<const CovarianceMatrix> Covariance;

  bool Empty() const { return Points.empty(); }
  // Position in Points of the point with that number, -1 when it is not an
  // adjusted point (fixed or unknown).
  int IndexOf(double number) const;
  // False when either point is not adjusted. A fixed point counts as exact:
  // the relative precision is then that of the other point alone.
  bool Relative(double from, double to, RelativePrecision &out) const;
  // The observations between the two points in either direction.
  std::vector<const ObservationReliability *> ObservationsBetween(double a, double b) const;
  // Smallest redundancy number among the observations between the two
  // points (NaN when there are none): the class a plan line is drawn in.
  long double WeakestRedundancyBetween(double a, double b) const;
};

// Tolerances on the point precision at a confidence level, mm; a limit of 0
// is not set.
struct PrecisionTolerance {
  long double Horizontal = 0; // largest allowed semi-major axis
  long double Vertical = 0;   // largest allowed height deviation
  bool Set() const { return Horizontal > 0 || Vertical > 0; }
};

// An adjusted point beyond a tolerance, with its figures at the level.
struct ToleranceExcess {
  double Number = 0;
  long double Horizontal = 0; // scaled semi-major axis, mm
  long double Vertical = 0;   // scaled height deviation, mm
  bool HorizontalExceeded = false;
  bool VerticalExceeded = false;
};

// The points of `precision` (in its order) whose semi-major axis times
// EllipseFactor(level) or height deviation times LinearFactor(level) is
// larger than the tolerance. Empty without tolerances. The one check behind
// the plans, the plots and the reports.
std::vector<ToleranceExcess> PointsBeyond(const NetworkPrecision &precision, ConfidenceLevel level,
                                          const PrecisionTolerance &tolerance);

// Builds the precision from a reader whose coordinates and covariance were
// read (ResultsAre3d) and the rows of the observation table (may be empty
// when the table is missing). Observation ids that are not point numbers
// are kept with From/To NaN.
NetworkPrecision BuildNetworkPrecision(const ResultsReader &reader,
                                       const std::vector<ObservationRow> &rows);
// The same, taking the reader's covariance over (the reader's is emptied).
NetworkPrecision BuildNetworkPrecision(ResultsReader &&reader, const std::vector<ObservationRow> &rows);
