#include "ui/plan_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

// The desktop's classic palette for system colour numbers 0..30.
const std::uint32_t kSystemRgb[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464,
    0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800,
    0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF,
    0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9,
    0xF2E4D7, 0xD77800, 0xF0F0F0};

QFont MakeFont(const std::string &name, int points) {
  QFont f(QString::fromStdString(name));
  f.setPixelSize(PlanCanvas::PointsToPixels(points));
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

// Beyond this distance from the image a line is clipped before it is
// rasterised; inside it the plain pixel walk is cheap.
constexpr long long kWalkLimit = 4096;

} // namespace

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

PlanCanvas::PlanCanvas(QImage *image) : Image(image) {}

int PlanCanvas::Width() const { return Image ? Image->width() : 0; }
int PlanCanvas::Height() const { return Image ? Image->height() : 0; }

std::uint32_t PlanCanvas::ToRgb(std::uint32_t color) {
  if ((color >> 24) == 0xFF) {
    const std::uint32_t n = color & 0xFFFFFF;
    return n < 31 ? kSystemRgb[n] : 0x000000;
  }
  return color & 0xFFFFFF;
}

int PlanCanvas::PointsToPixels(int points) {
  // A 96 dpi screen: 10 pt are 13 pixels (rounded half up like the desktop).
  if (points < 1)
    points = 1;
  return (points * 96 + 36) / 72;
}

PlanCanvas::PixelBuffer PlanCanvas::Surface() const {
  PixelBuffer s;
  if (Image && !Image->isNull()) {
    s.Bits = Image->bits();
    s.Bpl = Image->bytesPerLine();
    s.W = Image->width();
    s.H = Image->height();
  }
  return s;
}

void PlanCanvas::Plot(const PixelBuffer &s, int x, int y, std::uint32_t rgb) {
  if (x < 0 || y < 0 || x >= s.W || y >= s.H)
    return;
  uchar *p = s.Bits + y * s.Bpl + 3 * x;
  p[0] = uchar(rgb & 0xFF);
  p[1] = uchar((rgb >> 8) & 0xFF);
  p[2] = uchar((rgb >> 16) & 0xFF);
}

void PlanCanvas::SetPixel(int x, int y, std::uint32_t color) {
  Plot(Surface(), x, y, ToRgb(color));
}

std::uint32_t PlanCanvas::Pixel(int x, int y) const {
  if (!Image || x < 0 || y < 0 || x >= Image->width() || y >= Image->height())
    return 0;
  const uchar *p = Image->constScanLine(y) + 3 * x;
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
         (std::uint32_t(p[2]) << 16);
}

void PlanCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (!Image)
    return;
  const int l = std::max(0, std::min(x1, x2));
  const int r = std::min(Image->width(), std::max(x1, x2));
  const int t = std::max(0, std::min(y1, y2));
  const int b = std::min(Image->height(), std::max(y1, y2));
  const PixelBuffer s = Surface();
  const std::uint32_t rgb = ToRgb(BrushColor);
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x)
      Plot(s, x, y, rgb);
}

void PlanCanvas::Bresenham(const PixelBuffer &s, long long x1, long long y1,
                            long long x2, long long y2, std::uint32_t rgb) {
  // Walks from (x1, y1) to (x2, y2) and plots every pixel but the last.
  const long long dx = std::llabs(x2 - x1), sx = x1 < x2 ? 1 : -1;
  const long long dy = -std::llabs(y2 - y1), sy = y1 < y2 ? 1 : -1;
  long long err = dx + dy;
  long long x = x1, y = y1;
  while (!(x == x2 && y == y2)) {
    Plot(s, int(x), int(y), rgb);
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
}

void PlanCanvas::Line(int x1, int y1, int x2, int y2) {
  if (!Image)
    return;
  const PixelBuffer s = Surface();
  const std::uint32_t rgb = ToRgb(PenColor);
  const int w = s.W, h = s.H;
  auto near = [&](int x, int y) {
    return x > -kWalkLimit && y > -kWalkLimit && x < w + kWalkLimit &&
           y < h + kWalkLimit;
  };
  if (near(x1, y1) && near(x2, y2)) {
    Bresenham(s, x1, y1, x2, y2, rgb);
    return;
  }
  // Clip the segment to the image widened by two pixels (Liang-Barsky),
  // then walk only the visible part.
  const long double ax = x1, ay = y1, bx = x2, by = y2;
  const long double ddx = bx - ax, ddy = by - ay;
  long double t0 = 0, t1 = 1;
  const long double p[4] = {-ddx, ddx, -ddy, ddy};
  const long double q[4] = {ax + 2, (w + 1) - ax, ay + 2, (h + 1) - ay};
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
  const long long cx1 = std::llround(ax + t0 * ddx);
  const long long cy1 = std::llround(ay + t0 * ddy);
  long long cx2 = std::llround(ax + t1 * ddx);
  long long cy2 = std::llround(ay + t1 * ddy);
  Bresenham(s, cx1, cy1, cx2, cy2, rgb);
  if (t1 < 1)
    Plot(s, int(cx2), int(cy2), rgb); // the real end lies further on
}

void PlanCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (!Image)
    return;
  if (x2 < x1)
    std::swap(x1, x2);
  if (y2 < y1)
    std::swap(y1, y2);
  const long long bw = (long long)x2 - x1, bh = (long long)y2 - y1;
  if (bw <= 0 || bh <= 0)
    return;
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
  const long long r = std::min<long long>(x2, Image->width() + 1);
  const long long t = std::max<long long>(y1, -1);
  const long long bt = std::min<long long>(y2, Image->height() + 1);
  const PixelBuffer s = Surface();
  const std::uint32_t pen = ToRgb(PenColor), brush = ToRgb(BrushColor);
  for (long long y = t; y < bt; ++y)
    for (long long x = l; x < r; ++x) {
      if (!inside(x, y))
        continue;
      const bool edge = !inside(x - 1, y) || !inside(x + 1, y) ||
                        !inside(x, y - 1) || !inside(x, y + 1);
      Plot(s, int(x), int(y), edge ? pen : brush);
    }
}

// Texts are rendered once per font into a one-bit mask and then copied
// pixel by pixel: a plan repeats the same labels many times, and painting
// text directly on a 24-bit image is slow.
struct TextMask {
  int W = 0;
  int H = 0;
  std::vector<std::uint8_t> Bits; // W * H, 1 where the glyphs are
};

namespace {

class TextMaskCache {
public:
  const TextMask &Mask(const std::string &fontName, int fontSize, const std::string &text) {
    SelectFont(fontName, fontSize);
    auto it = Masks.find(text);
    if (it != Masks.end())
      return it->second;
    if (Masks.size() >= kMaxEntries)
      Masks.clear();
    return Masks.emplace(text, Render(text)).first->second;
  }

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
  }

  TextMask Render(const std::string &text) const {
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    TextMask m;
    m.W = std::max(0, Metrics->horizontalAdvance(s));
    m.H = std::max(0, Metrics->height());
    m.Bits.assign(std::size_t(m.W) * std::size_t(m.H), 0);
    if (m.W == 0 || m.H == 0)
      return m;
    QImage scratch(m.W, m.H, QImage::Format_RGB32);
    scratch.fill(Qt::black);
    {
      QPainter p(&scratch);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setRenderHint(QPainter::TextAntialiasing, false);
      p.setFont(Font);
      p.setPen(Qt::white);
      p.drawText(0, Metrics->ascent(), s);
    }
    for (int y = 0; y < m.H; ++y) {
      const QRgb *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
      for (int x = 0; x < m.W; ++x)
        m.Bits[std::size_t(y) * m.W + x] = qRed(line[x]) > 127 ? 1 : 0;
    }
    return m;
  }

  std::string FontName;
  int FontSize = 0;
  QFont Font;
  std::unique_ptr<QFontMetrics> Metrics;
  std::unordered_map<std::string, TextMask> Masks;
};

TextMaskCache &TextCache() {
  static TextMaskCache cache;
  return cache;
}

} // namespace

void PlanCanvas::TextExtent(const std::string &text, int &w, int &h) const {
  const TextMask &m = TextCache().Mask(FontName, FontSize, text);
  w = m.W;
  h = m.H;
}

void PlanCanvas::TextOut(int x, int y, const std::string &text) {
  if (!Image || text.empty())
    return;
  if (x >= Image->width() || y >= Image->height())
    return;
  const TextMask &m = TextCache().Mask(FontName, FontSize, text);
  if ((long long)x + m.W <= 0 || (long long)y + m.H <= 0)
    return;
  const PixelBuffer s = Surface();
  const std::uint32_t brush = ToRgb(BrushColor), ink = ToRgb(FontColor);
  const int i0 = std::max(0, -x), i1 = std::min(m.W, s.W - x);
  const int j0 = std::max(0, -y), j1 = std::min(m.H, s.H - y);
  const uchar inkB[3] = {uchar(ink & 0xFF), uchar((ink >> 8) & 0xFF), uchar((ink >> 16) & 0xFF)};
  const uchar brushB[3] = {uchar(brush & 0xFF), uchar((brush >> 8) & 0xFF),
                           uchar((brush >> 16) & 0xFF)};
  for (int j = j0; j < j1; ++j) {
    const std::uint8_t *bit = m.Bits.data() + std::size_t(j) * m.W;
    uchar *p = s.Bits + (y + j) * s.Bpl + 3 * (x + i0);
    for (int i = i0; i < i1; ++i, p += 3) {
      const uchar *c = bit[i] ? inkB : brushB;
      p[0] = c[0];
      p[1] = c[1];
      p[2] = c[2];
    }
  }
}
