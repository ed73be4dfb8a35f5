#include "plot/plan_painter.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QString>

#include "core/number_text.h"
#include "core/measurement_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace kd::plot {

namespace {

// The desktop's classic palette for system colour numbers 0..30.
const std::uint32_t kSystemRgb[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464,
    0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800,
    0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF,
    0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9,
    0xF2E4D7, 0xD77800, 0xF0F0F0};

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Beyond this distance from the device a line is clipped before it is
// walked; inside it the plain pixel walk is cheap.
constexpr long long kWalkLimit = 4096;

QFont MakeFont(const std::string &name, int points) {
  QFont f(QString::fromStdString(name));
  f.setPixelSize(PointsToPixels(points));
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

// Texts are rendered once per font into a one-bit image (1 where the glyphs
// are) and then drawn in two colours: a plan repeats the same labels many
// times, and shaping text anew for each is slow.
class TextMaskCache {
public:
  const QImage &Mask(const std::string &fontName, int fontSize, const std::string &text) {
    SelectFont(fontName, fontSize);
    auto it = Masks.find(text);
    if (it != Masks.end())
      return it->second;
    if (Masks.size() >= kMaxEntries)
      Masks.clear();
    return Masks.emplace(text, Render(text)).first->second;
  }
  // The mask in two colours (ink on box), ready to be drawn.
  const QImage &Coloured(const std::string &fontName, int fontSize, const std::string &text, QRgb ink,
                         QRgb box, QImage::Format format) {
    SelectFont(fontName, fontSize);
    std::string &key = Key;
    key.assign(text);
    key.push_back('\0');
    key.append(reinterpret_cast<const char *>(&ink), sizeof ink);
    key.append(reinterpret_cast<const char *>(&box), sizeof box);
    key.append(reinterpret_cast<const char *>(&format), sizeof format);
    auto it = ColouredMasks.find(key);
    if (it != ColouredMasks.end())
      return it->second;
    if (ColouredMasks.size() >= kMaxEntries)
      ColouredMasks.clear();
    QImage two = Mask(fontName, fontSize, text);
    two.setColorTable({box, ink});
    return ColouredMasks.emplace(key, two.convertToFormat(format)).first->second;
  }
  const QFont &CurrentFont() const { return Font; }
  int Ascent() const { return Metrics ? Metrics->ascent() : 0; }

private:
  static constexpr std::size_t kMaxEntries = 100000;

  void SelectFont(const std::string &name, int size) {
    if (Metrics && name == FontName && size == FontSize)
      return;
    FontName = name;
    FontSize = size;
    Font = MakeFont(name, size);
    Metrics = std::make_unique<QFontMetrics>(Font);
    Masks.clear();
    ColouredMasks.clear();
  }

  QImage Render(const std::string &text) const {
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const int w = std::max(0, Metrics->horizontalAdvance(s));
    const int h = std::max(0, Metrics->height());
    if (w == 0 || h == 0)
      return QImage();
    QImage scratch(w, h, QImage::Format_RGB32);
    scratch.fill(Qt::black);
    {
      QPainter p(&scratch);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setRenderHint(QPainter::TextAntialiasing, false);
      p.setFont(Font);
      p.setPen(Qt::white);
      p.drawText(0, Metrics->ascent(), s);
    }
    QImage mask(w, h, QImage::Format_Mono);
    mask.setColorCount(2);
    mask.fill(0);
    for (int y = 0; y < h; ++y) {
      const QRgb *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
      for (int x = 0; x < w; ++x)
        if (qRed(line[x]) > 127)
          mask.setPixel(x, y, 1);
    }
    return mask;
  }

  std::string FontName;
  int FontSize = 0;
  QFont Font;
  std::unique_ptr<QFontMetrics> Metrics;
  std::unordered_map<std::string, QImage> Masks;
  std::unordered_map<std::string, QImage> ColouredMasks;
  std::string Key; // scratch for the lookups
};


QRgb ToQRgb(std::uint32_t color) {
  const std::uint32_t c = ShownRgb(color);
  return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

bool Finite(const PixelPosition &p) { return std::isfinite(p.x) && std::isfinite(p.y); }

} // namespace

std::uint32_t ShownRgb(std::uint32_t color) {
  if ((color >> 24) == 0xFF) {
    const std::uint32_t n = color & 0xFFFFFF;
    return n < 31 ? kSystemRgb[n] : 0x000000;
  }
  return color & 0xFFFFFF;
}

QColor PlanColor(std::uint32_t color) { return QColor::fromRgb(ToQRgb(color)); }

std::uint32_t ColorAt(const QImage &image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
    return 0;
  const QRgb c = image.pixel(x, y);
  return std::uint32_t(qRed(c)) | (std::uint32_t(qGreen(c)) << 8) | (std::uint32_t(qBlue(c)) << 16);
}

int PointsToPixels(int points) {
  // A 96 dpi screen: 10 pt are 13 pixels (rounded half up like the desktop).
  if (points < 1)
    points = 1;
  return (points * 96 + 36) / 72;
}

struct TextMasks::Cache : TextMaskCache {};

TextMasks::TextMasks() : C(std::make_unique<Cache>()) {}
TextMasks::~TextMasks() = default;

PlanStyle::PlanStyle() { TakeColoursAndFont(kd::Settings()); }

PlanStyle PlanStyle::FromSettings(const kd::Settings &settings) {
  PlanStyle style;
  style.TakeColoursAndFont(settings);
  return style;
}

void PlanStyle::TakeColoursAndFont(const kd::Settings &s) {
  FixedColor = s.FixedColor;
  AdjustedColor = s.AdjustedColor;
  MeasColor = s.MeasColor;
  MarkColor = s.MarkColor;
  BackColor = s.BackColor;
  FontName = s.FontName;
  FontSize = s.FontSize;
}

// ---- PlanPainter -----------------------------------------------------------

PlanPainter::PlanPainter(QPainter &painter, const PlanStyle &style)
    : PlanPainter(painter, style, nullptr) {}

PlanPainter::PlanPainter(QPainter &painter, const PlanStyle &style, TextMasks *masks)
    : P(painter), Style(style) {
  if (masks == nullptr) {
    OwnMasks = std::make_unique<TextMasks>();
    masks = OwnMasks.get();
  }
  Masks = masks->C.get();
  P.save();
  if (QPaintDevice *device = P.device()) {
    W = device->width();
    H = device->height();
  }
  const QPaintEngine *engine = P.paintEngine();
  Exact = engine && engine->type() == QPaintEngine::Raster && P.worldTransform().isIdentity();
  // Label images in the image's own format copy fastest.
  if (Exact && P.device()->devType() == QInternal::Image) {
    const QImage::Format format = static_cast<const QImage *>(P.device())->format();
    if (format == QImage::Format_RGB888 || format == QImage::Format_RGB32)
      TextFormat = format;
  }
  P.setRenderHint(QPainter::Antialiasing, !Exact);
  P.setRenderHint(QPainter::TextAntialiasing, !Exact);
  P.setBrush(Qt::NoBrush);
}

PlanPainter::~PlanPainter() { P.restore(); }

void PlanPainter::Plot(int x, int y) {
  if (x >= 0 && y >= 0 && x < W && y < H)
    Pixels.emplace_back(x, y);
}

void PlanPainter::Flush(std::uint32_t color) {
  if (Pixels.empty())
    return;
  // Runs of neighbouring pixels in one row or one column become one
  // rectangle each: a line has one run per step of its minor axis.
  Runs.clear();
  int l = Pixels.front().x(), r = l, t = Pixels.front().y(), b = t; // the run, inclusive
  for (std::size_t i = 1; i < Pixels.size(); ++i) {
    const int x = Pixels[i].x(), y = Pixels[i].y();
    if (t == b && y == t && (x == r + 1 || x == l - 1)) {
      l = std::min(l, x);
      r = std::max(r, x);
    } else if (l == r && x == l && (y == b + 1 || y == t - 1)) {
      t = std::min(t, y);
      b = std::max(b, y);
    } else {
      Runs.emplace_back(l, t, r - l + 1, b - t + 1);
      l = r = x;
      t = b = y;
    }
  }
  Runs.emplace_back(l, t, r - l + 1, b - t + 1);
  Pixels.clear();
  if (!RunsStyled || color != RunColor) {
    P.setPen(Qt::NoPen);
    P.setBrush(PlanColor(color));
    RunColor = color;
    RunsStyled = true;
  }
  P.drawRects(Runs.data(), int(Runs.size()));
}

void PlanPainter::FillRect(int x1, int y1, int x2, int y2, std::uint32_t color) {
  const int l = std::max(0, std::min(x1, x2));
  const int r = std::min(W, std::max(x1, x2));
  const int t = std::max(0, std::min(y1, y2));
  const int b = std::min(H, std::max(y1, y2));
  if (l >= r || t >= b)
    return;
  P.fillRect(QRect(l, t, r - l, b - t), PlanColor(color));
}

void PlanPainter::Line(int x1, int y1, int x2, int y2, std::uint32_t color) {
  if (!Exact) {
    QPen pen(PlanColor(color));
    pen.setWidthF(1);
    P.setPen(pen);
    P.drawLine(QLineF(x1 + 0.5, y1 + 0.5, x2 + 0.5, y2 + 0.5));
    RunsStyled = false;
    return;
  }
  long long ax = x1, ay = y1, bx = x2, by = y2;
  bool plotEnd = false;
  auto near = [&](long long x, long long y) {
    return x > -kWalkLimit && y > -kWalkLimit && x < W + kWalkLimit && y < H + kWalkLimit;
  };
  if (!near(ax, ay) || !near(bx, by)) {
    // Clip the segment to the device widened by two pixels (Liang-Barsky),
    // then walk only the visible part.
    const long double fx = x1, fy = y1;
    const long double ddx = (long double)x2 - x1, ddy = (long double)y2 - y1;
    long double t0 = 0, t1 = 1;
    const long double p[4] = {-ddx, ddx, -ddy, ddy};
    const long double q[4] = {fx + 2, (W + 1) - fx, fy + 2, (H + 1) - fy};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0)
          return;
        continue;
      }
      const long double t = q[i] / p[i];
      if (p[i] < 0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
      if (t0 > t1)
        return;
    }
    ax = std::llround(fx + t0 * ddx);
    ay = std::llround(fy + t0 * ddy);
    bx = std::llround(fx + t1 * ddx);
    by = std::llround(fy + t1 * ddy);
    plotEnd = t1 < 1; // the real end lies further on
  }
  // Bresenham's walk from a to b, every pixel but the last.
  const long long dx = std::llabs(bx - ax), sx = ax < bx ? 1 : -1;
  const long long dy = -std::llabs(by - ay), sy = ay < by ? 1 : -1;
  long long err = dx + dy;
  long long x = ax, y = ay;
  while (!(x == bx && y == by)) {
    Plot(int(x), int(y));
    const long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  if (plotEnd)
    Plot(int(bx), int(by));
  Flush(color);
}

void PlanPainter::Ellipse(int x1, int y1, int x2, int y2, std::uint32_t pen, std::uint32_t brush) {
  if (x2 < x1)
    std::swap(x1, x2);
  if (y2 < y1)
    std::swap(y1, y2);
  const long long bw = (long long)x2 - x1, bh = (long long)y2 - y1;
  if (bw <= 0 || bh <= 0)
    return;
  if (!Exact) {
    QPen outline(PlanColor(pen));
    outline.setWidthF(1);
    P.setPen(outline);
    P.setBrush(PlanColor(brush));
    P.drawEllipse(QRectF(x1 + 0.5, y1 + 0.5, double(bw - 1), double(bh - 1)));
    P.setBrush(Qt::NoBrush);
    RunsStyled = false;
    return;
  }
  // Pixel centres inside the ellipse that touches the box's outer edges.
  const long double cx = x1 + (bw - 1) / 2.0L, cy = y1 + (bh - 1) / 2.0L;
  const long double a = bw / 2.0L, b = bh / 2.0L;
  auto inside = [&](long long x, long long y) {
    if (x < x1 || x >= x2 || y < y1 || y >= y2)
      return false;
    const long double u = (x - cx) / a, v = (y - cy) / b;
    return u * u + v * v <= 1.0L;
  };
  const long long l = std::max<long long>(x1, -1);
  const long long r = std::min<long long>(x2, W + 1);
  const long long t = std::max<long long>(y1, -1);
  const long long bt = std::min<long long>(y2, H + 1);
  std::vector<QPoint> inner;
  for (long long y = t; y < bt; ++y)
    for (long long x = l; x < r; ++x) {
      if (!inside(x, y))
        continue;
      const bool edge =
          !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      if (edge)
        Plot(int(x), int(y));
      else if (x >= 0 && y >= 0 && x < W && y < H)
        inner.emplace_back(int(x), int(y));
    }
  Flush(pen);
  Pixels.swap(inner);
  Flush(brush);
}

QSize PlanPainter::TextSize(const std::string &text) const {
  const QImage &m = Masks->Mask(Style.FontName, Style.FontSize, text);
  return m.size();
}

void PlanPainter::Text(int x, int y, const std::string &text, std::uint32_t ink, std::uint32_t box) {
  if (text.empty() || x >= W || y >= H)
    return;
  TextMaskCache &cache = *Masks;
  const QImage &mask = cache.Mask(Style.FontName, Style.FontSize, text);
  if (mask.isNull() || (long long)x + mask.width() <= 0 || (long long)y + mask.height() <= 0)
    return;
  if (!Exact) {
    P.fillRect(QRect(x, y, mask.width(), mask.height()), PlanColor(box));
    P.setFont(cache.CurrentFont());
    P.setPen(PlanColor(ink));
    P.drawText(x, y + cache.Ascent(), QString::fromStdString(text));
    RunsStyled = false;
    return;
  }
  P.drawImage(QPoint(x, y),
              cache.Coloured(Style.FontName, Style.FontSize, text, ToQRgb(ink), ToQRgb(box), TextFormat));
}

void PlanPainter::PointSymbol(int x, int y, const std::string &label, int labelX, int labelY,
                              std::uint32_t color) {
  Text(labelX, labelY, label, color, Style.BackColor);
  const int r = Style.CircleRadius;
  Ellipse(x - r, y - r, x + r + 1, y + r + 1, color, Style.BackColor);
  const int c = Style.CrossSize;
  Line(x, y - c, x, y + c + 1, color);
  Line(x - c, y, x + c + 1, y, color);
}

void PlanPainter::PointSymbol(int x, int y, const std::string &label, std::uint32_t color) {
  PointSymbol(x, y, label, x + 2, y + 1, color);
}

void PlanPainter::Axes() {
  Line(10, 10, 50, 10, kWhite);
  Line(50, 10, 35, 5, kWhite);
  Line(50, 10, 35, 15, kWhite);
  Text(55, 10, "+X", kWhite, Style.BackColor);
  Line(10, 10, 10, 50, kWhite);
  Line(10, 50, 5, 35, kWhite);
  Line(10, 50, 15, 35, kWhite);
  Text(10, 55, "+Y", kWhite, Style.BackColor);
}

// ---- the plans --------------------------------------------------------------

void ClearPlan(QPainter &painter, const PlanStyle &style) {
  PlanPainter p(painter, style);
  p.FillRect(0, 0, p.Width(), p.Height(), style.BackColor);
}

void DrawPoints(QPainter &painter, const PlanView &view, const PointList &points, const PlanStyle &style,
                TextMasks *masks) {
  PlanPainter p(painter, style, masks);
  // A label goes right of and below its point unless an earlier label is
  // there; then to the first free place around the point.
  LabelPlacer labels{QRectF()};
  for (const NetworkPoint &pt : points.Items) {
    const std::uint32_t color = pt.Fixed ? style.FixedColor : style.AdjustedColor;
    const PixelPosition at = view.ToPixel(pt);
    const int x = RoundPixel(at.x), y = RoundPixel(at.y);
    const std::string label = NumToText(pt.Number);
    const QSize size = p.TextSize(label);
    const QPointF corner = labels.Place(QPointF(x, y), QSizeF(size), 2);
    p.PointSymbol(x, y, label, RoundPixel(corner.x()), RoundPixel(corner.y()), color);
  }
  if (view.Marked)
    p.PointSymbol(view.MarkX, view.MarkY, "???", style.MarkColor);
  p.Axes();
}

void DrawMeasurementLines(QPainter &painter, const MeasurementList &measurements, const PlanStyle &style,
                          TextMasks *masks) {
  PlanPainter p(painter, style, masks);
  for (const MeasuredPair &pair : measurements.Pairs) {
    if (!Finite(pair.PixelA) || !Finite(pair.PixelB))
      continue;
    const PixelPosition &a = pair.PixelA, &b = pair.PixelB;
    p.Line(RoundPixel(a.x), RoundPixel(a.y), RoundPixel(b.x), RoundPixel(b.y), style.MeasColor);
    p.Text(RoundPixel((a.x + b.x) / 2), RoundPixel((a.y + b.y) / 2), MeasurementList::PairLabel(pair),
           style.MeasColor, style.BackColor);
  }
}

void DrawCoordinatePlan(QPainter &painter, const PlanView &view, const PointList &points,
                        const PlanStyle &style, TextMasks *masks) {
  ClearPlan(painter, style);
  DrawPoints(painter, view, points, style, masks);
}

void DrawMeasurementPlan(QPainter &painter, const PlanView &view, const PointList &points,
                         const MeasurementList &measurements, const PlanStyle &style,
                         TextMasks *masks) {
  ClearPlan(painter, style);
  DrawMeasurementLines(painter, measurements, style, masks);
  DrawPoints(painter, view, points, style, masks);
}

} // namespace kd::plot
