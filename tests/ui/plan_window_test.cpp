// The coordinate and measurement plan windows and their dialogs, driven by
// clicks on the plan at computed pixels and by their buttons.
#include "core/survey_network.h"
#include "core/number_text.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/add_measurement_window.h"
#include "ui/change_precision_dialog.h"
#include "ui/all_points_sc_svp_dialog.h"
#include "app/settings_store.h"
#include "ui/app_globals.h"
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
    plan = TheCoordinatePlan;
  const PixelPosition p = plan->View().ToPixel(TheNetwork->Points.List.Items[index]);
  return QPoint(kd::plot::RoundPixel(p.x), kd::plot::RoundPixel(p.y));
}

// The colours and font the plans are drawn with.
kd::plot::PlanStyle PlanStyleNow() { return TheCoordinatePlan->Style(); }

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
  std::unique_ptr<PlatformServices> Previous;

  QString Path(const QString &name) const { return Dir.filePath(name); }

  // Five points on a 100 m square with one in the middle; 1 and 2 fixed.
  void LoadNetwork() {
    PointList &list = TheNetwork->Points.List;
    list.Items.clear();
    list.Append(Pt(1, 0, 0));
    list.Append(Pt(2, 100, 0));
    list.Append(Pt(3, 100, 100));
    list.Append(Pt(4, 0, 100));
    list.Append(Pt(5, 50, 50, 90));
    list.Items[0].Fixed = list.Items[1].Fixed = true;
    list.FileName = Path("coords.txt").toStdString();
    TheNetwork->Measurements.Items.clear();
    TheNetwork->Measurements.FileName.clear();
  }

private slots:
  void init() {
    QVERIFY(Dir.isValid());
    // The plans' preferences go to the test's folder, never to the user's.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Path("preferences"));
    auto fake = std::make_unique<FakePlatform>();
    fake->programPath = Path("korvadimensio3d");
    Fake = fake.get();
    Previous = SetPlatform(std::move(fake));
    CreateAllWindows();
    QVERIFY(TheNetwork);
    TheNetwork->Points.AutoSave = true;
    LoadNetwork();
  }

  void cleanup() {
    Lang().LoadBuiltIn();
    DestroyAllWindows();
    SetPlatform(std::move(Previous));
    Fake = nullptr;
  }

  // ---- coordinate plan ----

  void coordinatePlanOpensFittedWithItsTable() {
    TheCoordinatePlan->PreparePlan();
    QCOMPARE(TheCoordinatePlan->PointTable->model()->rowCount(), 5);
    QCOMPARE(TheCoordinatePlan->PointTable->model()->headerData(0, Qt::Horizontal).toString(), QString("P.No."));
    QCOMPARE(Cell(TheCoordinatePlan->PointTable, 2, 1), QString("100.000"));
    QCOMPARE(TheCoordinatePlan->PlanImage->Bitmap()->size(), QSize(576, 573));
    const QImage &c = *TheCoordinatePlan->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), PlanStyleNow().FixedColor);
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(4).x(), PixelOf(4).y()), PlanStyleNow().AdjustedColor);
    // The square fits the height with a 25-pixel margin: 523 pixels per 100 m.
    QCOMPARE(double(TheCoordinatePlan->View().Scale), 5.23);
    QCOMPARE(PixelOf(0), QPoint(26, 25)); // 26.5 rounds to even
  }

  void leftClickMarksAndAddPutsAPointThere() {
    TheCoordinatePlan->PreparePlan();
    Press(TheCoordinatePlan->PlanImage, Qt::LeftButton, QPoint(300, 200));
    QVERIFY(TheCoordinatePlan->View().Marked);
    const QImage &c = *TheCoordinatePlan->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, 300, 200), PlanStyleNow().MarkColor);

    TheCoordinatePlan->PointNumberEdit->setText("7");
    TheCoordinatePlan->HeightEdit->setText("250,5");
    TheCoordinatePlan->AddPoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 6);
    const NetworkPoint &p = TheNetwork->Points.List.Items[5];
    QCOMPARE(p.Number, 7.0);
    QCOMPARE(double(p.Z), 250.5);
    QVERIFY(!p.Fixed);
    QCOMPARE(PixelOf(5), QPoint(300, 200));
    QCOMPARE(kd::plot::ColorAt(c, 300, 200), PlanStyleNow().AdjustedColor);
    QCOMPARE(TheCoordinatePlan->PointTable->model()->rowCount(), 6);
    QCOMPARE(TheCoordinatePlan->PointNumberEdit->text(), QString("8"));
    QVERIFY(!TheCoordinatePlan->View().Marked);

    // An existing number adds nothing but removes the mark.
    Press(TheCoordinatePlan->PlanImage, Qt::LeftButton, QPoint(100, 300));
    TheCoordinatePlan->PointNumberEdit->setText("3");
    TheCoordinatePlan->AddPoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 6);
    QVERIFY(!TheCoordinatePlan->View().Marked);
    QCOMPARE(TheCoordinatePlan->PointNumberEdit->text(), QString("3"));
    // No mark: nothing either.
    TheCoordinatePlan->PointNumberEdit->setText("9");
    TheCoordinatePlan->AddPoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 6);
  }

  void numberFieldsEmptyThemselvesOnBadText() {
    TheCoordinatePlan->HeightEdit->setText("-");
    QCOMPARE(TheCoordinatePlan->HeightEdit->text(), QString());
    TheCoordinatePlan->HeightEdit->setText("1e");
    QCOMPARE(TheCoordinatePlan->HeightEdit->text(), QString());
    TheCoordinatePlan->PointNumberEdit->setText("12,5");
    QCOMPARE(TheCoordinatePlan->PointNumberEdit->text(), QString("12,5"));
    // An empty field stops the adding silently.
    TheCoordinatePlan->PreparePlan();
    Press(TheCoordinatePlan->PlanImage, Qt::LeftButton, QPoint(300, 200));
    TheCoordinatePlan->AddPoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 5);
    QVERIFY(Fake->messages.isEmpty());
  }

  void deleteKeepsTwoPointsAndDropsOrphanMeasurements() {
    TheCoordinatePlan->PreparePlan();
    MeasurementList &meas = TheNetwork->Measurements;
    meas.AddMeasurement(mtSd, 0.001, 5, 1);
    meas.AddMeasurement(mtZu, 0.001, 3, 5);
    meas.AddMeasurement(mtSd, 0.001, 2, 1);
    TheCoordinatePlan->PointTable->setCurrentIndex(TheCoordinatePlan->PointTable->model()->index(4, 0)); // point 5
    QCOMPARE(TheCoordinatePlan->SelectedRow(), 5);
    TheCoordinatePlan->DeletePoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 4);
    QCOMPARE(meas.Count(), 1);
    QCOMPARE(Fake->messages.size(), 1);
    QCOMPARE(Fake->messages[0], QString("Measurements without coordinates thrown away (2)."));
    QCOMPARE(TheCoordinatePlan->PointTable->model()->rowCount(), 4);

    TheCoordinatePlan->PointTable->setCurrentIndex(TheCoordinatePlan->PointTable->model()->index(0, 0));
    TheCoordinatePlan->DeletePoint();
    TheCoordinatePlan->PointTable->setCurrentIndex(TheCoordinatePlan->PointTable->model()->index(0, 0));
    TheCoordinatePlan->DeletePoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 2);
    TheCoordinatePlan->DeletePoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 2);
    QCOMPARE(Fake->messages.last(), QString("Two points are minimum."));
  }

  void nothingSelectedDeletesOrOpensNothing() {
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->DeletePoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 5);
    TheCoordinatePlan->ShowPointProperties();
    QVERIFY(Fake->modalShown.isEmpty());
  }

  void rightClickOpensPropertiesOfTheNearPointOnly() {
    TheCoordinatePlan->PreparePlan();
    const QPoint p = PixelOf(2);
    Press(TheCoordinatePlan->PlanImage, Qt::RightButton, p + QPoint(25, 0));
    QVERIFY(Fake->modalShown.isEmpty());
    Press(TheCoordinatePlan->PlanImage, Qt::RightButton, p + QPoint(10, 5));
    QCOMPARE(Fake->modalShown.size(), 1);
    QCOMPARE(static_cast<QDialog *>(ThePointPropertiesDialog), Fake->modalShown[0]);
    QCOMPARE(ThePointPropertiesDialog->NumberEdit->text(), QString("3"));
    QCOMPARE(ThePointPropertiesDialog->XEdit->text(), QString("100"));
    QCOMPARE(ThePointPropertiesDialog->PointIndex(), 2);
  }

  void propertiesApplyOrRefuse() {
    TheCoordinatePlan->PreparePlan();
    ThePointPropertiesDialog->Fill(TheNetwork->Points.List.Items[4], 4);
    ThePointPropertiesDialog->ZEdit->setText("abc");
    ThePointPropertiesDialog->CentringSigmaEdit->setText("0.002");
    QVERIFY(!ThePointPropertiesDialog->Apply());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(TheNetwork->Points.List.Items[4].Sc, 0.0);

    ThePointPropertiesDialog->ZEdit->setText("95,25");
    ThePointPropertiesDialog->XEdit->setText("60");
    ThePointPropertiesDialog->FixedCheckBox->setChecked(true);
    QVERIFY(ThePointPropertiesDialog->Apply());
    const NetworkPoint &p = TheNetwork->Points.List.Items[4];
    QCOMPARE(double(p.Z), 95.25);
    QCOMPARE(double(p.X), 60.0);
    QCOMPARE(p.Sc, 0.002);
    QVERIFY(p.Fixed);
    QCOMPARE(Cell(TheCoordinatePlan->PointTable, 4, 1), QString("60.000"));
    const QImage &c = *TheCoordinatePlan->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(4).x(), PixelOf(4).y()), PlanStyleNow().FixedColor);
  }

  void propertiesTakeTheMark() {
    TheCoordinatePlan->PreparePlan();
    ThePointPropertiesDialog->Fill(TheNetwork->Points.List.Items[4], 4);
    ThePointPropertiesDialog->TakeFromMark(); // no mark: nothing
    QCOMPARE(ThePointPropertiesDialog->XEdit->text(), QString("50"));
    const QPoint at = PixelOf(2) + QPoint(0, -40);
    Press(TheCoordinatePlan->PlanImage, Qt::LeftButton, at);
    long double X, Y;
    TheCoordinatePlan->View().ToWorld(at.x(), at.y(), X, Y);
    ThePointPropertiesDialog->TakeFromMark();
    QCOMPARE(ThePointPropertiesDialog->XEdit->text(), QString::fromStdString(NumToTextFixed(X, 10, 4)));
    QCOMPARE(ThePointPropertiesDialog->YEdit->text(), QString::fromStdString(NumToTextFixed(Y, 10, 4)));
    QVERIFY(!TheCoordinatePlan->View().Marked);
  }

  void menuFixesAndFreesAllPoints() {
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->MakeAllFixed();
    for (const NetworkPoint &p : TheNetwork->Points.List.Items)
      QVERIFY(p.Fixed);
    TheCoordinatePlan->MakeAllAdjusted();
    for (const NetworkPoint &p : TheNetwork->Points.List.Items)
      QVERIFY(!p.Fixed);
    const QImage &c = *TheCoordinatePlan->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), PlanStyleNow().AdjustedColor);
    TheCoordinatePlan->ChangeAllScSvp();
    QCOMPARE(Fake->modalShown.last(), static_cast<QDialog *>(TheAllPointsScSvpDialog));
  }

  void changeAllScSvp() {
    TheAllPointsScSvpDialog->ScCombo->setEditText("0,003");
    QVERIFY(TheAllPointsScSvpDialog->SetScOfAllPoints());
    for (const NetworkPoint &p : TheNetwork->Points.List.Items) {
      QCOMPARE(p.Sc, 0.003);
      QCOMPARE(p.Svp, 0.0);
    }
    TheAllPointsScSvpDialog->SvpCombo->setCurrentIndex(TheAllPointsScSvpDialog->SvpCombo->count() - 1); // the empty item
    QVERIFY(!TheAllPointsScSvpDialog->SetSvpOfAllPoints());
    QCOMPARE(Fake->messages.last(), QString("Incorrect input:  Svp!"));
    TheAllPointsScSvpDialog->ScCombo->setEditText("x");
    QVERIFY(!TheAllPointsScSvpDialog->SetScOfAllPoints());
    QCOMPARE(Fake->messages.last(), QString("Incorrect input:  Sc!"));
    QCOMPARE(TheNetwork->Points.List.Items[0].Sc, 0.003);
    TheAllPointsScSvpDialog->SvpCombo->setCurrentIndex(3);
    QVERIFY(TheAllPointsScSvpDialog->SetSvpOfAllPoints());
    QCOMPARE(TheNetwork->Points.List.Items[3].Svp, 0.001);
  }

  void viewButtonsDragAndWheel() {
    TheCoordinatePlan->PreparePlan();
    const kd::plot::PlanView &pts = TheCoordinatePlan->View();
    const long double s = pts.Scale;
    TheCoordinatePlan->ZoomIn();
    TheCoordinatePlan->ZoomOut();
    QVERIFY(std::fabs(double(pts.Scale / s) - 1) < 1e-12);
    TheCoordinatePlan->ShowAllPoints();
    TheCoordinatePlan->PanRight();
    TheCoordinatePlan->PanDown();
    QCOMPARE(double(pts.OffsetX), 10.0);
    QCOMPARE(double(pts.OffsetY), 10.0);
    TheCoordinatePlan->PanLeft();
    TheCoordinatePlan->PanUp();
    TheCoordinatePlan->PanRight();
    TheCoordinatePlan->PanDown();
    // Middle-button drag pans by the mouse displacement, only with the
    // middle button alone.
    Press(TheCoordinatePlan->PlanImage, Qt::MiddleButton, QPoint(100, 100));
    MoveWith(TheCoordinatePlan->PlanImage, Qt::MiddleButton, Qt::NoModifier, QPoint(130, 90));
    QCOMPARE(double(pts.OffsetX), 40.0);
    QCOMPARE(double(pts.OffsetY), 0.0);
    MoveWith(TheCoordinatePlan->PlanImage, Qt::MiddleButton, Qt::ShiftModifier, QPoint(200, 200));
    MoveWith(TheCoordinatePlan->PlanImage, Qt::MiddleButton | Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    QCOMPARE(double(pts.OffsetX), 40.0);
    // The wheel over the plan and over the table zooms; the table does not
    // scroll.
    Wheel(TheCoordinatePlan->PlanImage, 120);
    QVERIFY(std::fabs(double(pts.Scale / s) - 1.25) < 1e-12);
    Wheel(TheCoordinatePlan->PointTable->viewport(), -120);
    QVERIFY(std::fabs(double(pts.Scale / s) - 1) < 1e-12);
    TheCoordinatePlan->ShowAllPoints();
    QCOMPARE(double(pts.OffsetX), 0.0);
  }

  void resizeFollowsTheWindow() {
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->show();
    TheCoordinatePlan->resize(1000, 700);
    QCOMPARE(TheCoordinatePlan->PlanImage->Bitmap()->size(), QSize(684, 655));
    QCOMPARE(TheCoordinatePlan->PlanImage->size(), QSize(684, 655));
    QCOMPARE(TheCoordinatePlan->PointTable->x(), 1000 - 289 - 19);
    QCOMPARE(TheCoordinatePlan->SaveButton->x() + TheCoordinatePlan->SaveButton->width(), 1000 - 19);
    TheCoordinatePlan->resize(500, 400); // never smaller than designed
    QVERIFY(TheCoordinatePlan->width() >= 892 && TheCoordinatePlan->height() >= 618);
  }

  void eachPlanKeepsItsOwnViewAndMark() {
    TheCoordinatePlan->PreparePlan();
    TheMeasurementPlan->PreparePlan();
    QVERIFY(TheCoordinatePlan->View() == TheMeasurementPlan->View()); // same size, same fit
    TheCoordinatePlan->ZoomIn();
    TheCoordinatePlan->PanRight();
    Press(TheCoordinatePlan->PlanImage, Qt::LeftButton, QPoint(300, 200));
    QVERIFY(TheCoordinatePlan->View().Marked);
    QVERIFY(!TheMeasurementPlan->View().Marked);
    QCOMPARE(double(TheMeasurementPlan->View().OffsetX), 0.0);
    QVERIFY(TheCoordinatePlan->View().Scale > TheMeasurementPlan->View().Scale);
    // The measurement plan draws its points where its own view puts them.
    const QImage &m = *TheMeasurementPlan->PlanImage->Bitmap();
    TheMeasurementPlan->Redraw();
    QCOMPARE(kd::plot::ColorAt(m, PixelOf(0, TheMeasurementPlan).x(), PixelOf(0, TheMeasurementPlan).y()),
             PlanStyleNow().FixedColor);
    // The properties dialog takes the coordinate plan's mark, which then goes.
    ThePointPropertiesDialog->Fill(TheNetwork->Points.List.Items[4], 4);
    ThePointPropertiesDialog->TakeFromMark();
    QVERIFY(!TheCoordinatePlan->View().Marked);
    QVERIFY(ThePointPropertiesDialog->XEdit->text() != QString("50"));
  }

  void newColoursFromTheSettingsShowAtOnce() {
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->show();
    const kd::Settings before = TheSettings->Program();
    kd::Settings s = before;
    s.FixedColor = 0x00FF00FF; // magenta
    s.BackColor = 0x00FFFFFF;  // white
    TheSettings->SetProgram(s);
    const QImage &c = *TheCoordinatePlan->PlanImage->Bitmap();
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), 0x00FF00FFu);
    QCOMPARE(kd::plot::ColorAt(c, 300, 5), 0x00FFFFFFu);
    TheSettings->SetProgram(before);
    QCOMPARE(kd::plot::ColorAt(c, PixelOf(0).x(), PixelOf(0).y()), before.FixedColor);
    TheCoordinatePlan->hide();
  }

  void saveSaveAsAndClose() {
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->SavePoints();
    QVERIFY(QFile::exists(Path("coords.txt")));
    Fake->saveAnswers << Path("other.txt");
    TheCoordinatePlan->SavePointsAs();
    QCOMPARE(Fake->dialogTitles.last(), QString("Save coordinates as"));
    QVERIFY(QFile::exists(Path("other.txt")));
    QCOMPARE(TheCoordinatePlan->windowTitle(), "Coordinates plan - [" + Path("other.txt") + "]");
    QCOMPARE(QString::fromStdString(TheNetwork->Points.List.FileName), Path("other.txt"));

    // A file that cannot be written is reported and the old name stays.
    Fake->saveAnswers << Path("missing/dir/x.txt");
    TheCoordinatePlan->SavePointsAs();
    QVERIFY(Fake->messages.last().contains("missing/dir/x.txt"));
    QCOMPARE(QString::fromStdString(TheNetwork->Points.List.FileName), Path("other.txt"));

    // Closing saves an edited list only with the automatic-save setting on.
    QFile::remove(Path("other.txt"));
    TheNetwork->Points.SetAllFixed(true);
    TheNetwork->Points.AutoSave = false;
    TheCoordinatePlan->show();
    TheCoordinatePlan->reject();
    QVERIFY(!QFile::exists(Path("other.txt")));
    TheNetwork->Points.AutoSave = true;
    TheCoordinatePlan->show();
    TheCoordinatePlan->reject();
    QVERIFY(QFile::exists(Path("other.txt")));
  }

  // ---- measurement plan ----

  void typeButtonsOpenTheAddDialog() {
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->AddZenithAngle(); // -> zen.
    QVERIFY(TheAddMeasurementWindow->isVisible());
    QCOMPARE(TheAddMeasurementWindow->windowTitle(), QString("Add measurements"));
    QCOMPARE(TheAddMeasurementWindow->TypeCombo->currentText(), QString("zu"));
    QCOMPARE(TheAddMeasurementWindow->PrecisionCombo->currentText(), QString("0.0004"));
    QCOMPARE(TheAddMeasurementWindow->StationCombo->count(), 5);
    QCOMPARE(TheAddMeasurementWindow->StationCombo->currentText(), QString("1.000"));
    QCOMPARE(TheAddMeasurementWindow->TargetCombo->currentText(), QString("2.000"));
    QCOMPARE(TheAddMeasurementWindow->PickTarget(), AddMeasurementWindow::StationField);
    TheMeasurementPlan->AddHorizontalDistance(); // -> hd
    QCOMPARE(TheAddMeasurementWindow->TypeCombo->currentText(), QString("hd"));
    QCOMPARE(TheAddMeasurementWindow->PrecisionCombo->currentText(), QString("0.001"));
    TheMeasurementPlan->AddPlumbing();
    QCOMPARE(TheAddMeasurementWindow->TypeCombo->currentText(), QString("pr"));
    TheMeasurementPlan->hide();
    QVERIFY(!TheAddMeasurementWindow->isVisible());
  }

  void polarAddsThreeMeasurementsAndOneLine() {
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->AddPolar3D(); // ->3d pol.
    QVERIFY(TheAddMeasurementWindow->InsertMeasurement());
    const MeasurementList &meas = TheNetwork->Measurements;
    QCOMPARE(meas.Count(), 3);
    QCOMPARE(int(meas.Items[0].MeasType), int(mtZu));
    QCOMPARE(int(meas.Items[1].MeasType), int(mtDi));
    QCOMPARE(int(meas.Items[2].MeasType), int(mtSd));
    for (const Measurement &m : meas.Items) {
      QCOMPARE(m.Station, 1.0);
      QCOMPARE(m.Target, 2.0);
      QCOMPARE(m.StdDev, 0.001);
    }
    QCOMPARE(TheMeasurementPlan->MeasurementTable->model()->rowCount(), 3);
    QCOMPARE(meas.PairCount(), 1);
    QCOMPARE(MeasurementList::PairLabel(meas.Pairs[0]), std::string("1sd1ze1di"));
    const QImage &c = *TheMeasurementPlan->PlanImage->Bitmap();
    const QPoint a = PixelOf(0, TheMeasurementPlan), b = PixelOf(1, TheMeasurementPlan);
    QCOMPARE(kd::plot::ColorAt(c, a.x() + 40, a.y()), PlanStyleNow().MeasColor);
    Q_UNUSED(b);

    TheMeasurementPlan->AddAngles(); // -> angles
    TheAddMeasurementWindow->TargetCombo->setCurrentIndex(2);
    QVERIFY(TheAddMeasurementWindow->InsertMeasurement());
    QCOMPARE(meas.Count(), 5);
    QCOMPARE(MeasurementList::PairLabel(meas.Pairs[1]), std::string("1ze1di"));
  }

  void clicksPickStationThenTarget() {
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->AddSlopeDistance();
    Press(TheMeasurementPlan->PlanImage, Qt::LeftButton, PixelOf(4, TheMeasurementPlan) + QPoint(3, 4));
    QCOMPARE(TheAddMeasurementWindow->StationCombo->currentIndex(), 4);
    QCOMPARE(TheAddMeasurementWindow->PickTarget(), AddMeasurementWindow::TargetField);
    Press(TheMeasurementPlan->PlanImage, Qt::LeftButton, PixelOf(2, TheMeasurementPlan) + QPoint(-5, 0));
    QCOMPARE(TheAddMeasurementWindow->TargetCombo->currentIndex(), 2);
    QCOMPARE(TheAddMeasurementWindow->PickTarget(), AddMeasurementWindow::StationField);
    // 25 pixels from every point: the list whose turn it is loses its
    // choice, and the next click goes to the other list.
    Press(TheMeasurementPlan->PlanImage, Qt::LeftButton, PixelOf(2, TheMeasurementPlan) + QPoint(25, 0));
    QCOMPARE(TheAddMeasurementWindow->StationCombo->currentIndex(), -1);
    Press(TheMeasurementPlan->PlanImage, Qt::LeftButton, PixelOf(0, TheMeasurementPlan));
    QCOMPARE(TheAddMeasurementWindow->TargetCombo->currentIndex(), 0);
    // No station: "Error", nothing added, and the station is next again.
    QVERIFY(!TheAddMeasurementWindow->InsertMeasurement());
    QCOMPARE(Fake->messages.last(), QString("Error"));
    QCOMPARE(TheNetwork->Measurements.Count(), 0);
    QCOMPARE(TheAddMeasurementWindow->PickTarget(), AddMeasurementWindow::StationField);
    // A left click never marks this plan.
    QVERIFY(!TheMeasurementPlan->View().Marked);
    // With the dialog hidden clicks pick nothing.
    TheAddMeasurementWindow->hide();
    Press(TheMeasurementPlan->PlanImage, Qt::LeftButton, PixelOf(1, TheMeasurementPlan));
    QCOMPARE(TheAddMeasurementWindow->PickTarget(), AddMeasurementWindow::StationField);
  }

  void insertRefusesBadInputAndEqualPoints() {
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->AddSlopeDistance();
    TheAddMeasurementWindow->PrecisionCombo->setEditText("abc");
    QVERIFY(!TheAddMeasurementWindow->InsertMeasurement());
    QCOMPARE(Fake->messages.last(), QString("Error"));
    TheAddMeasurementWindow->PrecisionCombo->setEditText("0,002");
    TheAddMeasurementWindow->TargetCombo->setCurrentIndex(0); // station 1 = target 1
    const int shown = Fake->messages.size();
    QVERIFY(!TheAddMeasurementWindow->InsertMeasurement());
    QCOMPARE(Fake->messages.size(), shown);
    QCOMPARE(TheNetwork->Measurements.Count(), 0);
    TheAddMeasurementWindow->TargetCombo->setCurrentIndex(3);
    QVERIFY(TheAddMeasurementWindow->InsertMeasurement());
    QCOMPARE(TheNetwork->Measurements.Items[0].StdDev, 0.002);
    QCOMPARE(TheNetwork->Measurements.Items[0].Target, 4.0);
  }

  void plumbingWarnsBeyondTheVertical() {
    PointList &list = TheNetwork->Points.List;
    list.Append(Pt(6, 50, 50, 10));    // under point 5
    list.Append(Pt(7, 50.02L, 50, 0)); // 0.02 m aside
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->AddPlumbing();
    TheAddMeasurementWindow->StationCombo->setCurrentIndex(4);
    TheAddMeasurementWindow->TargetCombo->setCurrentIndex(5);
    QVERIFY(TheAddMeasurementWindow->InsertMeasurement());
    QVERIFY(Fake->messages.isEmpty());
    TheAddMeasurementWindow->StationCombo->setCurrentIndex(4);
    TheAddMeasurementWindow->TargetCombo->setCurrentIndex(6);
    QVERIFY(TheAddMeasurementWindow->InsertMeasurement());
    QCOMPARE(Fake->messages.last(),
             QString("Position transmition/plumbing is beyond vertical! (0.020 m)."));
    QCOMPARE(TheNetwork->Measurements.Count(), 2);
  }

  void deleteSortAndZoomButtons() {
    MeasurementList &meas = TheNetwork->Measurements;
    meas.AddMeasurement(mtSd, 0.001, 1, 3);
    meas.AddMeasurement(mtDi, 0.001, 2, 1);
    meas.AddMeasurement(mtVd, 0.001, 4, 2);
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->SortMeasurements();
    QCOMPARE(Cell(TheMeasurementPlan->MeasurementTable, 0, 1), QString("1.00"));
    QCOMPARE(Cell(TheMeasurementPlan->MeasurementTable, 2, 1), QString("3.00"));
    TheMeasurementPlan->DeleteMeasurement(); // nothing selected
    QCOMPARE(meas.Count(), 3);
    TheMeasurementPlan->MeasurementTable->setCurrentIndex(TheMeasurementPlan->MeasurementTable->model()->index(1, 0));
    TheMeasurementPlan->DeleteMeasurement();
    QCOMPARE(meas.Count(), 2);
    QCOMPARE(int(meas.Items[1].MeasType), int(mtSd));
    QCOMPARE(TheMeasurementPlan->MeasurementTable->model()->rowCount(), 2);

    const kd::plot::PlanView &pts = TheMeasurementPlan->View();
    const long double s = pts.Scale;
    TheMeasurementPlan->ZoomIn();
    TheMeasurementPlan->ZoomOut();
    QVERIFY(std::fabs(double(pts.Scale / s) - 1.05 * 0.8) < 1e-12);
    const long double s2 = pts.Scale;
    Wheel(TheMeasurementPlan->PlanImage, 120);
    Wheel(TheMeasurementPlan->MeasurementTable->viewport(), -120);
    QVERIFY(std::fabs(double(pts.Scale / s2) - 1) < 1e-12);
  }

  void closeSavesOnlyWhatThereIs() {
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->reject(); // empty list: nothing
    QVERIFY(Fake->dialogTitles.isEmpty());
    TheNetwork->Measurements.AddMeasurement(mtSd, 0.001, 2, 1);
    TheMeasurementPlan->show();
    Fake->saveAnswers << Path("meas.txt");
    TheMeasurementPlan->reject(); // no file name yet: the save dialog
    QCOMPARE(Fake->dialogTitles.size(), 1);
    QVERIFY(QFile::exists(Path("meas.txt")));
    QCOMPARE(TheMeasurementPlan->windowTitle(), "Measurement plan - [" + Path("meas.txt") + "]");
    QCOMPARE(QString::fromStdString(TheNetwork->Measurements.FileName), Path("meas.txt"));
    QFile::remove(Path("meas.txt"));
    TheNetwork->Measurements.AddMeasurement(mtHd, 0.001, 3, 1);
    TheMeasurementPlan->show();
    TheMeasurementPlan->reject(); // now it has a name
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
    PointList &list = TheNetwork->Points.List;
    MeasurementList &ms = TheNetwork->Measurements;
    QCOMPARE(list.LoadFull(Path("c.txt").toStdString()), 4);
    QCOMPARE(ms.LoadFromFile(Path("m.txt").toStdString()), 2);

    // Opened and closed without an edit: both files stay byte for byte.
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->show();
    TheCoordinatePlan->reject();
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->reject();
    QCOMPARE(ReadFile(Path("c.txt")), coords);
    QCOMPARE(ReadFile(Path("m.txt")), meas);

    // Edits through a dialog count: the point properties dialog.
    ThePointPropertiesDialog->Fill(list.Items[2], 2);
    ThePointPropertiesDialog->ZEdit->setText("7");
    QVERIFY(ThePointPropertiesDialog->Apply());
    TheCoordinatePlan->show();
    TheCoordinatePlan->reject();
    QCOMPARE(ReadFile(Path("c.txt.bak")), coords); // the lost lines live on
    QVERIFY(ReadFile(Path("c.txt")).contains("7.00000"));
    QCOMPARE(QString::fromStdString(list.LastBackup), Path("c.txt.bak"));

    // A later save replaces the file but keeps the first backup.
    list.LastBackup.clear();
    TheNetwork->Points.SetAllSvp(0.001);
    TheCoordinatePlan->show();
    TheCoordinatePlan->reject();
    QCOMPARE(ReadFile(Path("c.txt.bak")), coords);
    QVERIFY(list.LastBackup.empty());

    // The change-precision dialog is an edit of the measurements.
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->MeasurementTable->selectRow(1);
    TheMeasurementPlan->SelectMeasurementRow(1);
    TheChangePrecisionDialog->ScopeCombo->setCurrentIndex(0);
    TheChangePrecisionDialog->PrecisionCombo->setEditText("0.003");
    QVERIFY(TheChangePrecisionDialog->ApplyPrecision());
    TheMeasurementPlan->show();
    TheMeasurementPlan->reject();
    QCOMPARE(ReadFile(Path("m.txt.bak")), meas);
    QVERIFY(ReadFile(Path("m.txt")).startsWith("sd 1.00 3.00 0.00300"));

    // A file read without skipping anything gets no backup.
    QFile::remove(Path("m.txt.bak"));
    QCOMPARE(ms.LoadFromFile(Path("m.txt").toStdString()), 2);
    ms.Delete(1);
    TheMeasurementPlan->show();
    TheMeasurementPlan->reject();
    QVERIFY(!QFile::exists(Path("m.txt.bak")));
  }

  void changePrecisionOfOneOrOfTheType() {
    MeasurementList &meas = TheNetwork->Measurements;
    meas.AddMeasurement(mtZu, 0.001, 2, 1);
    meas.AddMeasurement(mtDi, 0.001, 2, 1);
    meas.AddMeasurement(mtZu, 0.001, 3, 1);
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->ChangeTypePrecision();
    QCOMPARE(Fake->modalShown.last(), static_cast<QDialog *>(TheChangePrecisionDialog));
    QCOMPARE(TheChangePrecisionDialog->ScopeCombo->currentIndex(), 1);
    QVERIFY(!TheChangePrecisionDialog->ApplyPrecision()); // no measurement selected
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));

    TheMeasurementPlan->MeasurementTable->setCurrentIndex(TheMeasurementPlan->MeasurementTable->model()->index(2, 0));
    TheChangePrecisionDialog->PrecisionCombo->setEditText("0,0007");
    QVERIFY(TheChangePrecisionDialog->ApplyPrecision());
    QCOMPARE(meas.Items[0].StdDev, 0.0007);
    QCOMPARE(meas.Items[1].StdDev, 0.001);
    QCOMPARE(meas.Items[2].StdDev, 0.0007);
    QCOMPARE(Cell(TheMeasurementPlan->MeasurementTable, 0, 3), QString("0.00070"));

    TheMeasurementPlan->ChangePrecision();
    QCOMPARE(TheChangePrecisionDialog->ScopeCombo->currentIndex(), 0);
    TheMeasurementPlan->MeasurementTable->setCurrentIndex(TheMeasurementPlan->MeasurementTable->model()->index(1, 0));
    TheChangePrecisionDialog->PrecisionCombo->setEditText("0.0002");
    QVERIFY(TheChangePrecisionDialog->ApplyPrecision());
    QCOMPARE(meas.Items[1].StdDev, 0.0002);
    QCOMPARE(meas.Items[0].StdDev, 0.0007);
    TheChangePrecisionDialog->PrecisionCombo->setEditText("zero");
    QVERIFY(!TheChangePrecisionDialog->ApplyPrecision());
    QCOMPARE(meas.Items[1].StdDev, 0.0002);
  }

  void textsFollowTheLanguageAndCaptionsKeepTheirFile() {
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->setWindowTitle("Measurement plan - [/data/m.txt]");
    Lang().Texts[7] = "Mapa měření";
    Lang().Texts[41] = "-> šd";
    Lang().Texts[101] = "Typ";
    Lang().Texts[78] = "Průvodce";
    TheMeasurementPlan->ApplyTexts();
    ThePrecisionGuide->ApplyTexts();
    QCOMPARE(TheMeasurementPlan->windowTitle(), QString::fromUtf8("Mapa měření - [/data/m.txt]"));
    QCOMPARE(TheMeasurementPlan->AddSlopeDistanceButton->text(), QString::fromUtf8("-> šd"));
    QCOMPARE(TheMeasurementPlan->MeasurementTable->model()->headerData(0, Qt::Horizontal).toString(), QString("Typ"));
    QCOMPARE(ThePrecisionGuide->windowTitle(), QString::fromUtf8("Průvodce"));
    QCOMPARE(TheMeasurementPlan->AddGyroDirectionButton->text(), QString("-> GD"));
  }

  void addDialogIsAToolWindowOfThePlan() {
    TheMeasurementPlan->PreparePlan();
    QCOMPARE(TheAddMeasurementWindow->parentWidget(), static_cast<QWidget *>(TheMeasurementPlan));
    QVERIFY(TheAddMeasurementWindow->windowFlags() & Qt::Tool);
    QVERIFY(!TheAddMeasurementWindow->isModal());
  }
};

QTEST_MAIN(PlanWindowTest)
#include "plan_window_test.moc"
