// "Export DXF…" under both plans and "Save as CSV" in the results window,
// after a real evaluation with our engine: the file as shown on the plan
// and in the table, the extension added when missing, and refused or failed
// exports that leave no file.
#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "ui/desktop_application.h"
#include "ui/coordinate_plan_window.h"
#include "ui/main_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/results_window.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <cmath>

namespace {

// Fixed 1 and 2, new point 3 fixed by a direction, a distance and a zenith
// angle from 1.
const QByteArray kCoords = "1 0 0 100 0 0 f\r\n"
                           "2 -300 0 100 0 0 f\r\n"
                           "3 400 300 110 0 0 a\r\n";
const QByteArray kMeas = "di 1 2 0.0010\r\n"
                         "di 1 3 0.0010\r\n"
                         "sd 1 3 0.0010\r\n"
                         "zu 1 3 0.0010\r\n";

// The groups of the first entity of `type` on `layer` in a DXF text.
QMap<int, QByteArray> FirstEntity(const QByteArray &dxf, const QByteArray &type,
                                  const QByteArray &layer) {
  const QList<QByteArray> lines = dxf.split('\n');
  QMap<int, QByteArray> groups;
  bool inside = false;
  for (int i = 0; i + 1 < lines.size(); i += 2) {
    const int code = lines[i].trimmed().toInt();
    const QByteArray value = lines[i + 1].trimmed();
    if (code == 0) {
      if (inside && groups.value(8) == layer)
        return groups;
      inside = value == type;
      groups.clear();
    } else if (inside && !groups.contains(code)) {
      groups[code] = value;
    }
  }
  return {};
}

} // namespace

class ExportsTest : public QObject {
  Q_OBJECT
  UiFixture F;

  void Evaluate(const QString &coordsName) {
    F.Write(coordsName, kCoords);
    F.Write("m.txt", kMeas);
    F.Fake->openAnswers << F.Path(coordsName) << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    F.Fake->onStart = [](const QString &, const QStringList &args, QString &) {
      return QProcess::execute(QStringLiteral(KD_BIN_DIR "/gama.exe"), args) == 0;
    };
    App().Main()->Evaluate();
    static_cast<FakeTimer *>(App().Main()->PollTimer.get())->Fire();
    QVERIFY2(App().Main()->CalculationsButton->isEnabled(), "the evaluation did not complete");
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void planExportsWhatItShows() {
    Evaluate("c.txt");
    App().Main()->ShowCoordinatePlan();
    CoordinatePlanWindow *plan = App().CoordinatePlan();
    QVERIFY(plan->ExportDxfButton && plan->Precision());
    plan->MagnificationSpin->setValue(2000);
    plan->Level95Check->setChecked(true);
    const PointPrecision &p = plan->Precision()->Points.front();

    F.Fake->saveAnswers << F.Path("plan"); // the extension is added
    plan->ExportDxfButton->click();
    QVERIFY2(F.Fake->messages.isEmpty(), qPrintable(F.Fake->messages.join('|')));
    const QByteArray dxf = F.Read("plan.dxf");
    QVERIFY(dxf.contains("$ACADVER\r\n  1\r\nAC1018\r\n"));
    QCOMPARE(dxf.count("\r\nPOINT\r\n"), 3);
    QCOMPARE(dxf.count("\r\nELLIPSE\r\n"), 1);
    QVERIFY(dxf.contains("ellipses \xD7 2000 (95 % ellipses)"));
    // The 95 % ellipse of point 3, enlarged 2000 times, north-up.
    const QMap<int, QByteArray> e = FirstEntity(dxf, "ELLIPSE", "POINT_ELLIPSES");
    QCOMPARE(e.value(10).toDouble(), 300.0); // CAD x = Y
    QCOMPARE(e.value(20).toDouble(), 400.0); // CAD y = X
    const double major = std::hypot(e.value(11).toDouble(), e.value(21).toDouble());
    QVERIFY(std::fabs(major - double(p.Ellipse.SemiMajor) * 2.447746830680816 * 2) < 1e-9);
    QVERIFY(std::fabs(e.value(40).toDouble() - double(p.Ellipse.SemiMinor / p.Ellipse.SemiMajor)) <
            1e-9);
    plan->Level95Check->setChecked(false);

    // The measurement plan has the button too; its lines are on their
    // layers.
    App().Main()->ShowMeasurementPlan();
    F.Fake->saveAnswers << F.Path("lines.DXF");
    App().MeasurementPlan()->ExportDxfButton->click();
    const QByteArray lines = F.Read("lines.DXF");
    QVERIFY(!FirstEntity(lines, "LINE", "DIRECTION").isEmpty());
    QVERIFY(!FirstEntity(lines, "LINE", "SLOPE_DISTANCE").isEmpty());
    QVERIFY(!FirstEntity(lines, "LINE", "ZENITH_ANGLE").isEmpty());
    QVERIFY(FirstEntity(lines, "LINE", "PLUMBING").isEmpty());
  }

  void refusedAndFailedExportsLeaveNoFile() {
    Evaluate("c.csv");
    App().Main()->ShowCoordinatePlan();
    // Cancelled: nothing happens.
    App().CoordinatePlan()->ExportDxf();
    QVERIFY(F.Fake->messages.isEmpty());
    // Another extension, a folder that does not exist.
    F.Fake->saveAnswers << F.Path("plan.png") << F.Path("no/such/plan.dxf");
    App().CoordinatePlan()->ExportDxf();
    App().CoordinatePlan()->ExportDxf();
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->messages[0].contains("must end in .dxf"));
    QVERIFY(F.Fake->messages[1].contains("cannot write the DXF file"));
    QVERIFY(!QFile::exists(F.Path("plan.png")));
    QVERIFY(!QFile::exists(F.Path("no/such/plan.dxf")));

    // The points CSV may not replace the coordinate file it came from.
    App().Main()->ShowCalculations();
    F.Fake->messages.clear();
    F.Fake->saveAnswers << F.Path("c.csv") << F.Path("points.txt");
    App().Results()->SaveAsCsv();
    App().Results()->SaveAsCsv();
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->messages[0].contains("is a file of the network"));
    QVERIFY(F.Fake->messages[1].contains("must end in .csv"));
    QCOMPARE(F.Read("c.csv"), kCoords);
    QVERIFY(!QFile::exists(F.Path("points.txt")));
  }

  void resultsSaveEveryPointAsCsv() {
    Evaluate("c.txt");
    App().Main()->ShowCalculations();
    F.Fake->saveAnswers << F.Path("points");
    App().Results()->SaveCsvButton->click();
    QVERIFY2(F.Fake->messages.isEmpty(), qPrintable(F.Fake->messages.join('|')));
    const QList<QByteArray> rows = F.Read("points.csv").split('\n');
    QCOMPARE(rows.size(), 5); // header, three points, the rest after the last CR LF
    QCOMPARE(rows[0], QByteArray("number,X/m,Y/m,Z/m,fixed/adjusted,\xCF\x83X/mm (standard),"
                                 "\xCF\x83Y/mm (standard),\xCF\x83Z/mm (standard),a/mm (standard),"
                                 "b/mm (standard),bearing of a/gon\r"));
    QCOMPARE(rows[1], QByteArray("1,0.000000,0.000000,100.000000,fixed,,,,,,\r"));
    // Point 3 as in the results table: coordinates as shown, standard
    // deviations to the table's three decimals.
    const QList<QByteArray> p3 = rows[3].trimmed().split(',');
    QCOMPARE(p3.size(), 11);
    QCOMPARE(p3[4], QByteArray("adjusted"));
    const QTableView *table = App().Results()->ResultsTable;
    for (int c = 1; c <= 3; ++c)
      QCOMPARE(QString::fromUtf8(p3[c]), table->model()->index(0, c).data().toString());
    for (int c = 5; c <= 7; ++c)
      QVERIFY(std::fabs(p3[c].toDouble() - table->model()->index(0, c - 1).data().toString().toDouble()) <= 0.0005);

    // At the plans' 95 %: the header says so, the figures grow by 1.96.
    App().Main()->ShowCoordinatePlan();
    App().CoordinatePlan()->Level95Check->setChecked(true);
    App().Main()->ShowCalculations();
    F.Fake->saveAnswers << F.Path("points95.csv");
    App().Results()->SaveAsCsv();
    const QList<QByteArray> rows95 = F.Read("points95.csv").split('\n');
    QVERIFY(rows95[0].contains("\xCF\x83X/mm (95 %)"));
    QVERIFY(std::fabs(rows95[3].split(',')[5].toDouble() - 1.959963984540054 * p3[5].toDouble()) <
            1e-9);
    App().CoordinatePlan()->Level95Check->setChecked(false);
  }
};

QTEST_MAIN(ExportsTest)
#include "exports_test.moc"
