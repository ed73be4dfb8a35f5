#include "plot/plan_view.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace kd::plot {

int RoundPixel(long double v) {
  if (std::isnan(v))
    return 0;
  constexpr long double kLimit = 1.0e9L;
  if (v > kLimit)
    return int(kLimit);
  if (v < -kLimit)
    return -int(kLimit);
  // nearbyint follows the current rounding mode; the plans want halves to
  // even whatever the caller may have set.
  const int old = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const long double r = std::nearbyint(v);
  std::fesetround(old);
  return int(r);
}

long double PixelDistance(const PixelPosition &a, long double x, long double y) {
  const long double dx = a.x - x, dy = a.y - y;
  return std::sqrt(dx * dx + dy * dy);
}

PixelPosition PlanView::ToPixel(long double X, long double Y) const {
  PixelPosition p;
  p.x = (X - CentreX) * Scale + Width / 2.0L + OffsetX;
  p.y = (Y - CentreY) * Scale + Height / 2.0L + OffsetY;
  return p;
}

PixelPosition PlanView::ToPixel(const NetworkPoint &point) const { return ToPixel(point.X, point.Y); }

void PlanView::ToWorld(long double x, long double y, long double &X, long double &Y) const {
  X = (x - OffsetX - Width / 2.0L) / Scale + CentreX;
  Y = (y - OffsetY - Height / 2.0L) / Scale + CentreY;
}

void PlanView::FitAll(const PointList &points) {
  OffsetX = 0;
  OffsetY = 0;
  Marked = false;
  if (points.Count() == 0)
    return;
  const BoundingBox e = points.Extent();
  CentreX = (e.MaxX + e.MinX) / 2;
  CentreY = (e.MaxY + e.MinY) / 2;
  long double spanX = e.MaxX - e.MinX;
  long double spanY = e.MaxY - e.MinY;
  if (std::fabs(spanX) <= 0.0001L)
    spanX = 0.0001L;
  if (std::fabs(spanY) <= 0.0001L)
    spanY = 0.0001L;
  // A 25-pixel margin on each side; an image too small for it still gets a
  // positive scale.
  const int usableW = std::max(1, Width - 50);
  const int usableH = std::max(1, Height - 50);
  const long double scaleX = usableW / spanX;
  const long double scaleY = usableH / spanY;
  Scale = scaleY >= scaleX ? scaleX : scaleY;
}

void PlanView::Zoom(double factor) {
  if (!(factor > 0) || !std::isfinite(factor))
    return;
  const long double newScale = Scale * factor;
  if (!(newScale > 0) || !std::isfinite(newScale))
    return; // the view would lose its meaning: keep it as it is
  const int cx = RoundPixel(Width / 2.0L);
  const int cy = RoundPixel(Height / 2.0L);
  long double X = 0, Y = 0;
  ToWorld(cx, cy, X, Y);
  Scale = newScale;
  OffsetX = 0;
  OffsetY = 0;
  const PixelPosition p = ToPixel(X, Y);
  OffsetX = Width / 2.0L - p.x;
  OffsetY = Height / 2.0L - p.y;
  Marked = false;
}

void PlanView::ZoomAbout(double factor, long double x, long double y) {
  if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(x) || !std::isfinite(y))
    return;
  const long double newScale = Scale * factor;
  if (!(newScale > 0) || !std::isfinite(newScale))
    return;
  long double X = 0, Y = 0;
  ToWorld(x, y, X, Y);
  Scale = newScale;
  const PixelPosition p = ToPixel(X, Y);
  OffsetX += x - p.x;
  OffsetY += y - p.y;
  Marked = false;
}

void PlanView::Pan(int dx, int dy) {
  OffsetX += dx;
  OffsetY += dy;
  Marked = false;
}

void PlanView::Resize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == Width && height == Height)
    return;
  if (Width > 0 && Height > 0 && width > 0 && height > 0) {
    const long double f = std::min(static_cast<long double>(width) / Width,
                                   static_cast<long double>(height) / Height);
    Scale *= f;
    OffsetX *= f;
    OffsetY *= f;
    Marked = false;
  }
  Width = width;
  Height = height;
}

PlotView PlanView::Mapping() const {
  PlotView view;
  view.Scale = static_cast<double>(Scale);
  view.CentreX = static_cast<double>(CentreX);
  view.CentreY = static_cast<double>(CentreY);
  view.OriginX = static_cast<double>(Width / 2.0L + OffsetX);
  view.OriginY = static_cast<double>(Height / 2.0L + OffsetY);
  return view;
}

int NearestPoint(const PlanView &view, const PointList &points, long double x, long double y,
                 int pickRadius) {
  int best = -1;
  long double bestDist = 0;
  for (int i = 0; i < points.Count(); ++i) {
    const long double d = PixelDistance(view.ToPixel(points.Items[std::size_t(i)]), x, y);
    if (best < 0 || d < bestDist) {
      best = i;
      bestDist = d;
    }
  }
  if (best >= 0 && bestDist < pickRadius)
    return best;
  return -1;
}

void ComputePairPixels(const PlanView &view, const PointList &points, MeasurementList &measurements) {
  constexpr long double nan = std::numeric_limits<long double>::quiet_NaN();
  // One lookup table for all pairs: the same first-match rule as a scan of
  // the list, without scanning it twice per pair.
  const PointNumberIndex index(points);
  for (MeasuredPair &pair : measurements.Pairs) {
    const int ia = index.IndexOf(pair.PointA);
    const int ib = index.IndexOf(pair.PointB);
    if (ia >= 0 && ib >= 0) {
      pair.PixelA = view.ToPixel(points.Items[std::size_t(ia)]);
      pair.PixelB = view.ToPixel(points.Items[std::size_t(ib)]);
    } else {
      pair.PixelA = PixelPosition{nan, nan};
      pair.PixelB = PixelPosition{nan, nan};
    }
  }
}

} // namespace kd::plot
