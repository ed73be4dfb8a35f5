// The precision on the plans after a real evaluation with our engine: the
// orientation and size of an ellipse checked by pixels against the geometry
// of the network, the reliability colour of a line, tolerances, relative
// ellipses, edits that make the precision stale, the wheel and the add
// window's place.
#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "ui/add_measurement_window.h"
#include "ui/app_globals.h"
#include "ui/change_precision_dialog.h"
#include "ui/coordinate_plan_window.h"
#include "ui/main_window.h"
#include "ui/live_precision.h"
#include "ui/measurement_plan_window.h"
#include "plot/plan_view.h"
#include "ui/plan_widgets.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

constexpr double kPlanPi = 3.14159265358979323846;

// A long sight: fixed 1 and 2, new point 3 500 m from 1 on the bearing
// 40.97 gon, fixed by one direction (oriented on 2), a distance and a
// zenith angle. The direction (10 cc, i.e. 11 mm across at 500 m for the
// angle of two directions) is far weaker than the 1 mm distance.
const QByteArray kLongSightCoords = "1 0 0 100 0 0 f\r\n"
                                    "2 -300 0 100 0 0 f\r\n"
                                    "3 400 300 110 0 0 a\r\n";
const QByteArray kLongSightMeas = "di 1 2 0.0010\r\n"
                                  "di 1 3 0.0010\r\n"
                                  "sd 1 3 0.0010\r\n"
                                  "zu 1 3 0.0010\r\n";

bool Near(QColor a, QColor b, int tolerance = 40) {
  return std::abs(a.red() - b.red()) < tolerance && std::abs(a.green() - b.green()) < tolerance &&
         std::abs(a.blue() - b.blue()) < tolerance;
}

// Whether a pixel within `radius` of p has (about) the colour.
bool ColourNear(const QImage &image, QPointF p, QColor colour, int radius = 2) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      const QPoint q(int(std::lround(p.x())) + dx, int(std::lround(p.y())) + dy);
      if (image.rect().contains(q) && Near(image.pixelColor(q), colour))
        return true;
    }
  return false;
}

// The pixel of a point on a plan (the coordinate plan unless named).
QPointF PixelOfPoint(double number, const PlanWindow *plan = nullptr) {
  if (!plan)
    plan = TheCoordinatePlan;
  const PointSet &pts = TheNetwork->Points;
  const int i = pts.List.IndexOfNumber(number);
  const PixelPosition p = plan->View().ToPixel(pts.List.Items[static_cast<std::size_t>(i)]);
  return QPointF(double(p.x), double(p.y));
}

} // namespace

class PlanPrecisionTest : public QObject {
  Q_OBJECT
  UiFixture F;

  FakeTimer *Timer() const { return static_cast<FakeTimer *>(TheMainWindow->PollTimer.get()); }

  // Loads the network and evaluates it with our engine, run at once.
  void Evaluate(const QByteArray &coords, const QByteArray &meas) {
    F.Write("c.txt", coords);
    F.Write("m.txt", meas);
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    F.Fake->onStart = [](const QString &, const QStringList &args, QString &) {
      return QProcess::execute(QStringLiteral(KD_BIN_DIR "/gama.exe"), args) == 0;
    };
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QVERIFY2(TheMainWindow->CalculationsButton->isEnabled(), "the evaluation did not complete");
  }

  const PointPrecision &Point3(const PlanWindow *plan) {
    const auto &p = plan->Precision();
    return p->Points[static_cast<std::size_t>(p->IndexOf(3))];
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void ellipseLiesAcrossALongSightWeakerInDirection() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheMainWindow->ShowCoordinatePlan();
    CoordinatePlanWindow *plan = TheCoordinatePlan;
    QVERIFY(plan->Precision());
    QVERIFY(plan->PrecisionFailure().empty());
    QCOMPARE(plan->Precision()->IndexOf(1), -1); // fixed points have none
    const PointPrecision &p = Point3(plan);
    // Across the sight: the bearing of the sight plus 100 gon.
    const double sight = std::atan2(300.0, 400.0) * 200 / kPlanPi;
    QVERIFY2(std::fabs(double(p.Ellipse.Bearing) - (sight + 100)) < 0.5,
             qPrintable(QString::number(double(p.Ellipse.Bearing))));
    // a = sqrt(2) * 10 cc * 500 m, b = the distance's 1 mm.
    QVERIFY(std::fabs(double(p.Ellipse.SemiMajor) - std::sqrt(2.0) * 0.001 * kPlanPi / 200 * 500000) < 0.5);
    QVERIFY(std::fabs(double(p.Ellipse.SemiMinor) - 1.0) < 0.2);

    // Drawn with the semi-major axis 60 pixels long: the outline is 60 px
    // from the point along the major axis, only about 5 px across it.
    plan->HeightBarsCheck->setChecked(false);
    const double scale = double(plan->View().Scale);
    plan->MagnificationSpin->setValue(std::round(60 * 1000 / (double(p.Ellipse.SemiMajor) * scale)));
    const double aPx = double(p.Ellipse.SemiMajor) * plan->MagnificationSpin->value() * scale / 1000;
    const QImage &image = *plan->PlanImage->Bitmap();
    // Point 3 to the middle of the plan, so that the whole ellipse shows.
    const QPointF before = PixelOfPoint(3);
    // (a drag with the middle button)
    plan->PlanImageMouseDown(Qt::MiddleButton, 0, 0);
    plan->PlanImageMouseMove(Qt::MiddleButton, Qt::NoModifier, int(image.width() / 2 - before.x()),
                             int(image.height() / 2 - before.y()));
    const QPointF c = PixelOfPoint(3);
    const double t = double(p.Ellipse.Bearing) * kPlanPi / 200;
    const QPointF major(std::cos(t), std::sin(t)), minor(-std::sin(t), std::cos(t));
    const QColor ellipse = plan->PrecisionOptions().EllipseColor;
    QVERIFY(ColourNear(image, c + aPx * major, ellipse));
    QVERIFY(ColourNear(image, c - aPx * major, ellipse));
    QVERIFY(!ColourNear(image, c + aPx * minor, ellipse, 3));
    QVERIFY(!ColourNear(image, c + 30 * minor, ellipse, 3));
    QVERIFY(!ColourNear(image, c + aPx * 0.7 * (major + minor), ellipse, 3));

    // The 95 % ellipse is 2.4477 times larger.
    plan->Level95Check->setChecked(true);
    QVERIFY(ColourNear(image, c + 2.4477 * aPx * major, ellipse));
    QVERIFY(!ColourNear(image, c + aPx * major, ellipse, 1));
    plan->Level95Check->setChecked(false);

    // The height bar: +-sigma Z at the same magnification, left of the point.
    plan->HeightBarsCheck->setChecked(true);
    const double hPx = double(p.SigmaZ) * plan->MagnificationSpin->value() * scale / 1000;
    QVERIFY(hPx > 5);
    const QColor bar = plan->PrecisionOptions().HeightBarColor;
    QVERIFY(ColourNear(image, c + QPointF(-12, -hPx + 2), bar, 1));
    QVERIFY(ColourNear(image, c + QPointF(-12, hPx - 2), bar, 1));
    QVERIFY(!ColourNear(image, c + QPointF(-12, -hPx - 6), bar, 1));
  }

  void linesAreColouredByReliabilityAndExplained() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheMainWindow->ShowMeasurementPlan();
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    QVERIFY(plan->Precision());
    const QImage &image = *plan->PlanImage->Bitmap();
    const PlotOptions o = plan->PrecisionOptions();
    // Nothing is redundant: every line is uncontrolled.
    const QPointF a = PixelOfPoint(1, TheMeasurementPlan), b = PixelOfPoint(3, TheMeasurementPlan);
    QVERIFY(ColourNear(image, a + 0.3 * (b - a), o.UncontrolledColor, 1));
    const QPointF at = a + 0.3 * (b - a);
    const QString info = plan->LineInfoAt(int(at.x()), int(at.y()));
    QVERIFY2(info.contains("1 \u2013 3") || info.contains("3 \u2013 1"), qPrintable(info));
    QVERIFY2(info.contains("r = 0.000") && info.contains("uncontrolled"), qPrintable(info));
    QTest::mousePress(plan->PlanImage, Qt::RightButton, {}, at.toPoint());
    QCOMPARE(plan->LastLineInfo, info);
    QVERIFY(plan->LineInfoAt(5, 5).isEmpty());
  }

  void redundantLinesKeepTheirColourAndRelativeEllipsesSitMidway() {
    Evaluate(CoordinateFile(4), MeasurementFile(4));
    TheMainWindow->ShowMeasurementPlan();
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    QVERIFY(plan->Precision());
    const QImage &image = *plan->PlanImage->Bitmap();
    const PlotOptions o = plan->PrecisionOptions();
    const QPointF a = PixelOfPoint(3, TheMeasurementPlan), b = PixelOfPoint(4, TheMeasurementPlan);
    const QPointF on = a + 0.3 * (b - a);
    QVERIFY(ColourNear(image, on, o.LineColor, 0));
    QVERIFY(!ColourNear(image, on, o.UncontrolledColor, 2));
    QVERIFY(!ColourNear(image, on, o.WeakColor, 2));

    // Relative ellipses only when asked for, around the middle of a line.
    auto relativeAround = [&](QPointF m) {
      int n = 0;
      for (int dy = -40; dy <= 40; ++dy)
        for (int dx = -40; dx <= 40; ++dx) {
          const QPoint q(int(m.x()) + dx, int(m.y()) + dy);
          if (image.rect().contains(q) && Near(image.pixelColor(q), o.RelativeColor, 30))
            ++n;
        }
      return n;
    };
    QCOMPARE(relativeAround((a + b) / 2), 0);
    plan->RelativeCheck->setChecked(true);
    QVERIFY(relativeAround((a + b) / 2) > 10);
  }

  void tolerancesMarkAndListThePointsBeyondThem() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheMainWindow->ShowCoordinatePlan();
    CoordinatePlanWindow *plan = TheCoordinatePlan;
    const PointPrecision &p = Point3(plan);
    plan->ToleranceSemiMajorSpin->setValue(double(p.Ellipse.SemiMajor) * 0.5);
    QCOMPARE(plan->PointsOutsideTolerance(), std::vector<double>{3});
    QVERIFY(plan->ToleranceListLabel->text().contains("Beyond tolerance: 3"));
    const QImage &image = *plan->PlanImage->Bitmap();
    const PlotOptions o = plan->PrecisionOptions();
    QVERIFY(ColourNear(image, PixelOfPoint(3) + QPointF(9, 0), o.BeyondColor, 1));
    // At the 95 % level the same tolerance holds 2.4477 times the axis.
    plan->ToleranceSemiMajorSpin->setValue(double(p.Ellipse.SemiMajor) * 1.5);
    QVERIFY(plan->PointsOutsideTolerance().empty());
    plan->Level95Check->setChecked(true);
    QCOMPARE(plan->PointsOutsideTolerance(), std::vector<double>{3});
    plan->Level95Check->setChecked(false);
    plan->ToleranceSemiMajorSpin->setValue(0);
    plan->ToleranceSigmaZSpin->setValue(double(p.SigmaZ) * 0.5);
    QCOMPARE(plan->PointsOutsideTolerance(), std::vector<double>{3});
    plan->ToleranceSigmaZSpin->setValue(0);
    QVERIFY(plan->ToleranceListLabel->text().isEmpty());
    QVERIFY(!ColourNear(image, PixelOfPoint(3) + QPointF(9, 0), o.BeyondColor, 1));

    // The choice is kept in the preference store (the test's own folder),
    // and a new window starts with it.
    plan->ToleranceSigmaZSpin->setValue(7.5);
    QVERIFY(QFile::exists(F.Path("preferences/Korvadimensio/Korvadimensio3D.ini")));
    CoordinatePlanWindow second;
    QCOMPARE(second.ToleranceSigmaZSpin->value(), 7.5);
  }

  void editsMakeThePrecisionStaleUnlessLive() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheMainWindow->ShowMeasurementPlan();
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    QVERIFY(plan->Precision());
    QSignalSpy edited(plan, &PlanWindow::NetworkEdited);
    plan->LivePrecisionCheck->setChecked(false);
    QVERIFY(!plan->LivePrecisionEnabled());
    plan->SelectMeasurementRow(1);
    plan->DeleteMeasurement();
    QCOMPARE(edited.count(), 1);
    QVERIFY(!plan->Precision()); // no longer the network's precision
    // Opening a plan again shows no stale results.
    TheMainWindow->ShowCoordinatePlan();
    QVERIFY(!TheCoordinatePlan->Precision());

    // With live precision the shown one stays until a new one is fed in.
    TheMainWindow->ShowMeasurementPlan();
    plan->LivePrecisionCheck->setChecked(true);
    QVERIFY(plan->LivePrecisionEnabled());
    auto fed = std::make_shared<NetworkPrecision>();
    plan->SetPrecision(fed, "");
    plan->AddSlopeDistance();
    TheAddMeasurementWindow->InsertMeasurement(); // the first two points, a slope distance
    QCOMPARE(edited.count(), 2);
    QCOMPARE(plan->Precision(), std::shared_ptr<const NetworkPrecision>(fed));

    // A precision that cannot be had is explained in the plan.
    QImage before = plan->PlanImage->Bitmap()->copy();
    plan->SetPrecision(nullptr, "The engine failed.");
    QCOMPARE(plan->PrecisionFailure(), std::string("The engine failed."));
    QVERIFY(*plan->PlanImage->Bitmap() != before);

    // Precisions changed in the dialog are an edit; an unchanged dialog not.
    F.Fake->onModal = [](QDialog *) { return 0; };
    plan->ChangePrecision();
    QCOMPARE(edited.count(), 2);
    F.Fake->onModal = [](QDialog *) {
      TheNetwork->Measurements.Items[0].StdDev *= 2;
      return 1;
    };
    plan->ChangePrecision();
    QCOMPARE(edited.count(), 3);
  }

  void liveEditsBringNewEllipsesFromTheBackground() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheLivePrecision->SetEnginePath(QStringLiteral(KD_BIN_DIR "/gama.exe"));
    TheMainWindow->ShowMeasurementPlan();
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    QVERIFY(plan->Precision());
    const long double before = Point3(plan).Ellipse.SemiMajor;
    QFile results(QString::fromStdString(TheMainWindow->RunFiles().Results));
    QVERIFY(results.open(QIODevice::ReadOnly));
    const QByteArray resultsBefore = results.readAll();
    results.close();
    QSignalSpy ready(TheLivePrecision, &LivePrecision::PrecisionReady);
    plan->LivePrecisionCheck->setChecked(true);
    // Ticking the option evaluates at once; the answer replaces the main
    // evaluation's precision with the same figures.
    QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, 20000);
    QVERIFY(plan->PrecisionFailure().empty());
    QVERIFY(std::fabs(static_cast<double>(Point3(plan).Ellipse.SemiMajor - before)) < 1e-6);
    // Doubling every standard deviation in the dialog enlarges the ellipses
    // (not quite twice: the centring errors stay as they are).
    const auto old = plan->Precision();
    F.Fake->onModal = [](QDialog *) {
      for (Measurement &m : TheNetwork->Measurements.Items)
        m.StdDev *= 2;
      return 1;
    };
    plan->ChangePrecision(); // reported as an edit: the live evaluation starts
    // The plan says that it works, then what the edit changed.
    QCOMPARE(plan->LiveStatusLabel->text(), QString::fromUtf8("computing\u2026"));
    QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(plan->Precision() && plan->Precision() != old, 20000);
    QVERIFY(plan->PrecisionFailure().empty());
    const long double ratio = Point3(plan).Ellipse.SemiMajor / before;
    QVERIFY2(ratio > 1.3L && ratio <= 2.0L + 1e-9L, qPrintable(QString::number(double(ratio))));
    const QString told = plan->LiveStatusLabel->text();
    QVERIFY2(told.startsWith("largest ellipse ") && told.contains(QString::fromUtf8(" \u2192 ")) &&
                 told.contains("; most changed: ") && told.contains(" +"),
             qPrintable(told));
    // The main window's run files stay those of its own evaluation.
    QVERIFY(results.open(QIODevice::ReadOnly));
    QCOMPARE(results.readAll(), resultsBefore);
    plan->LivePrecisionCheck->setChecked(false);
    TheMainWindow->CheckResultsFreshness();
  }

  void coordinatePlanEditsAreSignalled() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheMainWindow->ShowCoordinatePlan();
    QSignalSpy edited(TheCoordinatePlan, &PlanWindow::NetworkEdited);
    TheCoordinatePlan->MakeAllFixed();
    QCOMPARE(edited.count(), 1);
    TheCoordinatePlan->MakeAllFixed(); // nothing changes
    QCOMPARE(edited.count(), 1);
    TheCoordinatePlan->MakeAllAdjusted();
    QCOMPARE(edited.count(), 2);
  }

  void wheelZoomsAboutTheCursorAndTheAddWindowStandsAside() {
    Evaluate(kLongSightCoords, kLongSightMeas);
    TheMainWindow->ShowMeasurementPlan();
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    const kd::plot::PlanView &pts = plan->View();
    long double X = 0, Y = 0;
    pts.ToWorld(100, 80, X, Y);
    const long double scale = pts.Scale;
    QWheelEvent wheel(QPointF(100, 80), plan->PlanImage->mapToGlobal(QPointF(100, 80)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(plan->PlanImage, &wheel);
    QVERIFY(std::fabs(double(pts.Scale / scale) - kd::plot::kWheelZoomStep) < 1e-12);
    const PixelPosition p = pts.ToPixel(X, Y);
    QVERIFY(std::fabs(double(p.x) - 100) < 1e-6 && std::fabs(double(p.y) - 80) < 1e-6);

    plan->show();
    plan->AddSlopeDistance();
    QVERIFY(TheAddMeasurementWindow->isVisible());
    QVERIFY(!(TheAddMeasurementWindow->windowFlags() & Qt::WindowStaysOnTopHint));
    const QRect image(plan->PlanImage->mapToGlobal(QPoint(0, 0)), plan->PlanImage->size());
    QVERIFY(!TheAddMeasurementWindow->frameGeometry().intersects(image));
    // The picked station and target are ringed in the plan.
    const QImage &bitmap = *plan->PlanImage->Bitmap();
    QVERIFY(ColourNear(bitmap, PixelOfPoint(1, TheMeasurementPlan) + QPointF(11, 0), QColor(255, 255, 255), 1));
    QVERIFY(ColourNear(bitmap, PixelOfPoint(2, TheMeasurementPlan) + QPointF(0, 11), QColor(255, 60, 60), 1));
    // A modal dialog of the plan is never covered by it.
    bool hiddenWhileModal = false;
    F.Fake->onModal = [&](QDialog *) {
      hiddenWhileModal = !TheAddMeasurementWindow->isVisible();
      return 0;
    };
    plan->ChangePrecision();
    QVERIFY(hiddenWhileModal);
    QVERIFY(TheAddMeasurementWindow->isVisible());
    plan->hide();
  }
};

QTEST_MAIN(PlanPrecisionTest)
#include "plan_precision_test.moc"
