#include "plot/precision_plan.h"

#include "settings/text_catalogue.h"
#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/number_text.h"
#include "core/survey_network.h"
#include "core/text_file.h"
#include "evaluation/network_precision.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGonToRad = kPi / 200.0;
constexpr int kEllipseVertices = 96;

QFont PlotFont(const PlotOptions &o) {
  QFont f(o.FontFamily);
  f.setPixelSize(std::max(6, o.FontPixelSize));
  return f;
}

// Pixel offset of a vector of `mm` millimetres at the magnification.
double MmToPixels(double mm, double magnification, const PlotView &view) {
  return mm / 1000.0 * magnification * view.Scale;
}

// The outline of an ellipse (semi-axes in pixels) whose major axis has the
// bearing `bearingGon`, turned on the page as the view's axes run.
QPolygonF EllipseOutline(const QPointF &centre, double a, double b, double bearingGon,
                         const PlotView &view) {
  const double t = bearingGon * kGonToRad;
  const QPointF e1 = view.Direction(std::cos(t), std::sin(t));
  const QPointF e2 = view.Direction(-std::sin(t), std::cos(t));
  QPolygonF poly;
  poly.reserve(kEllipseVertices + 1);
  for (int k = 0; k <= kEllipseVertices; ++k) {
    const double s = 2 * kPi * k / kEllipseVertices;
    poly << centre + a * std::cos(s) * e1 + b * std::sin(s) * e2;
  }
  return poly;
}

bool Finite(const QPointF &p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// Rounds down to 1, 2 or 5 times a power of ten.
double NiceBelow(double v) {
  if (!(v > 0) || !std::isfinite(v))
    return 0;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  const double m = v / p;
  const double nice = m >= 5 ? 5 : m >= 2 ? 2 : 1;
  return nice * p;
}

QString NumberText(double v) { return QString::fromStdString(NumToText(v)); }

// Text of a magnification: whole numbers without decimals.
QString MagnificationText(double m) {
  if (m >= 1 && std::fabs(m - std::round(m)) < 1e-9)
    return QString::number(static_cast<long long>(std::llround(m)));
  return QString::number(m, 'g', 4);
}

bool PointPixel(const SurveyNetwork &net, const PlotView &view, double number, QPointF &out) {
  const int i = net.Points.List.IndexOfNumber(number);
  if (i < 0)
    return false;
  const NetworkPoint &p = net.Points.List.Items[static_cast<std::size_t>(i)];
  out = view.ToPixel(p.X, p.Y);
  return Finite(out);
}

QColor ReliabilityColor(long double r, const PlotOptions &o, bool &coloured) {
  coloured = false;
  if (std::isnan(static_cast<double>(r)))
    return o.LineColor;
  switch (ReliabilityOf(r)) {
  case ReliabilityClass::Uncontrolled:
    coloured = true;
    return o.UncontrolledColor;
  case ReliabilityClass::Weak:
    coloured = true;
    return o.WeakColor;
  case ReliabilityClass::Controlled:
    break;
  }
  return o.LineColor;
}

MeasurementList PairsOf(const SurveyNetwork &net) {
  MeasurementList list;
  list.Items = net.Measurements.Items;
  list.BuildPairs();
  return list;
}

} // namespace

namespace {

// One entry of the legend: a symbol and its text.
enum class Symbol { Fixed, Adjusted, Ellipse, HeightBar, Relative, Line, Tolerance };
struct LegendEntry {
  Symbol Kind;
  QColor Color;
  QString Text;
};

std::vector<LegendEntry> LegendEntries(const NetworkPrecision &precision, const PlotOptions &o,
                                       bool withPoints) {
  const PlotTexts &t = o.Texts;
  std::vector<LegendEntry> e;
  if (withPoints) {
    e.push_back({Symbol::Fixed, o.FixedColor, t.FixedPoint});
    e.push_back({Symbol::Adjusted, o.AdjustedColor, t.AdjustedPoint});
  }
  const QString level = o.Level == ConfidenceLevel::Standard ? t.StandardEllipses : t.Percent95Ellipses;
  if (o.ShowEllipses && !precision.Points.empty())
    e.push_back({Symbol::Ellipse, o.EllipseColor, t.PointEllipse + QStringLiteral(" (") + level + QStringLiteral(")")});
  if (o.ShowHeightBars && !precision.Points.empty())
    e.push_back({Symbol::HeightBar, o.HeightBarColor, t.HeightBar});
  if (o.ShowRelativeEllipses && !precision.Points.empty())
    e.push_back({Symbol::Relative, o.RelativeColor, t.RelativeEllipse});
  if (o.ShowReliability && !precision.Observations.empty()) {
    e.push_back({Symbol::Line, o.UncontrolledColor, t.Uncontrolled});
    e.push_back({Symbol::Line, o.WeakColor, t.Weak});
    e.push_back({Symbol::Line, o.LineColor, t.Controlled});
  } else if (withPoints) {
    e.push_back({Symbol::Line, o.LineColor, t.Line});
  }
  if (o.ToleranceSemiMajorMm > 0 || o.ToleranceSigmaZMm > 0) {
    QString text = t.BeyondTolerance + QStringLiteral(" (");
    if (o.ToleranceSemiMajorMm > 0)
      text += QStringLiteral("a > %1 mm").arg(o.ToleranceSemiMajorMm);
    if (o.ToleranceSemiMajorMm > 0 && o.ToleranceSigmaZMm > 0)
      text += QStringLiteral(", ");
    if (o.ToleranceSigmaZMm > 0)
      text += QStringLiteral("\u03c3Z > %1 mm").arg(o.ToleranceSigmaZMm);
    e.push_back({Symbol::Tolerance, o.BeyondColor, text + QStringLiteral(")")});
  }
  return e;
}

constexpr double kPad = 6;

QRectF LegendBox(const QRectF &area, const std::vector<LegendEntry> &entries, const QFontMetricsF &fm) {
  if (entries.empty())
    return QRectF();
  const double lh = fm.height() + 2;
  double w = 0;
  for (const LegendEntry &e : entries)
    w = std::max(w, fm.horizontalAdvance(e.Text));
  const double h = lh * static_cast<double>(entries.size()) + 2 * kPad;
  return QRectF(area.left() + kPad, area.bottom() - kPad - h, w + 40 + 2 * kPad, h);
}

// The texts and bars of the scale box.
struct ScaleBox {
  QRectF Box;
  double Magnification = 0;
  double EllipseBarMm = 0, EllipseBarPx = 0;
  double NetworkBarM = 0, NetworkBarPx = 0;
  QString Line1, Line2, EllipseBarText, NetworkBarText;
};

ScaleBox ScaleBoxOf(const QRectF &area, const PlotView &view, const SurveyNetwork &network,
                    const NetworkPrecision &precision, const PlotOptions &o, const QFontMetricsF &fm,
                    bool networkBar) {
  ScaleBox s;
  const double lh = fm.height() + 2;
  const double limit = std::min(area.width() / 5, 150.0);
  s.Magnification = EffectiveMagnification(precision, network, view, area, o);
  int lines = 0;
  double w = 0;
  if (s.Magnification > 0 && (o.ShowEllipses || o.ShowRelativeEllipses || o.ShowHeightBars)) {
    const double pxPerMm = MmToPixels(1, s.Magnification, view);
    s.EllipseBarMm = NiceBelow(limit / pxPerMm);
    if (s.EllipseBarMm > 0) {
      s.EllipseBarPx = s.EllipseBarMm * pxPerMm;
      const QString level =
          o.Level == ConfidenceLevel::Standard ? o.Texts.StandardEllipses : o.Texts.Percent95Ellipses;
      s.Line1 = QStringLiteral("%1 \u00d7 %2 (%3)").arg(o.Texts.Ellipses, MagnificationText(s.Magnification), level);
      s.Line2 = o.Texts.MmOfPlan.arg(QString::number(s.Magnification / 1000.0, 'g', 4));
      s.EllipseBarText = QStringLiteral("%1 mm").arg(NumberText(s.EllipseBarMm));
      w = std::max({fm.horizontalAdvance(s.Line1), fm.horizontalAdvance(s.Line2),
                    s.EllipseBarPx + fm.horizontalAdvance(s.EllipseBarText) + 8});
      lines += 3;
    }
  }
  if (networkBar && view.Scale > 0) {
    s.NetworkBarM = NiceBelow(limit / view.Scale);
    if (s.NetworkBarM > 0) {
      s.NetworkBarPx = s.NetworkBarM * view.Scale;
      s.NetworkBarText = QStringLiteral("%1 %2 m").arg(o.Texts.Network, NumberText(s.NetworkBarM));
      w = std::max(w, s.NetworkBarPx + fm.horizontalAdvance(s.NetworkBarText) + 8);
      lines += 1;
    }
  }
  if (lines == 0)
    return s;
  s.Box = QRectF(area.right() - kPad - w - 2 * kPad, area.bottom() - kPad - lines * lh - 2 * kPad,
                 w + 2 * kPad, lines * lh + 2 * kPad);
  return s;
}

void DrawScaleBar(QPainter &painter, double x0, double baseline, double px, const QString &text,
                  const QColor &color, const PlotOptions &o, const QFontMetricsF &fm) {
  const double by = baseline - fm.ascent() / 2;
  painter.setPen(QPen(color, 2));
  painter.drawLine(QPointF(x0, by), QPointF(x0 + px, by));
  painter.drawLine(QPointF(x0, by - 4), QPointF(x0, by + 4));
  painter.drawLine(QPointF(x0 + px, by - 4), QPointF(x0 + px, by + 4));
  painter.setPen(o.TextColor);
  painter.drawText(QPointF(x0 + px + 8, baseline), text);
}

void DrawLegendSymbol(QPainter &painter, const LegendEntry &e, const QPointF &c, const PlotOptions &o) {
  painter.setBrush(Qt::NoBrush);
  switch (e.Kind) {
  case Symbol::Fixed:
    painter.setPen(QPen(e.Color, 2));
    painter.setBrush(e.Color);
    painter.drawPolygon(QPolygonF({c + QPointF(0, -6), c + QPointF(5, 4), c + QPointF(-5, 4)}));
    break;
  case Symbol::Adjusted:
    painter.setPen(QPen(e.Color, 2));
    painter.setBrush(o.Background);
    painter.drawEllipse(c, 3.5, 3.5);
    painter.drawLine(c + QPointF(-6, 0), c + QPointF(6, 0));
    painter.drawLine(c + QPointF(0, -6), c + QPointF(0, 6));
    break;
  case Symbol::Ellipse:
    painter.setPen(QPen(e.Color, 2));
    painter.drawEllipse(c, 12, 5);
    break;
  case Symbol::HeightBar:
    painter.setPen(QPen(e.Color, 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(c + QPointF(0, -6), c + QPointF(0, 6));
    painter.setPen(QPen(e.Color, 1.5));
    painter.drawLine(c + QPointF(-4, -6), c + QPointF(4, -6));
    painter.drawLine(c + QPointF(-4, 6), c + QPointF(4, 6));
    break;
  case Symbol::Relative:
    painter.setPen(QPen(e.Color, 1.5, Qt::DashLine));
    painter.drawEllipse(c, 12, 5);
    break;
  case Symbol::Line:
    painter.setPen(QPen(e.Color, 3));
    painter.drawLine(c + QPointF(-14, 0), c + QPointF(14, 0));
    break;
  case Symbol::Tolerance:
    painter.setPen(QPen(e.Color, 3));
    painter.drawEllipse(c, 5, 5);
    break;
  }
}

// How many points (with room for their labels right of and below them) a
// box covers.
int PointsUnder(const QRectF &box, const PlotView &view, const SurveyNetwork &network) {
  int n = 0;
  for (const NetworkPoint &p : network.Points.List.Items) {
    const QPointF c = view.ToPixel(p.X, p.Y);
    if (box.intersects(QRectF(c.x() - 12, c.y() - 12, 64, 34)))
      ++n;
  }
  return n;
}

// Over a drawn plan (the desktop's) the boxes move to the corners where they
// cover the fewest points: bottom-left / bottom-right first, then the top
// corners (below the plan's axis arrows on the left).
void MoveBoxesClear(const QRectF &area, const PlotView &view, const SurveyNetwork &network,
                    QRectF &legend, QRectF &scale) {
  const double top = area.top() + 72; // the plan's +X/+Y arrows
  auto place = [&](QRectF &box, const std::vector<QRectF> &taken) {
    if (box.isEmpty())
      return;
    const double w = box.width(), h = box.height();
    const std::vector<QRectF> corners = {
        box,
        QRectF(area.left() + kPad, area.bottom() - kPad - h, w, h),
        QRectF(area.right() - kPad - w, area.bottom() - kPad - h, w, h),
        QRectF(area.right() - kPad - w, area.top() + kPad, w, h),
        QRectF(area.left() + kPad, top, w, h),
    };
    int best = -1, fewest = 0;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      bool clash = !area.contains(corners[i]);
      for (const QRectF &t : taken)
        clash = clash || t.intersects(corners[i]);
      if (clash)
        continue;
      const int n = PointsUnder(corners[i], view, network);
      if (best < 0 || n < fewest) {
        best = static_cast<int>(i);
        fewest = n;
      }
      if (n == 0)
        break;
    }
    if (best >= 0)
      box = corners[static_cast<std::size_t>(best)];
  };
  place(legend, {});
  place(scale, {legend});
}

void DrawLegendAndScale(QPainter &painter, const QRectF &area, const PlotView &view,
                        const SurveyNetwork &network, const NetworkPrecision &precision,
                        const PlotOptions &o, bool plan) {
  painter.save();
  const QFont font = PlotFont(o);
  painter.setFont(font);
  const QFontMetricsF fm(font);
  const double lh = fm.height() + 2;
  const std::vector<LegendEntry> entries = LegendEntries(precision, o, plan);
  QRectF box = LegendBox(area, entries, fm);
  ScaleBox s = ScaleBoxOf(area, view, network, precision, o, fm, plan);
  if (!plan) // the plan drawing fits the network around its boxes instead
    MoveBoxesClear(area, view, network, box, s.Box);
  if (!box.isEmpty()) {
    painter.setPen(QPen(o.TextColor, 1));
    painter.setBrush(o.Background);
    painter.drawRect(box);
    double y = box.top() + kPad;
    for (const LegendEntry &e : entries) {
      const double my = y + lh / 2;
      DrawLegendSymbol(painter, e, QPointF(box.left() + kPad + 14, my), o);
      painter.setPen(o.TextColor);
      painter.drawText(QPointF(box.left() + kPad + 36, my + fm.ascent() / 2 - 1), e.Text);
      y += lh;
    }
  }
  if (!s.Box.isEmpty()) {
    painter.setPen(QPen(o.TextColor, 1));
    painter.setBrush(o.Background);
    painter.drawRect(s.Box);
    const double x0 = s.Box.left() + kPad;
    double y = s.Box.top() + kPad + fm.ascent();
    if (s.EllipseBarPx > 0) {
      painter.drawText(QPointF(x0, y), s.Line1);
      y += lh;
      painter.drawText(QPointF(x0, y), s.Line2);
      y += lh;
      DrawScaleBar(painter, x0, y, s.EllipseBarPx, s.EllipseBarText, o.EllipseColor, o, fm);
      y += lh;
    }
    if (s.NetworkBarPx > 0)
      DrawScaleBar(painter, x0, y, s.NetworkBarPx, s.NetworkBarText, o.TextColor, o, fm);
  }
  painter.restore();
}

} // namespace

void DrawPrecisionLegend(QPainter &painter, const QRectF &area, const PlotView &view,
                         const SurveyNetwork &network, const NetworkPrecision &precision,
                         const PlotOptions &o) {
  DrawLegendAndScale(painter, area, view, network, precision, o, false);
}

std::vector<QRectF> PrecisionLegendBoxes(const QRectF &area, const PlotView &view,
                                         const SurveyNetwork &network,
                                         const NetworkPrecision &precision, const PlotOptions &o) {
  const QFontMetricsF fm(PlotFont(o));
  std::vector<QRectF> boxes;
  QRectF legend = LegendBox(area, LegendEntries(precision, o, false), fm);
  ScaleBox s = ScaleBoxOf(area, view, network, precision, o, fm, false);
  MoveBoxesClear(area, view, network, legend, s.Box);
  if (!legend.isEmpty())
    boxes.push_back(legend);
  if (!s.Box.isEmpty())
    boxes.push_back(s.Box);
  return boxes;
}

bool BoxesCoverPoints(const std::vector<QRectF> &boxes, const PlotView &view,
                      const SurveyNetwork &network) {
  for (const NetworkPoint &p : network.Points.List.Items) {
    const QPointF c = view.ToPixel(p.X, p.Y);
    const QRectF symbol(c.x() - 8, c.y() - 8, 16, 16);
    for (const QRectF &b : boxes)
      if (b.intersects(symbol))
        return true;
  }
  return false;
}

QPointF PlotView::ToPixel(long double X, long double Y) const {
  if (Axes == PlotAxes::XUpYRight)
    return QPointF(static_cast<double>((Y - CentreY) * Scale + OriginX),
                   static_cast<double>(-(X - CentreX) * Scale + OriginY));
  return QPointF(static_cast<double>((X - CentreX) * Scale + OriginX),
                 static_cast<double>((Y - CentreY) * Scale + OriginY));
}

QPointF PlotView::Direction(double dX, double dY) const {
  return Axes == PlotAxes::XUpYRight ? QPointF(dY, -dX) : QPointF(dX, dY);
}

PlotView FitView(const SurveyNetwork &network, const QRectF &area, double margin, PlotAxes axes) {
  PlotView v;
  v.Axes = axes;
  v.OriginX = area.center().x();
  v.OriginY = area.center().y();
  const auto &items = network.Points.List.Items;
  if (items.empty())
    return v;
  double minX = std::numeric_limits<double>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
  for (const NetworkPoint &p : items) {
    minX = std::min(minX, static_cast<double>(p.X));
    maxX = std::max(maxX, static_cast<double>(p.X));
    minY = std::min(minY, static_cast<double>(p.Y));
    maxY = std::max(maxY, static_cast<double>(p.Y));
  }
  v.CentreX = (minX + maxX) / 2;
  v.CentreY = (minY + maxY) / 2;
  const double w = std::max(1.0, area.width() - 2 * margin);
  const double h = std::max(1.0, area.height() - 2 * margin);
  // Extents across and down the page.
  const double across = axes == PlotAxes::XUpYRight ? maxY - minY : maxX - minX;
  const double down = axes == PlotAxes::XUpYRight ? maxX - minX : maxY - minY;
  if (across <= 0 && down <= 0)
    v.Scale = 1;
  else
    v.Scale = std::min(across > 0 ? w / across : std::numeric_limits<double>::infinity(),
                       down > 0 ? h / down : std::numeric_limits<double>::infinity());
  return v;
}

double EffectiveMagnification(const NetworkPrecision &precision, const SurveyNetwork &network,
                              const PlotView &view, const QRectF &area,
                              const PlotOptions &options) {
  if (options.Magnification > 0)
    return options.Magnification;
  const double k = static_cast<double>(EllipseFactor(options.Level));
  double largest = 0; // mm, at the level
  if (options.ShowEllipses || options.ShowHeightBars)
    for (const PointPrecision &p : precision.Points) {
      if (options.ShowEllipses)
        largest = std::max(largest, static_cast<double>(p.Ellipse.SemiMajor) * k);
      if (options.ShowHeightBars)
        largest = std::max(largest, static_cast<double>(p.SigmaZ * LinearFactor(options.Level)));
    }
  if (options.ShowRelativeEllipses) {
    const MeasurementList pairs = PairsOf(network);
    RelativePrecision rel;
    for (const MeasuredPair &pair : pairs.Pairs)
      if (precision.Relative(pair.PointA, pair.PointB, rel))
        largest = std::max(largest, static_cast<double>(rel.Ellipse.SemiMajor) * k);
  }
  const double side = std::min(area.width(), area.height());
  if (!(largest > 0) || !(view.Scale > 0) || !(side > 0))
    return 0;
  // The major axis (2a) of the largest ellipse a tenth of the smaller side.
  return NiceBelow(side / 10.0 / (2 * largest / 1000.0 * view.Scale));
}

std::vector<double> PointsBeyondTolerance(const NetworkPrecision &precision,
                                          const PlotOptions &options) {
  PrecisionTolerance tolerance;
  tolerance.Horizontal = options.ToleranceSemiMajorMm;
  tolerance.Vertical = options.ToleranceSigmaZMm;
  std::vector<double> out;
  for (const ToleranceExcess &e : PointsBeyond(precision, options.Level, tolerance))
    out.push_back(e.Number);
  return out;
}

void DrawPrecisionOverlay(QPainter &painter, const QRectF &area, const PlotView &view,
                          const SurveyNetwork &network, const NetworkPrecision &precision,
                          const PlotOptions &o) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(area);
  const double mag = EffectiveMagnification(precision, network, view, area, o);
  const double k2 = static_cast<double>(EllipseFactor(o.Level));
  const double k1 = static_cast<double>(LinearFactor(o.Level));
  const MeasurementList pairs = PairsOf(network);

  // Lines of weak and uncontrolled observations, over the plain lines.
  if (o.ShowReliability)
    for (const MeasuredPair &pair : pairs.Pairs) {
      QPointF a, b;
      if (!PointPixel(network, view, pair.PointA, a) || !PointPixel(network, view, pair.PointB, b))
        continue;
      bool coloured = false;
      const QColor c =
          ReliabilityColor(precision.WeakestRedundancyBetween(pair.PointA, pair.PointB), o, coloured);
      if (!coloured)
        continue;
      painter.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(a, b);
    }

  painter.setBrush(Qt::NoBrush);
  if (o.ShowRelativeEllipses && mag > 0) {
    painter.setPen(QPen(o.RelativeColor, 1.5, Qt::DashLine));
    RelativePrecision rel;
    for (const MeasuredPair &pair : pairs.Pairs) {
      QPointF a, b;
      if (!PointPixel(network, view, pair.PointA, a) || !PointPixel(network, view, pair.PointB, b) ||
          !precision.Relative(pair.PointA, pair.PointB, rel))
        continue;
      const QPointF mid = (a + b) / 2;
      painter.drawPolygon(EllipseOutline(
          mid, MmToPixels(static_cast<double>(rel.Ellipse.SemiMajor) * k2, mag, view),
          MmToPixels(static_cast<double>(rel.Ellipse.SemiMinor) * k2, mag, view),
          static_cast<double>(rel.Ellipse.Bearing), view));
    }
  }

  const std::vector<double> beyond = PointsBeyondTolerance(precision, o);
  for (const PointPrecision &p : precision.Points) {
    QPointF c;
    if (!PointPixel(network, view, p.Number, c))
      continue;
    const bool warn = std::find(beyond.begin(), beyond.end(), p.Number) != beyond.end();
    if (warn) {
      painter.setPen(QPen(o.BeyondColor, 3));
      painter.drawEllipse(c, 9, 9);
    }
    if (mag <= 0)
      continue;
    if (o.ShowEllipses) {
      painter.setPen(QPen(warn ? o.BeyondColor : o.EllipseColor, 2));
      painter.drawPolygon(EllipseOutline(
          c, MmToPixels(static_cast<double>(p.Ellipse.SemiMajor) * k2, mag, view),
          MmToPixels(static_cast<double>(p.Ellipse.SemiMinor) * k2, mag, view),
          static_cast<double>(p.Ellipse.Bearing), view));
    }
    if (o.ShowHeightBars) {
      // A vertical bar of +-sigma Z beside the point, with end ticks.
      const double h = MmToPixels(static_cast<double>(p.SigmaZ) * k1, mag, view);
      const double x = c.x() - 12;
      painter.setPen(QPen(warn ? o.BeyondColor : o.HeightBarColor, 3, Qt::SolidLine, Qt::FlatCap));
      painter.drawLine(QPointF(x, c.y() - h), QPointF(x, c.y() + h));
      painter.setPen(QPen(warn ? o.BeyondColor : o.HeightBarColor, 1.5));
      painter.drawLine(QPointF(x - 4, c.y() - h), QPointF(x + 4, c.y() - h));
      painter.drawLine(QPointF(x - 4, c.y() + h), QPointF(x + 4, c.y() + h));
    }
  }
  painter.setClipping(false);
  if (o.ShowLegend)
    DrawPrecisionLegend(painter, area, view, network, precision, o);
  painter.restore();
}

void DrawPlotMessage(QPainter &painter, const QRectF &area, const QString &text,
                     const PlotOptions &o) {
  if (text.isEmpty())
    return;
  painter.save();
  const QFont font = PlotFont(o);
  painter.setFont(font);
  const QFontMetricsF fm(font);
  const QRectF box(area.left() + 8, area.bottom() - 8 - fm.height() - 8,
                   std::min(area.width() - 16, fm.horizontalAdvance(text) + 12), fm.height() + 8);
  painter.setPen(QPen(o.BeyondColor, 1));
  painter.setBrush(o.Background);
  painter.drawRect(box);
  painter.setPen(o.TextColor);
  painter.drawText(box.adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}

void LabelPlacer::Occupy(const QPolygonF &outline) {
  Areas.push_back(outline);
  AreaBounds.push_back(outline.boundingRect());
}

bool LabelPlacer::IsFree(const QRectF &box) const {
  if (!Bounds.isEmpty() && !Bounds.contains(box))
    return false;
  for (const QRectF &t : Taken)
    if (t.intersects(box))
      return false;
  // Areas keep a margin for the width of their outline.
  const QRectF wide = box.adjusted(-2, -2, 2, 2);
  for (std::size_t i = 0; i < Areas.size(); ++i)
    if (AreaBounds[i].intersects(wide) &&
        (Areas[i].containsPoint(wide.center(), Qt::OddEvenFill) ||
         !Areas[i].intersected(QPolygonF(wide)).isEmpty()))
      return false;
  return true;
}

QPointF LabelPlacer::Place(const QPointF &anchor, const QSizeF &size, double gap) {
  const double w = size.width(), h = size.height();
  const QPointF candidates[] = {
      {anchor.x() + gap, anchor.y() + 1},          {anchor.x() + gap, anchor.y() - h - 1},
      {anchor.x() - gap - w, anchor.y() + 1},      {anchor.x() - gap - w, anchor.y() - h - 1},
      {anchor.x() - w / 2, anchor.y() - gap - h}, {anchor.x() - w / 2, anchor.y() + gap},
      {anchor.x() + gap, anchor.y() - h / 2},      {anchor.x() - gap - w, anchor.y() - h / 2},
      {anchor.x() + 2 * gap, anchor.y() + h},      {anchor.x() + 2 * gap, anchor.y() - 2 * h},
      {anchor.x() - 2 * gap - w, anchor.y() + h},  {anchor.x() - 2 * gap - w, anchor.y() - 2 * h},
  };
  for (const QPointF &c : candidates) {
    const QRectF box(c, size);
    if (IsFree(box)) {
      Taken.push_back(box);
      return c;
    }
  }
  Taken.push_back(QRectF(candidates[0], size));
  return candidates[0];
}

LabelPlacer::Spot LabelPlacer::PlaceFree(const QPointF &anchor, const QSizeF &size, double gap,
                                         double reach) {
  const double w = size.width(), h = size.height();
  Spot spot;
  // Beside the point first, in the usual order.
  const QPointF near[] = {
      {anchor.x() + gap, anchor.y() + 1},     {anchor.x() + gap, anchor.y() - h - 1},
      {anchor.x() - gap - w, anchor.y() + 1}, {anchor.x() - gap - w, anchor.y() - h - 1},
      {anchor.x() - w / 2, anchor.y() - gap - h}, {anchor.x() - w / 2, anchor.y() + gap},
  };
  for (const QPointF &c : near) {
    const QRectF box(c, size);
    if (IsFree(box)) {
      Taken.push_back(box);
      spot.Box = box;
      return spot;
    }
  }
  // Then on rings further out, with a leader line.
  const double step = std::max(4.0, h * 0.7);
  for (double r = gap + step; r <= reach; r += step) {
    const int count = std::max(12, static_cast<int>(2 * std::numbers::pi * r / step));
    for (int k = 0; k < count; ++k) {
      const double phi = 2 * std::numbers::pi * k / count;
      const double dx = std::cos(phi), dy = std::sin(phi);
      // The box's centre lies so far out that its edge is about r away.
      const QPointF centre(anchor.x() + dx * (r + w / 2 * std::fabs(dx)),
                           anchor.y() + dy * (r + h / 2 * std::fabs(dy)));
      const QRectF box(centre.x() - w / 2, centre.y() - h / 2, w, h);
      if (IsFree(box)) {
        Taken.push_back(box);
        spot.Box = box;
        spot.Leader = true;
        return spot;
      }
    }
  }
  spot.Box = QRectF(near[0], size);
  spot.Free = false;
  Taken.push_back(spot.Box);
  return spot;
}

namespace {

struct PlacedLabel {
  double Number = 0;
  QString Text;
  QPointF Anchor;
  LabelPlacer::Spot Spot;
  bool Warn = false;
};

// An enlarged detail of the densest cluster of points.
struct DetailInset {
  bool Valid = false;
  QRectF Box;          // on the page
  QRectF Region;       // the cluster's frame in the plan
  PlotView View;
  double Zoom = 1;
  std::vector<std::size_t> Points; // indices into the network's points
  double BarM = 0, BarPx = 0;
  std::vector<PlacedLabel> Labels;
};

struct PlanLayout {
  PlotView View;
  QRectF AxisBox;
  DetailInset Inset;
  std::vector<PlacedLabel> Labels;
};

constexpr double kAxisBox = 64;

QFont BoldFont(const PlotOptions &o) {
  QFont f = PlotFont(o);
  f.setBold(true);
  return f;
}

std::vector<QRectF> DecorationBoxes(const QRectF &area, const PlotView &view,
                                    const SurveyNetwork &network, const NetworkPrecision *precision,
                                    const PlotOptions &o, const QFontMetricsF &fm) {
  std::vector<QRectF> boxes;
  const NetworkPrecision none;
  const NetworkPrecision &p = precision ? *precision : none;
  if (o.ShowLegend) {
    const QRectF legend = LegendBox(area, LegendEntries(p, o, true), fm);
    if (!legend.isEmpty())
      boxes.push_back(legend);
    const ScaleBox s = ScaleBoxOf(area, view, network, p, o, fm, true);
    if (!s.Box.isEmpty())
      boxes.push_back(s.Box);
  }
  if (o.ShowAxisCross)
    boxes.push_back(QRectF(area.left() + kPad, area.top() + kPad, kAxisBox, kAxisBox));
  return boxes;
}

// Groups of points closer on the page than their labels need: the largest.
std::vector<std::size_t> DensestCluster(const SurveyNetwork &network, const PlotView &view,
                                        double need) {
  const auto &items = network.Points.List.Items;
  const std::size_t n = items.size();
  std::vector<std::size_t> parent(n);
  for (std::size_t i = 0; i < n; ++i)
    parent[i] = i;
  auto root = [&](std::size_t i) {
    while (parent[i] != i)
      i = parent[i] = parent[parent[i]];
    return i;
  };
  std::vector<QPointF> px(n);
  for (std::size_t i = 0; i < n; ++i)
    px[i] = view.ToPixel(items[i].X, items[i].Y);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j)
      if (std::hypot(px[i].x() - px[j].x(), px[i].y() - px[j].y()) < need)
        parent[root(i)] = root(j);
  std::vector<int> size(n, 0);
  for (std::size_t i = 0; i < n; ++i)
    ++size[root(i)];
  std::size_t best = n;
  for (std::size_t i = 0; i < n; ++i)
    if (size[i] >= 3 && (best == n || size[i] > size[best]))
      best = i;
  std::vector<std::size_t> out;
  if (best == n)
    return out;
  for (std::size_t i = 0; i < n; ++i)
    if (root(i) == best)
      out.push_back(i);
  return out;
}

// Places the point labels of a view; `bounds` limits them, `obstacles`
// are taken first.
std::vector<PlacedLabel> PlaceLabels(const SurveyNetwork &network, const PlotView &view,
                                     const NetworkPrecision *precision, const PlotOptions &o,
                                     const QRectF &bounds, const std::vector<QRectF> &obstacles,
                                     const std::vector<std::size_t> *only, double mag) {
  const QFontMetricsF bm(BoldFont(o));
  LabelPlacer placer(bounds);
  for (const QRectF &b : obstacles)
    placer.Occupy(b);
  const auto &items = network.Points.List.Items;
  auto each = [&](auto &&f) {
    if (only)
      for (std::size_t i : *only)
        f(items[i]);
    else
      for (const NetworkPoint &p : items)
        f(p);
  };
  each([&](const NetworkPoint &p) {
    const QPointF c = view.ToPixel(p.X, p.Y);
    placer.Occupy(QRectF(c.x() - 10, c.y() - 10, 20, 20)); // symbol and tolerance mark
  });
  if (precision && mag > 0) {
    const double k2 = static_cast<double>(EllipseFactor(o.Level));
    const double k1 = static_cast<double>(LinearFactor(o.Level));
    each([&](const NetworkPoint &q) {
      const int i = precision->IndexOf(q.Number);
      if (i < 0)
        return;
      const PointPrecision &p = precision->Points[static_cast<std::size_t>(i)];
      const QPointF c = view.ToPixel(q.X, q.Y);
      if (o.ShowEllipses)
        placer.Occupy(EllipseOutline(c, MmToPixels(static_cast<double>(p.Ellipse.SemiMajor) * k2, mag, view),
                                     MmToPixels(static_cast<double>(p.Ellipse.SemiMinor) * k2, mag, view),
                                     static_cast<double>(p.Ellipse.Bearing), view));
      if (o.ShowHeightBars) {
        const double h = MmToPixels(static_cast<double>(p.SigmaZ) * k1, mag, view);
        placer.Occupy(QRectF(c.x() - 17, c.y() - h, 10, 2 * h));
      }
    });
  }
  const std::vector<double> beyond =
      precision ? PointsBeyondTolerance(*precision, o) : std::vector<double>();
  const double reach = 14 * bm.height();
  std::vector<PlacedLabel> labels;
  each([&](const NetworkPoint &p) {
    PlacedLabel l;
    l.Number = p.Number;
    l.Text = NumberText(p.Number);
    l.Anchor = view.ToPixel(p.X, p.Y);
    l.Spot = placer.PlaceFree(l.Anchor, QSizeF(bm.horizontalAdvance(l.Text) + 2, bm.height()), 11, reach);
    l.Warn = std::find(beyond.begin(), beyond.end(), p.Number) != beyond.end();
    labels.push_back(l);
  });
  return labels;
}

double MagnificationOf(const NetworkPrecision *precision, const SurveyNetwork &network,
                       const PlotView &view, const QRectF &area, const PlotOptions &o) {
  return precision ? EffectiveMagnification(*precision, network, view, area, o) : 0;
}

PlanLayout LayoutPlan(const QRectF &area, const SurveyNetwork &network,
                      const NetworkPrecision *precision, const PlotOptions &o) {
  PlanLayout layout;
  const QFontMetricsF fm(PlotFont(o));
  const QFontMetricsF bm(BoldFont(o));
  // Fit the network into what the legend, the scale box and the axis cross
  // leave free.
  QRectF fit = area;
  PlotView view = FitView(network, fit, 60, o.Axes);
  std::vector<QRectF> boxes = DecorationBoxes(area, view, network, precision, o, fm);
  for (int round = 0; round < 4 && BoxesCoverPoints(boxes, view, network); ++round) {
    double bottom = 0, top = 0;
    for (const QRectF &b : boxes) {
      if (b.center().y() > area.center().y())
        bottom = std::max(bottom, area.bottom() - b.top());
      else
        top = std::max(top, b.bottom() - area.top());
    }
    fit = QRectF(area.left(), area.top() + top, area.width(), area.height() - top - bottom);
    if (fit.height() < area.height() / 3)
      break;
    view = FitView(network, fit, 40, o.Axes);
    boxes = DecorationBoxes(area, view, network, precision, o, fm);
  }
  layout.View = view;
  if (o.ShowAxisCross)
    layout.AxisBox = QRectF(area.left() + kPad, area.top() + kPad, kAxisBox, kAxisBox);

  // The detail of the densest cluster.
  if (o.ShowInset) {
    const double need = 2.2 * bm.height();
    const std::vector<std::size_t> cluster = DensestCluster(network, view, need);
    if (!cluster.empty()) {
      const auto &items = network.Points.List.Items;
      double minD = std::numeric_limits<double>::infinity(), extent = 0;
      for (std::size_t a : cluster)
        for (std::size_t b : cluster) {
          const double d = std::hypot(static_cast<double>(items[a].X - items[b].X),
                                      static_cast<double>(items[a].Y - items[b].Y));
          if (d > 1e-6)
            minD = std::min(minD, d);
          extent = std::max(extent, d);
        }
      const double side = std::min(area.width(), area.height()) * 0.36;
      double zoom = std::isfinite(minD) ? need * 1.3 / (minD * view.Scale) : 1;
      if (extent > 0)
        zoom = std::min(zoom, (side - 80) / (extent * view.Scale));
      if (zoom >= 1.5) {
        DetailInset &in = layout.Inset;
        in.Points = cluster;
        in.Zoom = zoom;
        // A free corner, else room made on the right.
        const QRectF candidates[] = {
            QRectF(area.right() - kPad - side, area.top() + kPad, side, side),
            QRectF(area.left() + kPad + kAxisBox + kPad, area.top() + kPad, side, side),
            QRectF(area.right() - kPad - side, area.center().y() - side / 2, side, side),
        };
        for (const QRectF &c : candidates) {
          bool clear = !BoxesCoverPoints({c}, view, network);
          for (const QRectF &b : boxes)
            clear = clear && !b.intersects(c);
          if (clear) {
            in.Box = c;
            break;
          }
        }
        if (in.Box.isEmpty()) {
          const QRectF narrower(fit.left(), fit.top(), fit.width() - side - kPad, fit.height());
          view = FitView(network, narrower, 40, o.Axes);
          layout.View = view;
          in.Box = candidates[0];
        }
        double minX = std::numeric_limits<double>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
        for (std::size_t i : cluster) {
          minX = std::min(minX, static_cast<double>(items[i].X));
          maxX = std::max(maxX, static_cast<double>(items[i].X));
          minY = std::min(minY, static_cast<double>(items[i].Y));
          maxY = std::max(maxY, static_cast<double>(items[i].Y));
        }
        in.View.Axes = o.Axes;
        in.View.Scale = view.Scale * zoom;
        in.View.CentreX = (minX + maxX) / 2;
        in.View.CentreY = (minY + maxY) / 2;
        in.View.OriginX = in.Box.center().x();
        in.View.OriginY = in.Box.center().y() - fm.height() / 2;
        const QPointF p1 = view.ToPixel(minX, minY), p2 = view.ToPixel(maxX, maxY);
        in.Region = QRectF(p1, p2).normalized().adjusted(-12, -12, 12, 12);
        in.BarM = NiceBelow(side * 0.35 / in.View.Scale);
        in.BarPx = in.BarM * in.View.Scale;
        const QRectF inner = in.Box.adjusted(4, 4, -4, -fm.height() - 10);
        in.Labels = PlaceLabels(network, in.View, nullptr, o, inner, {}, &in.Points, 0);
        in.Valid = true;
        boxes.push_back(in.Box);
      }
    }
  }
  const double mag = MagnificationOf(precision, network, view, area, o);
  layout.Labels = PlaceLabels(network, view, precision, o, area, boxes, nullptr, mag);
  return layout;
}

void DrawArrow(QPainter &painter, const QPointF &from, const QPointF &to) {
  painter.drawLine(from, to);
  const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
  const QPointF n(-d.y(), d.x());
  painter.drawLine(to, to - 9 * d + 4 * n);
  painter.drawLine(to, to - 9 * d - 4 * n);
}

void DrawAxisCross(QPainter &painter, const QRectF &box, const PlotOptions &o) {
  painter.save();
  painter.setPen(QPen(o.TextColor, 1.5));
  painter.setFont(BoldFont(o));
  const QFontMetricsF fm(painter.font());
  const QPointF origin(box.left() + 14, box.bottom() - 14);
  if (o.Axes == PlotAxes::XUpYRight) {
    // X to the north (up), Y to the east (right).
    DrawArrow(painter, origin, origin + QPointF(0, -(box.height() - 28)));
    DrawArrow(painter, origin, origin + QPointF(box.width() - 30, 0));
    painter.drawText(QPointF(origin.x() + 5, box.top() + fm.ascent()), QStringLiteral("+X"));
    painter.drawText(QPointF(box.right() - fm.horizontalAdvance(QStringLiteral("+Y")),
                             origin.y() - 5), QStringLiteral("+Y"));
  } else {
    const QPointF top(box.left() + 14, box.top() + 14);
    DrawArrow(painter, top, top + QPointF(box.width() - 30, 0));
    DrawArrow(painter, top, top + QPointF(0, box.height() - 28));
    painter.drawText(QPointF(box.right() - fm.horizontalAdvance(QStringLiteral("+X")),
                             top.y() + fm.ascent() + 3), QStringLiteral("+X"));
    painter.drawText(QPointF(top.x() + 5, box.bottom()), QStringLiteral("+Y"));
  }
  painter.restore();
}

void DrawPointSymbol(QPainter &painter, const QPointF &c, bool fixed, const PlotOptions &o) {
  const QColor color = fixed ? o.FixedColor : o.AdjustedColor;
  painter.setPen(QPen(color, 2));
  if (fixed) {
    painter.setBrush(color);
    painter.drawPolygon(QPolygonF({c + QPointF(0, -7), c + QPointF(6, 4.5), c + QPointF(-6, 4.5)}));
  } else {
    painter.setBrush(o.Background);
    painter.drawEllipse(c, 4, 4);
    painter.drawLine(c + QPointF(-7, 0), c + QPointF(7, 0));
    painter.drawLine(c + QPointF(0, -7), c + QPointF(0, 7));
  }
}

// The point of `box` nearest to `p`.
QPointF NearestOn(const QRectF &box, const QPointF &p) {
  return QPointF(std::clamp(p.x(), box.left(), box.right()), std::clamp(p.y(), box.top(), box.bottom()));
}

void DrawLabels(QPainter &painter, const std::vector<PlacedLabel> &labels, const PlotOptions &o) {
  painter.setFont(BoldFont(o));
  for (const PlacedLabel &l : labels) {
    if (l.Spot.Leader) {
      painter.setPen(QPen(o.TextColor.lighter(180), 0.8));
      const QPointF end = NearestOn(l.Spot.Box, l.Anchor);
      const QPointF d = end - l.Anchor;
      const double len = std::hypot(d.x(), d.y());
      if (len > 8)
        painter.drawLine(l.Anchor + d * (6 / len), end);
    }
    painter.setPen(l.Warn ? o.BeyondColor : o.TextColor);
    painter.drawText(l.Spot.Box, Qt::AlignLeft | Qt::AlignTop, l.Text);
  }
}

void DrawInset(QPainter &painter, const DetailInset &in, const SurveyNetwork &network,
               const PlotOptions &o) {
  painter.save();
  // The cluster's frame in the plan.
  painter.setPen(QPen(o.TextColor, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(in.Region);
  painter.setPen(QPen(o.TextColor, 1));
  painter.setBrush(o.Background);
  painter.drawRect(in.Box);
  painter.setClipRect(in.Box.adjusted(1, 1, -1, -1));
  const MeasurementList pairs = PairsOf(network);
  painter.setPen(QPen(o.LineColor, 1.5));
  for (const MeasuredPair &pair : pairs.Pairs) {
    QPointF a, b;
    if (PointPixel(network, in.View, pair.PointA, a) && PointPixel(network, in.View, pair.PointB, b))
      painter.drawLine(a, b);
  }
  for (std::size_t i : in.Points) {
    const NetworkPoint &p = network.Points.List.Items[i];
    DrawPointSymbol(painter, in.View.ToPixel(p.X, p.Y), p.Fixed, o);
  }
  DrawLabels(painter, in.Labels, o);
  painter.setClipping(false);
  const QFont font = PlotFont(o);
  painter.setFont(font);
  const QFontMetricsF fm(font);
  const double baseline = in.Box.bottom() - 6;
  painter.setPen(o.TextColor);
  const QString caption = QStringLiteral("%1 \u00d7%2").arg(o.Texts.Detail, MagnificationText(std::round(in.Zoom * 10) / 10));
  painter.drawText(QPointF(in.Box.left() + 6, baseline), caption);
  if (in.BarPx > 0)
    DrawScaleBar(painter, in.Box.left() + 14 + fm.horizontalAdvance(caption), baseline, in.BarPx,
                 QStringLiteral("%1 m").arg(NumberText(in.BarM)), o.TextColor, o, fm);
  painter.restore();
}

} // namespace

std::vector<QRectF> PlanLabelBoxes(const QRectF &area, const SurveyNetwork &network,
                                   const NetworkPrecision *precision, const PlotOptions &options) {
  const PlanLayout layout = LayoutPlan(area, network, precision, options);
  std::vector<QRectF> boxes;
  for (const PlacedLabel &l : layout.Labels)
    boxes.push_back(l.Spot.Box);
  return boxes;
}

PlotView PlanDrawingView(const QRectF &area, const SurveyNetwork &network,
                         const NetworkPrecision *precision, const PlotOptions &options) {
  return LayoutPlan(area, network, precision, options).View;
}

void DrawPrecisionPlan(QPainter &painter, const QRectF &area, const SurveyNetwork &network,
                       const NetworkPrecision *precision, const PlotOptions &o) {
  painter.save();
  painter.fillRect(area, o.Background);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QFont font = PlotFont(o);
  painter.setFont(font);
  const QFontMetricsF fm(font);
  const PlanLayout layout = LayoutPlan(area, network, precision, o);
  const PlotView &view = layout.View;
  const MeasurementList pairs = PairsOf(network);

  painter.setPen(QPen(o.LineColor, 1.5));
  for (const MeasuredPair &pair : pairs.Pairs) {
    QPointF a, b;
    if (PointPixel(network, view, pair.PointA, a) && PointPixel(network, view, pair.PointB, b))
      painter.drawLine(a, b);
  }
  if (precision) {
    PlotOptions only = o;
    only.ShowLegend = false;
    DrawPrecisionOverlay(painter, area, view, network, *precision, only);
  }
  for (const NetworkPoint &p : network.Points.List.Items)
    DrawPointSymbol(painter, view.ToPixel(p.X, p.Y), p.Fixed, o);
  if (o.ShowLineLabels) {
    LabelPlacer lineLabels(area);
    for (const PlacedLabel &l : layout.Labels)
      lineLabels.Occupy(l.Spot.Box);
    painter.setFont(font);
    painter.setPen(o.LineColor.darker(150));
    for (const MeasuredPair &pair : pairs.Pairs) {
      QPointF a, b;
      if (!PointPixel(network, view, pair.PointA, a) || !PointPixel(network, view, pair.PointB, b))
        continue;
      const QString text = QString::fromStdString(MeasurementList::PairLabel(pair));
      const QPointF at = lineLabels.Place((a + b) / 2, QSizeF(fm.horizontalAdvance(text), fm.height()), 3);
      painter.drawText(QRectF(at, QSizeF(fm.horizontalAdvance(text) + 1, fm.height())),
                       Qt::AlignLeft | Qt::AlignTop, text);
    }
  }
  DrawLabels(painter, layout.Labels, o);
  painter.setFont(font);
  if (layout.Inset.Valid)
    DrawInset(painter, layout.Inset, network, o);
  if (!layout.AxisBox.isEmpty())
    DrawAxisCross(painter, layout.AxisBox, o);
  if (o.ShowLegend) {
    const NetworkPrecision none;
    DrawLegendAndScale(painter, area, view, network, precision ? *precision : none, o, true);
  }
  painter.restore();
}

bool WritePlot(const std::string &fileName, int width, int height, const SurveyNetwork &network,
               const NetworkPrecision *precision, const PlotOptions &options, std::string &error) {
  error.clear();
  const QString name = QString::fromStdString(fileName);
  const QString ext = QFileInfo(name).suffix().toLower();
  if (ext != QLatin1String("png") && ext != QLatin1String("svg") && ext != QLatin1String("pdf")) {
    error = "unknown plot format of " + fileName + " (use a .png, .svg or .pdf file name)";
    return false;
  }
  if (width < 100 || height < 100 || width > 20000 || height > 20000) {
    error = "plot size " + std::to_string(width) + " x " + std::to_string(height) +
            " is out of range (100 to 20000 pixels)";
    return false;
  }
  QByteArray bytes;
  const QRectF area(0, 0, width, height);
  if (ext == QLatin1String("png")) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(options.Background);
    {
      QPainter painter(&image);
      DrawPrecisionPlan(painter, area, network, precision, options);
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
      error = "cannot encode the PNG image";
      return false;
    }
  } else if (ext == QLatin1String("svg")) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(width, height));
    svg.setViewBox(area);
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("Measurement plan"));
    QPainter painter;
    if (!painter.begin(&svg)) {
      error = "cannot start the SVG drawing";
      return false;
    }
    DrawPrecisionPlan(painter, area, network, precision, options);
    painter.end();
  } else {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(96);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(width * 72.0 / 96, height * 72.0 / 96),
                                            QPageSize::Point),
                                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    pdf.setTitle(QStringLiteral("Measurement plan"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
      error = "cannot start the PDF drawing";
      return false;
    }
    const QRectF page(0, 0, pdf.width(), pdf.height());
    DrawPrecisionPlan(painter, page, network, precision, options);
    painter.end();
  }
  if (!kd::WriteFileAtomic(fileName, std::string_view(bytes.constData(), bytes.size()))) {
    error = "cannot write " + fileName;
    return false;
  }
  return true;
}

PlotTexts PlotTextsIn(const LanguagePack &lang) {
  const auto q = [&lang](Text id) { return QString::fromStdString(Tr(lang, id)); };
  PlotTexts t;
  t.FixedPoint = q(Text::PlotFixedPoint);
  t.AdjustedPoint = q(Text::PlotAdjustedPoint);
  t.PointEllipse = q(Text::PlotPointEllipse);
  t.HeightBar = q(Text::PlotHeightBar);
  t.RelativeEllipse = q(Text::PlotRelativeEllipse);
  t.Uncontrolled = q(Text::PlotUncontrolled);
  t.Weak = q(Text::PlotWeak);
  t.Controlled = q(Text::Controlled);
  t.Line = q(Text::PlotLine);
  t.BeyondTolerance = q(Text::PlotBeyondTolerance);
  t.StandardEllipses = q(Text::PlotStandardEllipses);
  t.Percent95Ellipses = q(Text::PlotPercent95Ellipses);
  t.Ellipses = q(Text::PlotEllipses);
  t.MmOfPlan = q(Text::PlotMmOfPlan);
  t.Network = q(Text::PlotNetwork);
  t.Detail = q(Text::PlotDetail);
  return t;
}
