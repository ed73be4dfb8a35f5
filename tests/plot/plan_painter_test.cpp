// Pixel and view-arithmetic tests of the plan drawing.
#include "core/survey_network.h"
#include "plot/plan_painter.h"
#include "plot/plan_view.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QtTest>

#include <cmath>
#include <set>

using namespace kd::plot;

namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kGreen = 0x00FF00,
                        kBlue = 0xFF0000;

NetworkPoint Pt(double n, long double x, long double y, long double z = 0, bool fixed = false) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  p.Fixed = fixed;
  return p;
}

std::uint32_t At(const QImage &img, int x, int y) { return ColorAt(img, x, y); }

// Colours present inside a rectangle [x1, x2) x [y1, y2).
std::set<std::uint32_t> Colours(const QImage &img, int x1, int y1, int x2, int y2) {
  std::set<std::uint32_t> s;
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x)
      s.insert(At(img, x, y));
  return s;
}

// A view of an image's size.
PlanView ViewOf(const QImage &img) {
  PlanView v;
  v.Width = img.width();
  v.Height = img.height();
  return v;
}

void DrawCoordinates(QImage &img, const PlanView &view, const PointList &points,
                     const PlanStyle &style = PlanStyle()) {
  QPainter painter(&img);
  DrawCoordinatePlan(painter, view, points, style);
}

void DrawMeasurements(QImage &img, const PlanView &view, SurveyNetwork &net,
                      const PlanStyle &style = PlanStyle()) {
  net.Measurements.ClearPairs();
  net.Measurements.BuildPairs();
  ComputePairPixels(view, net.Points.List, net.Measurements);
  QPainter painter(&img);
  DrawMeasurementPlan(painter, view, net.Points.List, net.Measurements, style);
}

} // namespace

class PlanPainterTest : public QObject {
  Q_OBJECT

private slots:
  // ---- pixel rules on a raster device ----

  void lineLeavesOutItsEndPoint() {
    QImage img(20, 20, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter painter(&img);
    PlanPainter c(painter, PlanStyle());
    QVERIFY(c.ExactPixels());
    c.Line(2, 3, 7, 3, kWhite);
    for (int x = 2; x <= 6; ++x)
      QCOMPARE(At(img, x, 3), kWhite);
    QCOMPARE(At(img, 7, 3), kBlack);
    QCOMPARE(At(img, 1, 3), kBlack);
    // Backwards and vertical: the start is drawn, the end is not.
    c.Line(10, 15, 10, 10, kWhite);
    QCOMPARE(At(img, 10, 15), kWhite);
    QCOMPARE(At(img, 10, 11), kWhite);
    QCOMPARE(At(img, 10, 10), kBlack);
    // A diagonal steps one pixel per column.
    c.Line(0, 0, 4, 4, kWhite);
    QCOMPARE(At(img, 3, 3), kWhite);
    QCOMPARE(At(img, 4, 4), kBlack);
    QCOMPARE(At(img, 1, 0), kBlack);
    // A shallow line: Bresenham's pixels, one per column, end left out.
    c.FillRect(0, 0, 20, 20, kBlack);
    c.Line(0, 0, 10, 3, kWhite);
    int lastY = 0;
    for (int x = 0; x < 10; ++x) {
      int lit = 0, at = -1;
      for (int y = 0; y < 5; ++y)
        if (At(img, x, y) == kWhite) {
          ++lit;
          at = y;
        }
      QCOMPARE(lit, 1);
      QVERIFY(at >= lastY && at <= lastY + 1 && std::abs(at - 0.3 * x) <= 0.5);
      lastY = at;
    }
    QCOMPARE(At(img, 10, 3), kBlack);
  }

  void fillAndEllipseKeepTheirBoxes() {
    QImage img(30, 30, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter painter(&img);
    PlanPainter c(painter, PlanStyle());
    c.FillRect(2, 2, 5, 4, kBlue);
    QCOMPARE(At(img, 4, 3), kBlue);
    QCOMPARE(At(img, 5, 3), kBlack);
    QCOMPARE(At(img, 4, 4), kBlack);

    c.Ellipse(10, 10, 17, 17, kWhite, kBlue); // pixels 10..16, centre 13
    QCOMPARE(At(img, 13, 10), kWhite);
    QCOMPARE(At(img, 10, 13), kWhite);
    QCOMPARE(At(img, 16, 13), kWhite);
    QCOMPARE(At(img, 13, 16), kWhite);
    QCOMPARE(At(img, 13, 13), kBlue);
    QCOMPARE(At(img, 12, 12), kBlue);
    QCOMPARE(At(img, 17, 13), kBlack);
    QCOMPARE(At(img, 13, 17), kBlack);
    QCOMPARE(At(img, 10, 10), kBlack);
    QCOMPARE(At(img, 16, 16), kBlack);
    // Degenerate boxes draw nothing.
    c.Ellipse(20, 20, 20, 25, kWhite, kBlue);
    QCOMPARE(At(img, 20, 22), kBlack);
  }

  void textSitsOnABrushBoxAtItsCorner() {
    QImage img(120, 60, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter painter(&img);
    PlanStyle style;
    style.FontName = "Times New Roman";
    style.FontSize = 10;
    PlanPainter c(painter, style);
    const QSize size = c.TextSize("123");
    const int w = size.width(), h = size.height();
    QVERIFY(w > 5 && h > 5);
    c.Text(20, 10, "123", kWhite, kBlue);
    QCOMPARE(At(img, 20, 10), kBlue);
    QCOMPARE(At(img, 19, 10), kBlack);
    QCOMPARE(At(img, 20, 9), kBlack);
    QCOMPARE(At(img, 20 + w, 10), kBlack);
    QCOMPARE(At(img, 20, 10 + h), kBlack);
    // Drawn without antialiasing: only the box and the ink colour.
    const auto inside = Colours(img, 20, 10, 20 + w, 10 + h);
    QCOMPARE(inside, (std::set<std::uint32_t>{kBlue, kWhite}));
    // Partly outside the image: the visible part only, nothing fails.
    c.Text(-w / 2, 50, "123", kWhite, kBlue);
    QCOMPARE(At(img, 0, 50), kBlue);
  }

  void farAwayCoordinatesAreClippedNotWalked() {
    QImage img(40, 40, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter painter(&img);
    PlanPainter c(painter, PlanStyle());
    c.Line(-1000000000, 5, 1000000000, 5, kWhite);
    for (int x = 0; x < 40; ++x)
      QCOMPARE(At(img, x, 5), kWhite);
    c.Line(-1000000000, -1000000000, -999999000, 1000000000, kWhite); // wholly outside
    c.Ellipse(-1000000000, -1000000000, 1000000000, 1000000000, kWhite, kBlue);
    c.Text(1000000000, 1000000000, "far", kWhite, kBlue);
    QCOMPARE(At(img, 0, 0), kBlue); // the huge ellipse's outline is far away
  }

  void otherDevicesGetOrdinaryShapes() {
    // A transformed painter cannot keep pixels: the shapes are drawn as
    // lines, ellipses and texts, still in their places.
    QImage img(100, 100, QImage::Format_RGB888);
    img.fill(Qt::black);
    {
      QPainter painter(&img);
      painter.scale(2, 2);
      PlanPainter c(painter, PlanStyle());
      QVERIFY(!c.ExactPixels());
      c.Line(5, 10, 40, 10, kWhite);
      c.Ellipse(10, 20, 21, 31, kWhite, kBlue);
    }
    QVERIFY(Colours(img, 20, 20, 70, 23).count(kWhite));
    QVERIFY(Colours(img, 30, 50, 34, 54).count(kBlue));
  }

  void pixelsRoundHalvesToEven() {
    QCOMPARE(RoundPixel(2.5L), 2);
    QCOMPARE(RoundPixel(3.5L), 4);
    QCOMPARE(RoundPixel(-2.5L), -2);
    QCOMPARE(RoundPixel(2.4999L), 2);
    QCOMPARE(RoundPixel(1e30L), 1000000000);
    QCOMPARE(RoundPixel(-1e30L), -1000000000);
    QCOMPARE(RoundPixel(std::nanl("")), 0);
  }

  void systemColoursUseTheDesktopPalette() {
    QCOMPARE(ShownRgb(0xFF00000F), 0xF0F0F0u); // button face
    QCOMPARE(ShownRgb(0x00123456), 0x123456u);
    QCOMPARE(ShownRgb(0xFF0000FF), 0x000000u); // unknown number
    QCOMPARE(PlanColor(0x000000FF), QColor(255, 0, 0));
  }

  void styleTakesTheSettingsFile() {
    kd::Settings s;
    s.FixedColor = 0x00123456;
    s.BackColor = 0xFF00000F;
    s.FontName = "Arial";
    s.FontSize = 12;
    const PlanStyle style = PlanStyle::FromSettings(s);
    QCOMPARE(style.FixedColor, 0x00123456u);
    QCOMPARE(style.BackColor, 0xFF00000Fu);
    QCOMPARE(style.FontName, std::string("Arial"));
    QCOMPARE(style.FontSize, 12);
    QCOMPARE(style.CrossSize, 5);
    QCOMPARE(style.CircleRadius, 3);
    QCOMPARE(PlanStyle::FromSettings(kd::Settings()), PlanStyle());
  }

  // ---- symbols, axes, background ----

  void pointSymbolCrossCircleAndLabel() {
    QImage img(200, 200, QImage::Format_RGB888);
    img.fill(Qt::black);
    PlanStyle style;
    style.BackColor = kBlue;
    QPainter painter(&img);
    PlanPainter c(painter, style);
    const int x = 60, y = 70, cs = style.CrossSize;
    c.PointSymbol(x, y, "", kGreen);
    for (int d = -cs; d <= cs; ++d) {
      QCOMPARE(At(img, x, y + d), kGreen);
      QCOMPARE(At(img, x + d, y), kGreen);
    }
    QCOMPARE(At(img, x, y - cs - 1), kBlack);
    QCOMPARE(At(img, x, y + cs + 1), kBlack);
    QCOMPARE(At(img, x - cs - 1, y), kBlack);
    QCOMPARE(At(img, x + cs + 1, y), kBlack);
    // Circle of radius 3: outline in the pen colour, filled with the background.
    QCOMPARE(At(img, x + 2, y - 2), kGreen);
    QCOMPARE(At(img, x + 1, y - 1), kBlue);
    QCOMPARE(At(img, x + 3, y - 3), kBlack);

    // The label's box starts 2 pixels right of and 1 pixel below the point.
    c.FillRect(0, 0, 200, 200, kBlack);
    c.PointSymbol(x, y, "88", kGreen);
    QCOMPARE(At(img, x + 2, y + 4), kBlue);
    QCOMPARE(At(img, x + 1, y + 4), kBlack);
    QCOMPARE(At(img, x + 6, y + 1), kBlue);
    QCOMPARE(At(img, x + 6, y), kBlack);
  }

  void axesAreWhiteWhateverTheColours() {
    QImage img(120, 120, QImage::Format_RGB888);
    PlanStyle style;
    style.BackColor = kBlack;
    {
      QPainter painter(&img);
      ClearPlan(painter, style);
      PlanPainter(painter, style).Axes();
    }
    for (int i = 10; i < 50; ++i) {
      QCOMPARE(At(img, i, 10), kWhite);
      QCOMPARE(At(img, 10, i), kWhite);
    }
    QCOMPARE(At(img, 35, 5), kBlack); // head line ends before (35, 5)
    QCOMPARE(At(img, 36, 5), kWhite);
    QCOMPARE(At(img, 40, 7), kWhite); // on the upper head line
    QVERIFY(Colours(img, 55, 10, 80, 30).count(kWhite));
    QVERIFY(Colours(img, 10, 55, 35, 75).count(kWhite));

    // On a white background they disappear.
    style.BackColor = kWhite;
    {
      QPainter painter(&img);
      ClearPlan(painter, style);
      PlanPainter(painter, style).Axes();
    }
    QCOMPARE(Colours(img, 0, 0, 120, 120), (std::set<std::uint32_t>{kWhite}));
  }

  void clearFillsEveryPixelWithTheBackground() {
    QImage img(64, 48, QImage::Format_RGB888);
    img.fill(Qt::red);
    PlanStyle style;
    style.BackColor = 0xFF00000F; // system colour: button face
    QPainter painter(&img);
    ClearPlan(painter, style);
    QCOMPARE(Colours(img, 0, 0, 64, 48), (std::set<std::uint32_t>{0xF0F0F0u}));
  }

  void pointsMarkAndColours() {
    QImage img(300, 300, QImage::Format_RGB888);
    PointList list;
    list.Append(Pt(1, 0, 0, 0, true));
    list.Append(Pt(2, 100, 100));
    PlanView view = ViewOf(img);
    view.FitAll(list);
    const PlanStyle style;
    DrawCoordinates(img, view, list);
    const PixelPosition a = view.ToPixel(list.Items[0]);
    const PixelPosition b = view.ToPixel(list.Items[1]);
    QCOMPARE(At(img, RoundPixel(a.x), RoundPixel(a.y)), style.FixedColor);
    QCOMPARE(At(img, RoundPixel(b.x), RoundPixel(b.y)), style.AdjustedColor);

    view.MarkX = 150;
    view.MarkY = 150;
    view.Marked = true;
    DrawCoordinates(img, view, list);
    QCOMPARE(At(img, 150, 150 - style.CrossSize), style.MarkColor);
    // "???" in the mark colour right of and below the mark.
    QVERIFY(Colours(img, 156, 151, 190, 170).count(style.MarkColor));
  }

  void labelsOfNearbyPointsKeepApart() {
    // Two points a few pixels apart: the second label moves off the first.
    QImage img(200, 200, QImage::Format_RGB888);
    PointList list;
    list.Append(Pt(1, 0, 0));
    list.Append(Pt(2, 3, 2));
    list.Append(Pt(3, 100, 100));
    PlanView view = ViewOf(img);
    view.Scale = 1;
    view.CentreX = 100;
    view.CentreY = 100;
    const PlanStyle style;
    DrawCoordinates(img, view, list);
    // Point 1's label box starts at (2, 1) from its point.
    QCOMPARE(At(img, 100 - 100 + 2, 100 - 100 + 1 + 3), style.BackColor);
    QVERIFY(Colours(img, 2, 1, 20, 16).count(style.AdjustedColor));
  }

  // ---- view arithmetic ----

  void fitCentresTheExtentAndKeepsTheMargin() {
    PlanView view;
    view.Width = 600;
    view.Height = 400;
    PointList list;
    list.Append(Pt(1, 10, 20));
    list.Append(Pt(2, 110, 40));
    list.Append(Pt(3, 20, 60));
    view.OffsetX = 7;
    view.Marked = true;
    view.FitAll(list);
    QCOMPARE(double(view.CentreX), 60.0);
    QCOMPARE(double(view.CentreY), 40.0);
    // X span 100 over 550 pixels, Y span 40 over 350: X decides.
    QCOMPARE(double(view.Scale), 5.5);
    QCOMPARE(double(view.OffsetX), 0.0);
    QVERIFY(!view.Marked);
    const PixelPosition left = view.ToPixel(list.Items[0]);
    QCOMPARE(double(left.x), 25.0);
  }

  void fitOfCollinearAndSinglePoints() {
    PlanView view;
    view.Width = view.Height = 573;
    PointList list;
    list.Append(Pt(1, 5, 0));
    list.Append(Pt(2, 5, 100));
    view.FitAll(list);
    QCOMPARE(double(view.Scale), 523.0 / 100.0);

    view.Width = 700;
    view.Height = 500;
    list.Items[1] = Pt(2, 5, 0);
    view.FitAll(list);
    QCOMPARE(double(view.Scale), double(450.0L / 0.0001L));
    const PixelPosition p = view.ToPixel(list.Items[0]);
    QCOMPARE(double(p.x), 350.0);
    QCOMPARE(double(p.y), 250.0);

    PlanView empty;
    empty.Width = empty.Height = 573;
    empty.FitAll(PointList()); // nothing to fit: no failure
    QCOMPARE(double(empty.Scale), 1.0);
    QCOMPARE(NearestPoint(empty, PointList(), 10, 10, 20), -1);
  }

  void zoomInAndOutRestoresTheScale() {
    PlanView view;
    view.Width = 574;
    view.Height = 572;
    PointList list;
    list.Append(Pt(1, 0, 0));
    list.Append(Pt(2, 300, 200));
    view.FitAll(list);
    view.Pan(13, -7);
    const long double scale = view.Scale;
    long double X0, Y0;
    view.ToWorld(287, 286, X0, Y0);
    view.Zoom(1.05);
    QVERIFY(std::fabs(double(view.Scale / scale) - 1.05) < 1e-15);
    view.Zoom(1.0 / 1.05);
    QVERIFY(std::fabs(double(view.Scale / scale) - 1.0) < 1e-15);
    const PixelPosition p = view.ToPixel(X0, Y0);
    QVERIFY(std::fabs(double(p.x) - 287) < 1e-6);
    QVERIFY(std::fabs(double(p.y) - 286) < 1e-6);

    // With odd sizes the world point at the rounded middle pixel (halves to
    // even) moves to the exact middle.
    view.Width = 575;
    view.Height = 573;
    long double X, Y;
    view.ToWorld(RoundPixel(575 / 2.0L), RoundPixel(573 / 2.0L), X, Y);
    view.Marked = true;
    view.Zoom(2.0);
    const PixelPosition q = view.ToPixel(X, Y);
    QVERIFY(std::fabs(double(q.x) - 287.5) < 1e-9);
    QVERIFY(std::fabs(double(q.y) - 286.5) < 1e-9);
    QVERIFY(!view.Marked);

    // Factors without meaning change nothing.
    const long double before = view.Scale;
    view.Zoom(0);
    view.Zoom(-2);
    view.Zoom(std::nan(""));
    view.Zoom(INFINITY);
    view.ZoomAbout(0, 10, 10);
    view.ZoomAbout(2, std::nan(""), 10);
    QCOMPARE(double(view.Scale), double(before));
  }

  void wheelZoomKeepsThePointUnderTheCursor() {
    PlanView view;
    view.Width = 400;
    view.Height = 300;
    view.Scale = 2;
    view.CentreX = 50;
    view.CentreY = 20;
    long double X, Y;
    view.ToWorld(100, 80, X, Y);
    view.Marked = true;
    view.ZoomAbout(kWheelZoomStep, 100, 80);
    QVERIFY(std::fabs(double(view.Scale) - 2.5) < 1e-15);
    const PixelPosition p = view.ToPixel(X, Y);
    QVERIFY(std::fabs(double(p.x) - 100) < 1e-9);
    QVERIFY(std::fabs(double(p.y) - 80) < 1e-9);
    QVERIFY(!view.Marked);
  }

  void resizeKeepsTheMiddleAndFillsTheNarrowerSide() {
    PlanView view;
    view.Resize(400, 300); // from nothing: only the size
    QCOMPARE(double(view.Scale), 1.0);
    view.Scale = 2;
    view.CentreX = 10;
    view.OffsetX = 30;
    view.OffsetY = -10;
    long double X, Y;
    view.ToWorld(200, 150, X, Y);
    view.Marked = true;
    view.Resize(800, 900); // width doubles, height triples: factor 2
    QCOMPARE(double(view.Scale), 4.0);
    const PixelPosition p = view.ToPixel(X, Y);
    QCOMPARE(double(p.x), 400.0);
    QCOMPARE(double(p.y), 450.0);
    QVERIFY(!view.Marked);
    view.Marked = true;
    view.Resize(800, 900); // same size: nothing changes
    QVERIFY(view.Marked);
    QCOMPARE(double(view.Scale), 4.0);
  }

  void pixelAndWorldAreInverse() {
    PlanView view;
    view.Width = 400;
    view.Height = 300;
    view.Scale = 3.25L;
    view.CentreX = 1000.5L;
    view.CentreY = -20;
    view.OffsetX = 12.5L;
    view.OffsetY = -3;
    const PixelPosition p = view.ToPixel(1010.5L, -10);
    QCOMPARE(double(p.x), 10 * 3.25 + 200 + 12.5);
    QCOMPARE(double(p.y), 10 * 3.25 + 150 - 3);
    long double X, Y;
    view.ToWorld(p.x, p.y, X, Y);
    QCOMPARE(double(X), 1010.5);
    QCOMPARE(double(Y), -10.0);
    view.Pan(10, -10);
    QCOMPARE(double(view.OffsetX), 22.5);
    QCOMPARE(double(view.OffsetY), -13.0);
    // The precision drawing's mapping puts the world at the same pixels.
    const QPointF q = view.Mapping().ToPixel(1010.5L, -10);
    const PixelPosition r = view.ToPixel(1010.5L, -10);
    QCOMPARE(q.x(), double(r.x));
    QCOMPARE(q.y(), double(r.y));
  }

  void pickRadiusAndTies() {
    PlanView view;
    view.Width = view.Height = 400;
    view.Scale = 1;
    view.CentreX = 200;
    view.CentreY = 200; // world = pixel
    PointList list;
    list.Append(Pt(1, 100, 100));
    QCOMPARE(NearestPoint(view, list, 120, 100, 20), -1); // exactly 20 pixels
    QCOMPARE(NearestPoint(view, list, 119.99L, 100, 20), 0);
    QCOMPARE(NearestPoint(view, list, 112, 116, 20), -1); // 20 pixels diagonally
    list.Append(Pt(2, 110, 100));
    list.Append(Pt(3, 90, 100));
    // The earliest of the nearest wins.
    QCOMPARE(NearestPoint(view, list, 100, 100, 20), 0);
    QCOMPARE(NearestPoint(view, list, 100, 110, 20), 0);
    QCOMPARE(NearestPoint(view, list, 105, 100, 20), 0); // 5 from points 1 and 2
    QCOMPARE(NearestPoint(view, list, 95, 100, 20), 0);  // 5 from points 1 and 3
    QCOMPARE(NearestPoint(view, list, 109, 100, 20), 1);
  }

  // ---- measurement plan ----

  void onePairOneLineWithItsLabel() {
    QImage img(300, 300, QImage::Format_RGB888);
    SurveyNetwork net;
    PointList &list = net.Points.List;
    list.Append(Pt(1, 0, 0));
    list.Append(Pt(2, 100, 0));
    list.Append(Pt(3, 50, 80));
    net.Measurements.AddMeasurement(mtSd, 0.001, 2, 1);
    net.Measurements.AddMeasurement(mtSd, 0.001, 1, 2);
    PlanView view = ViewOf(img);
    view.FitAll(list);
    const PlanStyle style;
    DrawMeasurements(img, view, net);
    QCOMPARE(net.Measurements.PairCount(), 1);
    QCOMPARE(MeasurementList::PairLabel(net.Measurements.Pairs[0]), std::string("2sd"));
    const MeasuredPair &pair = net.Measurements.Pairs[0];
    const PixelPosition a = view.ToPixel(list.Items[0]);
    QCOMPARE(double(pair.PixelA.x), double(a.x));
    const int y = RoundPixel(a.y);
    // The line runs between the points in the measurement colour (away from
    // the symbols and the label).
    QCOMPARE(At(img, RoundPixel(a.x) + 30, y), style.MeasColor);
    QCOMPARE(At(img, RoundPixel(a.x) + 30, y - 1), style.BackColor);
    // The label's box starts at the midpoint.
    const int mx = RoundPixel((pair.PixelA.x + pair.PixelB.x) / 2);
    QVERIFY(Colours(img, mx, y + 1, mx + 30, y + 16).count(style.MeasColor));
    QCOMPARE(At(img, mx - 1, y + 3), style.BackColor);
    // Point 3 has no measurement: nothing between it and the others.
    const PixelPosition p3 = view.ToPixel(list.Items[2]);
    QCOMPARE(At(img, RoundPixel((a.x + p3.x) / 2), RoundPixel((a.y + p3.y) / 2)), style.BackColor);
  }

  void pairsOfMissingPointsAreNotDrawn() {
    QImage img(200, 200, QImage::Format_RGB888);
    SurveyNetwork net;
    net.Points.List.Append(Pt(1, 0, 0));
    net.Points.List.Append(Pt(2, 10, 10));
    net.Measurements.AddMeasurement(mtZu, 0.001, 9, 1);
    PlanView view = ViewOf(img);
    view.FitAll(net.Points.List);
    DrawMeasurements(img, view, net);
    QCOMPARE(net.Measurements.PairCount(), 1);
    QVERIFY(std::isnan(double(net.Measurements.Pairs[0].PixelB.x)));
    QVERIFY(!Colours(img, 0, 0, 200, 200).count(PlanStyle().MeasColor));
  }

  void vectorDevicesGetTheSamePlan() {
    // The same calls on a picture (a vector device) replayed on an image
    // put the lines and points at the same places.
    SurveyNetwork net;
    net.Points.List.Append(Pt(1, 0, 0, 0, true));
    net.Points.List.Append(Pt(2, 100, 0));
    net.Measurements.AddMeasurement(mtSd, 0.001, 1, 2);
    QImage img(300, 200, QImage::Format_RGB888);
    PlanView view = ViewOf(img);
    view.FitAll(net.Points.List);
    QPicture picture;
    picture.setBoundingRect(QRect(0, 0, 300, 200));
    {
      QPainter painter(&picture);
      net.Measurements.BuildPairs();
      ComputePairPixels(view, net.Points.List, net.Measurements);
      DrawMeasurementPlan(painter, view, net.Points.List, net.Measurements, PlanStyle());
    }
    img.fill(Qt::red);
    {
      QPainter painter(&img);
      painter.drawPicture(0, 0, picture);
    }
    const PlanStyle style;
    const PixelPosition a = view.ToPixel(net.Points.List.Items[0]);
    QCOMPARE(At(img, 5, 5), style.BackColor);
    QVERIFY(Colours(img, RoundPixel(a.x) - 1, RoundPixel(a.y) - 6, RoundPixel(a.x) + 2,
                    RoundPixel(a.y) - 3)
                .count(style.FixedColor));
    QVERIFY(Colours(img, 140, RoundPixel(a.y) - 1, 150, RoundPixel(a.y) + 2).count(style.MeasColor));
  }
};

QTEST_MAIN(PlanPainterTest)
#include "plan_painter_test.moc"
