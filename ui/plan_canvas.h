#pragma once
// A small drawing surface for the plans: a 24-bit image painted without
// antialiasing, with the pixel rules the plans are designed around.
//
//  - Lines leave out their end point: a line from (0, 0) to (5, 0) sets the
//    five pixels x = 0..4.
//  - Rectangles and ellipses take a bounding box whose right and bottom
//    edges are exclusive: the box (0, 0)-(7, 7) covers pixels 0..6.
//  - Text is written on a box of the brush colour whose top-left corner is
//    the given pixel.
//
// Colours are 32-bit values with red in the low byte (0x00BBGGRR), the form
// the settings and the point set keep them in. System colours (top byte
// 0xFF) are shown with the usual desktop palette.
//
// Coordinates far outside the image are clipped before anything is walked,
// so a plan zoomed in a long way never makes a drawing call slow.
#include <cstdint>
#include <string>

class QImage;

class PlanCanvas {
public:
  explicit PlanCanvas(QImage *image = nullptr);

  // The image that is painted; not owned. With no image every call is a
  // no-op and the size is 0 x 0.
  void SetImage(QImage *image) { Image = image; }
  QImage *GetImage() const { return Image; }
  int Width() const;
  int Height() const;

  std::uint32_t PenColor = 0x000000;
  std::uint32_t BrushColor = 0xFFFFFF;
  std::uint32_t FontColor = 0x000000;
  std::string FontName = "Times New Roman";
  int FontSize = 10; // points, shown at 96 pixels per inch

  // Fills [x1, x2) x [y1, y2) with the brush colour.
  void FillRect(int x1, int y1, int x2, int y2);
  // Line in the pen colour from (x1, y1) towards (x2, y2), end excluded.
  void Line(int x1, int y1, int x2, int y2);
  // Ellipse inscribed in the box (x1, y1)-(x2, y2), right/bottom exclusive:
  // outline in the pen colour, inside filled with the brush colour.
  void Ellipse(int x1, int y1, int x2, int y2);
  // Text (UTF-8) in the font colour on a box of the brush colour whose
  // top-left corner is (x, y).
  void TextOut(int x, int y, const std::string &text);
  // Width and height in pixels of the box TextOut paints for this text.
  void TextExtent(const std::string &text, int &w, int &h) const;

  // One pixel; out-of-image reads give 0 and writes are ignored.
  void SetPixel(int x, int y, std::uint32_t color);
  std::uint32_t Pixel(int x, int y) const;

  // The RGB value (0x00BBGGRR) a colour value is shown with.
  static std::uint32_t ToRgb(std::uint32_t color);
  // Pixel size of a font given in points, as a 96 dpi screen shows it.
  static int PointsToPixels(int points);

private:
  // The image's pixels, taken once per drawing call.
  struct PixelBuffer {
    unsigned char *Bits = nullptr;
    long long Bpl = 0;
    int W = 0;
    int H = 0;
  };
  PixelBuffer Surface() const;
  static void Plot(const PixelBuffer &s, int x, int y, std::uint32_t rgb);
  static void Bresenham(const PixelBuffer &s, long long x1, long long y1,
                        long long x2, long long y2, std::uint32_t rgb);

  QImage *Image;
};

// Rounds a pixel position to the nearest integer, halves to the even
// neighbour, and keeps the result inside the range of int so that far-off
// positions stay harmless.
int RoundPixel(long double v);
