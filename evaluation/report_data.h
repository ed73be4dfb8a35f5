#pragma once
// The content of a pre-analysis report as plain data: the title block, the
// datum, the summary figures, the point table, the requested relative
// precisions, the measurements as the user planned them with the
// reliability of their observations, the modelling assumptions and the
// input network. Gathered once from the network, the results and the
// engine's observation table; the writers (report/) only lay it out.
//
// Every precision figure here is at the report's confidence level: a
// horizontal ellipse (two dimensions) is scaled by EllipseFactor, a single
// standard deviation (height, along, across, distance, MDB shift) by
// LinearFactor, and a point's ellipsoid (three dimensions) by
// EllipsoidFactor. Bearings are in gons in [0, 400), counted clockwise from
// +X towards +Y; zenith angles in gons from +Z.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/error_ellipse.h"
#include "core/measurement_list.h"
#include "core/point_list.h"
#include "core/sc_svp_mode.h"
#include "evaluation/network_precision.h"
#include "evaluation/report_design.h"

class ResultsReader;
class SurveyNetwork;

// A pair of points whose relative precision the user asked for, optionally
// with a distance kind (0 slope, 1 horizontal, 2 vertical; -1 none) and a
// bearing (gon) to split the precision along and across.
struct ReportPair {
  double From = 0;
  double To = 0;
  int Kind = -1;
  bool HasBearing = false;
  long double BearingGon = 0;
};

// What the caller chooses about a report.
struct ReportOptions {
  std::string NetworkName; // shown as the network's name (the coordinate file's name)
  std::string Title;       // project name; empty: none
  std::string Author;      // empty: none
  std::string Date;        // shown as the date of the report
  ConfidenceLevel Confidence = ConfidenceLevel::Standard;
  PrecisionTolerance Tolerance;
  std::vector<ReportPair> Relatives;
};

// One row of the point table, every figure at the report's level.
struct ReportPointRow {
  double Number = 0;
  long double X = 0, Y = 0, Z = 0; // m, adjusted
  ErrorEllipse Horizontal;         // mm, bearing of a in [0, 200)
  long double SigmaZ = 0;          // mm
  // Ellipsoid semi-axes, largest first, mm; each axis given by its upper
  // end: bearing in [0, 400) gon, zenith angle in [0, 100] gon.
  std::array<long double, 3> Axes{};
  std::array<long double, 3> AxisBearings{};
  std::array<long double, 3> AxisZeniths{};
  bool EllipsoidValid = false;
};

struct RelativeLine {
  ReportPair Request;
  RelativePrecision Precision;   // at the report's level: ellipse, SigmaZ, mm
  long double Distance = 0;      // m, of the requested kind (0 when none)
  long double DistanceSigma = 0; // mm, at the report's level
  AlongAcross Split;             // mm, at the report's level (with a bearing)
  bool FromFixed = false;        // a fixed point counts as exact
  bool ToFixed = false;
};

// One observation of the adjustment that belongs to a planned measurement:
// the measurement's own observation, or a part of it (a plumbing's dx, dy,
// dz). Figures as the engine gives them (mm or cc), not scaled.
struct ObservationPart {
  std::string Part;  // "", "dx", "dy", "dz"
  int Observation = -1; // index into the precision's observations
  // For directions and zenith angles: the MDB as a sideways shift at the
  // target, mm (NaN when unchecked or not an angle).
  long double MdbShift = 0;
};

// A measurement as the user planned it, with the observations it became.
struct PlannedMeasurement {
  std::uint8_t Type = 0; // measurement type code
  double Station = 0, Target = 0;
  long double Sigma = 0;   // a priori, mm or cc as the engine takes it
  std::string SigmaUnit;   // "mm" or "cc"
  std::vector<ObservationPart> Parts;
};

struct MeasurementTypeCount {
  std::uint8_t Type = 0;
  int Count = 0;
};

// The datum: fixed points by number, or a free network whose datum is the
// minimum trace over its adjusted points.
struct ReportDatum {
  std::vector<double> FixedPoints;
  int FreePoints = 0; // points of a free network's minimum-trace datum; 0 when fixed
};

// A modelling assumption the results depend on.
enum class AssumptionKind {
  ScSvp,        // the Sc/Svp mode and the values used
  PlumbHeight,  // the assumed height standard deviation of plumbings
  GyroDirection // gyro directions as bearings
};
struct ModellingAssumption {
  AssumptionKind Kind = AssumptionKind::ScSvp;
  long double Min = 0, Max = 0;   // mm: Sc range (ScSvp), plumbing σ
  long double Min2 = 0, Max2 = 0; // mm: Svp range (ScSvp)
  int Count = 0;                  // measurements concerned
};

struct ReportSummary {
  int FixedPoints = 0;
  int AdjustedPoints = 0;
  int Measurements = 0;
  std::vector<MeasurementTypeCount> ByType; // in type code order, counts > 0
  int Observations = 0;  // rows of the observation table not rejected
  int Redundancy = -1;   // sum of the redundancy numbers, rounded; -1 unknown
  // Weakest point: largest horizontal semi-axis and largest height
  // deviation; index into the precision's points, -1 none.
  int WeakestHorizontal = -1;
  int WeakestVertical = -1;
  // Weakest observation of a planned measurement: smallest redundancy number
  // among those not rejected; index into the planned measurements and the
  // part in it, -1 none.
  int WeakestMeasurement = -1;
  int WeakestPart = -1;
  int Uncontrolled = 0; // observations of planned measurements with r < 0.1
  // Largest across value among the relative lines with a bearing, -1 none.
  int LargestAcross = -1;
  std::vector<ToleranceExcess> Exceeded;
};

struct ReportData {
  // Title block.
  std::string NetworkName;
  std::string Title;
  std::string Author;
  std::string Date;
  ::ScSvpMode ScSvpMode = ::ScSvpMode::PerMeasurement;
  double SigmaApriori = 1.0; // a priori reference standard deviation
  ConfidenceLevel Confidence = ConfidenceLevel::Standard;
  std::string ProgramVersion;
  PrecisionTolerance Tolerance;

  ReportDatum Datum;
  ReportSummary Summary;
  NetworkPrecision Precision;           // as the engine gives it: 1 sigma
  std::vector<ReportPointRow> PointRows; // at the level
  std::vector<RelativeLine> Relatives;   // at the level
  std::vector<PlannedMeasurement> Planned;
  std::vector<ModellingAssumption> Assumptions;
  PointList Points;               // the input network
  MeasurementList Measurements;
  std::vector<std::string> Warnings; // requested pairs that could not be given
  // The requirements and the optimised plan (filled by the caller when the
  // report is made with requirements).
  ReportDesign Design;
};

// Gathers the report. `reader` must hold complete results (ResultsAre3d);
// `rows` is the observation table (may be empty). Requested pairs that name
// no adjusted point are left out with a warning; identical requests are
// given once.
ReportData GatherReport(const SurveyNetwork &network, ResultsReader &reader,
                        const std::vector<ObservationRow> &rows, const ReportOptions &options);

// The point table at the level from the precision (covariance in mm²).
std::vector<ReportPointRow> PointRowsOf(const NetworkPrecision &precision, ConfidenceLevel level);

// The measurements as planned, each with its observations from the
// engine's table (gyro reference directions belong to their gyro direction
// and are not listed).
std::vector<PlannedMeasurement> PlanMeasurements(const PointList &points,
                                                 const MeasurementList &measurements,
                                                 const NetworkPrecision &precision);

// The summary figures (used by GatherReport).
ReportSummary SummarizeReport(const PointList &points, const MeasurementList &measurements,
                              const NetworkPrecision &precision,
                              const std::vector<PlannedMeasurement> &planned,
                              const std::vector<RelativeLine> &relatives, ConfidenceLevel level,
                              const PrecisionTolerance &tolerance);

// Unit of a measurement type's a priori standard deviation in the input
// files ("m" or "gon") and of the engine's observation figures of an engine
// element name ("mm" or "cc").
const char *InputSigmaUnit(std::uint8_t type);
const char *EngineSigmaUnit(const std::string &elementName);

// The minimal detectable bias: significance level α, power and the
// non-centrality δ0 the engine uses.
inline constexpr double kMdbAlphaPercent = 0.1;
inline constexpr double kMdbPowerPercent = 80;
inline constexpr double kMdbDelta0 = 4.13;
