#pragma once
// Drawing of the desktop plans (coordinate plan and measurement plan) with
// QPainter on any paint device: the plan windows' images, image exports,
// vector files.
//
// On a raster device (an image or pixmap, no transformation) the plans keep
// their pixel rules exactly, whatever QPainter's own rasterisation would do:
//  - Lines leave out their end point: a line from (0, 0) to (5, 0) sets the
//    five pixels x = 0..4 (Bresenham's walk).
//  - Rectangles and ellipses take a bounding box whose right and bottom
//    edges are exclusive: the box (0, 0)-(7, 7) covers pixels 0..6. An
//    ellipse is the set of pixel centres inside the ellipse touching the
//    box's outer edges; its outline is the pixels with a 4-neighbour
//    outside.
//  - Text is written on a box of the box colour whose top-left corner is
//    the given pixel, without antialiasing.
// Those pixels are drawn through the painter (points, rectangles, a
// two-colour text image). On other devices the same shapes are drawn as
// ordinary lines, ellipses and texts.
//
// Colours are 32-bit values with red in the low byte (0x00BBGGRR), the form
// the settings file keeps them in. System colours (top byte 0xFF) are shown
// with the usual desktop palette.
//
// Coordinates far outside the device are clipped before anything is walked,
// so a plan zoomed in a long way never makes a drawing call slow.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plot/plan_view.h"
#include "settings/settings_file.h"

class QColor;
class QPainter;
class MeasurementList;

namespace kd::plot {

// The RGB value (0x00BBGGRR) a colour value is shown with.
std::uint32_t ShownRgb(std::uint32_t color);
// The same as a QColor.
QColor PlanColor(std::uint32_t color);
// The pixel of a raster image as 0x00BBGGRR; 0 outside the image.
std::uint32_t ColorAt(const QImage &image, int x, int y);
// Pixel size of a font given in points, as a 96 dpi screen shows it.
int PointsToPixels(int points);

// How the plans look: the colours and font of the settings file and the
// sizes of the symbols.
struct PlanStyle {
  // The colours and font of a settings file's defaults.
  PlanStyle();

  std::uint32_t FixedColor = 0;
  std::uint32_t AdjustedColor = 0;
  std::uint32_t MeasColor = 0;
  std::uint32_t MarkColor = 0;
  std::uint32_t BackColor = 0;
  std::string FontName;
  int FontSize = 0;     // points, shown at 96 pixels per inch
  int CrossSize = 5;    // half-length of a point's cross, pixels
  int CircleRadius = 3; // radius of a point's circle, pixels
  int PickRadius = 20;  // a click this close (pixels) picks a point
  double ZoomStep = 1.05; // factor of one zoom-in step of the buttons

  // The colours and font of the settings file, the fixed symbol sizes.
  static PlanStyle FromSettings(const kd::Settings &settings);
  bool operator==(const PlanStyle &) const = default;

private:
  void TakeColoursAndFont(const kd::Settings &settings);
};

// The images of the label texts drawn so far in one font, kept so that a
// plan redrawn while it is dragged does not lay out its labels again. A
// window keeps one for all its drawings; a painter without one keeps its
// own for as long as it lives.
class TextMasks {
public:
  TextMasks();
  ~TextMasks();
  TextMasks(const TextMasks &) = delete;
  TextMasks &operator=(const TextMasks &) = delete;

private:
  friend class PlanPainter;
  struct Cache;
  std::unique_ptr<Cache> C;
};

// The drawing primitives of the plans on one painter. The painter's state
// is kept as it was.
class PlanPainter {
public:
  PlanPainter(QPainter &painter, const PlanStyle &style);
  // Label images from and into `masks`; null: the painter keeps its own.
  PlanPainter(QPainter &painter, const PlanStyle &style, TextMasks *masks);
  ~PlanPainter();
  PlanPainter(const PlanPainter &) = delete;
  PlanPainter &operator=(const PlanPainter &) = delete;

  // The device's size in pixels.
  int Width() const { return W; }
  int Height() const { return H; }
  // Whether the pixel rules are drawn exactly (a raster device).
  bool ExactPixels() const { return Exact; }

  // Fills [x1, x2) x [y1, y2).
  void FillRect(int x1, int y1, int x2, int y2, std::uint32_t color);
  // Line from (x1, y1) towards (x2, y2), end excluded.
  void Line(int x1, int y1, int x2, int y2, std::uint32_t color);
  // Ellipse inscribed in the box (x1, y1)-(x2, y2), right/bottom exclusive:
  // outline in `pen`, inside filled with `brush`.
  void Ellipse(int x1, int y1, int x2, int y2, std::uint32_t pen, std::uint32_t brush);
  // Text (UTF-8) in `ink` on a box of `box` whose top-left corner is (x, y).
  void Text(int x, int y, const std::string &text, std::uint32_t ink, std::uint32_t box);
  // Width and height in pixels of the box Text paints for this text.
  QSize TextSize(const std::string &text) const;

  // One point symbol at an integer pixel in `color`: the label on a
  // background box with its top-left corner at (labelX, labelY), then a
  // circle of CircleRadius filled with the background, then a cross whose
  // arms are CrossSize pixels.
  void PointSymbol(int x, int y, const std::string &label, int labelX, int labelY, std::uint32_t color);
  // The same with the label at (x + 2, y + 1).
  void PointSymbol(int x, int y, const std::string &label, std::uint32_t color);
  // The +X and +Y arrows in the top-left corner, always white.
  void Axes();

private:
  void Plot(int x, int y);
  void Flush(std::uint32_t color);

  QPainter &P;
  PlanStyle Style;
  std::unique_ptr<TextMasks> OwnMasks; // when the caller gave none
  TextMasks::Cache *Masks = nullptr;
  int W = 0;
  int H = 0;
  bool Exact = false;
  std::vector<QPoint> Pixels; // pixels of one colour waiting to be drawn
  std::vector<QRect> Runs;    // the same as rows and columns
  QImage::Format TextFormat = QImage::Format_RGB32; // of the cached label images
  bool RunsStyled = false;     // the painter holds the runs' pen and brush
  std::uint32_t RunColor = 0;
};

// Fills the whole device with the background colour.
void ClearPlan(QPainter &painter, const PlanStyle &style);
// Every point as a symbol with its number (placed clear of the labels drawn
// before it where a free place exists nearby), the mark ("???") when the
// view has one, and the axes on top.
void DrawPoints(QPainter &painter, const PlanView &view, const PointList &points, const PlanStyle &style,
                TextMasks *masks = nullptr);
// One line per pair (pixel positions from ComputePairPixels) in MeasColor,
// with its label's top-left corner at the rounded midpoint. Pairs with a
// missing point are left out.
void DrawMeasurementLines(QPainter &painter, const MeasurementList &measurements, const PlanStyle &style,
                          TextMasks *masks = nullptr);

// The coordinate plan: background, points, mark, axes.
void DrawCoordinatePlan(QPainter &painter, const PlanView &view, const PointList &points,
                        const PlanStyle &style, TextMasks *masks = nullptr);
// The measurement plan: background, the pairs' lines, then the points, the
// mark and the axes over them. The pairs must have been built and their
// pixels computed for this view.
void DrawMeasurementPlan(QPainter &painter, const PlanView &view, const PointList &points,
                         const MeasurementList &measurements, const PlanStyle &style,
                         TextMasks *masks = nullptr);

} // namespace kd::plot
