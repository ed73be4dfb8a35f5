// Pixel and view-arithmetic tests of the plan drawing.
#include "core/survey_network.h"
#include "core/text_grid.h"
#include "ui/plan_canvas.h"
#include "ui/plan_renderer.h"

#include <QComboBox>
#include <QImage>
#include <QtTest>

#include <cmath>
#include <set>

namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kGreen = 0x00FF00,
                        kBlue = 0xFF0000, kRed = 0x0000FF;

NetworkPoint Pt(double n, long double x, long double y, long double z = 0, bool fixed = false) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  p.Fixed = fixed;
  return p;
}

std::uint32_t At(const QImage &img, int x, int y) {
  PlanCanvas c(const_cast<QImage *>(&img));
  return c.Pixel(x, y);
}

// Colours present inside a rectangle [x1, x2) x [y1, y2).
std::set<std::uint32_t> Colours(const QImage &img, int x1, int y1, int x2, int y2) {
  std::set<std::uint32_t> s;
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x)
      s.insert(At(img, x, y));
  return s;
}

} // namespace

class PlanRenderTest : public QObject {
  Q_OBJECT

private slots:
  // ---- canvas rules ----

  void lineLeavesOutItsEndPoint() {
    QImage img(20, 20, QImage::Format_RGB888);
    img.fill(Qt::black);
    PlanCanvas c(&img);
    c.PenColor = kWhite;
    c.Line(2, 3, 7, 3);
    for (int x = 2; x <= 6; ++x)
      QCOMPARE(c.Pixel(x, 3), kWhite);
    QCOMPARE(c.Pixel(7, 3), kBlack);
    QCOMPARE(c.Pixel(1, 3), kBlack);
    // Backwards and vertical: the start is drawn, the end is not.
    c.Line(10, 15, 10, 10);
    QCOMPARE(c.Pixel(10, 15), kWhite);
    QCOMPARE(c.Pixel(10, 11), kWhite);
    QCOMPARE(c.Pixel(10, 10), kBlack);
    // A diagonal steps one pixel per column.
    c.Line(0, 0, 4, 4);
    QCOMPARE(c.Pixel(3, 3), kWhite);
    QCOMPARE(c.Pixel(4, 4), kBlack);
  }

  void fillAndEllipseKeepTheirBoxes() {
    QImage img(30, 30, QImage::Format_RGB888);
    img.fill(Qt::black);
    PlanCanvas c(&img);
    c.BrushColor = kBlue;
    c.FillRect(2, 2, 5, 4);
    QCOMPARE(c.Pixel(4, 3), kBlue);
    QCOMPARE(c.Pixel(5, 3), kBlack);
    QCOMPARE(c.Pixel(4, 4), kBlack);

    c.PenColor = kWhite;
    c.Ellipse(10, 10, 17, 17); // pixels 10..16, centre 13
    QCOMPARE(c.Pixel(13, 10), kWhite);
    QCOMPARE(c.Pixel(10, 13), kWhite);
    QCOMPARE(c.Pixel(16, 13), kWhite);
    QCOMPARE(c.Pixel(13, 16), kWhite);
    QCOMPARE(c.Pixel(13, 13), kBlue);
    QCOMPARE(c.Pixel(12, 12), kBlue);
    QCOMPARE(c.Pixel(17, 13), kBlack);
    QCOMPARE(c.Pixel(13, 17), kBlack);
    QCOMPARE(c.Pixel(10, 10), kBlack);
    QCOMPARE(c.Pixel(16, 16), kBlack);
    // Degenerate boxes draw nothing.
    c.Ellipse(20, 20, 20, 25);
    QCOMPARE(c.Pixel(20, 22), kBlack);
  }

  void textSitsOnABrushBoxAtItsCorner() {
    QImage img(120, 60, QImage::Format_RGB888);
    img.fill(Qt::black);
    PlanCanvas c(&img);
    c.BrushColor = kBlue;
    c.FontColor = kWhite;
    c.FontName = "Times New Roman";
    c.FontSize = 10;
    int w = 0, h = 0;
    c.TextExtent("123", w, h);
    QVERIFY(w > 5 && h > 5);
    c.TextOut(20, 10, "123");
    QCOMPARE(c.Pixel(20, 10), kBlue);
    QCOMPARE(c.Pixel(19, 10), kBlack);
    QCOMPARE(c.Pixel(20, 9), kBlack);
    QCOMPARE(c.Pixel(20 + w, 10), kBlack);
    QCOMPARE(c.Pixel(20, 10 + h), kBlack);
    // Drawn without antialiasing: only the brush and the font colour.
    const auto inside = Colours(img, 20, 10, 20 + w, 10 + h);
    QCOMPARE(inside, (std::set<std::uint32_t>{kBlue, kWhite}));
  }

  void farAwayCoordinatesAreClippedNotWalked() {
    QImage img(40, 40, QImage::Format_RGB888);
    img.fill(Qt::black);
    PlanCanvas c(&img);
    c.PenColor = kWhite;
    c.Line(-1000000000, 5, 1000000000, 5);
    for (int x = 0; x < 40; ++x)
      QCOMPARE(c.Pixel(x, 5), kWhite);
    c.Line(-1000000000, -1000000000, -999999000, 1000000000); // wholly outside
    c.Ellipse(-1000000000, -1000000000, 1000000000, 1000000000);
    c.TextOut(1000000000, 1000000000, "far");
    QCOMPARE(c.Pixel(0, 0), kWhite); // the huge ellipse's outline is far away
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
    QCOMPARE(PlanCanvas::ToRgb(0xFF00000F), 0xF0F0F0u); // button face
    QCOMPARE(PlanCanvas::ToRgb(0x00123456), 0x123456u);
    QCOMPARE(PlanCanvas::ToRgb(0xFF0000FF), 0x000000u); // unknown number
  }

  // ---- symbols, axes, background ----

  void pointSymbolCrossCircleAndLabel() {
    QImage img(200, 200, QImage::Format_RGB888);
    img.fill(Qt::black);
    PointSet pts;
    PlanCanvas c(&img);
    c.BrushColor = kBlue;
    c.PenColor = kGreen;
    c.FontColor = kGreen;
    const int x = 60, y = 70, cs = pts.CrossSize;
    DrawPointSymbol(pts, c, x, y, "");
    for (int d = -cs; d <= cs; ++d) {
      QCOMPARE(c.Pixel(x, y + d), kGreen);
      QCOMPARE(c.Pixel(x + d, y), kGreen);
    }
    QCOMPARE(c.Pixel(x, y - cs - 1), kBlack);
    QCOMPARE(c.Pixel(x, y + cs + 1), kBlack);
    QCOMPARE(c.Pixel(x - cs - 1, y), kBlack);
    QCOMPARE(c.Pixel(x + cs + 1, y), kBlack);
    // Circle of radius 3: outline in the pen colour, filled with the brush.
    QCOMPARE(c.Pixel(x + 2, y - 2), kGreen);
    QCOMPARE(c.Pixel(x + 1, y - 1), kBlue);
    QCOMPARE(c.Pixel(x + 3, y - 3), kBlack);

    // The label's box starts 2 pixels right of and 1 pixel below the point.
    img.fill(Qt::black);
    DrawPointSymbol(pts, c, x, y, "88");
    QCOMPARE(c.Pixel(x + 2, y + 4), kBlue);
    QCOMPARE(c.Pixel(x + 1, y + 4), kBlack);
    QCOMPARE(c.Pixel(x + 6, y + 1), kBlue);
    QCOMPARE(c.Pixel(x + 6, y), kBlack);
  }

  void axesAreWhiteWhateverTheColours() {
    QImage img(120, 120, QImage::Format_RGB888);
    PointSet pts;
    pts.BackColor = kBlack;
    SetBitmap(pts, &img);
    ClearPlan(pts);
    PlanCanvas c(&img);
    DrawAxes(c);
    for (int i = 10; i < 50; ++i) {
      QCOMPARE(c.Pixel(i, 10), kWhite);
      QCOMPARE(c.Pixel(10, i), kWhite);
    }
    QCOMPARE(c.Pixel(35, 5), kBlack); // head line ends before (35, 5)
    QCOMPARE(c.Pixel(36, 5), kWhite);
    QCOMPARE(c.Pixel(40, 7), kWhite); // on the upper head line
    QVERIFY(Colours(img, 55, 10, 80, 30).count(kWhite));
    QVERIFY(Colours(img, 10, 55, 35, 75).count(kWhite));

    // On a white background they disappear.
    pts.BackColor = kWhite;
    ClearPlan(pts);
    DrawAxes(c);
    QCOMPARE(Colours(img, 0, 0, 120, 120), (std::set<std::uint32_t>{kWhite}));
  }

  void clearFillsEveryPixelWithTheBackground() {
    QImage img(64, 48, QImage::Format_RGB888);
    img.fill(Qt::red);
    PointSet pts;
    pts.BackColor = 0xFF00000F; // system colour: button face
    SetBitmap(pts, &img);
    ClearPlan(pts);
    QCOMPARE(Colours(img, 0, 0, 64, 48), (std::set<std::uint32_t>{0xF0F0F0u}));
    // Without a surface nothing is drawn and nothing fails.
    SetBitmap(pts, nullptr);
    ClearPlan(pts);
    DrawPoints(pts);
    QCOMPARE(PlanWidth(pts), 0);
  }

  void pointsMarkAndColours() {
    QImage img(300, 300, QImage::Format_RGB888);
    PointSet pts;
    pts.List.Append(Pt(1, 0, 0, 0, true));
    pts.List.Append(Pt(2, 100, 100));
    SetBitmap(pts, &img);
    FitAll(pts);
    ClearPlan(pts);
    DrawPoints(pts);
    const PixelPosition a = WorldToPixel(pts, pts.List.Items[0]);
    const PixelPosition b = WorldToPixel(pts, pts.List.Items[1]);
    PlanCanvas c(&img);
    QCOMPARE(c.Pixel(RoundPixel(a.x), RoundPixel(a.y)), pts.FixedColor);
    QCOMPARE(c.Pixel(RoundPixel(b.x), RoundPixel(b.y)), pts.AdjustedColor);

    pts.MarkX = 150;
    pts.MarkY = 150;
    pts.Marked = true;
    ClearPlan(pts);
    DrawPoints(pts);
    QCOMPARE(c.Pixel(150, 150 - pts.CrossSize), pts.MarkColor);
    // "???" in the mark colour right of and below the mark.
    QVERIFY(Colours(img, 156, 151, 190, 170).count(pts.MarkColor));
  }

  // ---- view arithmetic ----

  void fitCentresTheExtentAndKeepsTheMargin() {
    QImage img(600, 400, QImage::Format_RGB888);
    PointSet pts;
    SetBitmap(pts, &img);
    pts.List.Append(Pt(1, 10, 20));
    pts.List.Append(Pt(2, 110, 40));
    pts.List.Append(Pt(3, 20, 60));
    pts.OffsetX = 7;
    pts.Marked = true;
    FitAll(pts);
    QCOMPARE(double(pts.CentreX), 60.0);
    QCOMPARE(double(pts.CentreY), 40.0);
    // X span 100 over 550 pixels, Y span 40 over 350: X decides.
    QCOMPARE(double(pts.Scale), 5.5);
    QCOMPARE(double(pts.OffsetX), 0.0);
    QVERIFY(!pts.Marked);
    const PixelPosition left = WorldToPixel(pts, pts.List.Items[0]);
    QCOMPARE(double(left.x), 25.0);
  }

  void fitOfCollinearAndSinglePoints() {
    QImage img(573, 573, QImage::Format_RGB888);
    PointSet pts;
    SetBitmap(pts, &img);
    pts.List.Append(Pt(1, 5, 0));
    pts.List.Append(Pt(2, 5, 100));
    FitAll(pts);
    QCOMPARE(double(pts.Scale), 523.0 / 100.0);

    QImage wide(700, 500, QImage::Format_RGB888);
    SetBitmap(pts, &wide);
    pts.List.Items[1] = Pt(2, 5, 0);
    FitAll(pts);
    QCOMPARE(double(pts.Scale), double(450.0L / 0.0001L));
    const PixelPosition p = WorldToPixel(pts, pts.List.Items[0]);
    QCOMPARE(double(p.x), 350.0);
    QCOMPARE(double(p.y), 250.0);

    PointSet empty;
    SetBitmap(empty, &img);
    FitAll(empty); // nothing to fit: no failure
    QCOMPARE(NearestPoint(empty, 10, 10), -1);
  }

  void zoomInAndOutRestoresTheScale() {
    QImage img(574, 572, QImage::Format_RGB888);
    PointSet pts;
    SetBitmap(pts, &img);
    pts.List.Append(Pt(1, 0, 0));
    pts.List.Append(Pt(2, 300, 200));
    FitAll(pts);
    Pan(pts, 13, -7);
    const long double scale = pts.Scale;
    long double X0, Y0;
    PixelToWorld(pts, 287, 286, X0, Y0);
    Zoom(pts, pts.ZoomStep);
    QVERIFY(std::fabs(double(pts.Scale / scale) - 1.05) < 1e-15);
    Zoom(pts, 1.0 / pts.ZoomStep);
    QVERIFY(std::fabs(double(pts.Scale / scale) - 1.0) < 1e-15);
    const PixelPosition p = WorldToPixel(pts, X0, Y0);
    QVERIFY(std::fabs(double(p.x) - 287) < 1e-6);
    QVERIFY(std::fabs(double(p.y) - 286) < 1e-6);

    // With odd sizes the world point at the rounded middle pixel (halves to
    // even) moves to the exact middle.
    QImage odd(575, 573, QImage::Format_RGB888);
    SetBitmap(pts, &odd);
    long double X, Y;
    PixelToWorld(pts, RoundPixel(575 / 2.0L), RoundPixel(573 / 2.0L), X, Y);
    pts.Marked = true;
    Zoom(pts, 2.0);
    const PixelPosition q = WorldToPixel(pts, X, Y);
    QVERIFY(std::fabs(double(q.x) - 287.5) < 1e-9);
    QVERIFY(std::fabs(double(q.y) - 286.5) < 1e-9);
    QVERIFY(!pts.Marked);

    // Factors without meaning change nothing.
    const long double before = pts.Scale;
    Zoom(pts, 0);
    Zoom(pts, -2);
    Zoom(pts, std::nan(""));
    Zoom(pts, INFINITY);
    QCOMPARE(double(pts.Scale), double(before));
  }

  void pixelAndWorldAreInverse() {
    QImage img(400, 300, QImage::Format_RGB888);
    PointSet pts;
    SetBitmap(pts, &img);
    pts.Scale = 3.25L;
    pts.CentreX = 1000.5L;
    pts.CentreY = -20;
    pts.OffsetX = 12.5L;
    pts.OffsetY = -3;
    const PixelPosition p = WorldToPixel(pts, 1010.5L, -10);
    QCOMPARE(double(p.x), 10 * 3.25 + 200 + 12.5);
    QCOMPARE(double(p.y), 10 * 3.25 + 150 - 3);
    long double X, Y;
    PixelToWorld(pts, p.x, p.y, X, Y);
    QCOMPARE(double(X), 1010.5);
    QCOMPARE(double(Y), -10.0);
    Pan(pts, 10, -10);
    QCOMPARE(double(pts.OffsetX), 22.5);
    QCOMPARE(double(pts.OffsetY), -13.0);
  }

  void pickRadiusAndTies() {
    QImage img(400, 400, QImage::Format_RGB888);
    PointSet pts;
    SetBitmap(pts, &img);
    pts.Scale = 1;
    pts.CentreX = 200;
    pts.CentreY = 200; // world = pixel
    pts.List.Append(Pt(1, 100, 100));
    QCOMPARE(NearestPoint(pts, 120, 100), -1); // exactly 20 pixels
    QCOMPARE(NearestPoint(pts, 119.99L, 100), 0);
    QCOMPARE(NearestPoint(pts, 112, 116), -1); // 20 pixels diagonally
    pts.List.Append(Pt(2, 110, 100));
    pts.List.Append(Pt(3, 90, 100));
    // Points 2 and 3 are 10 pixels from (100, 110)... and point 1 too,
    // diagonal ones farther: the earliest of the nearest wins.
    QCOMPARE(NearestPoint(pts, 100, 100), 0);
    QCOMPARE(NearestPoint(pts, 100, 110), 0);
    QCOMPARE(NearestPoint(pts, 105, 100), 0); // 5 from points 1 and 2
    QCOMPARE(NearestPoint(pts, 95, 100), 0);  // 5 from points 1 and 3
    QCOMPARE(NearestPoint(pts, 109, 100), 1);
  }

  // ---- measurement plan ----

  void onePairOneLineWithItsLabel() {
    QImage img(300, 300, QImage::Format_RGB888);
    SurveyNetwork net;
    PointSet &pts = net.Points;
    SetBitmap(pts, &img);
    pts.List.Append(Pt(1, 0, 0));
    pts.List.Append(Pt(2, 100, 0));
    pts.List.Append(Pt(3, 50, 80));
    net.Measurements.AddMeasurement(mtSd, 0.001, 2, 1);
    net.Measurements.AddMeasurement(mtSd, 0.001, 1, 2);
    FitAll(pts);
    DrawMeasurementPlan(net);
    QCOMPARE(net.Measurements.PairCount(), 1);
    QCOMPARE(MeasurementList::PairLabel(net.Measurements.Pairs[0]), std::string("2sd"));
    const MeasuredPair &pair = net.Measurements.Pairs[0];
    const PixelPosition a = WorldToPixel(pts, pts.List.Items[0]);
    QCOMPARE(double(pair.PixelA.x), double(a.x));
    PlanCanvas c(&img);
    const int y = RoundPixel(a.y);
    // The line runs between the points in the measurement colour (away from
    // the symbols and the label).
    QCOMPARE(c.Pixel(RoundPixel(a.x) + 30, y), pts.MeasColor);
    QCOMPARE(c.Pixel(RoundPixel(a.x) + 30, y - 1), pts.BackColor);
    // The label's box starts at the midpoint.
    const int mx = RoundPixel((pair.PixelA.x + pair.PixelB.x) / 2);
    QVERIFY(Colours(img, mx, y + 1, mx + 30, y + 16).count(pts.MeasColor));
    QCOMPARE(c.Pixel(mx - 1, y + 3), pts.BackColor);
    // Point 3 has no measurement: nothing between it and the others.
    const PixelPosition p3 = WorldToPixel(pts, pts.List.Items[2]);
    QCOMPARE(c.Pixel(RoundPixel((a.x + p3.x) / 2), RoundPixel((a.y + p3.y) / 2)),
             pts.BackColor);
  }

  void pairsOfMissingPointsAreNotDrawn() {
    QImage img(200, 200, QImage::Format_RGB888);
    SurveyNetwork net;
    SetBitmap(net.Points, &img);
    net.Points.List.Append(Pt(1, 0, 0));
    net.Points.List.Append(Pt(2, 10, 10));
    net.Measurements.AddMeasurement(mtZu, 0.001, 9, 1);
    FitAll(net.Points);
    DrawMeasurementPlan(net);
    QCOMPARE(net.Measurements.PairCount(), 1);
    QVERIFY(std::isnan(double(net.Measurements.Pairs[0].PixelB.x)));
    QVERIFY(!Colours(img, 0, 0, 200, 200).count(net.Points.MeasColor));
  }

  void wheelOperationsZoomAndRedraw() {
    QImage img(300, 300, QImage::Format_RGB888);
    SurveyNetwork net;
    SetBitmap(net.Points, &img);
    net.Points.List.Append(Pt(1, 0, 0));
    net.Points.List.Append(Pt(2, 100, 50));
    FitAll(net.Points);
    const long double s = net.Points.Scale;
    img.fill(Qt::red);
    WheelZoomInCoordPlan(net);
    QVERIFY(std::fabs(double(net.Points.Scale / s) - 1.25) < 1e-12);
    QVERIFY(!Colours(img, 0, 0, 300, 300).count(0x0000FFu)); // redrawn whole
    WheelZoomOutMeasPlan(net);
    QVERIFY(std::fabs(double(net.Points.Scale / s) - 1.0) < 1e-12);
    WheelZoomInMeasPlan(net);
    WheelZoomOutCoordPlan(net);
    QVERIFY(std::fabs(double(net.Points.Scale / s) - 1.0) < 1e-12);
  }

  // ---- tables, lists, adding ----

  void pointGridAndNumberList() {
    PointSet pts;
    pts.List.Append(Pt(12, 1000.12345L, -5.5L, 250.0005L));
    pts.List.Append(Pt(12.5, 0, 0, 0));
    TextGrid g;
    FillPointGrid(pts, g);
    QCOMPARE(g.RowCount(), 3);
    QCOMPARE(g.ColCount, 4);
    QCOMPARE(g.Cell(0, 0), std::string("P.No."));
    QCOMPARE(g.Cell(0, 1), std::string("X/m"));
    QCOMPARE(g.Cell(0, 3), std::string("Z/m"));
    QCOMPARE(g.Cell(1, 0), std::string("12"));
    // Rounded to eight significant digits first (1000.1235), then to three
    // decimals.
    QCOMPARE(g.Cell(1, 1), std::string("1000.124"));
    QCOMPARE(g.Cell(1, 2), std::string("-5.500"));
    QCOMPARE(g.Cell(2, 0), std::string("12.5"));

    QComboBox box;
    box.addItem("stale");
    FillNumberList(pts, &box);
    QCOMPARE(box.count(), 2);
    QCOMPARE(box.itemText(0), QString("12.000"));
    QCOMPARE(box.itemText(1), QString("12.500"));
  }

  void addPointAtTheMark() {
    QImage img(400, 400, QImage::Format_RGB888);
    PointSet pts;
    SetBitmap(pts, &img);
    pts.Scale = 2;
    pts.CentreX = 100;
    pts.CentreY = 100;
    pts.List.Append(Pt(1, 0, 0));
    pts.List.Append(Pt(2, 10, 10));
    QVERIFY(!AddPointAtMark(pts, 5, 7)); // no mark
    pts.MarkX = 210;
    pts.MarkY = 180;
    pts.Marked = true;
    QVERIFY(!AddPointAtMark(pts, 5, 2)); // number exists
    QCOMPARE(pts.List.Count(), 2);
    QVERIFY(AddPointAtMark(pts, 5.5L, 7));
    QCOMPARE(pts.List.Count(), 3);
    const NetworkPoint &p = pts.List.Items[2];
    QCOMPARE(p.Number, 7.0);
    QCOMPARE(double(p.X), 105.0);
    QCOMPARE(double(p.Y), 90.0);
    QCOMPARE(double(p.Z), 5.5);
    QVERIFY(!p.Fixed);
    QCOMPARE(p.Sc, 0.0);
    QCOMPARE(p.Svp, 0.0);
  }
};

QTEST_MAIN(PlanRenderTest)
#include "plan_render_test.moc"
