#pragma once
// The measurement plan with the precision of the network drawn on it: error
// ellipses and height bars of the adjusted points, relative ellipses of the
// measured pairs, the lines coloured by the reliability of their
// observations, points beyond the tolerances in a warning colour, a legend
// and a scale bar. Everything is painted with QPainter, so the same drawing
// goes to the desktop plans, to PNG images, SVG and PDF files.
//
// Axes: the desktop plans draw world X to the right and world Y downwards;
// reports and plot files draw X up and Y to the right, the way surveyors read
// a plan. Either way a bearing (gon, from +X towards +Y) turns clockwise on
// the page.
#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

#include "analysis/error_ellipse.h"

class QPainter;
class SurveyNetwork;
class NetworkPrecision;
class LanguagePack;

// Which way the world axes run on the page.
enum class PlotAxes { XRightYDown, XUpYRight };

// The texts a drawing shows (legend, scale box, axes, inset); English by
// default, set by the caller for another language.
struct PlotTexts {
  QString FixedPoint = QStringLiteral("fixed point");
  QString AdjustedPoint = QStringLiteral("adjusted point");
  QString PointEllipse = QStringLiteral("point error ellipse");
  QString HeightBar = QStringLiteral("height bar \u00b1\u03c3Z");
  QString RelativeEllipse = QStringLiteral("relative ellipse of a measured pair");
  QString Uncontrolled = QStringLiteral("uncontrolled (r < 0.1)");
  QString Weak = QStringLiteral("weakly controlled (r < 0.3)");
  QString Controlled = QStringLiteral("controlled");
  QString Line = QStringLiteral("measured pair");
  QString BeyondTolerance = QStringLiteral("beyond tolerance");
  QString StandardEllipses = QStringLiteral("standard ellipses");
  QString Percent95Ellipses = QStringLiteral("95 % ellipses");
  QString Ellipses = QStringLiteral("ellipses");
  QString MmOfPlan = QStringLiteral("1 mm = %1 m of the plan");
  QString Network = QStringLiteral("network");
  QString Detail = QStringLiteral("detail");
};

// The drawing's texts in the language of `lang` (the catalogue's).
PlotTexts PlotTextsIn(const LanguagePack &lang);

// What the user chooses to see of the precision, under a plan or on the
// command line; the same choices give the same figures on the screen, on
// paper and in CAD.
struct PlotChoices {
  ConfidenceLevel Level = ConfidenceLevel::Standard;
  double Magnification = 0; // ellipse enlargement; 0: automatic
  bool ShowEllipses = true;
  bool ShowRelativeEllipses = false;
  bool ShowHeightBars = true;
  double ToleranceSemiMajorMm = 0; // 0: none
  double ToleranceSigmaZMm = 0;    // 0: none
};

// The choices and how a drawing shows them.
struct PlotOptions : PlotChoices {
  bool ShowReliability = true;
  bool ShowLegend = true;          // reliability legend and scale bar
  bool ShowLineLabels = false;     // counts of the measurements of a pair (the plan drawing)
  PlotAxes Axes = PlotAxes::XRightYDown;
  bool ShowAxisCross = true;       // the plan drawing: an axis cross
  bool ShowInset = true;           // the plan drawing: a detail of a dense cluster
  PlotTexts Texts;

  QColor Background = QColor(255, 255, 255);
  QColor TextColor = QColor(0, 0, 0);
  QColor LineColor = QColor(150, 150, 150);
  QColor FixedColor = QColor(170, 120, 0);
  QColor AdjustedColor = QColor(0, 120, 0);
  QColor EllipseColor = QColor(0, 70, 220);
  QColor RelativeColor = QColor(140, 80, 20); // dashed, apart from the tolerance colour
  QColor HeightBarColor = QColor(0, 150, 170);
  QColor UncontrolledColor = QColor(220, 0, 0);
  QColor WeakColor = QColor(240, 140, 0);
  QColor BeyondColor = QColor(230, 0, 120);
  QString FontFamily = QStringLiteral("Liberation Sans");
  int FontPixelSize = 12;
};

// World -> pixel mapping of a drawing:
//   x = (X - CentreX) * Scale + OriginX,  y = (Y - CentreY) * Scale + OriginY
// (with X up: x = (Y - CentreY) * Scale + OriginX, y = -(X - CentreX) * Scale + OriginY)
struct PlotView {
  double Scale = 1; // pixels per metre
  double CentreX = 0, CentreY = 0;
  double OriginX = 0, OriginY = 0;
  PlotAxes Axes = PlotAxes::XRightYDown;
  QPointF ToPixel(long double X, long double Y) const;
  // The page vector of a world vector (dX, dY) of one pixel per unit.
  QPointF Direction(double dX, double dY) const;
};

// The largest view at which the network's points fit into `area` with
// `margin` pixels on every side, centred.
PlotView FitView(const SurveyNetwork &network, const QRectF &area, double margin,
                 PlotAxes axes = PlotAxes::XRightYDown);
// The view DrawPrecisionPlan draws the network with in `area` (room left
// for the legend, the scale box and a detail inset). Measures texts: needs
// a GUI application.
PlotView PlanDrawingView(const QRectF &area, const SurveyNetwork &network,
                         const NetworkPrecision *precision, const PlotOptions &options);

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

// The legend (bottom-left) and the scale box (bottom-right: the ellipse
// enlargement with its bar) alone, over a drawn plan: each box moves to the
// corner where it covers the fewest points and labels (none, where the plan
// leaves such a corner).
void DrawPrecisionLegend(QPainter &painter, const QRectF &area, const PlotView &view,
                         const SurveyNetwork &network, const NetworkPrecision &precision,
                         const PlotOptions &options);
// Where DrawPrecisionLegend puts its boxes (legend, scale box; empty ones
// left out), so that a caller can keep the network clear of them.
std::vector<QRectF> PrecisionLegendBoxes(const QRectF &area, const PlotView &view,
                                         const SurveyNetwork &network,
                                         const NetworkPrecision &precision,
                                         const PlotOptions &options);
// Whether any point of the network (with its symbol) lies under a box.
bool BoxesCoverPoints(const std::vector<QRectF> &boxes, const PlotView &view,
                      const SurveyNetwork &network);

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
  // Marks an area as occupied (an ellipse): labels keep off its inside.
  void Occupy(const QPolygonF &outline);
  // Top-left corner for a label of `size` at the anchor (a point at pixel
  // `anchor`, `gap` pixels around it).
  QPointF Place(const QPointF &anchor, const QSizeF &size, double gap);

  // A free place for a label, searched on rings around the anchor out to
  // `reach` pixels. `Leader` tells that the label lies away from its point
  // and needs a line to it; `Free` is false when no free place was found
  // (the label then lies at the first candidate, over something).
  struct Spot {
    QRectF Box;
    bool Leader = false;
    bool Free = true;
  };
  Spot PlaceFree(const QPointF &anchor, const QSizeF &size, double gap, double reach);
  const std::vector<QRectF> &TakenBoxes() const { return Taken; }

private:
  bool IsFree(const QRectF &box) const;
  QRectF Bounds;
  std::vector<QRectF> Taken;
  std::vector<QPolygonF> Areas;
  std::vector<QRectF> AreaBounds;
};

// The placed labels of a plan drawing (pixel boxes, in the order of the
// network's points), for checks: the boxes of DrawPrecisionPlan's point
// labels in `area`.
std::vector<QRectF> PlanLabelBoxes(const QRectF &area, const SurveyNetwork &network,
                                   const NetworkPrecision *precision, const PlotOptions &options);
