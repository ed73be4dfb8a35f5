#include "report/report_plan.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/number_text.h"
#include "engine/report_data.h"
#include "report/report_texts.h"

namespace {

QColor ClassColour(long double redundancy) {
  if (!std::isfinite(redundancy))
    return QColor(90, 90, 90);
  switch (ReliabilityOf(redundancy)) {
  case ReliabilityClass::Uncontrolled:
    return QColor(200, 30, 30);
  case ReliabilityClass::Weak:
    return QColor(230, 140, 0);
  case ReliabilityClass::Controlled:
    break;
  }
  return QColor(30, 150, 60);
}

// A round number of the form 1, 2 or 5 x 10^k not above `limit`.
double RoundLength(double limit) {
  if (!(limit > 0))
    return 1;
  const double p = std::pow(10.0, std::floor(std::log10(limit)));
  for (double f : {5.0, 2.0, 1.0})
    if (f * p <= limit)
      return f * p;
  return p;
}

void DrawScaleBar(QPainter &painter, QPointF origin, double pixels, const QString &label,
                  double unit) {
  painter.setPen(QPen(Qt::black, 0.8 * unit));
  painter.drawLine(origin, origin + QPointF(pixels, 0));
  painter.drawLine(origin + QPointF(0, -3 * unit), origin + QPointF(0, 3 * unit));
  painter.drawLine(origin + QPointF(pixels, -3 * unit), origin + QPointF(pixels, 3 * unit));
  painter.drawText(QRectF(origin.x(), origin.y() + 3 * unit, std::max(pixels, 80 * unit), 12 * unit),
                   Qt::AlignLeft | Qt::AlignTop, label);
}

} // namespace

void DrawReportPlan(QPainter &painter, const QRectF &area, const ReportData &data, double unit) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setClipRect(area);
  painter.setPen(QPen(Qt::black, 0.5 * unit));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);

  const auto &items = data.Points.Items;
  if (items.empty()) {
    painter.restore();
    return;
  }
  // The drawing keeps room for the legend below.
  const QRectF plot = area.adjusted(30 * unit, 30 * unit, -30 * unit, -60 * unit);
  long double minX = items[0].X, maxX = minX, minY = items[0].Y, maxY = minY;
  for (const NetworkPoint &p : items) {
    minX = std::min(minX, p.X);
    maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  const double spanX = std::max(static_cast<double>(maxX - minX), 1e-3);
  const double spanY = std::max(static_cast<double>(maxY - minY), 1e-3);
  // +X to the right, +Y downwards, as the program's plans are drawn.
  const double scale = std::min(plot.width() / spanX, plot.height() / spanY);
  const double cx = static_cast<double>(minX + maxX) / 2, cy = static_cast<double>(minY + maxY) / 2;
  auto toPage = [&](long double x, long double y) {
    return QPointF(plot.center().x() + (static_cast<double>(x) - cx) * scale,
                   plot.center().y() + (static_cast<double>(y) - cy) * scale);
  };

  // Measurement lines, one per pair, in the colour of the weakest check.
  std::vector<std::pair<double, double>> pairs;
  for (const Measurement &m : data.Measurements.Items) {
    const auto key = std::minmax(m.Station, m.Target);
    if (std::find(pairs.begin(), pairs.end(), std::pair<double, double>(key)) != pairs.end())
      continue;
    pairs.emplace_back(key);
    const int a = data.Points.IndexOfNumber(m.Station), b = data.Points.IndexOfNumber(m.Target);
    if (a < 0 || b < 0)
      continue;
    const long double r = data.Precision.WeakestRedundancyBetween(m.Station, m.Target);
    painter.setPen(QPen(ClassColour(r), 0.9 * unit));
    painter.drawLine(toPage(items[static_cast<std::size_t>(a)].X, items[static_cast<std::size_t>(a)].Y),
                     toPage(items[static_cast<std::size_t>(b)].X, items[static_cast<std::size_t>(b)].Y));
  }

  // Ellipses: the largest is drawn about 8 % of the plot's shorter side.
  const long double factor = EllipseFactor(data.Confidence);
  long double largest = 0;
  for (const PointPrecision &p : data.Precision.Points)
    largest = std::max(largest, p.Ellipse.SemiMajor * factor);
  const double ellipseScale =
      largest > 0 ? 0.08 * std::min(plot.width(), plot.height()) / static_cast<double>(largest) : 0;
  painter.setPen(QPen(QColor(0, 60, 200), 0.8 * unit));
  for (const PointPrecision &p : data.Precision.Points) {
    const double a = static_cast<double>(p.Ellipse.SemiMajor * factor) * ellipseScale;
    const double b = static_cast<double>(p.Ellipse.SemiMinor * factor) * ellipseScale;
    const double t = static_cast<double>(p.Ellipse.Bearing) * std::numbers::pi / 200.0;
    const QPointF c = toPage(p.X, p.Y);
    QPainterPath path;
    for (int k = 0; k <= 72; ++k) {
      const double s = 2 * std::numbers::pi * k / 72;
      const double ex = a * std::cos(s), ey = b * std::sin(s);
      const QPointF q(c.x() + ex * std::cos(t) - ey * std::sin(t),
                      c.y() + ex * std::sin(t) + ey * std::cos(t));
      k == 0 ? path.moveTo(q) : path.lineTo(q);
    }
    painter.drawPath(path);
    // Height deviation as a bar beside the point.
    const double h = static_cast<double>(p.SigmaZ * LinearFactor(data.Confidence)) * ellipseScale;
    painter.drawLine(c + QPointF(4 * unit, -h), c + QPointF(4 * unit, h));
  }

  // Points: fixed as triangles, adjusted as circles, with their numbers.
  QFont font = painter.font();
  font.setPointSizeF(7);
  painter.setFont(font);
  for (const NetworkPoint &p : items) {
    const QPointF c = toPage(p.X, p.Y);
    painter.setPen(QPen(Qt::black, 0.6 * unit));
    if (p.Fixed) {
      painter.setBrush(Qt::black);
      const QPointF tri[3] = {c + QPointF(0, -3.5 * unit), c + QPointF(3 * unit, 2 * unit),
                              c + QPointF(-3 * unit, 2 * unit)};
      painter.drawPolygon(tri, 3);
    } else {
      painter.setBrush(Qt::white);
      painter.drawEllipse(c, 2 * unit, 2 * unit);
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawText(c + QPointF(4 * unit, -4 * unit), QString::fromStdString(NumToText(p.Number)));
  }

  // Scale bars: the plan in metres, the ellipses in millimetres.
  const double planMetres = RoundLength(plot.width() / 4 / scale);
  DrawScaleBar(painter, QPointF(area.left() + 12 * unit, area.bottom() - 40 * unit),
               planMetres * scale, QString::fromStdString(NumToText(planMetres) + " m"), unit);
  if (ellipseScale > 0) {
    const double ellipseMm = RoundLength(plot.width() / 6 / ellipseScale);
    DrawScaleBar(painter, QPointF(area.left() + 150 * unit, area.bottom() - 40 * unit),
                 ellipseMm * ellipseScale,
                 QString::fromStdString(NumToText(ellipseMm) + " mm (" +
                                        RT(ReportText::ScaleEllipses) + ")"),
                 unit);
  }
  // Legend: line colours.
  const struct {
    QColor Colour;
    const char *Text;
  } legend[] = {{ClassColour(1), "r >= 0.3"}, {ClassColour(0.2L), "0.1 <= r < 0.3"},
                {ClassColour(0), "r < 0.1"}};
  double x = area.left() + 300 * unit;
  for (const auto &l : legend) {
    painter.setPen(QPen(l.Colour, 2 * unit));
    painter.drawLine(QPointF(x, area.bottom() - 40 * unit), QPointF(x + 18 * unit, area.bottom() - 40 * unit));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x + 22 * unit, area.bottom() - 37 * unit), QString::fromUtf8(l.Text));
    x += 80 * unit;
  }
  // North arrow: +X points to the right on the plan.
  painter.setPen(QPen(Qt::black, 0.8 * unit));
  const QPointF n0(area.right() - 40 * unit, area.top() + 18 * unit);
  painter.drawLine(n0, n0 + QPointF(22 * unit, 0));
  painter.drawLine(n0 + QPointF(22 * unit, 0), n0 + QPointF(17 * unit, -3 * unit));
  painter.drawLine(n0 + QPointF(22 * unit, 0), n0 + QPointF(17 * unit, 3 * unit));
  painter.drawText(n0 + QPointF(24 * unit, 3 * unit), "X");
  painter.restore();
}
