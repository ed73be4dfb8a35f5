// The precision guide: its "->" computations, "+" averages, apply and
// one-by-one buttons, and the resets after "Wrong input!".
#include "ui_test_support.h"
#include "core/survey_network.h"
#include "precision/repetition_count.h"
#include "ui/measurement_plan_window.h"
#include "ui/desktop_application.h"
#include "ui/platform.h"
#include "ui/precision_guide_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QSettings>
#include <QtTest>

namespace {

NetworkPoint Pt(double n, long double x, long double y, long double z = 0) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  return p;
}

} // namespace

class PlanGuideTest : public QObject {
  Q_OBJECT
  QTemporaryDir Dir;
  FakePlatform *Fake = nullptr;
  PrecisionGuideDialog *G = nullptr;

  int Messages() const { return int(Fake->messages.size()); }

private slots:
  void init() {
    // The plans' preferences go to the test's folder, never to the user's.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir.filePath("preferences"));
    auto fake = std::make_unique<FakePlatform>();
    fake->programPath = Dir.filePath("korvadimensio3d");
    Fake = fake.get();
    CreateApp(std::move(fake)).CreateWindows();
    G = App().PrecisionGuide();
    PointList &list = App().Network()->Points.List;
    list.Items.clear();
    list.Append(Pt(1, 0, 0, 0));
    list.Append(Pt(2, 300, 400, 0));   // 500 m from 1
    list.Append(Pt(3, 0, 100, 0));     // 100 m from 1
    list.Append(Pt(4, 0, 400, 300));   // 400 m level, 500 m slope from 1
    App().Network()->Measurements.Items.clear();
  }

  void cleanup() {
    DestroyApp();
  }

  void repetitionCounts() {
    int n = 0;
    QVERIFY(ReadCount("4", n));
    QCOMPARE(n, 4);
    QVERIFY(ReadCount(" -2 ", n));
    QCOMPARE(n, -2);
    QVERIFY(!ReadCount("", n));
    QVERIFY(!ReadCount("2.0", n));
    QVERIFY(!ReadCount("1e2", n));
    QVERIFY(!ReadCount("99999999999", n));
    QCOMPARE(n, -2);
  }

  void designValuesGiveTheDocumentedResults() {
    QVERIFY(G->ComputeDirectionSigma());
    QCOMPARE(G->DirectionResultEdit->text(), QString("0.0005"));
    G->DirectionRepetitionsCombo->setEditText("4");
    QVERIFY(G->ComputeDirectionSigma());
    QCOMPARE(G->DirectionResultEdit->text(), QString("0.00025"));
    QVERIFY(G->ComputeZenithAngleSigma());
    QCOMPARE(G->ZenithAngleResultEdit->text(), QString("0.0005"));
    QVERIFY(G->ComputeSlopeDistanceSigma());
    QCOMPARE(G->SlopeDistanceResultEdit->text(), QString("0.0022"));
    G->SlopeDistanceRepetitionsCombo->setCurrentIndex(1);
    QVERIFY(G->ComputeSlopeDistanceSigma());
    QCOMPARE(G->SlopeDistanceResultEdit->text(), QString("0.00156"));
    QVERIFY(G->ComputeHorizontalDistanceSigma());
    QCOMPARE(G->HorizontalDistanceResultEdit->text(), QString("0.0022"));
    QVERIFY(G->ComputeHeightDifferenceSigma());
    QCOMPARE(G->HeightDifferenceResultEdit->text(), QString("0.000271"));
    QVERIFY(G->ComputeGyroSigma());
    QCOMPARE(G->GyroResultEdit->text(), QString("0.001"));
    QCOMPARE(Messages(), 0);
  }

  void unreadableFieldsAreResetAndReported() {
    // The empty repetition item: "Wrong input!", back to "1"; directions
    // say it once more and keep their result.
    G->DirectionResultEdit->setText("keep");
    G->DirectionRepetitionsCombo->setCurrentIndex(G->DirectionRepetitionsCombo->count() - 1);
    QVERIFY(!G->ComputeDirectionSigma());
    QCOMPARE(Messages(), 2);
    QCOMPARE(G->DirectionRepetitionsCombo->currentText(), QString("1"));
    QCOMPARE(G->DirectionResultEdit->text(), QString("keep"));

    G->DirectionSigmaCombo->setEditText("abc");
    G->ZenithAngleSigmaCombo->setEditText("x");
    G->SlopeDistanceConstantCombo->setEditText("");
    G->SlopeDistancePpmCombo->setEditText("1,2,3");
    G->AverageSlopeDistanceEdit->setText("far");
    G->ComputeDirectionSigma();
    G->ComputeZenithAngleSigma();
    QVERIFY(!G->ComputeSlopeDistanceSigma());
    QCOMPARE(G->DirectionSigmaCombo->currentText(), QString("0.0030"));
    QCOMPARE(G->ZenithAngleSigmaCombo->currentText(), QString("0.0050"));
    QCOMPARE(G->SlopeDistanceConstantCombo->currentText(), QString("0.004"));
    QCOMPARE(G->SlopeDistancePpmCombo->currentText(), QString("0.004"));
    QCOMPARE(G->AverageSlopeDistanceEdit->text(), QString("100"));

    // Horizontal distances, levelling and gyro keep their result quietly
    // after the field messages.
    G->HorizontalDistanceResultEdit->setText("h");
    G->HorizontalDistanceConstantCombo->setEditText("?");
    const int before = Messages();
    QVERIFY(!G->ComputeHorizontalDistanceSigma());
    QCOMPARE(Messages(), before + 1);
    QCOMPARE(G->HorizontalDistanceResultEdit->text(), QString("h"));
    QCOMPARE(G->HorizontalDistanceConstantCombo->currentText(), QString("0.004"));
    G->LevellingSigmaCombo->setEditText("-1");
    G->RouteCoefficientCombo->setEditText("k");
    G->AverageLevellingLengthEdit->setText("");
    QVERIFY(!G->ComputeHeightDifferenceSigma());
    QCOMPARE(G->LevellingSigmaCombo->currentText(), QString("0.0025"));
    QCOMPARE(G->RouteCoefficientCombo->currentText(), QString("1.5"));
    QCOMPARE(G->AverageLevellingLengthEdit->text(), QString("100"));
    G->GyroSigmaCombo->setEditText("g");
    G->GyroRepetitionsCombo->setEditText("0");
    QVERIFY(!G->ComputeGyroSigma());
    QCOMPARE(G->GyroSigmaCombo->currentText(), QString("0.0030"));
    // A count of 0 is read but computes nothing.
    G->ZenithAngleRepetitionsCombo->setEditText("0");
    QVERIFY(!G->ComputeZenithAngleSigma());
    QCOMPARE(G->ZenithAngleRepetitionsCombo->currentText(), QString("0"));
  }

  void averagesOfTheMeasuredLengths() {
    G->FillAverageSlopeDistance();
    QCOMPARE(G->AverageSlopeDistanceEdit->text(), QString("0"));
    MeasurementList &m = App().Network()->Measurements;
    m.AddMeasurement(mtSd, 0.001, 2, 1);
    m.AddMeasurement(mtSd, 0.001, 3, 1);
    m.AddMeasurement(mtHd, 0.001, 4, 1);
    m.AddMeasurement(mtVd, 0.001, 4, 1);
    m.AddMeasurement(mtVd, 0.001, 3, 1);
    G->FillAverageSlopeDistance();
    QCOMPARE(G->AverageSlopeDistanceEdit->text(), QString("300"));
    G->FillAverageHorizontalDistance();
    QCOMPARE(G->AverageHorizontalDistanceEdit->text(), QString("400"));
    G->FillAverageLevellingLength();
    QCOMPARE(G->AverageLevellingLengthEdit->text(), QString("250"));
  }

  void applyTouchesOnlyItsType() {
    MeasurementList &m = App().Network()->Measurements;
    m.AddMeasurement(mtDi, 0.001, 2, 1);
    m.AddMeasurement(mtGd, 0.001, 2, 1);
    m.AddMeasurement(mtPr, 0.001, 3, 1);
    m.AddMeasurement(mtZu, 0.001, 3, 1);
    App().MeasurementPlan()->PreparePlan();
    G->DirectionResultEdit->setText("0,0003");
    QVERIFY(G->ApplyDirectionSigma());
    QCOMPARE(m.Items[0].StdDev, 0.0003);
    QCOMPARE(m.Items[1].StdDev, 0.001);
    QCOMPARE(App().MeasurementPlan()->MeasurementTable->model()->index(0, 3).data().toString(), QString("0.00030"));
    G->PlumbingPositionSigmaCombo->setEditText("0.002");
    QVERIFY(G->ApplyPlumbingPositionSigma());
    QCOMPARE(m.Items[2].StdDev, 0.002);
    QCOMPARE(m.Items[1].StdDev, 0.001);
    QCOMPARE(m.Items[3].StdDev, 0.001);
    G->GyroResultEdit->setText("0.0004");
    QVERIFY(G->ApplyGyroSigma());
    QCOMPARE(m.Items[1].StdDev, 0.0004);

    // Unreadable: "Wrong input!", the field shows 0.0010, nothing applied.
    G->ZenithAngleResultEdit->setText("");
    QVERIFY(!G->ApplyZenithAngleSigma());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(G->ZenithAngleResultEdit->text(), QString("0.0010"));
    QCOMPARE(m.Items[3].StdDev, 0.001);

    G->PlumbingHeightSigmaCombo->setEditText("0.003");
    QVERIFY(G->ApplyPlumbingHeightSigma());
    QCOMPARE(App().Network()->PlumbSigma, 0.003);
    G->PlumbingHeightSigmaCombo->setEditText("no");
    QVERIFY(!G->ApplyPlumbingHeightSigma());
    QCOMPARE(G->PlumbingHeightSigmaCombo->currentText(), QString("0.0010"));
    QCOMPARE(App().Network()->PlumbSigma, 0.003);
  }

  void oneByOneFollowsEachLength() {
    MeasurementList &m = App().Network()->Measurements;
    m.AddMeasurement(mtVd, 0.001, 2, 1); // 500 m
    m.AddMeasurement(mtVd, 0.001, 3, 1); // 100 m
    m.AddMeasurement(mtSd, 0.001, 4, 1); // 500 m slope
    m.AddMeasurement(mtHd, 0.001, 4, 1); // 400 m horizontal
    QVERIFY(G->ApplyHeightDifferenceOneByOne());
    // 0.0007 * sqrt(1.5 * D / 1000): growing with the root of the length.
    QCOMPARE(m.Items[0].StdDev, 0.000606);
    QCOMPARE(m.Items[1].StdDev, 0.000271);
    QVERIFY(G->ApplySlopeDistanceOneByOne());
    QCOMPARE(m.Items[2].StdDev, 0.003);
    QVERIFY(G->ApplyHorizontalDistanceOneByOne());
    QCOMPARE(m.Items[3].StdDev, 0.0028);

    // A count below 1 is refused and nothing changes.
    G->HorizontalDistanceRepetitionsCombo->setEditText("0");
    QVERIFY(!G->ApplyHorizontalDistanceOneByOne());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(G->HorizontalDistanceRepetitionsCombo->currentText(), QString("1"));
    QCOMPARE(m.Items[3].StdDev, 0.0028);
    // An unreadable field: nothing applied.
    G->SlopeDistanceConstantCombo->setEditText("a");
    QVERIFY(!G->ApplySlopeDistanceOneByOne());
    QCOMPARE(m.Items[2].StdDev, 0.003);
  }
};

QTEST_MAIN(PlanGuideTest)
#include "plan_guide_test.moc"
