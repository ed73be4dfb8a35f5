#include "plot/precision_plan.h"

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
// bearing `bearingGon`: x along X, y along Y, so the bearing turns clockwise.
QPolygonF EllipseOutline(const QPointF &centre, double a, double b, double bearingGon) {
  const double t = bearingGon * kGonToRad;
  const QPointF e1(std::cos(t), std::sin(t));
  const QPointF e2(-std::sin(t), std::cos(t));
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

void DrawPrecisionLegend(QPainter &painter, const QRectF &area, const PlotView &view,
                         const SurveyNetwork &network, const NetworkPrecision &precision,
                         const PlotOptions &o) {
  painter.save();
  const QFont font = PlotFont(o);
  painter.setFont(font);
  const QFontMetricsF fm(font);
  const double lh = fm.height() + 2;
  const double pad = 6;

  // Reliability legend, bottom-left.
  struct Entry {
    QColor Color;
    QString Text;
    bool Line;
  };
  std::vector<Entry> entries;
  if (o.ShowReliability && !precision.Observations.empty()) {
    entries.push_back({o.UncontrolledColor, QStringLiteral("uncontrolled (r < 0.1)"), true});
    entries.push_back({o.WeakColor, QStringLiteral("weakly controlled (r < 0.3)"), true});
    entries.push_back({o.LineColor, QStringLiteral("controlled"), true});
  }
  if (o.ToleranceSemiMajorMm > 0 || o.ToleranceSigmaZMm > 0) {
    QString t = QStringLiteral("beyond tolerance (");
    if (o.ToleranceSemiMajorMm > 0)
      t += QStringLiteral("a > %1 mm").arg(o.ToleranceSemiMajorMm);
    if (o.ToleranceSemiMajorMm > 0 && o.ToleranceSigmaZMm > 0)
      t += QStringLiteral(", ");
    if (o.ToleranceSigmaZMm > 0)
      t += QStringLiteral("\u03c3Z > %1 mm").arg(o.ToleranceSigmaZMm);
    t += QStringLiteral(")");
    entries.push_back({o.BeyondColor, t, false});
  }
  if (!entries.empty()) {
    double w = 0;
    for (const Entry &e : entries)
      w = std::max(w, fm.horizontalAdvance(e.Text));
    const QRectF box(area.left() + pad, area.bottom() - pad - lh * entries.size() - 2 * pad,
                     w + 40 + 2 * pad, lh * entries.size() + 2 * pad);
    painter.setPen(QPen(o.TextColor, 1));
    painter.setBrush(o.Background);
    painter.drawRect(box);
    double y = box.top() + pad;
    for (const Entry &e : entries) {
      const double my = y + lh / 2;
      if (e.Line) {
        painter.setPen(QPen(e.Color, 3));
        painter.drawLine(QPointF(box.left() + pad, my), QPointF(box.left() + pad + 28, my));
      } else {
        painter.setPen(QPen(e.Color, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(box.left() + pad + 14, my), 5, 5);
      }
      painter.setPen(o.TextColor);
      painter.drawText(QPointF(box.left() + pad + 36, my + fm.ascent() / 2 - 1), e.Text);
      y += lh;
    }
  }

  // Scale bar, bottom-right.
  const double mag = EffectiveMagnification(precision, network, view, area, o);
  if (mag > 0 && (o.ShowEllipses || o.ShowRelativeEllipses || o.ShowHeightBars)) {
    const double pxPerMm = MmToPixels(1, mag, view);
    const double barMm = NiceBelow(std::min(area.width() / 5, 150.0) / pxPerMm);
    if (barMm > 0) {
      const double barPx = barMm * pxPerMm;
      const QString level = o.Level == ConfidenceLevel::Standard
                                ? QStringLiteral("standard ellipses")
                                : QStringLiteral("95 % ellipses");
      const QString line1 = QStringLiteral("ellipses \u00d7 %1 (%2)")
                                .arg(MagnificationText(mag), level);
      const QString line2 = QStringLiteral("1 mm = %1 m of the plan")
                                .arg(QString::number(mag / 1000.0, 'g', 4));
      const QString barText = QStringLiteral("%1 mm").arg(NumberText(barMm));
      const double w = std::max({fm.horizontalAdvance(line1), fm.horizontalAdvance(line2),
                                 barPx + fm.horizontalAdvance(barText) + 8});
      const QRectF box(area.right() - pad - w - 2 * pad, area.bottom() - pad - 3 * lh - 2 * pad,
                       w + 2 * pad, 3 * lh + 2 * pad);
      painter.setPen(QPen(o.TextColor, 1));
      painter.setBrush(o.Background);
      painter.drawRect(box);
      const double x0 = box.left() + pad;
      double y = box.top() + pad + fm.ascent();
      painter.drawText(QPointF(x0, y), line1);
      y += lh;
      painter.drawText(QPointF(x0, y), line2);
      y += lh;
      const double by = y - fm.ascent() / 2;
      painter.setPen(QPen(o.EllipseColor, 2));
      painter.drawLine(QPointF(x0, by), QPointF(x0 + barPx, by));
      painter.drawLine(QPointF(x0, by - 4), QPointF(x0, by + 4));
      painter.drawLine(QPointF(x0 + barPx, by - 4), QPointF(x0 + barPx, by + 4));
      painter.setPen(o.TextColor);
      painter.drawText(QPointF(x0 + barPx + 8, y), barText);
    }
  }
  painter.restore();
}

QPointF PlotView::ToPixel(long double X, long double Y) const {
  return QPointF(static_cast<double>((X - CentreX) * Scale + OriginX),
                 static_cast<double>((Y - CentreY) * Scale + OriginY));
}

PlotView FitView(const SurveyNetwork &network, const QRectF &area, double margin) {
  PlotView v;
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
  const double dx = maxX - minX, dy = maxY - minY;
  if (dx <= 0 && dy <= 0)
    v.Scale = 1;
  else
    v.Scale = std::min(dx > 0 ? w / dx : std::numeric_limits<double>::infinity(),
                       dy > 0 ? h / dy : std::numeric_limits<double>::infinity());
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
  std::vector<double> out;
  const double k2 = static_cast<double>(EllipseFactor(options.Level));
  const double k1 = static_cast<double>(LinearFactor(options.Level));
  for (const PointPrecision &p : precision.Points) {
    const bool horizontal = options.ToleranceSemiMajorMm > 0 &&
                            static_cast<double>(p.Ellipse.SemiMajor) * k2 >
                                options.ToleranceSemiMajorMm;
    const bool vertical = options.ToleranceSigmaZMm > 0 &&
                          static_cast<double>(p.SigmaZ) * k1 > options.ToleranceSigmaZMm;
    if (horizontal || vertical)
      out.push_back(p.Number);
  }
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
    painter.setPen(QPen(o.RelativeColor, 1.5));
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
          static_cast<double>(rel.Ellipse.Bearing)));
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
          static_cast<double>(p.Ellipse.Bearing)));
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
    if (!Bounds.isEmpty() && !Bounds.contains(box))
      continue;
    bool free = true;
    for (const QRectF &t : Taken)
      if (t.intersects(box)) {
        free = false;
        break;
      }
    if (free) {
      Taken.push_back(box);
      return c;
    }
  }
  Taken.push_back(QRectF(candidates[0], size));
  return candidates[0];
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
  const PlotView view = FitView(network, area, 60);
  const MeasurementList pairs = PairsOf(network);

  LabelPlacer labels(area);
  constexpr double kSymbol = 5;
  for (const NetworkPoint &p : network.Points.List.Items) {
    const QPointF c = view.ToPixel(p.X, p.Y);
    labels.Occupy(QRectF(c.x() - kSymbol, c.y() - kSymbol, 2 * kSymbol, 2 * kSymbol));
  }

  painter.setPen(QPen(o.LineColor, 1.5));
  for (const MeasuredPair &pair : pairs.Pairs) {
    QPointF a, b;
    if (PointPixel(network, view, pair.PointA, a) && PointPixel(network, view, pair.PointB, b))
      painter.drawLine(a, b);
  }
  if (precision)
    DrawPrecisionOverlay(painter, area, view, network, *precision,
                         [&] {
                           PlotOptions only = o;
                           only.ShowLegend = false;
                           return only;
                         }());

  // Point symbols: a triangle for fixed, a circle with a cross for adjusted.
  for (const NetworkPoint &p : network.Points.List.Items) {
    const QPointF c = view.ToPixel(p.X, p.Y);
    const QColor color = p.Fixed ? o.FixedColor : o.AdjustedColor;
    painter.setPen(QPen(color, 2));
    if (p.Fixed) {
      painter.setBrush(color);
      painter.drawPolygon(QPolygonF({c + QPointF(0, -7), c + QPointF(6, 4.5), c + QPointF(-6, 4.5)}));
    } else {
      painter.setBrush(o.Background);
      painter.drawEllipse(c, 4, 4);
      painter.drawLine(c + QPointF(-7, 0), c + QPointF(7, 0));
      painter.drawLine(c + QPointF(0, -7), c + QPointF(0, 7));
    }
  }
  if (o.ShowLineLabels) {
    painter.setPen(o.LineColor.darker(150));
    for (const MeasuredPair &pair : pairs.Pairs) {
      QPointF a, b;
      if (!PointPixel(network, view, pair.PointA, a) || !PointPixel(network, view, pair.PointB, b))
        continue;
      const QString text = QString::fromStdString(MeasurementList::PairLabel(pair));
      const QPointF at = labels.Place((a + b) / 2, QSizeF(fm.horizontalAdvance(text), fm.height()), 3);
      painter.drawText(QRectF(at, QSizeF(fm.horizontalAdvance(text) + 1, fm.height())),
                       Qt::AlignLeft | Qt::AlignTop, text);
    }
  }
  const std::vector<double> beyond =
      precision ? PointsBeyondTolerance(*precision, o) : std::vector<double>();
  QFont bold = font;
  bold.setBold(true);
  painter.setFont(bold);
  const QFontMetricsF bm(bold);
  for (const NetworkPoint &p : network.Points.List.Items) {
    const QPointF c = view.ToPixel(p.X, p.Y);
    const QString text = NumberText(p.Number);
    const QSizeF size(bm.horizontalAdvance(text) + 1, bm.height());
    const QPointF at = labels.Place(c, size, 8);
    const bool warn = std::find(beyond.begin(), beyond.end(), p.Number) != beyond.end();
    painter.setPen(warn ? o.BeyondColor : o.TextColor);
    painter.drawText(QRectF(at, size), Qt::AlignLeft | Qt::AlignTop, text);
  }
  painter.setFont(font);
  if (precision && o.ShowLegend)
    DrawPrecisionLegend(painter, area, view, network, *precision, o);
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
