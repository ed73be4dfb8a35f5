#pragma once
// The content of a pre-analysis report as plain data: the title block, the
// summary figures, the results table, the requested relative precisions,
// the observations with their reliability and the input network. Gathered
// once from the network, the results and the engine's observation table;
// the writers (report/) only lay it out.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/error_ellipse.h"
#include "core/measurement_list.h"
#include "core/point_list.h"
#include "core/text_grid.h"
#include "evaluation/network_precision.h"

class ResultsReader;
class SurveyNetwork;

// A pair of points whose relative precision the user asked for, optionally
// with a distance kind (0 slope, 1 horizontal, 2 vertical; -1 none).
struct ReportPair {
  double From = 0;
  double To = 0;
  int Kind = -1;
};

// Tolerances on the point precision at the report's confidence level, mm;
// a limit of 0 is not set.
struct PrecisionTolerance {
  long double Horizontal = 0; // largest allowed semi-major axis
  long double Vertical = 0;   // largest allowed height deviation
  bool Set() const { return Horizontal > 0 || Vertical > 0; }
};

// What the caller chooses about a report.
struct ReportOptions {
  std::string NetworkName;  // shown as the network's name (the coordinate file's name)
  std::string Date;         // shown as the date of the report
  ConfidenceLevel Confidence = ConfidenceLevel::Standard;
  PrecisionTolerance Tolerance;
  std::vector<ReportPair> Relatives;
};

struct RelativeLine {
  ReportPair Request;
  RelativePrecision Precision; // standard ellipse and height deviation, mm
  long double Distance = 0;    // m, of the requested kind (0 when none)
  long double DistanceSigma = 0; // mm
};

struct MeasurementTypeCount {
  std::uint8_t Type = 0;
  int Count = 0;
};

// A point beyond a tolerance, with its figures at the report's confidence.
struct ToleranceExcess {
  double Number = 0;
  long double Horizontal = 0; // scaled semi-major axis, mm
  long double Vertical = 0;   // scaled height deviation, mm
  bool HorizontalExceeded = false;
  bool VerticalExceeded = false;
};

struct ReportSummary {
  int FixedPoints = 0;
  int AdjustedPoints = 0;
  int Measurements = 0;
  std::vector<MeasurementTypeCount> ByType; // in type code order, counts > 0
  int Observations = 0;  // rows of the observation table not rejected
  int Redundancy = -1;   // sum of the redundancy numbers, rounded; -1 unknown
  // Weakest point: largest horizontal semi-axis (standard, mm) and largest
  // height deviation (mm); index into the precision's points, -1 none.
  int WeakestHorizontal = -1;
  int WeakestVertical = -1;
  // Weakest observation: smallest redundancy number among those not
  // rejected; index into the precision's observations, -1 none.
  int WeakestObservation = -1;
  int Uncontrolled = 0; // observations with r < 0.1
  std::vector<ToleranceExcess> Exceeded;
};

struct ReportData {
  // Title block.
  std::string NetworkName;
  std::string Date;
  int ScSvpMode = 1;
  double SigmaApriori = 1.0; // a priori reference standard deviation
  ConfidenceLevel Confidence = ConfidenceLevel::Standard;
  std::string ProgramVersion;
  PrecisionTolerance Tolerance;

  ReportSummary Summary;
  TextGrid ResultsTable;          // the results window's grid
  NetworkPrecision Precision;     // ellipses, observations
  std::vector<RelativeLine> Relatives;
  PointList Points;               // the input network
  MeasurementList Measurements;
  std::vector<std::string> Warnings; // requested pairs that could not be given
};

// Gathers the report. `reader` must hold complete results (ResultsAre3d)
// and `resultsTable` the grid filled from them; `rows` is the observation
// table (may be empty). Requested pairs that name no adjusted point are left
// out with a warning.
ReportData GatherReport(const SurveyNetwork &network, ResultsReader &reader,
                        const TextGrid &resultsTable, const std::vector<ObservationRow> &rows,
                        const ReportOptions &options);

// The summary figures alone (used by GatherReport).
ReportSummary SummarizeReport(const PointList &points, const MeasurementList &measurements,
                              const NetworkPrecision &precision, ConfidenceLevel level,
                              const PrecisionTolerance &tolerance);

// Unit of a measurement type's a priori standard deviation in the input
// files ("m" or "gon") and of the engine's observation figures of an engine
// element name ("mm" or "cc").
const char *InputSigmaUnit(std::uint8_t type);
const char *EngineSigmaUnit(const std::string &elementName);
