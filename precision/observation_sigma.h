#pragma once
// Observation values and the standard deviations handed to the adjustment
// engine.
//
// Under Sc/Svp mode 1 the centring error (Sc) and the height error (Svp) of
// both end points enter every observation's own standard deviation through
// the four formulas below; in every other mode the engine gets the plain
// a-priori standard deviation. All arithmetic is extended precision.
#include "core/survey_network.h"

#include <optional>

// Conversions between the units of the measurement list and of the engine.
inline constexpr long double kMetresToMm = 1000.0L;
inline constexpr long double kGonToCc = 10000.0L;
long double RadToGon(long double rad); // rad × 200 / π
long double GonToRad(long double gon); // π × gon / 200

// The geometry of one measurement from the approximate coordinates.
struct ObservationGeometry {
  Vector3 D;               // target minus station, metres
  long double Hd = 0;   // horizontal distance
  long double Sd = 0;   // slope distance
  long double Dh = 0;   // height difference, target minus station
  double ScStation = 0, SvpStation = 0;
  double ScTarget = 0, SvpTarget = 0;
};

// Looks up the two points of the measurement at `pos` (through `index`, or
// by scanning the point list when `index` is null) and fills `g`. False when
// the position or either point does not exist.
bool ObsGeometryOf(const SurveyNetwork &net, int pos, ObservationGeometry &g,
                   const PointNumberIndex *index = nullptr);

// Mode-1 standard deviations of the measurement at `pos`: metres for the two
// distances, radians for the two angles. Empty when the measurement or one
// of its points does not exist, or when the geometry leaves the value
// undefined: a direction or horizontal distance between points at the same
// plan position, a zenith angle on a vertical sight or between coincident
// points, a slope distance between coincident points.
std::optional<long double> SigmaHorizDist(const SurveyNetwork &net, int pos);
std::optional<long double> SigmaSlopeDist(const SurveyNetwork &net, int pos);
std::optional<long double> SigmaDirection(const SurveyNetwork &net, int pos);
std::optional<long double> SigmaZenith(const SurveyNetwork &net, int pos);

// The same formulas on a geometry already at hand; σ is the measurement's
// own standard deviation (metres or gons). They assume the geometry checks
// above passed.
long double SigmaHorizDistOf(long double sigma, const ObservationGeometry &g);
long double SigmaSlopeDistOf(long double sigma, const ObservationGeometry &g);
long double SigmaDirectionOf(long double sigma, const ObservationGeometry &g);
long double SigmaZenithOf(long double sigma, const ObservationGeometry &g);

// Fills Value and EngineStdDev of every measurement of `net` under its
// Sc/Svp mode. False (with net.LastWriteFailure set) when a measurement's
// value or its sensitivity to the coordinates is undefined, or a point is
// missing.
bool ComputeObservations(SurveyNetwork &net);

// Why the geometry of a measurement of `type` leaves its value or its
// sensitivity to the coordinates undefined; nullptr when it is fine.
const char *UndefinedGeometryReason(std::uint8_t type, const ObservationGeometry &g);
