#pragma once
// The measurement plan with the precision of the network drawn on it: error
// ellipses and height bars of the adjusted points, relative ellipses of the
// measured pairs, the lines coloured by the reliability of their
// observations, points beyond the tolerances in a warning colour, a legend
// and a scale bar. Everything is painted with QPainter, so the same drawing
// goes to the desktop plans, to PNG images, SVG and PDF files.
//
// Plan convention: world X runs to the right and world Y downwards; a
// bearing (gon, from +X towards +Y) therefore turns clockwise on the page.
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

#include "analysis/error_ellipse.h"

class QPainter;
class SurveyNetwork;
class NetworkPrecision;

struct PlotOptions {
  ConfidenceLevel Level = ConfidenceLevel::Standard;
  double Magnification = 0; // ellipse enlargement; 0: automatic
  bool ShowEllipses = true;
  bool ShowRelativeEllipses = false;
  bool ShowReliability = true;
  bool ShowHeightBars = true;
  double ToleranceSemiMajorMm = 0; // 0: none
  double ToleranceSigmaZMm = 0;    // 0: none
  bool ShowLegend = true;          // reliability legend and scale bar
  bool ShowLineLabels = true;      // counts of the measurements of a pair

  QColor Background = QColor(255, 255, 255);
  QColor TextColor = QColor(0, 0, 0);
  QColor LineColor = QColor(150, 150, 150);
  QColor FixedColor = QColor(170, 120, 0);
  QColor AdjustedColor = QColor(0, 120, 0);
  QColor EllipseColor = QColor(0, 70, 220);
  QColor RelativeColor = QColor(150, 0, 200);
  QColor HeightBarColor = QColor(0, 150, 170);
  QColor UncontrolledColor = QColor(220, 0, 0);
  QColor WeakColor = QColor(240, 140, 0);
  QColor BeyondColor = QColor(230, 0, 120);
  QString FontFamily = QStringLiteral("Liberation Sans");
  int FontPixelSize = 12;
};

// World -> pixel mapping of a drawing:
//   x = (X - CentreX) * Scale + OriginX,  y = (Y - CentreY) * Scale + OriginY
struct PlotView {
  double Scale = 1; // pixels per metre
  double CentreX = 0, CentreY = 0;
  double OriginX = 0, OriginY = 0;
  QPointF ToPixel(long double X, long double Y) const;
};

// The largest view at which the network's points fit into `area` with
// `margin` pixels on every side, centred.
PlotView FitView(const SurveyNetwork &network, const QRectF &area, double margin);

// The ellipse enlargement used: options.Magnification when positive,
// otherwise the automatic one (the largest drawn ellipse about a tenth of
// the smaller side of the area), rounded down to 1, 2 or 5 times a power of
// ten. 0 when there is nothing to draw.
double EffectiveMagnification(const NetworkPrecision &precision, const SurveyNetwork &network,
                              const PlotView &view, const QRectF &area,
                              const PlotOptions &options);

// Draws over an existing plan (lines and points already drawn) what the
// precision adds: reliability colours of the lines (uncontrolled and weakly
// controlled ones), relative ellipses, point ellipses, height bars, the
// tolerance warning marks, then the legend and the scale bar in `area`.
void DrawPrecisionOverlay(QPainter &painter, const QRectF &area, const PlotView &view,
                          const SurveyNetwork &network, const NetworkPrecision &precision,
                          const PlotOptions &options);

// The reliability legend (bottom-left) and the scale bar of the ellipses
// (bottom-right) alone.
void DrawPrecisionLegend(QPainter &painter, const QRectF &area, const PlotView &view,
                         const SurveyNetwork &network, const NetworkPrecision &precision,
                         const PlotOptions &options);

// A one-line message in the plan (for example why there is no precision).
void DrawPlotMessage(QPainter &painter, const QRectF &area, const QString &text,
                     const PlotOptions &options);

// Draws the measurement plan of `network` into `area` (network fitted to the
// area), with the precision when not null.
void DrawPrecisionPlan(QPainter &painter, const QRectF &area, const SurveyNetwork &network,
                       const NetworkPrecision *precision, const PlotOptions &options);

// PNG, SVG or PDF by the file's extension; atomic; false with `error` set on
// failure (unknown extension, size out of range, file not writable).
bool WritePlot(const std::string &fileName, int width, int height, const SurveyNetwork &network,
               const NetworkPrecision *precision, const PlotOptions &options, std::string &error);

// Points exceeding the tolerances (for lists in the plan and the report):
// numbers of the adjusted points whose semi-major axis or height standard
// deviation, at the options' confidence level (factor 2.4477 or 1.96 for
// the 95 % level), is larger than the tolerance. Empty without tolerances.
std::vector<double> PointsBeyondTolerance(const NetworkPrecision &precision,
                                          const PlotOptions &options);

// Label placement: the first of a few candidate boxes around an anchor that
// does not overlap any box taken before; the first candidate (right of and
// below the anchor) when none is free. The chosen box is taken.
class LabelPlacer {
public:
  explicit LabelPlacer(const QRectF &bounds) : Bounds(bounds) {}
  // Marks a box as occupied (a point symbol, a legend).
  void Occupy(const QRectF &box) { Taken.push_back(box); }
  // Top-left corner for a label of `size` at the anchor (a point at pixel
  // `anchor`, `gap` pixels around it).
  QPointF Place(const QPointF &anchor, const QSizeF &size, double gap);

private:
  QRectF Bounds;
  std::vector<QRectF> Taken;
};
