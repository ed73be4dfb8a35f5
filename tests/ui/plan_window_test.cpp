// The coordinate and measurement plan windows and their dialogs, driven by
// clicks on the plan at computed pixels and by their buttons.
#include "core/container.h"
#include "core/numtext.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form7.h"
#include "ui/form8.h"
#include "ui/globals.h"
#include "ui/plancanvas.h"
#include "ui/planrender.h"
#include "ui/planwidgets.h"
#include "ui/platform.h"
#include "ui/pointprop.h"
#include "ui/precguide.h"
#include "settings/langpack.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

TNetPoint Pt(double n, long double x, long double y, long double z = 100) {
  TNetPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  return p;
}

QPoint PixelOf(int index) {
  const TPoints &pts = Container->Points;
  const TPixelPos p = WorldToPixel(pts, pts.List.Items[index]);
  return QPoint(RoundPixel(p.x), RoundPixel(p.y));
}

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

QString Cell(QTableWidget *t, int row, int col) {
  const QTableWidgetItem *it = t->item(row, col);
  return it ? it->text() : QString();
}

} // namespace

class PlanWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir Dir;
  TFakePlatform *Fake = nullptr;
  std::unique_ptr<TPlatform> Previous;

  QString Path(const QString &name) const { return Dir.filePath(name); }

  // Five points on a 100 m square with one in the middle; 1 and 2 fixed.
  void LoadNetwork() {
    TSeznam3D &list = Container->Points.List;
    list.Items.clear();
    list.Append(Pt(1, 0, 0));
    list.Append(Pt(2, 100, 0));
    list.Append(Pt(3, 100, 100));
    list.Append(Pt(4, 0, 100));
    list.Append(Pt(5, 50, 50, 90));
    list.Items[0].Fixed = list.Items[1].Fixed = true;
    list.FileName = Path("coords.txt").toStdString();
    Container->Measurements.Items.clear();
    Container->Measurements.FileName.clear();
  }

private slots:
  void init() {
    QVERIFY(Dir.isValid());
    auto fake = std::make_unique<TFakePlatform>();
    fake->programPath = Path("korvadimensio3d");
    Fake = fake.get();
    Previous = SetPlatform(std::move(fake));
    CreateAllForms();
    QVERIFY(Container);
    Container->Points.AutoSave = true;
    LoadNetwork();
  }

  void cleanup() {
    Lang().LoadBuiltIn();
    DestroyAllForms();
    SetPlatform(std::move(Previous));
    Fake = nullptr;
  }

  // ---- coordinate plan ----

  void coordinatePlanOpensFittedWithItsTable() {
    Form2->PreparePlan();
    QCOMPARE(Form2->StringGrid1->rowCount(), 5);
    QCOMPARE(Form2->StringGrid1->horizontalHeaderItem(0)->text(), QString("P.No."));
    QCOMPARE(Cell(Form2->StringGrid1, 2, 1), QString("100.000"));
    QCOMPARE(Form2->Image1->Bitmap()->size(), QSize(576, 573));
    TPlanCanvas c(Form2->Image1->Bitmap());
    QCOMPARE(c.Pixel(PixelOf(0).x(), PixelOf(0).y()), Container->Points.FixedColor);
    QCOMPARE(c.Pixel(PixelOf(4).x(), PixelOf(4).y()), Container->Points.AdjustedColor);
    // The square fits the height with a 25-pixel margin: 523 pixels per 100 m.
    QCOMPARE(double(Container->Points.Scale), 5.23);
    QCOMPARE(PixelOf(0), QPoint(26, 25)); // 26.5 rounds to even
  }

  void leftClickMarksAndAddPutsAPointThere() {
    Form2->PreparePlan();
    Press(Form2->Image1, Qt::LeftButton, QPoint(300, 200));
    QVERIFY(Container->Points.Marked);
    TPlanCanvas c(Form2->Image1->Bitmap());
    QCOMPARE(c.Pixel(300, 200), Container->Points.MarkColor);

    Form2->Edit1->setText("7");
    Form2->Edit2->setText("250,5");
    Form2->BitBtn8Click();
    QCOMPARE(Container->Points.List.Count(), 6);
    const TNetPoint &p = Container->Points.List.Items[5];
    QCOMPARE(p.Number, 7.0);
    QCOMPARE(double(p.Z), 250.5);
    QVERIFY(!p.Fixed);
    QCOMPARE(PixelOf(5), QPoint(300, 200));
    QCOMPARE(c.Pixel(300, 200), Container->Points.AdjustedColor);
    QCOMPARE(Form2->StringGrid1->rowCount(), 6);
    QCOMPARE(Form2->Edit1->text(), QString("8"));
    QVERIFY(!Container->Points.Marked);

    // An existing number adds nothing but removes the mark.
    Press(Form2->Image1, Qt::LeftButton, QPoint(100, 300));
    Form2->Edit1->setText("3");
    Form2->BitBtn8Click();
    QCOMPARE(Container->Points.List.Count(), 6);
    QVERIFY(!Container->Points.Marked);
    QCOMPARE(Form2->Edit1->text(), QString("3"));
    // No mark: nothing either.
    Form2->Edit1->setText("9");
    Form2->BitBtn8Click();
    QCOMPARE(Container->Points.List.Count(), 6);
  }

  void numberFieldsEmptyThemselvesOnBadText() {
    Form2->Edit2->setText("-");
    QCOMPARE(Form2->Edit2->text(), QString());
    Form2->Edit2->setText("1e");
    QCOMPARE(Form2->Edit2->text(), QString());
    Form2->Edit1->setText("12,5");
    QCOMPARE(Form2->Edit1->text(), QString("12,5"));
    // An empty field stops the adding silently.
    Form2->PreparePlan();
    Press(Form2->Image1, Qt::LeftButton, QPoint(300, 200));
    Form2->BitBtn8Click();
    QCOMPARE(Container->Points.List.Count(), 5);
    QVERIFY(Fake->messages.isEmpty());
  }

  void deleteKeepsTwoPointsAndDropsOrphanMeasurements() {
    Form2->PreparePlan();
    TMereni &meas = Container->Measurements;
    meas.AddMeasurement(mtSd, 0.001, 5, 1);
    meas.AddMeasurement(mtZu, 0.001, 3, 5);
    meas.AddMeasurement(mtSd, 0.001, 2, 1);
    Form2->StringGrid1->setCurrentCell(4, 0); // point 5
    QCOMPARE(Form2->SelectedRow(), 5);
    Form2->BitBtn10Click();
    QCOMPARE(Container->Points.List.Count(), 4);
    QCOMPARE(meas.Count(), 1);
    QCOMPARE(Fake->messages.size(), 1);
    QCOMPARE(Fake->messages[0], QString("Measurements without coordinates thrown away (2)."));
    QCOMPARE(Form2->StringGrid1->rowCount(), 4);

    Form2->StringGrid1->setCurrentCell(0, 0);
    Form2->BitBtn10Click();
    Form2->StringGrid1->setCurrentCell(0, 0);
    Form2->BitBtn10Click();
    QCOMPARE(Container->Points.List.Count(), 2);
    Form2->BitBtn10Click();
    QCOMPARE(Container->Points.List.Count(), 2);
    QCOMPARE(Fake->messages.last(), QString("Two points are minimum."));
  }

  void nothingSelectedDeletesOrOpensNothing() {
    Form2->PreparePlan();
    Form2->BitBtn10Click();
    QCOMPARE(Container->Points.List.Count(), 5);
    Form2->Vlastnosti1Click();
    QVERIFY(Fake->modalShown.isEmpty());
  }

  void rightClickOpensPropertiesOfTheNearPointOnly() {
    Form2->PreparePlan();
    const QPoint p = PixelOf(2);
    Press(Form2->Image1, Qt::RightButton, p + QPoint(25, 0));
    QVERIFY(Fake->modalShown.isEmpty());
    Press(Form2->Image1, Qt::RightButton, p + QPoint(10, 5));
    QCOMPARE(Fake->modalShown.size(), 1);
    QCOMPARE(static_cast<QDialog *>(TPointProp), Fake->modalShown[0]);
    QCOMPARE(TPointProp->LabeledEdit1->text(), QString("3"));
    QCOMPARE(TPointProp->LabeledEdit2->text(), QString("100"));
    QCOMPARE(TPointProp->PointIndex(), 2);
  }

  void propertiesApplyOrRefuse() {
    Form2->PreparePlan();
    TPointProp->Fill(Container->Points.List.Items[4], 4);
    TPointProp->LabeledEdit4->setText("abc");
    TPointProp->LabeledEdit5->setText("0.002");
    QVERIFY(!TPointProp->BitBtn2Click());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(Container->Points.List.Items[4].Sc, 0.0);

    TPointProp->LabeledEdit4->setText("95,25");
    TPointProp->LabeledEdit2->setText("60");
    TPointProp->CheckBox1->setChecked(true);
    QVERIFY(TPointProp->BitBtn2Click());
    const TNetPoint &p = Container->Points.List.Items[4];
    QCOMPARE(double(p.Z), 95.25);
    QCOMPARE(double(p.X), 60.0);
    QCOMPARE(p.Sc, 0.002);
    QVERIFY(p.Fixed);
    QCOMPARE(Cell(Form2->StringGrid1, 4, 1), QString("60.000"));
    TPlanCanvas c(Form2->Image1->Bitmap());
    QCOMPARE(c.Pixel(PixelOf(4).x(), PixelOf(4).y()), Container->Points.FixedColor);
  }

  void propertiesTakeTheMark() {
    Form2->PreparePlan();
    TPointProp->Fill(Container->Points.List.Items[4], 4);
    TPointProp->BitBtn1Click(); // no mark: nothing
    QCOMPARE(TPointProp->LabeledEdit2->text(), QString("50"));
    const QPoint at = PixelOf(2) + QPoint(0, -40);
    Press(Form2->Image1, Qt::LeftButton, at);
    long double X, Y;
    PixelToWorld(Container->Points, at.x(), at.y(), X, Y);
    TPointProp->BitBtn1Click();
    QCOMPARE(TPointProp->LabeledEdit2->text(), QString::fromStdString(NumToTextFixed(X, 10, 4)));
    QCOMPARE(TPointProp->LabeledEdit3->text(), QString::fromStdString(NumToTextFixed(Y, 10, 4)));
    QVERIFY(!Container->Points.Marked);
  }

  void menuFixesAndFreesAllPoints() {
    Form2->PreparePlan();
    Form2->Vechnyfixn1Click();
    for (const TNetPoint &p : Container->Points.List.Items)
      QVERIFY(p.Fixed);
    Form2->Vechnyvyrovnvan1Click();
    for (const TNetPoint &p : Container->Points.List.Items)
      QVERIFY(!p.Fixed);
    TPlanCanvas c(Form2->Image1->Bitmap());
    QCOMPARE(c.Pixel(PixelOf(0).x(), PixelOf(0).y()), Container->Points.AdjustedColor);
    Form2->ZmnitvechnySc1Click();
    QCOMPARE(Fake->modalShown.last(), static_cast<QDialog *>(Form8));
  }

  void changeAllScSvp() {
    Form8->ComboBox4->setEditText("0,003");
    QVERIFY(Form8->BitBtn1Click());
    for (const TNetPoint &p : Container->Points.List.Items) {
      QCOMPARE(p.Sc, 0.003);
      QCOMPARE(p.Svp, 0.0);
    }
    Form8->ComboBox1->setCurrentIndex(Form8->ComboBox1->count() - 1); // the empty item
    QVERIFY(!Form8->BitBtn2Click());
    QCOMPARE(Fake->messages.last(), QString("Incorrect input:  Svp!"));
    Form8->ComboBox4->setEditText("x");
    QVERIFY(!Form8->BitBtn1Click());
    QCOMPARE(Fake->messages.last(), QString("Incorrect input:  Sc!"));
    QCOMPARE(Container->Points.List.Items[0].Sc, 0.003);
    Form8->ComboBox1->setCurrentIndex(3);
    QVERIFY(Form8->BitBtn2Click());
    QCOMPARE(Container->Points.List.Items[3].Svp, 0.001);
  }

  void viewButtonsDragAndWheel() {
    Form2->PreparePlan();
    TPoints &pts = Container->Points;
    const long double s = pts.Scale;
    Form2->BitBtn2Click();
    Form2->BitBtn3Click();
    QVERIFY(std::fabs(double(pts.Scale / s) - 1) < 1e-12);
    Form2->BitBtn1Click();
    Form2->BitBtn7Click();
    Form2->BitBtn6Click();
    QCOMPARE(double(pts.OffsetX), 10.0);
    QCOMPARE(double(pts.OffsetY), 10.0);
    Form2->BitBtn4Click();
    Form2->BitBtn5Click();
    Form2->BitBtn7Click();
    Form2->BitBtn6Click();
    // Middle-button drag pans by the mouse displacement, only with the
    // middle button alone.
    Press(Form2->Image1, Qt::MiddleButton, QPoint(100, 100));
    MoveWith(Form2->Image1, Qt::MiddleButton, Qt::NoModifier, QPoint(130, 90));
    QCOMPARE(double(pts.OffsetX), 40.0);
    QCOMPARE(double(pts.OffsetY), 0.0);
    MoveWith(Form2->Image1, Qt::MiddleButton, Qt::ShiftModifier, QPoint(200, 200));
    MoveWith(Form2->Image1, Qt::MiddleButton | Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    QCOMPARE(double(pts.OffsetX), 40.0);
    // The wheel over the plan and over the table zooms; the table does not
    // scroll.
    Wheel(Form2->Image1, 120);
    QVERIFY(std::fabs(double(pts.Scale / s) - 1.05) < 1e-12);
    Wheel(Form2->StringGrid1->viewport(), -120);
    QVERIFY(std::fabs(double(pts.Scale / s) - 1) < 1e-12);
    Form2->BitBtn1Click();
    QCOMPARE(double(pts.OffsetX), 0.0);
  }

  void resizeFollowsTheWindow() {
    Form2->PreparePlan();
    Form2->show();
    Form2->resize(1000, 700);
    QCOMPARE(Form2->Image1->Bitmap()->size(), QSize(684, 655));
    QCOMPARE(Form2->Image1->size(), QSize(684, 655));
    QCOMPARE(Form2->StringGrid1->x(), 1000 - 289 - 19);
    QCOMPARE(Form2->BitBtn11->x() + Form2->BitBtn11->width(), 1000 - 19);
    Form2->resize(500, 400); // never smaller than designed
    QVERIFY(Form2->width() >= 892 && Form2->height() >= 618);
  }

  void saveSaveAsAndClose() {
    Form2->PreparePlan();
    Form2->BitBtn11Click();
    QVERIFY(QFile::exists(Path("coords.txt")));
    Fake->saveAnswers << Path("other.txt");
    Form2->BitBtn12Click();
    QCOMPARE(Fake->dialogTitles.last(), QString("Save coordinates as"));
    QVERIFY(QFile::exists(Path("other.txt")));
    QCOMPARE(Form2->windowTitle(), "Coordinates plan - [" + Path("other.txt") + "]");
    QCOMPARE(QString::fromStdString(Container->Points.List.FileName), Path("other.txt"));

    // A file that cannot be written is reported and the old name stays.
    Fake->saveAnswers << Path("missing/dir/x.txt");
    Form2->BitBtn12Click();
    QVERIFY(Fake->messages.last().contains("missing/dir/x.txt"));
    QCOMPARE(QString::fromStdString(Container->Points.List.FileName), Path("other.txt"));

    // Closing saves only with the automatic-save setting on.
    QFile::remove(Path("other.txt"));
    Container->Points.AutoSave = false;
    Form2->show();
    Form2->reject();
    QVERIFY(!QFile::exists(Path("other.txt")));
    Container->Points.AutoSave = true;
    Form2->show();
    Form2->reject();
    QVERIFY(QFile::exists(Path("other.txt")));
  }

  // ---- measurement plan ----

  void typeButtonsOpenTheAddDialog() {
    Form3->PreparePlan();
    Form3->show();
    Form3->BitBtn16Click(); // -> zen.
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->windowTitle(), QString("Add measurements"));
    QCOMPARE(Form4->ComboBox1->currentText(), QString("zu"));
    QCOMPARE(Form4->ComboBox4->currentText(), QString("0.0004"));
    QCOMPARE(Form4->ComboBox2->count(), 5);
    QCOMPARE(Form4->ComboBox2->currentText(), QString("1.000"));
    QCOMPARE(Form4->ComboBox3->currentText(), QString("2.000"));
    QCOMPARE(Form4->PickTarget(), TForm4::ptStation);
    Form3->BitBtn11Click(); // -> hd
    QCOMPARE(Form4->ComboBox1->currentText(), QString("hd"));
    QCOMPARE(Form4->ComboBox4->currentText(), QString("0.001"));
    Form3->BitBtn21Click();
    QCOMPARE(Form4->ComboBox1->currentText(), QString("pr"));
    Form3->hide();
    QVERIFY(!Form4->isVisible());
  }

  void polarAddsThreeMeasurementsAndOneLine() {
    Form3->PreparePlan();
    Form3->show();
    Form3->BitBtn1Click(); // ->3d pol.
    QVERIFY(Form4->BitBtn17Click());
    const TMereni &meas = Container->Measurements;
    QCOMPARE(meas.Count(), 3);
    QCOMPARE(int(meas.Items[0].MeasType), int(mtZu));
    QCOMPARE(int(meas.Items[1].MeasType), int(mtDi));
    QCOMPARE(int(meas.Items[2].MeasType), int(mtSd));
    for (const TMeasurement &m : meas.Items) {
      QCOMPARE(m.Station, 1.0);
      QCOMPARE(m.Target, 2.0);
      QCOMPARE(m.StdDev, 0.001);
    }
    QCOMPARE(Form3->StringGrid2->rowCount(), 3);
    QCOMPARE(meas.PairCount(), 1);
    QCOMPARE(TMereni::PairLabel(meas.Pairs[0]), std::string("1sd1ze1di"));
    TPlanCanvas c(Form3->Image1->Bitmap());
    const QPoint a = PixelOf(0), b = PixelOf(1);
    QCOMPARE(c.Pixel(a.x() + 40, a.y()), Container->Points.MeasColor);
    Q_UNUSED(b);

    Form3->BitBtn18Click(); // -> angles
    Form4->ComboBox3->setCurrentIndex(2);
    QVERIFY(Form4->BitBtn17Click());
    QCOMPARE(meas.Count(), 5);
    QCOMPARE(TMereni::PairLabel(meas.Pairs[1]), std::string("1ze1di"));
  }

  void clicksPickStationThenTarget() {
    Form3->PreparePlan();
    Form3->show();
    Form3->BitBtn12Click();
    Press(Form3->Image1, Qt::LeftButton, PixelOf(4) + QPoint(3, 4));
    QCOMPARE(Form4->ComboBox2->currentIndex(), 4);
    QCOMPARE(Form4->PickTarget(), TForm4::ptTarget);
    Press(Form3->Image1, Qt::LeftButton, PixelOf(2) + QPoint(-5, 0));
    QCOMPARE(Form4->ComboBox3->currentIndex(), 2);
    QCOMPARE(Form4->PickTarget(), TForm4::ptStation);
    // 25 pixels from every point: the list whose turn it is loses its
    // choice, and the next click goes to the other list.
    Press(Form3->Image1, Qt::LeftButton, PixelOf(2) + QPoint(25, 0));
    QCOMPARE(Form4->ComboBox2->currentIndex(), -1);
    Press(Form3->Image1, Qt::LeftButton, PixelOf(0));
    QCOMPARE(Form4->ComboBox3->currentIndex(), 0);
    // No station: "Error", nothing added, and the station is next again.
    QVERIFY(!Form4->BitBtn17Click());
    QCOMPARE(Fake->messages.last(), QString("Error"));
    QCOMPARE(Container->Measurements.Count(), 0);
    QCOMPARE(Form4->PickTarget(), TForm4::ptStation);
    // A left click never marks this plan.
    QVERIFY(!Container->Points.Marked);
    // With the dialog hidden clicks pick nothing.
    Form4->hide();
    Press(Form3->Image1, Qt::LeftButton, PixelOf(1));
    QCOMPARE(Form4->PickTarget(), TForm4::ptStation);
  }

  void insertRefusesBadInputAndEqualPoints() {
    Form3->PreparePlan();
    Form3->show();
    Form3->BitBtn12Click();
    Form4->ComboBox4->setEditText("abc");
    QVERIFY(!Form4->BitBtn17Click());
    QCOMPARE(Fake->messages.last(), QString("Error"));
    Form4->ComboBox4->setEditText("0,002");
    Form4->ComboBox3->setCurrentIndex(0); // station 1 = target 1
    const int shown = Fake->messages.size();
    QVERIFY(!Form4->BitBtn17Click());
    QCOMPARE(Fake->messages.size(), shown);
    QCOMPARE(Container->Measurements.Count(), 0);
    Form4->ComboBox3->setCurrentIndex(3);
    QVERIFY(Form4->BitBtn17Click());
    QCOMPARE(Container->Measurements.Items[0].StdDev, 0.002);
    QCOMPARE(Container->Measurements.Items[0].Target, 4.0);
  }

  void plumbingWarnsBeyondTheVertical() {
    TSeznam3D &list = Container->Points.List;
    list.Append(Pt(6, 50, 50, 10));    // under point 5
    list.Append(Pt(7, 50.02L, 50, 0)); // 0.02 m aside
    Form3->PreparePlan();
    Form3->show();
    Form3->BitBtn21Click();
    Form4->ComboBox2->setCurrentIndex(4);
    Form4->ComboBox3->setCurrentIndex(5);
    QVERIFY(Form4->BitBtn17Click());
    QVERIFY(Fake->messages.isEmpty());
    Form4->ComboBox2->setCurrentIndex(4);
    Form4->ComboBox3->setCurrentIndex(6);
    QVERIFY(Form4->BitBtn17Click());
    QCOMPARE(Fake->messages.last(),
             QString("Position transmition/plumbing is beyond vertical! (0.020 m)."));
    QCOMPARE(Container->Measurements.Count(), 2);
  }

  void deleteSortAndZoomButtons() {
    TMereni &meas = Container->Measurements;
    meas.AddMeasurement(mtSd, 0.001, 1, 3);
    meas.AddMeasurement(mtDi, 0.001, 2, 1);
    meas.AddMeasurement(mtVd, 0.001, 4, 2);
    Form3->PreparePlan();
    Form3->BitBtn15Click();
    QCOMPARE(Cell(Form3->StringGrid2, 0, 1), QString("1.00"));
    QCOMPARE(Cell(Form3->StringGrid2, 2, 1), QString("3.00"));
    Form3->BitBtn17Click(); // nothing selected
    QCOMPARE(meas.Count(), 3);
    Form3->StringGrid2->setCurrentCell(1, 0);
    Form3->BitBtn17Click();
    QCOMPARE(meas.Count(), 2);
    QCOMPARE(int(meas.Items[1].MeasType), int(mtSd));
    QCOMPARE(Form3->StringGrid2->rowCount(), 2);

    TPoints &pts = Container->Points;
    const long double s = pts.Scale;
    Form3->BitBtn3Click();
    Form3->BitBtn4Click();
    QVERIFY(std::fabs(double(pts.Scale / s) - 1.05 * 0.8) < 1e-12);
    const long double s2 = pts.Scale;
    Wheel(Form3->Image1, 120);
    Wheel(Form3->StringGrid2->viewport(), -120);
    QVERIFY(std::fabs(double(pts.Scale / s2) - 1) < 1e-12);
  }

  void closeSavesOnlyWhatThereIs() {
    Form3->PreparePlan();
    Form3->show();
    Form3->reject(); // empty list: nothing
    QVERIFY(Fake->dialogTitles.isEmpty());
    Container->Measurements.AddMeasurement(mtSd, 0.001, 2, 1);
    Form3->show();
    Fake->saveAnswers << Path("meas.txt");
    Form3->reject(); // no file name yet: the save dialog
    QCOMPARE(Fake->dialogTitles.size(), 1);
    QVERIFY(QFile::exists(Path("meas.txt")));
    QCOMPARE(Form3->windowTitle(), "Measurement plan - [" + Path("meas.txt") + "]");
    QCOMPARE(QString::fromStdString(Container->Measurements.FileName), Path("meas.txt"));
    QFile::remove(Path("meas.txt"));
    Form3->show();
    Form3->reject(); // now it has a name
    QVERIFY(QFile::exists(Path("meas.txt")));
    QCOMPARE(Fake->dialogTitles.size(), 1);
  }

  void changePrecisionOfOneOrOfTheType() {
    TMereni &meas = Container->Measurements;
    meas.AddMeasurement(mtZu, 0.001, 2, 1);
    meas.AddMeasurement(mtDi, 0.001, 2, 1);
    meas.AddMeasurement(mtZu, 0.001, 3, 1);
    Form3->PreparePlan();
    Form3->Zmnitpesnostvechmentohototypu1Click();
    QCOMPARE(Fake->modalShown.last(), static_cast<QDialog *>(Form7));
    QCOMPARE(Form7->ComboBox1->currentIndex(), 1);
    QVERIFY(!Form7->BitBtn17Click()); // no measurement selected
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));

    Form3->StringGrid2->setCurrentCell(2, 0);
    Form7->ComboBox4->setEditText("0,0007");
    QVERIFY(Form7->BitBtn17Click());
    QCOMPARE(meas.Items[0].StdDev, 0.0007);
    QCOMPARE(meas.Items[1].StdDev, 0.001);
    QCOMPARE(meas.Items[2].StdDev, 0.0007);
    QCOMPARE(Cell(Form3->StringGrid2, 0, 3), QString("0.00070"));

    Form3->Zmnitpesnostmen1Click();
    QCOMPARE(Form7->ComboBox1->currentIndex(), 0);
    Form3->StringGrid2->setCurrentCell(1, 0);
    Form7->ComboBox4->setEditText("0.0002");
    QVERIFY(Form7->BitBtn17Click());
    QCOMPARE(meas.Items[1].StdDev, 0.0002);
    QCOMPARE(meas.Items[0].StdDev, 0.0007);
    Form7->ComboBox4->setEditText("zero");
    QVERIFY(!Form7->BitBtn17Click());
    QCOMPARE(meas.Items[1].StdDev, 0.0002);
  }

  void textsFollowTheLanguageAndCaptionsKeepTheirFile() {
    Form3->PreparePlan();
    Form3->setWindowTitle("Measurement plan - [/data/m.txt]");
    Lang().Texts[7] = "Mapa měření";
    Lang().Texts[41] = "-> šd";
    Lang().Texts[101] = "Typ";
    Lang().Texts[78] = "Průvodce";
    Form3->ApplyTexts();
    FPrecGuide->ApplyTexts();
    QCOMPARE(Form3->windowTitle(), QString::fromUtf8("Mapa měření - [/data/m.txt]"));
    QCOMPARE(Form3->BitBtn12->text(), QString::fromUtf8("-> šd"));
    QCOMPARE(Form3->StringGrid2->horizontalHeaderItem(0)->text(), QString("Typ"));
    QCOMPARE(FPrecGuide->windowTitle(), QString::fromUtf8("Průvodce"));
    QCOMPARE(Form3->BitBtn20->text(), QString("-> GD"));
  }

  void addDialogIsAToolWindowOfThePlan() {
    Form3->PreparePlan();
    QCOMPARE(Form4->parentWidget(), static_cast<QWidget *>(Form3));
    QVERIFY(Form4->windowFlags() & Qt::Tool);
    QVERIFY(!Form4->isModal());
  }
};

QTEST_MAIN(PlanWindowTest)
#include "plan_window_test.moc"
