#pragma once
// Drawing of the two plans and the view arithmetic behind them.
//
// The view state (scale, centre, pan offsets, mark) and the plan settings
// (colours, font, symbol sizes) live in the one point set PointSet. The plan
// window that is open lends its image to the point set (SetBitmap); every
// drawing call paints that image, and the view arithmetic takes the image's
// width W and height H.
//
// Pixel coordinates: x to the right, y downwards, (0, 0) the top-left pixel.
// World X runs along pixel x and world Y along pixel y:
//   x = (X - CentreX) * Scale + W / 2 + OffsetX
//   y = (Y - CentreY) * Scale + H / 2 + OffsetY
// Pixel positions are kept unrounded; wherever one is drawn it is rounded to
// the nearest integer, halves to even.
//
// The plans are always redrawn whole: a view change is followed by
// ClearPlan + DrawPoints (coordinate plan) or DrawMeasurementPlan
// (measurement plan, which clears by itself).
#include "core/survey_network.h"

#include <string>
#include <vector>

class QImage;
class QComboBox;
class TextGrid;
class PlanCanvas;

// ---- Drawing surface -------------------------------------------------------

// Makes `image` (24-bit, not owned) the drawing surface of the point set;
// null detaches it. Without a surface the drawing calls do nothing and the
// view size is 0 x 0.
void SetBitmap(PointSet &points, QImage *image);
QImage *AttachedBitmap(const PointSet &points);
// Width and height of the attached surface (0 when none).
int PlanWidth(const PointSet &points);
int PlanHeight(const PointSet &points);

// ---- View arithmetic -------------------------------------------------------

// Unrounded pixel position of a world position / of a point.
PixelPosition WorldToPixel(const PointSet &points, long double X, long double Y);
PixelPosition WorldToPixel(const PointSet &points, const NetworkPoint &point);
// World X, Y of an (unrounded) pixel position; the exact inverse.
void PixelToWorld(const PointSet &points, long double x, long double y,
                  long double &X, long double &Y);

// Centres the extent of the points and picks the largest scale at which it
// fits with a 25-pixel margin on every side. Clears the offsets and the mark.
// An empty point list keeps the scale and centre.
void FitAll(PointSet &points);
// Multiplies the scale by `factor` keeping the world point at the middle of
// the view where it is. Clears the mark. A factor that is not a positive
// finite number changes nothing.
void Zoom(PointSet &points, double factor);
// Multiplies the scale by `factor` keeping the world point under the pixel
// (x, y) where it is (the wheel zooms about the cursor). Clears the mark.
void ZoomAbout(PointSet &points, double factor, long double x, long double y);
// Moves the view by whole pixels; clears the mark.
void Pan(PointSet &points, int dx, int dy);

long double PixelDistance(const PixelPosition &a, long double x, long double y);
// Index of the point whose pixel position is nearest to (x, y), when it lies
// strictly closer than PickRadius; ties go to the earlier point. -1 when no
// point is close enough or the list is empty.
int NearestPoint(const PointSet &points, long double x, long double y);

// ---- Drawing ---------------------------------------------------------------

// Fills the whole surface with the background colour.
void ClearPlan(PointSet &points);
// Every point as a symbol with its number (placed clear of the labels drawn
// before it where a free place exists nearby), the mark ("???") when there is
// one, and the axes on top.
void DrawPoints(PointSet &points);
// One point symbol at an integer pixel: the label on a background box with
// its top-left corner at (x + 2, y + 1), then a circle of CircleRadius
// filled with the background, then a cross whose arms are CrossSize pixels.
// Uses the canvas's current pen/font colours.
void DrawPointSymbol(const PointSet &points, PlanCanvas &canvas, int x, int y,
                     const std::string &label);
// The same with the label's top-left corner at (labelX, labelY).
void DrawPointSymbolAt(const PointSet &points, PlanCanvas &canvas, int x, int y,
                       const std::string &label, int labelX, int labelY);
// The +X and +Y arrows in the top-left corner, always white.
void DrawAxes(PlanCanvas &canvas);
// One measurement line between two pixel positions in MeasColor, with its
// label's top-left corner at the rounded midpoint.
void DrawMeasurement(PointSet &points, PlanCanvas &canvas, const PixelPosition &a,
                     const PixelPosition &b, const std::string &label);
// Stores the unrounded pixel positions of both points of every pair. A pair
// whose point is not in the point list gets NaN positions and is not drawn.
void ComputePairPixels(SurveyNetwork &net);
// Clear, rebuild the pair statistics, draw one labelled line per pair, then
// the points, the mark and the axes over them.
void DrawMeasurementPlan(SurveyNetwork &net);

// One notch of the mouse wheel zooms by this factor: about ten notches take
// a whole network down to a detail a tenth of its size.
inline constexpr double kWheelZoomStep = 1.25;

// The wheel operations of the plan tables: zoom in (kWheelZoomStep) or out
// (1 / kWheelZoomStep), then redraw the coordinate plan or the measurement plan.
void WheelZoomInCoordPlan(SurveyNetwork &net);
void WheelZoomOutCoordPlan(SurveyNetwork &net);
void WheelZoomInMeasPlan(SurveyNetwork &net);
void WheelZoomOutMeasPlan(SurveyNetwork &net);

// ---- Tables and lists of the plan windows ---------------------------------

// The point table: a header row ("P.No.", "X/m", "Y/m", "Z/m") and one row
// per point (number in the general form, X, Y, Z with 3 decimals).
void FillPointGrid(const PointSet &points, TextGrid &grid);
// One item per point in list order, the number with 3 decimals (12 is
// "12.000"), so an item's index equals the point's list index.
std::vector<std::string> NumberListItems(const PointSet &points);
void FillNumberList(const PointSet &points, QComboBox *list);

// Appends an adjusted point with the given number and height at the marked
// position (Sc = Svp = 0). Nothing is added, and false returned, when there
// is no mark or a point with that number exists.
bool AddPointAtMark(PointSet &points, long double height, double number);
