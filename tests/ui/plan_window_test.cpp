// The coordinate and measurement plan windows and their dialogs, driven by
// clicks on the plan at computed pixels and by their buttons.
#include "core/survey_network.h"
#include "ui_test_support.h"
#include "core/number_text.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/add_measurement_window.h"
#include "ui/change_precision_dialog.h"
#include "ui/all_points_sc_svp_dialog.h"
#include "app/settings_store.h"
#include "ui/desktop_application.h"
#include "plot/plan_painter.h"
#include "ui/plan_widgets.h"
#include "ui/platform.h"
#include "ui/point_properties_dialog.h"
#include "ui/precision_guide_dialog.h"
#include "settings/language_pack.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

NetworkPoint Pt(double n, long double x, long double y, long double z = 100) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  return p;
}

// The pixel of point `index` on a plan (the coordinate plan unless named).
QPoint PixelOf(int index, const PlanWindow *plan = nullptr) {
  if (!plan)
    plan = App().CoordinatePlan();
  const PixelPosition p = plan->View().ToPixel(App().Network()->Points.List.Items[index]);
  return QPoint(kd::plot::RoundPixel(p.x), kd::plot::RoundPixel(p.y));
}

// The colours and font the plans are drawn with.
kd::plot::PlanStyle PlanStyleNow() { return App().CoordinatePlan()->Style(); }

void Press(QWidget *w, Qt::MouseButton b, QPoint at) { QTest::mousePress(w, b, {}, at); }

void MoveWith(QWidget *w, Qt::MouseButtons held, Qt::KeyboardModifiers mods, QPoint at) {
  QMouseEvent e(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, held,
                mods);
  QApplication::sendEvent(w, &e);
}

void Wheel(QWidget *w, int delta) {
  QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
}

void WriteFile(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray ReadFile(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Cell(QTableView *t, int row, int col) {
  return t->model()->index(row, col).data().toString();
}

} // namespace

class PlanWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir Dir;
  FakePlatform *Fake = nullptr;

  QString Path(const QString &name) const { return Dir.filePath(name); }

  // Five points on a 100 m square with one in the middle; 1 and 2 fixed.
  void LoadNetwork() {
    PointList &list = App().Network()->Points.List;
    list.Items.clear();
    list.Append(Pt(1, 0, 0));
    list.Append(Pt(2, 100, 0));
    list.Append(Pt(3, 100, 100));
    list.Append(Pt(4, 0, 100));
    list.Append(Pt(5, 50, 50, 90));
    list.Items[0].Fixed = list.Items[1].Fixed = true;
    list.FileName = Path("coords.txt").toStdString();
    App().Network()->Measurements.Items.clear();
    App().Network()->Measurements.FileName.clear();
  }

private slots:
  void init() {
    QVERIFY(Dir.isValid());
    // The plans' preferences go to the test's folder, never to the user's.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Path("preferences"));
    auto fake = std::make_unique<FakePlatform>();
    fake->programPath = Path("korvadimensio3d");
    Fake = fake.get();
    CreateApp(std::move(fake)).CreateWindows();
    QVERIFY(App().Network());
    App().Network()->Points.AutoSave = true;
    LoadNetwork();
  }

  void cleanup() {
    DestroyApp();
    Fake = nullptr;
  }

  // ---- coordinate plan ----

  void coordinatePlanOpensFittedWithItsTable() {
    App().CoordinatePlan()->PreparePlan();
    QCOMPARE(App().CoordinatePlan()->PointTable->model()->rowCount(), 5);
    QCOMPARE(App().CoordinatePlan()->PointTable->model()->headerData(0, Qt::Horizontal).toString(), QString("P.No."));
    QCOMPARE(Cell(App().CoordinatePlan()->PointTable, 2, 1), QString("100.000"));
    QCOMPARE(App().CoordinatePlan()->PlanImage->Bitmap()->size(), QSize(576, 573));
    const QImage &c = *App().CoordinatePlan()->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), PlanStyleNow().FixedColor);
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(4).x(), PixelOf(4).y()), PlanStyleNow().AdjustedColor);
    // The square fits the height with a 25-pixel margin: 523 pixels per 100 m.
    QCOMPARE(double(App().CoordinatePlan()->View().Scale), 5.23);
    QCOMPARE(PixelOf(0), QPoint(26, 25)); // 26.5 rounds to even
  }

  void leftClickMarksAndAddPutsAPointThere() {
    App().CoordinatePlan()->PreparePlan();
    Press(App().CoordinatePlan()->PlanImage, Qt::LeftButton, QPoint(300, 200));
    QVERIFY(App().CoordinatePlan()->View().Marked);
    const QImage &c = *App().CoordinatePlan()->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, 300, 200), PlanStyleNow().MarkColor);

    App().CoordinatePlan()->PointNumberEdit->setText("7");
    App().CoordinatePlan()->HeightEdit->setText("250,5");
    App().CoordinatePlan()->AddPoint();
    QCOMPARE(App().Network()->Points.List.Count(), 6);
    const NetworkPoint &p = App().Network()->Points.List.Items[5];
    QCOMPARE(p.Number, 7.0);
    QCOMPARE(double(p.Z), 250.5);
    QVERIFY(!p.Fixed);
    QCOMPARE(PixelOf(5), QPoint(300, 200));
    QCOMPARE(kd::plot::ColorAt(c, 300, 200), PlanStyleNow().AdjustedColor);
    QCOMPARE(App().CoordinatePlan()->PointTable->model()->rowCount(), 6);
    QCOMPARE(App().CoordinatePlan()->PointNumberEdit->text(), QString("8"));
    QVERIFY(!App().CoordinatePlan()->View().Marked);

    // An existing number adds nothing but removes the mark.
    Press(App().CoordinatePlan()->PlanImage, Qt::LeftButton, QPoint(100, 300));
    App().CoordinatePlan()->PointNumberEdit->setText("3");
    App().CoordinatePlan()->AddPoint();
    QCOMPARE(App().Network()->Points.List.Count(), 6);
    QVERIFY(!App().CoordinatePlan()->View().Marked);
    QCOMPARE(App().CoordinatePlan()->PointNumberEdit->text(), QString("3"));
    // No mark: nothing either.
    App().CoordinatePlan()->PointNumberEdit->setText("9");
    App().CoordinatePlan()->AddPoint();
    QCOMPARE(App().Network()->Points.List.Count(), 6);
  }

  void numberFieldsEmptyThemselvesOnBadText() {
    App().CoordinatePlan()->HeightEdit->setText("-");
    QCOMPARE(App().CoordinatePlan()->HeightEdit->text(), QString());
    App().CoordinatePlan()->HeightEdit->setText("1e");
    QCOMPARE(App().CoordinatePlan()->HeightEdit->text(), QString());
    App().CoordinatePlan()->PointNumberEdit->setText("12,5");
    QCOMPARE(App().CoordinatePlan()->PointNumberEdit->text(), QString("12,5"));
    // An empty field stops the adding silently.
    App().CoordinatePlan()->PreparePlan();
    Press(App().CoordinatePlan()->PlanImage, Qt::LeftButton, QPoint(300, 200));
    App().CoordinatePlan()->AddPoint();
    QCOMPARE(App().Network()->Points.List.Count(), 5);
    QVERIFY(Fake->messages.isEmpty());
  }

  void deleteKeepsTwoPointsAndDropsOrphanMeasurements() {
    App().CoordinatePlan()->PreparePlan();
    MeasurementList &meas = App().Network()->Measurements;
    meas.AddMeasurement(mtSd, 0.001, 5, 1);
    meas.AddMeasurement(mtZu, 0.001, 3, 5);
    meas.AddMeasurement(mtSd, 0.001, 2, 1);
    App().CoordinatePlan()->PointTable->setCurrentIndex(App().CoordinatePlan()->PointTable->model()->index(4, 0)); // point 5
    QCOMPARE(App().CoordinatePlan()->SelectedRow(), 5);
    App().CoordinatePlan()->DeletePoint();
    QCOMPARE(App().Network()->Points.List.Count(), 4);
    QCOMPARE(meas.Count(), 1);
    QCOMPARE(Fake->messages.size(), 1);
    QCOMPARE(Fake->messages[0], QString("Measurements without coordinates thrown away (2)."));
    QCOMPARE(App().CoordinatePlan()->PointTable->model()->rowCount(), 4);

    App().CoordinatePlan()->PointTable->setCurrentIndex(App().CoordinatePlan()->PointTable->model()->index(0, 0));
    App().CoordinatePlan()->DeletePoint();
    App().CoordinatePlan()->PointTable->setCurrentIndex(App().CoordinatePlan()->PointTable->model()->index(0, 0));
    App().CoordinatePlan()->DeletePoint();
    QCOMPARE(App().Network()->Points.List.Count(), 2);
    App().CoordinatePlan()->DeletePoint();
    QCOMPARE(App().Network()->Points.List.Count(), 2);
    QCOMPARE(Fake->messages.last(), QString("Two points are minimum."));
  }

  void nothingSelectedDeletesOrOpensNothing() {
    App().CoordinatePlan()->PreparePlan();
    App().CoordinatePlan()->DeletePoint();
    QCOMPARE(App().Network()->Points.List.Count(), 5);
    App().CoordinatePlan()->ShowPointProperties();
    QVERIFY(Fake->modalShown.isEmpty());
  }

  void rightClickOpensPropertiesOfTheNearPointOnly() {
    App().CoordinatePlan()->PreparePlan();
    const QPoint p = PixelOf(2);
    Press(App().CoordinatePlan()->PlanImage, Qt::RightButton, p + QPoint(25, 0));
    QVERIFY(Fake->modalShown.isEmpty());
    Press(App().CoordinatePlan()->PlanImage, Qt::RightButton, p + QPoint(10, 5));
    QCOMPARE(Fake->modalShown.size(), 1);
    QCOMPARE(static_cast<QDialog *>(App().PointProperties()), Fake->modalShown[0]);
    QCOMPARE(App().PointProperties()->NumberEdit->text(), QString("3"));
    QCOMPARE(App().PointProperties()->XEdit->text(), QString("100"));
    QCOMPARE(App().PointProperties()->PointIndex(), 2);
  }

  void propertiesApplyOrRefuse() {
    App().CoordinatePlan()->PreparePlan();
    App().PointProperties()->Fill(App().Network()->Points.List.Items[4], 4);
    App().PointProperties()->ZEdit->setText("abc");
    App().PointProperties()->CentringSigmaEdit->setText("0.002");
    QVERIFY(!App().PointProperties()->Apply());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(App().Network()->Points.List.Items[4].Sc, 0.0);

    App().PointProperties()->ZEdit->setText("95,25");
    App().PointProperties()->XEdit->setText("60");
    App().PointProperties()->FixedCheckBox->setChecked(true);
    QVERIFY(App().PointProperties()->Apply());
    const NetworkPoint &p = App().Network()->Points.List.Items[4];
    QCOMPARE(double(p.Z), 95.25);
    QCOMPARE(double(p.X), 60.0);
    QCOMPARE(p.Sc, 0.002);
    QVERIFY(p.Fixed);
    QCOMPARE(Cell(App().CoordinatePlan()->PointTable, 4, 1), QString("60.000"));
    const QImage &c = *App().CoordinatePlan()->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(4).x(), PixelOf(4).y()), PlanStyleNow().FixedColor);
  }

  void propertiesTakeTheMark() {
    App().CoordinatePlan()->PreparePlan();
    App().PointProperties()->Fill(App().Network()->Points.List.Items[4], 4);
    App().PointProperties()->TakeFromMark(); // no mark: nothing
    QCOMPARE(App().PointProperties()->XEdit->text(), QString("50"));
    const QPoint at = PixelOf(2) + QPoint(0, -40);
    Press(App().CoordinatePlan()->PlanImage, Qt::LeftButton, at);
    long double X, Y;
    App().CoordinatePlan()->View().ToWorld(at.x(), at.y(), X, Y);
    App().PointProperties()->TakeFromMark();
    QCOMPARE(App().PointProperties()->XEdit->text(), QString::fromStdString(NumToTextFixed(X, 10, 4)));
    QCOMPARE(App().PointProperties()->YEdit->text(), QString::fromStdString(NumToTextFixed(Y, 10, 4)));
    QVERIFY(!App().CoordinatePlan()->View().Marked);
  }

  void menuFixesAndFreesAllPoints() {
    App().CoordinatePlan()->PreparePlan();
    App().CoordinatePlan()->MakeAllFixed();
    for (const NetworkPoint &p : App().Network()->Points.List.Items)
      QVERIFY(p.Fixed);
    App().CoordinatePlan()->MakeAllAdjusted();
    for (const NetworkPoint &p : App().Network()->Points.List.Items)
      QVERIFY(!p.Fixed);
    const QImage &c = *App().CoordinatePlan()->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), PlanStyleNow().AdjustedColor);
    App().CoordinatePlan()->ChangeAllScSvp();
    QCOMPARE(Fake->modalShown.last(), static_cast<QDialog *>(App().AllPointsScSvp()));
  }

  void changeAllScSvp() {
    App().AllPointsScSvp()->ScCombo->setEditText("0,003");
    QVERIFY(App().AllPointsScSvp()->SetScOfAllPoints());
    for (const NetworkPoint &p : App().Network()->Points.List.Items) {
      QCOMPARE(p.Sc, 0.003);
      QCOMPARE(p.Svp, 0.0);
    }
    App().AllPointsScSvp()->SvpCombo->setCurrentIndex(App().AllPointsScSvp()->SvpCombo->count() - 1); // the empty item
    QVERIFY(!App().AllPointsScSvp()->SetSvpOfAllPoints());
    QCOMPARE(Fake->messages.last(), QString("Incorrect input:  Svp!"));
    App().AllPointsScSvp()->ScCombo->setEditText("x");
    QVERIFY(!App().AllPointsScSvp()->SetScOfAllPoints());
    QCOMPARE(Fake->messages.last(), QString("Incorrect input:  Sc!"));
    QCOMPARE(App().Network()->Points.List.Items[0].Sc, 0.003);
    App().AllPointsScSvp()->SvpCombo->setCurrentIndex(3);
    QVERIFY(App().AllPointsScSvp()->SetSvpOfAllPoints());
    QCOMPARE(App().Network()->Points.List.Items[3].Svp, 0.001);
  }

  void viewButtonsDragAndWheel() {
    App().CoordinatePlan()->PreparePlan();
    const kd::plot::PlanView &pts = App().CoordinatePlan()->View();
    const long double s = pts.Scale;
    App().CoordinatePlan()->ZoomIn();
    App().CoordinatePlan()->ZoomOut();
    QVERIFY(std::fabs(double(pts.Scale / s) - 1) < 1e-12);
    App().CoordinatePlan()->ShowAllPoints();
    App().CoordinatePlan()->PanRight();
    App().CoordinatePlan()->PanDown();
    QCOMPARE(double(pts.OffsetX), 10.0);
    QCOMPARE(double(pts.OffsetY), 10.0);
    App().CoordinatePlan()->PanLeft();
    App().CoordinatePlan()->PanUp();
    App().CoordinatePlan()->PanRight();
    App().CoordinatePlan()->PanDown();
    // Middle-button drag pans by the mouse displacement, only with the
    // middle button alone.
    Press(App().CoordinatePlan()->PlanImage, Qt::MiddleButton, QPoint(100, 100));
    MoveWith(App().CoordinatePlan()->PlanImage, Qt::MiddleButton, Qt::NoModifier, QPoint(130, 90));
    QCOMPARE(double(pts.OffsetX), 40.0);
    QCOMPARE(double(pts.OffsetY), 0.0);
    MoveWith(App().CoordinatePlan()->PlanImage, Qt::MiddleButton, Qt::ShiftModifier, QPoint(200, 200));
    MoveWith(App().CoordinatePlan()->PlanImage, Qt::MiddleButton | Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    QCOMPARE(double(pts.OffsetX), 40.0);
    // The wheel over the plan and over the table zooms; the table does not
    // scroll.
    Wheel(App().CoordinatePlan()->PlanImage, 120);
    QVERIFY(std::fabs(double(pts.Scale / s) - 1.25) < 1e-12);
    Wheel(App().CoordinatePlan()->PointTable->viewport(), -120);
    QVERIFY(std::fabs(double(pts.Scale / s) - 1) < 1e-12);
    App().CoordinatePlan()->ShowAllPoints();
    QCOMPARE(double(pts.OffsetX), 0.0);
  }

  void resizeFollowsTheWindow() {
    App().CoordinatePlan()->PreparePlan();
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->resize(1000, 700);
    QCOMPARE(App().CoordinatePlan()->PlanImage->Bitmap()->size(), QSize(684, 655));
    QCOMPARE(App().CoordinatePlan()->PlanImage->size(), QSize(684, 655));
    QCOMPARE(App().CoordinatePlan()->PointTable->x(), 1000 - 289 - 19);
    QCOMPARE(App().CoordinatePlan()->SaveButton->x() + App().CoordinatePlan()->SaveButton->width(), 1000 - 19);
    App().CoordinatePlan()->resize(500, 400); // never smaller than designed
    QVERIFY(App().CoordinatePlan()->width() >= 892 && App().CoordinatePlan()->height() >= 618);
  }

  void eachPlanKeepsItsOwnViewAndMark() {
    App().CoordinatePlan()->PreparePlan();
    App().MeasurementPlan()->PreparePlan();
    QVERIFY(App().CoordinatePlan()->View() == App().MeasurementPlan()->View()); // same size, same fit
    App().CoordinatePlan()->ZoomIn();
    App().CoordinatePlan()->PanRight();
    Press(App().CoordinatePlan()->PlanImage, Qt::LeftButton, QPoint(300, 200));
    QVERIFY(App().CoordinatePlan()->View().Marked);
    QVERIFY(!App().MeasurementPlan()->View().Marked);
    QCOMPARE(double(App().MeasurementPlan()->View().OffsetX), 0.0);
    QVERIFY(App().CoordinatePlan()->View().Scale > App().MeasurementPlan()->View().Scale);
    // The measurement plan draws its points where its own view puts them.
    const QImage &m = *App().MeasurementPlan()->PlanImage->Bitmap();
    App().MeasurementPlan()->Redraw();
    QCOMPARE(kd::plot::ColorAt(m, PixelOf(0, App().MeasurementPlan()).x(), PixelOf(0, App().MeasurementPlan()).y()),
             PlanStyleNow().FixedColor);
    // The properties dialog takes the coordinate plan's mark, which then goes.
    App().PointProperties()->Fill(App().Network()->Points.List.Items[4], 4);
    App().PointProperties()->TakeFromMark();
    QVERIFY(!App().CoordinatePlan()->View().Marked);
    QVERIFY(App().PointProperties()->XEdit->text() != QString("50"));
  }

  void newColoursFromTheSettingsShowAtOnce() {
    App().CoordinatePlan()->PreparePlan();
    App().CoordinatePlan()->show();
    const kd::Settings before = App().Settings()->Program();
    kd::Settings s = before;
    s.FixedColor = 0x00FF00FF; // magenta
    s.BackColor = 0x00FFFFFF;  // white
    App().Settings()->SetProgram(s);
    const QImage &c = *App().CoordinatePlan()->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), 0x00FF00FFu);
    QCOMPARE(kd::plot::ColorAt(c, 300, 5), 0x00FFFFFFu);
    App().Settings()->SetProgram(before);
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), before.FixedColor);
    App().CoordinatePlan()->hide();
  }

  void saveSaveAsAndClose() {
    App().CoordinatePlan()->PreparePlan();
    App().CoordinatePlan()->SavePoints();
    QVERIFY(QFile::exists(Path("coords.txt")));
    Fake->saveAnswers << Path("other.txt");
    App().CoordinatePlan()->SavePointsAs();
    QCOMPARE(Fake->dialogTitles.last(), QString("Save coordinates as"));
    QVERIFY(QFile::exists(Path("other.txt")));
    QCOMPARE(App().CoordinatePlan()->windowTitle(), "Coordinates plan - [" + Path("other.txt") + "]");
    QCOMPARE(QString::fromStdString(App().Network()->Points.List.FileName), Path("other.txt"));

    // A file that cannot be written is reported and the old name stays.
    Fake->saveAnswers << Path("missing/dir/x.txt");
    App().CoordinatePlan()->SavePointsAs();
    QVERIFY(Fake->messages.last().contains("missing/dir/x.txt"));
    QCOMPARE(QString::fromStdString(App().Network()->Points.List.FileName), Path("other.txt"));

    // Closing saves an edited list only with the automatic-save setting on.
    QFile::remove(Path("other.txt"));
    App().Network()->Points.SetAllFixed(true);
    App().Network()->Points.AutoSave = false;
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->reject();
    QVERIFY(!QFile::exists(Path("other.txt")));
    App().Network()->Points.AutoSave = true;
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->reject();
    QVERIFY(QFile::exists(Path("other.txt")));
  }

  // ---- measurement plan ----

  void typeButtonsOpenTheAddDialog() {
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->AddZenithAngle(); // -> zen.
    QVERIFY(App().AddMeasurement()->isVisible());
    QCOMPARE(App().AddMeasurement()->windowTitle(), QString("Add measurements"));
    QCOMPARE(App().AddMeasurement()->TypeCombo->currentText(), QString("zu"));
    QCOMPARE(App().AddMeasurement()->PrecisionCombo->currentText(), QString("0.0004"));
    QCOMPARE(App().AddMeasurement()->StationCombo->count(), 5);
    QCOMPARE(App().AddMeasurement()->StationCombo->currentText(), QString("1.000"));
    QCOMPARE(App().AddMeasurement()->TargetCombo->currentText(), QString("2.000"));
    QCOMPARE(App().AddMeasurement()->PickTarget(), AddMeasurementWindow::StationField);
    App().MeasurementPlan()->AddHorizontalDistance(); // -> hd
    QCOMPARE(App().AddMeasurement()->TypeCombo->currentText(), QString("hd"));
    QCOMPARE(App().AddMeasurement()->PrecisionCombo->currentText(), QString("0.001"));
    App().MeasurementPlan()->AddPlumbing();
    QCOMPARE(App().AddMeasurement()->TypeCombo->currentText(), QString("pr"));
    App().MeasurementPlan()->hide();
    QVERIFY(!App().AddMeasurement()->isVisible());
  }

  void polarAddsThreeMeasurementsAndOneLine() {
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->AddPolar3D(); // ->3d pol.
    QVERIFY(App().AddMeasurement()->InsertMeasurement());
    const MeasurementList &meas = App().Network()->Measurements;
    QCOMPARE(meas.Count(), 3);
    QCOMPARE(int(meas.Items[0].MeasType), int(mtZu));
    QCOMPARE(int(meas.Items[1].MeasType), int(mtDi));
    QCOMPARE(int(meas.Items[2].MeasType), int(mtSd));
    for (const Measurement &m : meas.Items) {
      QCOMPARE(m.Station, 1.0);
      QCOMPARE(m.Target, 2.0);
      QCOMPARE(m.StdDev, 0.001);
    }
    QCOMPARE(App().MeasurementPlan()->MeasurementTable->model()->rowCount(), 3);
    QCOMPARE(meas.PairCount(), 1);
    QCOMPARE(MeasurementList::PairLabel(meas.Pairs[0]), std::string("1sd1ze1di"));
    const QImage &c = *App().MeasurementPlan()->PlanImage->Bitmap();
    const QPoint a = PixelOf(0, App().MeasurementPlan()), b = PixelOf(1, App().MeasurementPlan());
    QCOMPARE(kd::plot::ColorAt(c, a.x() + 40, a.y()), PlanStyleNow().MeasColor);
    Q_UNUSED(b);

    App().MeasurementPlan()->AddAngles(); // -> angles
    App().AddMeasurement()->TargetCombo->setCurrentIndex(2);
    QVERIFY(App().AddMeasurement()->InsertMeasurement());
    QCOMPARE(meas.Count(), 5);
    QCOMPARE(MeasurementList::PairLabel(meas.Pairs[1]), std::string("1ze1di"));
  }

  void clicksPickStationThenTarget() {
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->AddSlopeDistance();
    Press(App().MeasurementPlan()->PlanImage, Qt::LeftButton, PixelOf(4, App().MeasurementPlan()) + QPoint(3, 4));
    QCOMPARE(App().AddMeasurement()->StationCombo->currentIndex(), 4);
    QCOMPARE(App().AddMeasurement()->PickTarget(), AddMeasurementWindow::TargetField);
    Press(App().MeasurementPlan()->PlanImage, Qt::LeftButton, PixelOf(2, App().MeasurementPlan()) + QPoint(-5, 0));
    QCOMPARE(App().AddMeasurement()->TargetCombo->currentIndex(), 2);
    QCOMPARE(App().AddMeasurement()->PickTarget(), AddMeasurementWindow::StationField);
    // 25 pixels from every point: the list whose turn it is loses its
    // choice, and the next click goes to the other list.
    Press(App().MeasurementPlan()->PlanImage, Qt::LeftButton, PixelOf(2, App().MeasurementPlan()) + QPoint(25, 0));
    QCOMPARE(App().AddMeasurement()->StationCombo->currentIndex(), -1);
    Press(App().MeasurementPlan()->PlanImage, Qt::LeftButton, PixelOf(0, App().MeasurementPlan()));
    QCOMPARE(App().AddMeasurement()->TargetCombo->currentIndex(), 0);
    // No station: "Error", nothing added, and the station is next again.
    QVERIFY(!App().AddMeasurement()->InsertMeasurement());
    QCOMPARE(Fake->messages.last(), QString("Error"));
    QCOMPARE(App().Network()->Measurements.Count(), 0);
    QCOMPARE(App().AddMeasurement()->PickTarget(), AddMeasurementWindow::StationField);
    // A left click never marks this plan.
    QVERIFY(!App().MeasurementPlan()->View().Marked);
    // With the dialog hidden clicks pick nothing.
    App().AddMeasurement()->hide();
    Press(App().MeasurementPlan()->PlanImage, Qt::LeftButton, PixelOf(1, App().MeasurementPlan()));
    QCOMPARE(App().AddMeasurement()->PickTarget(), AddMeasurementWindow::StationField);
  }

  void insertRefusesBadInputAndEqualPoints() {
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->AddSlopeDistance();
    App().AddMeasurement()->PrecisionCombo->setEditText("abc");
    QVERIFY(!App().AddMeasurement()->InsertMeasurement());
    QCOMPARE(Fake->messages.last(), QString("Error"));
    App().AddMeasurement()->PrecisionCombo->setEditText("0,002");
    App().AddMeasurement()->TargetCombo->setCurrentIndex(0); // station 1 = target 1
    const int shown = Fake->messages.size();
    QVERIFY(!App().AddMeasurement()->InsertMeasurement());
    QCOMPARE(Fake->messages.size(), shown);
    QCOMPARE(App().Network()->Measurements.Count(), 0);
    App().AddMeasurement()->TargetCombo->setCurrentIndex(3);
    QVERIFY(App().AddMeasurement()->InsertMeasurement());
    QCOMPARE(App().Network()->Measurements.Items[0].StdDev, 0.002);
    QCOMPARE(App().Network()->Measurements.Items[0].Target, 4.0);
  }

  void plumbingWarnsBeyondTheVertical() {
    PointList &list = App().Network()->Points.List;
    list.Append(Pt(6, 50, 50, 10));    // under point 5
    list.Append(Pt(7, 50.02L, 50, 0)); // 0.02 m aside
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->AddPlumbing();
    App().AddMeasurement()->StationCombo->setCurrentIndex(4);
    App().AddMeasurement()->TargetCombo->setCurrentIndex(5);
    QVERIFY(App().AddMeasurement()->InsertMeasurement());
    QVERIFY(Fake->messages.isEmpty());
    App().AddMeasurement()->StationCombo->setCurrentIndex(4);
    App().AddMeasurement()->TargetCombo->setCurrentIndex(6);
    QVERIFY(App().AddMeasurement()->InsertMeasurement());
    QCOMPARE(Fake->messages.last(),
             QString("Position transmition/plumbing is beyond vertical! (0.020 m)."));
    QCOMPARE(App().Network()->Measurements.Count(), 2);
  }

  void deleteSortAndZoomButtons() {
    MeasurementList &meas = App().Network()->Measurements;
    meas.AddMeasurement(mtSd, 0.001, 1, 3);
    meas.AddMeasurement(mtDi, 0.001, 2, 1);
    meas.AddMeasurement(mtVd, 0.001, 4, 2);
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->SortMeasurements();
    QCOMPARE(Cell(App().MeasurementPlan()->MeasurementTable, 0, 1), QString("1.00"));
    QCOMPARE(Cell(App().MeasurementPlan()->MeasurementTable, 2, 1), QString("3.00"));
    App().MeasurementPlan()->DeleteMeasurement(); // nothing selected
    QCOMPARE(meas.Count(), 3);
    App().MeasurementPlan()->MeasurementTable->setCurrentIndex(App().MeasurementPlan()->MeasurementTable->model()->index(1, 0));
    App().MeasurementPlan()->DeleteMeasurement();
    QCOMPARE(meas.Count(), 2);
    QCOMPARE(int(meas.Items[1].MeasType), int(mtSd));
    QCOMPARE(App().MeasurementPlan()->MeasurementTable->model()->rowCount(), 2);

    const kd::plot::PlanView &pts = App().MeasurementPlan()->View();
    const long double s = pts.Scale;
    App().MeasurementPlan()->ZoomIn();
    App().MeasurementPlan()->ZoomOut();
    QVERIFY(std::fabs(double(pts.Scale / s) - 1.05 * 0.8) < 1e-12);
    const long double s2 = pts.Scale;
    Wheel(App().MeasurementPlan()->PlanImage, 120);
    Wheel(App().MeasurementPlan()->MeasurementTable->viewport(), -120);
    QVERIFY(std::fabs(double(pts.Scale / s2) - 1) < 1e-12);
  }

  void closeSavesOnlyWhatThereIs() {
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->reject(); // empty list: nothing
    QVERIFY(Fake->dialogTitles.isEmpty());
    App().Network()->Measurements.AddMeasurement(mtSd, 0.001, 2, 1);
    App().MeasurementPlan()->show();
    Fake->saveAnswers << Path("meas.txt");
    App().MeasurementPlan()->reject(); // no file name yet: the save dialog
    QCOMPARE(Fake->dialogTitles.size(), 1);
    QVERIFY(QFile::exists(Path("meas.txt")));
    QCOMPARE(App().MeasurementPlan()->windowTitle(), "Measurement plan - [" + Path("meas.txt") + "]");
    QCOMPARE(QString::fromStdString(App().Network()->Measurements.FileName), Path("meas.txt"));
    QFile::remove(Path("meas.txt"));
    App().Network()->Measurements.AddMeasurement(mtHd, 0.001, 3, 1);
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->reject(); // now it has a name
    QVERIFY(QFile::exists(Path("meas.txt")));
    QCOMPARE(Fake->dialogTitles.size(), 1);
  }

  void closingWritesOnlyAnEditedListAndKeepsSkippedLinesInABackup() {
    const QByteArray coords = "# survey 2024, local grid\r\nNumber X Y Z Sc Svp\r\n"
                              "1 0 0 0 0 0 f\r\n2 100 0 0 0 0 f\r\n3 100 100 5 0.001 0\r\n"
                              "4 0 100\r\n5 50 50 90 0 0\r\n";
    const QByteArray meas = "; planned\r\nsd 1 3 0.002\r\nSD 1 4 0.002\r\nzu 1 3 0.0003\r\n";
    WriteFile(Path("c.txt"), coords);
    WriteFile(Path("m.txt"), meas);
    PointList &list = App().Network()->Points.List;
    MeasurementList &ms = App().Network()->Measurements;
    QCOMPARE(list.LoadFull(Path("c.txt").toStdString()), 4);
    QCOMPARE(ms.LoadFromFile(Path("m.txt").toStdString()), 2);

    // Opened and closed without an edit: both files stay byte for byte.
    App().CoordinatePlan()->PreparePlan();
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->reject();
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->reject();
    QCOMPARE(ReadFile(Path("c.txt")), coords);
    QCOMPARE(ReadFile(Path("m.txt")), meas);

    // Edits through a dialog count: the point properties dialog.
    App().PointProperties()->Fill(list.Items[2], 2);
    App().PointProperties()->ZEdit->setText("7");
    QVERIFY(App().PointProperties()->Apply());
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->reject();
    QCOMPARE(ReadFile(Path("c.txt.bak")), coords); // the lost lines live on
    QVERIFY(ReadFile(Path("c.txt")).contains("7.00000"));
    QCOMPARE(QString::fromStdString(list.LastBackup), Path("c.txt.bak"));

    // A later save replaces the file but keeps the first backup.
    list.LastBackup.clear();
    App().Network()->Points.SetAllSvp(0.001);
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->reject();
    QCOMPARE(ReadFile(Path("c.txt.bak")), coords);
    QVERIFY(list.LastBackup.empty());

    // The change-precision dialog is an edit of the measurements.
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->MeasurementTable->selectRow(1);
    App().MeasurementPlan()->SelectMeasurementRow(1);
    App().ChangePrecision()->ScopeCombo->setCurrentIndex(0);
    App().ChangePrecision()->PrecisionCombo->setEditText("0.003");
    QVERIFY(App().ChangePrecision()->ApplyPrecision());
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->reject();
    QCOMPARE(ReadFile(Path("m.txt.bak")), meas);
    QVERIFY(ReadFile(Path("m.txt")).startsWith("sd 1.00 3.00 0.00300"));

    // A file read without skipping anything gets no backup.
    QFile::remove(Path("m.txt.bak"));
    QCOMPARE(ms.LoadFromFile(Path("m.txt").toStdString()), 2);
    ms.Delete(1);
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->reject();
    QVERIFY(!QFile::exists(Path("m.txt.bak")));
  }

  void changePrecisionOfOneOrOfTheType() {
    MeasurementList &meas = App().Network()->Measurements;
    meas.AddMeasurement(mtZu, 0.001, 2, 1);
    meas.AddMeasurement(mtDi, 0.001, 2, 1);
    meas.AddMeasurement(mtZu, 0.001, 3, 1);
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->ChangeTypePrecision();
    QCOMPARE(Fake->modalShown.last(), static_cast<QDialog *>(App().ChangePrecision()));
    QCOMPARE(App().ChangePrecision()->ScopeCombo->currentIndex(), 1);
    QVERIFY(!App().ChangePrecision()->ApplyPrecision()); // no measurement selected
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));

    App().MeasurementPlan()->MeasurementTable->setCurrentIndex(App().MeasurementPlan()->MeasurementTable->model()->index(2, 0));
    App().ChangePrecision()->PrecisionCombo->setEditText("0,0007");
    QVERIFY(App().ChangePrecision()->ApplyPrecision());
    QCOMPARE(meas.Items[0].StdDev, 0.0007);
    QCOMPARE(meas.Items[1].StdDev, 0.001);
    QCOMPARE(meas.Items[2].StdDev, 0.0007);
    QCOMPARE(Cell(App().MeasurementPlan()->MeasurementTable, 0, 3), QString("0.00070"));

    App().MeasurementPlan()->ChangePrecision();
    QCOMPARE(App().ChangePrecision()->ScopeCombo->currentIndex(), 0);
    App().MeasurementPlan()->MeasurementTable->setCurrentIndex(App().MeasurementPlan()->MeasurementTable->model()->index(1, 0));
    App().ChangePrecision()->PrecisionCombo->setEditText("0.0002");
    QVERIFY(App().ChangePrecision()->ApplyPrecision());
    QCOMPARE(meas.Items[1].StdDev, 0.0002);
    QCOMPARE(meas.Items[0].StdDev, 0.0007);
    App().ChangePrecision()->PrecisionCombo->setEditText("zero");
    QVERIFY(!App().ChangePrecision()->ApplyPrecision());
    QCOMPARE(meas.Items[1].StdDev, 0.0002);
  }

  void textsFollowTheLanguageAndCaptionsKeepTheirFile() {
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->setWindowTitle("Measurement plan - [/data/m.txt]");
    App().Language().Texts[7] = "Mapa měření";
    App().Language().Texts[41] = "-> šd";
    App().Language().Texts[101] = "Typ";
    App().Language().Texts[78] = "Průvodce";
    App().MeasurementPlan()->ApplyTexts();
    App().PrecisionGuide()->ApplyTexts();
    QCOMPARE(App().MeasurementPlan()->windowTitle(), QString::fromUtf8("Mapa měření - [/data/m.txt]"));
    QCOMPARE(App().MeasurementPlan()->AddSlopeDistanceButton->text(), QString::fromUtf8("-> šd"));
    QCOMPARE(App().MeasurementPlan()->MeasurementTable->model()->headerData(0, Qt::Horizontal).toString(), QString("Typ"));
    QCOMPARE(App().PrecisionGuide()->windowTitle(), QString::fromUtf8("Průvodce"));
    QCOMPARE(App().MeasurementPlan()->AddGyroDirectionButton->text(), QString("-> GD"));
  }

  void addDialogIsAToolWindowOfThePlan() {
    App().MeasurementPlan()->PreparePlan();
    QCOMPARE(App().AddMeasurement()->parentWidget(), static_cast<QWidget *>(App().MeasurementPlan()));
    QVERIFY(App().AddMeasurement()->windowFlags() & Qt::Tool);
    QVERIFY(!App().AddMeasurement()->isModal());
  }
};

QTEST_MAIN(PlanWindowTest)
#include "plan_window_test.moc"
