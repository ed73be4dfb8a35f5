// The plot library on its own: label placement, the automatic enlargement,
// tolerances at the two confidence levels, and the drawing of one ellipse
// whose orientation is checked by pixels.
#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "plot/precision_plan.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <cmath>

namespace {

// One adjusted point at the origin with the given ellipse and sigma Z, and a
// fixed point 100 m away along +X.
void MakeNetwork(SurveyNetwork &net, NetworkPrecision &precision, double a, double b,
                 double bearingGon, double sigmaZ) {
  NetworkPoint p;
  p.Number = 1;
  net.Points.List.Append(p);
  p.Number = 2;
  p.X = 100;
  p.Fixed = true;
  net.Points.List.Append(p);
  PointPrecision pp;
  pp.Number = 1;
  pp.Ellipse.SemiMajor = a;
  pp.Ellipse.SemiMinor = b;
  pp.Ellipse.Bearing = bearingGon;
  pp.SigmaZ = sigmaZ;
  precision.Points.push_back(pp);
}

bool Blue(const QImage &image, QPointF p, int radius = 2) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      const QColor c = image.pixelColor(int(std::lround(p.x())) + dx, int(std::lround(p.y())) + dy);
      if (c.blue() > 150 && c.red() < 120 && c.green() < 150)
        return true;
    }
  return false;
}

} // namespace

class PlotDrawingTest : public QObject {
  Q_OBJECT
private slots:
  void labelsMoveOnlyWhenTheirPlaceIsTaken() {
    LabelPlacer placer(QRectF(0, 0, 200, 200));
    const QSizeF size(20, 10);
    QCOMPARE(placer.Place(QPointF(50, 50), size, 2), QPointF(52, 51));
    // A second label at the same point goes to the next free place.
    const QPointF second = placer.Place(QPointF(50, 50), size, 2);
    QVERIFY(!QRectF(second, size).intersects(QRectF(QPointF(52, 51), size)));
    QVERIFY(std::hypot(second.x() - 50, second.y() - 50) < 40);
    // Near the right edge the label goes to the left of its point.
    const QPointF edge = placer.Place(QPointF(195, 100), size, 2);
    QVERIFY(edge.x() + size.width() <= 200);
    // With every place taken the first one is used.
    LabelPlacer full(QRectF(0, 0, 200, 200));
    full.Occupy(QRectF(0, 0, 200, 200));
    QCOMPARE(full.Place(QPointF(50, 50), size, 2), QPointF(52, 51));
  }

  void toleranceAndEnlargementFollowTheLevel() {
    SurveyNetwork net;
    NetworkPrecision precision;
    MakeNetwork(net, precision, 2.0, 1.0, 50, 3.0);
    PlotOptions o;
    o.ToleranceSemiMajorMm = 4;
    QVERIFY(PointsBeyondTolerance(precision, o).empty());
    o.Level = ConfidenceLevel::Percent95; // 2 mm x 2.4477 > 4 mm
    QCOMPARE(PointsBeyondTolerance(precision, o), std::vector<double>{1});
    o.ToleranceSemiMajorMm = 0;
    o.ToleranceSigmaZMm = 5; // 3 mm x 1.96 > 5 mm
    QCOMPARE(PointsBeyondTolerance(precision, o), std::vector<double>{1});
    o.Level = ConfidenceLevel::Standard;
    QVERIFY(PointsBeyondTolerance(precision, o).empty());

    // Automatic: the major axis of the largest ellipse (or bar) a tenth of
    // the smaller side, rounded down to 1, 2 or 5 x 10^n.
    PlotView view;
    view.Scale = 2; // pixels per metre
    const QRectF area(0, 0, 1000, 600);
    o.ShowHeightBars = false;
    // 2 * 2 mm * m / 1000 * 2 px/m = 60 px -> m = 7500 -> 5000
    QCOMPARE(EffectiveMagnification(precision, net, view, area, o), 5000.0);
    o.ShowHeightBars = true; // sigma Z 3 mm is larger: m = 5000 exactly
    QCOMPARE(EffectiveMagnification(precision, net, view, area, o), 5000.0);
    o.Magnification = 123;
    QCOMPARE(EffectiveMagnification(precision, net, view, area, o), 123.0);
    o.Magnification = 0;
    NetworkPrecision none;
    QCOMPARE(EffectiveMagnification(none, net, view, area, o), 0.0);
  }

  void ellipseIsDrawnAlongItsBearingWithXRightAndYDown() {
    SurveyNetwork net;
    NetworkPrecision precision;
    // Major axis on the bearing 50 gon: halfway between +X (right) and +Y
    // (down) on the page.
    MakeNetwork(net, precision, 4.0, 1.0, 50, 0);
    PlotOptions o;
    o.ShowHeightBars = false;
    o.ShowLegend = false;
    o.Magnification = 10000; // 4 mm -> 40 m
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    PlotView view;
    view.Scale = 2; // 40 m -> 80 px
    view.OriginX = view.OriginY = 200;
    {
      QPainter painter(&image);
      DrawPrecisionOverlay(painter, QRectF(0, 0, 400, 400), view, net, precision, o);
    }
    const double r = 80 / std::sqrt(2.0);
    QVERIFY(Blue(image, QPointF(200 + r, 200 + r)));  // down-right
    QVERIFY(Blue(image, QPointF(200 - r, 200 - r)));  // up-left
    QVERIFY(!Blue(image, QPointF(200 + r, 200 - r))); // not up-right
    const double rb = 20 / std::sqrt(2.0);            // minor axis 1 mm -> 20 px
    QVERIFY(Blue(image, QPointF(200 + rb, 200 - rb)));
  }

  void ellipseTurnsClockwiseFromUpWithXUp() {
    SurveyNetwork net;
    NetworkPrecision precision;
    MakeNetwork(net, precision, 4.0, 1.0, 50, 0);
    PlotOptions o;
    o.ShowHeightBars = false;
    o.ShowLegend = false;
    o.Magnification = 10000;
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    PlotView view;
    view.Axes = PlotAxes::XUpYRight;
    view.Scale = 2;
    view.OriginX = view.OriginY = 200;
    {
      QPainter painter(&image);
      DrawPrecisionOverlay(painter, QRectF(0, 0, 400, 400), view, net, precision, o);
    }
    // 50 gon from +X (up) towards +Y (right): up-right on the page.
    const double r = 80 / std::sqrt(2.0);
    QVERIFY(Blue(image, QPointF(200 + r, 200 - r)));
    QVERIFY(Blue(image, QPointF(200 - r, 200 + r)));
    QVERIFY(!Blue(image, QPointF(200 + r, 200 + r)));
    // The fixed point 100 m along +X lies straight above the origin.
    QCOMPARE(view.ToPixel(100, 0), QPointF(200, 0));
  }

  // The shaft's cluster: surface and bottom points of the plumb wires on the
  // same place, with the stations around them. No two labels overlap, in
  // the plot's, the report's and the small plan's sizes, either axes.
  void labelsOfTheShaftClusterNeverOverlap() {
    SurveyNetwork net;
    QVERIFY(net.Points.List.LoadFull(KD_SOURCE_DIR "/data/shaft_coords.txt") > 0);
    QVERIFY(net.Measurements.LoadFromFile(KD_SOURCE_DIR "/data/shaft_meas.txt") > 0);
    net.Measurements.BuildPairs();
    NetworkPrecision precision;
    for (const NetworkPoint &p : net.Points.List.Items) {
      if (p.Fixed)
        continue;
      PointPrecision pp;
      pp.Number = p.Number;
      pp.X = p.X;
      pp.Y = p.Y;
      pp.Ellipse.SemiMajor = p.Number > 400 ? 4 : 1.5;
      pp.Ellipse.SemiMinor = 1;
      pp.Ellipse.Bearing = 180;
      pp.SigmaZ = p.Number > 300 ? 4 : 0.5;
      precision.Points.push_back(pp);
    }
    for (const PlotAxes axes : {PlotAxes::XUpYRight, PlotAxes::XRightYDown})
      for (const QSizeF size : {QSizeF(1600, 1200), QSizeF(680, 820), QSizeF(680, 330), QSizeF(400, 300)}) {
        PlotOptions o;
        o.Axes = axes;
        o.Level = ConfidenceLevel::Percent95;
        o.ToleranceSemiMajorMm = 4;
        const std::vector<QRectF> boxes = PlanLabelBoxes(QRectF(QPointF(0, 0), size), net, &precision, o);
        QCOMPARE(boxes.size(), net.Points.List.Items.size());
        for (std::size_t i = 0; i < boxes.size(); ++i)
          for (std::size_t j = i + 1; j < boxes.size(); ++j)
            QVERIFY2(!boxes[i].intersects(boxes[j]),
                     qPrintable(QStringLiteral("%1 x %2: labels %3 and %4 overlap")
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(net.Points.List.Items[i].Number)
                                    .arg(net.Points.List.Items[j].Number)));
      }
  }

  void writePlotRefusesBadNamesAndSizes() {
    SurveyNetwork net;
    NetworkPrecision precision;
    MakeNetwork(net, precision, 2, 1, 0, 1);
    std::string error;
    QVERIFY(!WritePlot("/tmp/x.gif", 400, 300, net, &precision, PlotOptions(), error));
    QVERIFY(QString::fromStdString(error).contains(".png, .svg or .pdf"));
    QVERIFY(!WritePlot("/tmp/x.png", 40, 300, net, &precision, PlotOptions(), error));
    QVERIFY(QString::fromStdString(error).contains("out of range"));
    QTemporaryDir dir;
    const std::string png = dir.filePath("a.PNG").toStdString();
    QVERIFY(WritePlot(png, 400, 300, net, nullptr, PlotOptions(), error)); // without precision
    QCOMPARE(QImage(QString::fromStdString(png)).size(), QSize(400, 300));
  }
};

QTEST_MAIN(PlotDrawingTest)
#include "plot_drawing_test.moc"
