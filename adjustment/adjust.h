#pragma once
// Least-squares adjustment of a 3D network: Gauss–Newton iteration on the
// coordinate normal equations (orientations eliminated set by set), dense
// Cholesky solution, full covariance of the adjusted coordinates and the
// quality measures of every observation.
#include <array>
#include <string>
#include <vector>

#include "adjustment/dense.h"
#include "adjustment/network.h"

namespace kd::adj {

// cc per radian: 200/π gon × 10 000 cc/gon.
constexpr double kRhoCC = 636619.7723675813430755;
// Non-centrality for the minimal detectable bias: α = 0.1 %, power 80 %.
constexpr double kDelta0 = 4.13;
// Redundancy numbers below this leave an observation unchecked.
constexpr double kMinRedundancy = 0.001;

// Minimal detectable bias of an observation of standard deviation `sigma`
// (mm or cc) with redundancy number `r`, in its unit; -1 when unchecked.
double MinimalDetectableBias(double sigma, double r);

enum class Outcome {
  Adjusted,        // results are valid
  Singular,        // configuration defect or incomplete datum: no results
  NotConverged,    // the iteration did not settle
  Geometry,        // an observation cannot be computed from the coordinates
  TooLarge,        // the dense matrices would not fit in memory
  BadValue,        // a parameter of the document makes the adjustment meaningless
};

struct ObsResult {
  bool used = false;         // false for rejected observations
  double absTerm = 0;        // observed − computed at the approximate coordinates (mm or cc)
  double absTermMm = 0;      // the same as a displacement in mm (tol-abs test)
  double residual = 0;       // adjusted − observed (mm or cc)
  double sigmaApr = 0;       // a-priori standard deviation (mm or cc)
  double sigmaAdj = 0;       // standard deviation after adjustment (mm or cc)
  double redundancy = 0;     // redundancy number, 0..1
  double mdb = -1;           // minimal detectable bias (mm or cc), < 0: not checked
  double adjusted = 0;       // adjusted value (m or gon)
};

struct PointResult {
  int point = -1;                  // index into Network::points
  double coord[3] = {0, 0, 0};     // adjusted X, Y, Z, m
  double sigma[3] = {0, 0, 0};     // standard deviations, mm (0 for constant coordinates)
  double ellA = 0, ellB = 0;       // horizontal error ellipse semi-axes, mm
  double ellBearing = 0;           // bearing of the major axis, gon
  double axes[3] = {0, 0, 0};      // error ellipsoid semi-axes, mm, descending
};

struct OrientationResult {
  int cluster = -1;
  int station = -1;
  double value = 0;     // adjusted orientation, gon
  double sigma = 0;     // standard deviation, cc
};

struct Undetermined {
  int point = -1;
  int coord = 0;  // 0 X, 1 Y, 2 Z
};

struct AdjustmentResult {
  Outcome outcome = Outcome::Adjusted;
  std::string failure;                 // what went wrong, for the protocol
  int failureLine = 0;                 // BadValue: line of the value, 0 if none

  int observationsUsed = 0;
  int observationsRejected = 0;
  int coordUnknowns = 0;
  int orientationUnknowns = 0;
  int defect = 0;                      // datum defect handled by the free network
  int redundancy = 0;
  bool freeNetwork = false;
  int iterations = 0;
  int factorisations = 0;
  double lastCorrection = 0;           // max |δ| of the last iteration, mm

  double sigma0Apr = 1;
  double sigma0Post = 0;               // a-posteriori estimate (0 when redundancy is 0)
  double sigmaUsed = 1;                // the one the covariance is scaled with
  bool aposterioriUsed = false;
  double pvv = 0;                      // vᵀPv
  double k1 = 0, k2 = 0, k3 = 0;       // confidence coefficients for 1, 2, 3 dimensions

  std::vector<std::array<int, 3>> unknownOf;  // per point: column of X, Y, Z or -1
  std::vector<int> resultPoints;              // points with an adjusted coordinate, input order
  std::vector<PointResult> points;            // one per result point
  std::vector<OrientationResult> orientations;
  std::vector<ObsResult> obs;                 // one per observation
  Matrix cov;                                 // covariance of the coordinate unknowns, mm²

  // Singular networks: the undetermined coordinates and what is wrong.
  std::vector<Undetermined> undetermined;
  std::vector<std::string> defectNotes;
};

// Confidence coefficients for probability p: normal quantile, √χ²₂(p), √χ²₃(p).
void ConfidenceCoefficients(double p, double &k1, double &k2, double &k3);

// Runs the whole adjustment. Never throws for a network that ReadNetwork
// accepted: failures come back in `outcome` and `failure`.
AdjustmentResult Adjust(const Network &net);

// Observation geometry (exposed for the tests): value computed from the
// coordinates (m or gon; directions without orientation) and the derivatives
// with respect to the target's X, Y, Z in the row units (mm/mm, cc/mm).
// False when the geometry is degenerate (coincident points).
bool ObservationGeometry(ObsKind kind, const double from[3], const double to[3],
                         double &value, double deriv[3]);

}  // namespace kd::adj
