#pragma once
// The measurement plan with its precision as a DXF drawing for CAD: the
// points with their heights, labels, one line per measured pair on a layer of
// each measurement type, the error ellipses as true ellipses, height bars,
// relative ellipses, tolerance marks and a legend. The same ellipses,
// magnification, reliability classes and tolerance decisions as the plotted
// plan (plot/precision_plan.h).
//
// Coordinates are world coordinates in metres. With the default axes CAD x
// is the network's Y and CAD y its X, so a network whose X points north is
// drawn north-up and a bearing (gon, from +X towards +Y) turns clockwise
// from CAD north; with DxfAxes::XY the network's X is CAD x. Point entities
// keep their Z; everything else lies in the plane z = 0. Sizes of symbols and
// texts follow the plotted plan of the reference size (1600 x 1200 pixels by
// default): a symbol of n pixels there is n pixels' worth of metres here.
#include <string>
#include <vector>

#include "plot/dxf_writer.h"
#include "plot/precision_plan.h"

class SurveyNetwork;
class NetworkPrecision;

enum class DxfAxes {
  YX, // CAD x = Y, CAD y = X (north-up when X points north)
  XY, // CAD x = X, CAD y = Y
};

struct DxfOptions {
  DxfAxes Axes = DxfAxes::YX;
  // The plotted plan whose automatic magnification and symbol sizes the
  // drawing takes (pixels).
  int ReferenceWidth = 1600;
  int ReferenceHeight = 1200;
};

// Layer names, in the order of the layer table.
namespace dxf_layers {
inline constexpr const char *kFixedPoints = "FIXED_POINTS";
inline constexpr const char *kAdjustedPoints = "ADJUSTED_POINTS";
inline constexpr const char *kPointLabels = "POINT_LABELS";
inline constexpr const char *kSlopeDistance = "SLOPE_DISTANCE";
inline constexpr const char *kHorizontalDistance = "HORIZONTAL_DISTANCE";
inline constexpr const char *kHeightDifference = "HEIGHT_DIFFERENCE";
inline constexpr const char *kZenithAngle = "ZENITH_ANGLE";
inline constexpr const char *kDirection = "DIRECTION";
inline constexpr const char *kGyroDirection = "GYRO_DIRECTION";
inline constexpr const char *kPlumbing = "PLUMBING";
inline constexpr const char *kPointEllipses = "POINT_ELLIPSES";
inline constexpr const char *kHeightBars = "HEIGHT_BARS";
inline constexpr const char *kRelativeEllipses = "RELATIVE_ELLIPSES";
inline constexpr const char *kToleranceMarks = "TOLERANCE_MARKS";
inline constexpr const char *kLegend = "LEGEND";
} // namespace dxf_layers

// Every layer name of the drawing, in table order.
std::vector<std::string> PrecisionDxfLayers();

// The drawing. `precision` may be null (the plan without precision); the
// magnification is options.Magnification when positive, otherwise the
// automatic one of the reference plot. `magnification`, when given,
// receives the one used (0 without ellipses).
kd::dxf::Drawing BuildPrecisionDxf(const SurveyNetwork &network, const NetworkPrecision *precision,
                                   const PlotOptions &options, const DxfOptions &dxf,
                                   double *magnification = nullptr);

// Writes the drawing to `fileName` atomically. False with `error` set on
// failure: a name without the extension .dxf, a file that cannot be
// written (the system's reason is given). No file is left behind then.
bool WritePrecisionDxf(const std::string &fileName, const SurveyNetwork &network,
                       const NetworkPrecision *precision, const PlotOptions &options,
                       const DxfOptions &dxf, std::string &error);

// True when the name ends in ".dxf" (any case).
bool IsDxfFileName(const std::string &fileName);
