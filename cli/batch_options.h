#pragma once
// Command line of the batch evaluation command.
#include <string>
#include <vector>

#include "cli/design_options.h"

// Kind of distance between two points, in the order of the results window's
// distance list: slope, horizontal, vertical.
enum class DistanceKind { Slope = 0, Horizontal = 1, Vertical = 2 };

struct DistanceRequest {
  double From = 0;
  double To = 0;
  DistanceKind Kind = DistanceKind::Slope;
  std::string FromText, ToText, KindText; // as typed, for messages
};

// Relative precision of two points, optionally along and across a bearing.
struct RelativeRequest {
  double From = 0;
  double To = 0;
  bool HasBearing = false;
  long double BearingGon = 0;
  std::string FromText, ToText, BearingText; // as typed, for messages
};

struct BatchOptions {
  bool Simple = false;      // coordinates in the simple format (number X Y Z)
  int Mode = -1;            // Sc/Svp mode 0..2; -1: from the settings file
  std::string WorkDir;      // keep the run's files there; "" = temporary folder
  std::string TableFile;    // save the results table; "" = no
  std::string CovFile;      // save the covariance matrix; "" = no
  std::vector<DistanceRequest> Distances;
  double TimeoutSeconds = 0; // stop an engine working longer; 0 = wait as long as it works
  bool Strict = false;       // every warning about the input ends the run (exit 1)
  std::vector<RelativeRequest> Relatives;
  std::vector<std::string> ReportFiles;       // reports to write (.pdf, .html)
  bool Confidence95 = false;  // ellipses and tolerances of the report at 95 %
  double ToleranceSemiMajorMm = 0; // tolerances of the points, mm; 0: none
  double ToleranceSigmaZMm = 0;
  std::vector<std::string> PlotFiles; // measurement plan drawings (.png, .svg, .pdf)
  int PlotWidth = 1600;               // pixels (PDF/SVG: at 96 per inch)
  int PlotHeight = 1200;
  bool PlotPercent95 = false;         // 95 % ellipses instead of standard ones
  double PlotMagnification = 0;       // 0: automatic
  bool PlotRelative = false;          // relative ellipses of the measured pairs
  bool PlotAxesXRight = false;        // X to the right, Y down (default: X up, Y right)
  std::string ReportTitle;            // project name in the report's title block
  std::string ReportAuthor;           // author in the report's title block
  std::string DxfFile;                // measurement plan as a DXF drawing; "" = no
  bool DxfAxesXY = false;             // CAD x = X; default CAD x = Y, CAD y = X
  std::string PointsCsvFile;          // points with their precision as CSV; "" = no
  DesignOptions Design;               // requirements, next best, optimise, critical
  std::string CoordFile;
  std::string MeasFile;
};

enum class ParseOutcome { Run, Help, Error };

// Reads the arguments after the program name. On Error, `error` says what is
// wrong in one line.
ParseOutcome ParseBatchOptions(const std::vector<std::string> &args, BatchOptions &opts,
                                std::string &error);

// The text printed by --help.
std::string BatchUsage(const std::string &programName);

// Name of the command as installed.
inline constexpr const char *kBatchProgramName = "korvadimensio3d-batch";
