#include "ui/plan_renderer.h"

#include "plot/precision_plan.h"

#include "core/text_grid.h"
#include "core/number_text.h"
#include "settings/language_pack.h"
#include "settings/text_catalogue.h"
#include "ui/plan_canvas.h"

#include <QComboBox>
#include <QImage>
#include <QString>

#include <cmath>
#include <limits>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Canvas on the attached surface with the plan font and the background as
// brush (labels sit on a background box, circles are filled with it).
PlanCanvas MakePlanCanvas(const PointSet &points) {
  PlanCanvas c(AttachedBitmap(points));
  c.BrushColor = points.BackColor;
  c.FontName = points.FontName;
  c.FontSize = points.FontSize;
  return c;
}

bool Finite(const PixelPosition &p) { return std::isfinite(p.x) && std::isfinite(p.y); }

} // namespace

// ---- Drawing surface -------------------------------------------------------

void SetBitmap(PointSet &points, QImage *image) { points.Bitmap = image; }

QImage *AttachedBitmap(const PointSet &points) {
  return static_cast<QImage *>(points.Bitmap);
}

int PlanWidth(const PointSet &points) {
  const QImage *img = AttachedBitmap(points);
  return img ? img->width() : 0;
}

int PlanHeight(const PointSet &points) {
  const QImage *img = AttachedBitmap(points);
  return img ? img->height() : 0;
}

// ---- View arithmetic -------------------------------------------------------

PixelPosition WorldToPixel(const PointSet &points, long double X, long double Y) {
  const long double halfW = PlanWidth(points) / 2.0L;
  const long double halfH = PlanHeight(points) / 2.0L;
  PixelPosition p;
  p.x = (X - points.CentreX) * points.Scale + halfW + points.OffsetX;
  p.y = (Y - points.CentreY) * points.Scale + halfH + points.OffsetY;
  return p;
}

PixelPosition WorldToPixel(const PointSet &points, const NetworkPoint &point) {
  return WorldToPixel(points, point.X, point.Y);
}

void PixelToWorld(const PointSet &points, long double x, long double y,
                  long double &X, long double &Y) {
  const long double halfW = PlanWidth(points) / 2.0L;
  const long double halfH = PlanHeight(points) / 2.0L;
  X = (x - points.OffsetX - halfW) / points.Scale + points.CentreX;
  Y = (y - points.OffsetY - halfH) / points.Scale + points.CentreY;
}

void FitAll(PointSet &points) {
  points.OffsetX = 0;
  points.OffsetY = 0;
  points.Marked = false;
  if (points.List.Count() == 0)
    return;
  const BoundingBox e = points.List.Extent();
  points.CentreX = (e.MaxX + e.MinX) / 2;
  points.CentreY = (e.MaxY + e.MinY) / 2;
  long double spanX = e.MaxX - e.MinX;
  long double spanY = e.MaxY - e.MinY;
  if (std::fabs(spanX) <= 0.0001L)
    spanX = 0.0001L;
  if (std::fabs(spanY) <= 0.0001L)
    spanY = 0.0001L;
  // A 25-pixel margin on each side; a surface too small for it still gets
  // a positive scale.
  const int usableW = std::max(1, PlanWidth(points) - 50);
  const int usableH = std::max(1, PlanHeight(points) - 50);
  const long double scaleX = usableW / spanX;
  const long double scaleY = usableH / spanY;
  points.Scale = scaleY >= scaleX ? scaleX : scaleY;
}

void Zoom(PointSet &points, double factor) {
  if (!(factor > 0) || !std::isfinite(factor))
    return;
  const long double newScale = points.Scale * factor;
  if (!(newScale > 0) || !std::isfinite(newScale))
    return; // the view would lose its meaning: keep it as it is
  const int w = PlanWidth(points), h = PlanHeight(points);
  const int cx = RoundPixel(w / 2.0L);
  const int cy = RoundPixel(h / 2.0L);
  long double X = 0, Y = 0;
  PixelToWorld(points, cx, cy, X, Y);
  points.Scale = newScale;
  points.OffsetX = 0;
  points.OffsetY = 0;
  const PixelPosition p = WorldToPixel(points, X, Y);
  points.OffsetX = w / 2.0L - p.x;
  points.OffsetY = h / 2.0L - p.y;
  points.Marked = false;
}

void ZoomAbout(PointSet &points, double factor, long double x, long double y) {
  if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(x) || !std::isfinite(y))
    return;
  const long double newScale = points.Scale * factor;
  if (!(newScale > 0) || !std::isfinite(newScale))
    return;
  long double X = 0, Y = 0;
  PixelToWorld(points, x, y, X, Y);
  points.Scale = newScale;
  const PixelPosition p = WorldToPixel(points, X, Y);
  points.OffsetX += x - p.x;
  points.OffsetY += y - p.y;
  points.Marked = false;
}

void Pan(PointSet &points, int dx, int dy) {
  points.OffsetX += dx;
  points.OffsetY += dy;
  points.Marked = false;
}

long double PixelDistance(const PixelPosition &a, long double x, long double y) {
  const long double dx = a.x - x, dy = a.y - y;
  return std::sqrt(dx * dx + dy * dy);
}

int NearestPoint(const PointSet &points, long double x, long double y) {
  int best = -1;
  long double bestDist = 0;
  for (int i = 0; i < points.List.Count(); ++i) {
    const long double d = PixelDistance(WorldToPixel(points, points.List.Items[i]), x, y);
    if (best < 0 || d < bestDist) {
      best = i;
      bestDist = d;
    }
  }
  if (best >= 0 && bestDist < points.PickRadius)
    return best;
  return -1;
}

// ---- Drawing ---------------------------------------------------------------

void ClearPlan(PointSet &points) {
  PlanCanvas c = MakePlanCanvas(points);
  c.FillRect(0, 0, c.Width(), c.Height());
}

void DrawPointSymbol(const PointSet &points, PlanCanvas &canvas, int x, int y,
                     const std::string &label) {
  DrawPointSymbolAt(points, canvas, x, y, label, x + 2, y + 1);
}

void DrawPointSymbolAt(const PointSet &points, PlanCanvas &canvas, int x, int y,
                       const std::string &label, int labelX, int labelY) {
  canvas.TextOut(labelX, labelY, label);
  const int r = points.CircleRadius;
  canvas.Ellipse(x - r, y - r, x + r + 1, y + r + 1);
  const int c = points.CrossSize;
  canvas.Line(x, y - c, x, y + c + 1);
  canvas.Line(x - c, y, x + c + 1, y);
}

void DrawAxes(PlanCanvas &canvas) {
  canvas.PenColor = kWhite;
  canvas.FontColor = kWhite;
  canvas.Line(10, 10, 50, 10);
  canvas.Line(50, 10, 35, 5);
  canvas.Line(50, 10, 35, 15);
  canvas.TextOut(55, 10, "+X");
  canvas.Line(10, 10, 10, 50);
  canvas.Line(10, 50, 5, 35);
  canvas.Line(10, 50, 15, 35);
  canvas.TextOut(10, 55, "+Y");
}

void DrawPoints(PointSet &points) {
  if (!AttachedBitmap(points))
    return;
  PlanCanvas c = MakePlanCanvas(points);
  // A label goes right of and below its point unless an earlier label is
  // there; then to the first free place around the point.
  LabelPlacer labels{QRectF()};
  for (const NetworkPoint &pt : points.List.Items) {
    const std::uint32_t color = pt.Fixed ? points.FixedColor : points.AdjustedColor;
    c.FontColor = color;
    c.PenColor = color;
    const PixelPosition p = WorldToPixel(points, pt);
    const int x = RoundPixel(p.x), y = RoundPixel(p.y);
    const std::string label = NumToText(pt.Number);
    int w = 0, h = 0;
    c.TextExtent(label, w, h);
    const QPointF at = labels.Place(QPointF(x, y), QSizeF(w, h), 2);
    DrawPointSymbolAt(points, c, x, y, label, RoundPixel(at.x()), RoundPixel(at.y()));
  }
  if (points.Marked) {
    c.FontColor = points.MarkColor;
    c.PenColor = points.MarkColor;
    DrawPointSymbol(points, c, points.MarkX, points.MarkY, "???");
  }
  DrawAxes(c);
}

void DrawMeasurement(PointSet &points, PlanCanvas &canvas, const PixelPosition &a,
                     const PixelPosition &b, const std::string &label) {
  canvas.FontColor = points.MeasColor;
  canvas.PenColor = points.MeasColor;
  canvas.Line(RoundPixel(a.x), RoundPixel(a.y), RoundPixel(b.x), RoundPixel(b.y));
  canvas.TextOut(RoundPixel((a.x + b.x) / 2), RoundPixel((a.y + b.y) / 2), label);
}

void ComputePairPixels(SurveyNetwork &net) {
  constexpr long double nan = std::numeric_limits<long double>::quiet_NaN();
  PointSet &pts = net.Points;
  // One lookup table for all pairs: the same first-match rule as a scan of
  // the list, without scanning it twice per pair.
  const PointNumberIndex index(pts.List);
  for (MeasuredPair &pair : net.Measurements.Pairs) {
    const int ia = index.IndexOf(pair.PointA);
    const int ib = index.IndexOf(pair.PointB);
    if (ia >= 0 && ib >= 0) {
      pair.PixelA = WorldToPixel(pts, pts.List.Items[ia]);
      pair.PixelB = WorldToPixel(pts, pts.List.Items[ib]);
    } else {
      pair.PixelA = PixelPosition{nan, nan};
      pair.PixelB = PixelPosition{nan, nan};
    }
  }
}

void DrawMeasurementPlan(SurveyNetwork &net) {
  PointSet &pts = net.Points;
  ClearPlan(pts);
  net.Measurements.ClearPairs();
  net.Measurements.BuildPairs();
  ComputePairPixels(net);
  if (AttachedBitmap(pts)) {
    PlanCanvas c = MakePlanCanvas(pts);
    for (const MeasuredPair &pair : net.Measurements.Pairs)
      if (Finite(pair.PixelA) && Finite(pair.PixelB))
        DrawMeasurement(pts, c, pair.PixelA, pair.PixelB, MeasurementList::PairLabel(pair));
  }
  DrawPoints(pts);
}

void WheelZoomInCoordPlan(SurveyNetwork &net) {
  Zoom(net.Points, kWheelZoomStep);
  ClearPlan(net.Points);
  DrawPoints(net.Points);
}

void WheelZoomOutCoordPlan(SurveyNetwork &net) {
  Zoom(net.Points, 1.0 / kWheelZoomStep);
  ClearPlan(net.Points);
  DrawPoints(net.Points);
}

void WheelZoomInMeasPlan(SurveyNetwork &net) {
  Zoom(net.Points, kWheelZoomStep);
  DrawMeasurementPlan(net);
}

void WheelZoomOutMeasPlan(SurveyNetwork &net) {
  Zoom(net.Points, 1.0 / kWheelZoomStep);
  DrawMeasurementPlan(net);
}

// ---- Tables and lists ------------------------------------------------------

void FillPointGrid(const PointSet &points, TextGrid &grid) {
  const int n = points.List.Count();
  grid.Resize(0, 0);
  grid.Resize(n + 1, 4);
  grid.FixedRows = 1;
  grid.SetCell(0, 0, Tr(Text::PointNumberShort));
  grid.SetCell(0, 1, "X/m");
  grid.SetCell(0, 2, "Y/m");
  grid.SetCell(0, 3, "Z/m");
  for (int i = 0; i < n; ++i) {
    const NetworkPoint &p = points.List.Items[i];
    grid.SetCell(i + 1, 0, NumToText(p.Number));
    grid.SetCell(i + 1, 1, NumToTextFixed(p.X, 8, 3));
    grid.SetCell(i + 1, 2, NumToTextFixed(p.Y, 8, 3));
    grid.SetCell(i + 1, 3, NumToTextFixed(p.Z, 8, 3));
  }
}

std::vector<std::string> NumberListItems(const PointSet &points) {
  std::vector<std::string> items;
  items.reserve(points.List.Items.size());
  for (const NetworkPoint &p : points.List.Items)
    items.push_back(NumToTextFixed(p.Number, 8, 3));
  return items;
}

void FillNumberList(const PointSet &points, QComboBox *list) {
  if (!list)
    return;
  list->clear();
  for (const std::string &s : NumberListItems(points))
    list->addItem(QString::fromStdString(s));
}

bool AddPointAtMark(PointSet &points, long double height, double number) {
  if (!points.Marked || points.List.IndexOfNumber(number) >= 0)
    return false;
  NetworkPoint p;
  p.Number = number;
  PixelToWorld(points, points.MarkX, points.MarkY, p.X, p.Y);
  p.Z = height;
  p.Fixed = false;
  p.Sc = 0;
  p.Svp = 0;
  points.List.Append(p);
  return true;
}
