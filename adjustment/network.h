#pragma once
// The network as the adjustment engine reads it: points with approximate
// coordinates, observations grouped in clusters, and the run parameters.
// Values are kept in the document's units (metres, gons); standard
// deviations in millimetres and centesimal seconds (cc); covariances in mm².
#include <string>
#include <vector>

namespace kd::adj {

enum class ObsKind {
  Direction,      // horizontal direction of a set, gon
  Distance,       // horizontal distance, m
  SlopeDistance,  // slope distance, m
  ZenithAngle,    // zenith angle from +z, gon
  HeightDiff,     // z(target) - z(station), m
  VecX,           // component of a coordinate difference vector, m
  VecY,
  VecZ,
};

// Short name of an observation kind for the protocol ("dir", "dist", ...).
const char *ObsKindName(ObsKind kind);
// True for the kinds measured in gons with standard deviations in cc.
bool IsAngular(ObsKind kind);

struct Point {
  std::string id;
  double coord[3] = {0, 0, 0};  // X, Y, Z in metres
  bool given[3] = {false, false, false};
  bool fixed[3] = {false, false, false};
  bool adjusted[3] = {false, false, false};
  int line = 0;
};

struct Observation {
  ObsKind kind = ObsKind::Distance;
  int from = -1;       // index of the station point
  int to = -1;         // index of the target point
  double value = 0;    // m or gon
  std::string valueText;  // the value as written in the document
  double sigma = 0;    // a-priori standard deviation, mm or cc
  int cluster = -1;    // index of its cluster
  int line = 0;
  bool rejected = false;  // left out because its absolute term exceeds tol-abs
};

enum class ClusterKind { Obs, HeightDiffs, Vectors };

struct Cluster {
  ClusterKind kind = ClusterKind::Obs;
  int station = -1;          // the `from` point of an obs set
  std::vector<int> obs;      // indices into Network::observations, document order
  // Vectors only: covariance of all components (3 per vector), mm², full
  // symmetric, row-major, size obs.size() squared.
  std::vector<double> cov;
  int line = 0;
  int covLine = 0;
};

struct Parameters {
  double sigmaApr = 1.0;      // a-priori reference standard deviation
  double confPr = 0.95;       // confidence probability
  double tolAbs = 1000.0;     // tolerance of absolute terms, mm
  bool aposteriori = false;   // sigma-act
  int line = 0;               // of the parameters element, 0 when absent
};

struct Network {
  std::string rootName;
  std::string description;
  std::string axesXY;   // as written in the document ("" when absent)
  std::string angles;
  Parameters params;
  std::vector<Point> points;
  std::vector<Observation> observations;
  std::vector<Cluster> clusters;
};

}  // namespace kd::adj
