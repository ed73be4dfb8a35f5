#pragma once
// The view of a desktop plan: which part of the world a plan image of
// Width x Height pixels shows, and the mark the user set on it. Each plan
// window keeps its own view.
//
// Pixel coordinates: x to the right, y downwards, (0, 0) the top-left pixel.
// World X runs along pixel x and world Y along pixel y:
//   x = (X - CentreX) * Scale + Width / 2 + OffsetX
//   y = (Y - CentreY) * Scale + Height / 2 + OffsetY
// Pixel positions are kept unrounded; wherever one is drawn it is rounded to
// the nearest integer, halves to even (RoundPixel).
#include "core/measurement_list.h"
#include "core/point_list.h"

#include "plot/precision_plan.h"

namespace kd::plot {

// Rounds a pixel position to the nearest integer, halves to the even
// neighbour, and keeps the result inside the range of int (+-1e9) so that
// far-off positions stay harmless. NaN gives 0.
int RoundPixel(long double v);

// Distance in pixels between a pixel position and (x, y).
long double PixelDistance(const PixelPosition &a, long double x, long double y);

class PlanView {
public:
  long double Scale = 1; // pixels per metre
  long double CentreX = 0;
  long double CentreY = 0;
  long double OffsetX = 0; // pan, pixels
  long double OffsetY = 0;
  int Width = 0; // the plan image, pixels
  int Height = 0;

  // The mark ("???") a left click sets on the coordinate plan, in pixels.
  bool Marked = false;
  int MarkX = 0;
  int MarkY = 0;

  // Unrounded pixel position of a world position / of a point.
  PixelPosition ToPixel(long double X, long double Y) const;
  PixelPosition ToPixel(const NetworkPoint &point) const;
  // World X, Y of an (unrounded) pixel position; the exact inverse.
  void ToWorld(long double x, long double y, long double &X, long double &Y) const;

  // Centres the extent of the points and picks the largest scale at which it
  // fits with a 25-pixel margin on every side. Clears the offsets and the
  // mark. An empty list keeps the scale and centre.
  void FitAll(const PointList &points);
  // Multiplies the scale by `factor` keeping the world point at the middle
  // of the view where it is. Clears the mark. A factor that is not a
  // positive finite number (or a scale that would stop being one) changes
  // nothing.
  void Zoom(double factor);
  // Multiplies the scale by `factor` keeping the world point under the
  // pixel (x, y) where it is (the wheel zooms about the cursor). Clears the
  // mark.
  void ZoomAbout(double factor, long double x, long double y);
  // Moves the view by whole pixels; clears the mark.
  void Pan(int dx, int dy);
  // The image took a new size: what was shown stays in the middle,
  // enlarged (or reduced) as far as the narrower side allows. Clears the
  // mark when the size changed. From a size of 0 x 0 the size is only
  // taken.
  void Resize(int width, int height);

  // The same mapping for the precision drawing.
  PlotView Mapping() const;

  bool operator==(const PlanView &) const = default;
};

// Index of the point whose pixel position is nearest to (x, y), when it lies
// strictly closer than `pickRadius`; ties go to the earlier point. -1 when no
// point is close enough or the list is empty.
int NearestPoint(const PlanView &view, const PointList &points, long double x, long double y,
                 int pickRadius);

// Stores the unrounded pixel positions of both points of every pair of
// `measurements` (built by BuildPairs). A pair whose point is not in the
// list gets NaN positions and is not drawn.
void ComputePairPixels(const PlanView &view, const PointList &points, MeasurementList &measurements);

// One notch of the mouse wheel zooms by this factor: about ten notches take
// a whole network down to a detail a tenth of its size.
inline constexpr double kWheelZoomStep = 1.25;

} // namespace kd::plot
