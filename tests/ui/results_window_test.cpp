// "+Calculations+" and the results window: reading the engine's results,
// the table, the precision of a distance, saving the table and the matrix,
// and a real run of our engine on a small network.
#include "ui_test_support.h"

#include "core/survey_network.h"
#include "ui/main_window.h"
#include "ui/results_window.h"
#include "ui/desktop_application.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QtTest>
#include <cmath>

namespace {

// Two adjusted points 1 (100, 200, 50) and 2 (103, 204, 62) with
// covariance blocks diag(4, 9, 1) and diag(16, 16, 4) mm^2, and a
// covariance of 1 mm^2 between their heights; a first child with two
// attributes that is no point.
const QByteArray kResults =
    "<?xml version=\"1.0\"?>\n"
    "<results>\n"
    "  <info version=\"1\" date=\"x\"/>\n"
    "  <point id=\"1\" x=\"100.0\" y=\"200.0\" z=\"50.0\"/>\n"
    "  <point id=\"2\" x=\"103\" y=\"204,0\" z=\"6.2e1\"/>\n"
    "  <cov dim=\"6\">4 0 0 0 0 0\n9 0 0 0\t0\n1 0  0 1\n16 0 0\n1.6E1 0\n4</cov>\n"
    "</results>\n";

} // namespace

class TestResults : public QObject {
  Q_OBJECT
  UiFixture F;

  // Runs "+Calculations+" on the given results document.
  void Calculate(const QByteArray &results) {
    F.Write("korvadimensio3d.xml", results);
    App().Main()->ShowCalculations();
  }
  QString Cell(int row, int col) const {
    // Row 0 of the table is the header.
    if (row == 0)
      return App().Results()->ResultsTable->model()->headerData(col, Qt::Horizontal).toString();
    return App().Results()->ResultsTable->model()->index(row - 1, col).data().toString();
  }
  void Choose(int kind, int from, int to) {
    App().Results()->DistanceKindCombo->setCurrentIndex(kind);
    App().Results()->FromPointCombo->setCurrentIndex(from);
    App().Results()->ToPointCombo->setCurrentIndex(to);
    App().Results()->ComputeDistance();
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void resultsFillTheTableAndTheChoosers() {
    Calculate(kResults);
    QVERIFY(F.Fake->messages.isEmpty());
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{App().Results()});
    QCOMPARE(App().Results()->ResultsTable->model()->rowCount(), 2);
    QCOMPARE(App().Results()->ResultsTable->model()->columnCount(), 16);
    QCOMPARE(Cell(0, 0), QString("P.No."));
    QCOMPARE(Cell(0, 15), QString("z(c)/gon"));
    QCOMPARE(Cell(1, 0), QString("1"));
    QCOMPARE(Cell(1, 1), QString("100.000000"));
    QCOMPARE(Cell(1, 4), QString("2.000"));
    QCOMPARE(Cell(1, 5), QString("3.000"));
    QCOMPARE(Cell(1, 6), QString("1.000"));
    QCOMPARE(Cell(2, 2), QString("204.000000"));
    QCOMPARE(Cell(2, 3), QString("62.000000"));
    QCOMPARE(App().Results()->FromPointCombo->count(), 2);
    QCOMPARE(App().Results()->ToPointCombo->itemText(1), QString("2"));
    QCOMPARE(App().Results()->FromPointCombo->currentIndex(), 0);
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("--------"));
  }

  void distancePrecisionFollowsTheFullCovariance() {
    Calculate(kResults);
    Choose(0, 0, 0);
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("0.000000 m"));
    QCOMPARE(App().Results()->StdDevValueLabel->text(), QString("0.000000 mm"));
    // Heights correlated by 1 mm^2: sqrt(1 + 4 - 2).
    Choose(2, 0, 1);
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("12.000000 m"));
    QCOMPARE(App().Results()->StdDevValueLabel->text(), QString("1.732051 mm"));
    Choose(1, 0, 1);
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("5.000000 m"));
    QCOMPARE(App().Results()->StdDevValueLabel->text(), QString("4.816638 mm"));
    Choose(0, 1, 0); // swapped: the same
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("13.000000 m"));
    const QString slope = App().Results()->StdDevValueLabel->text();
    Choose(0, 0, 1);
    QCOMPARE(App().Results()->StdDevValueLabel->text(), slope);
    QCOMPARE(slope, QString::number(std::sqrt(1012.0 / 169.0), 'f', 6) + " mm");
    // A typed text that names no point computes nothing.
    App().Results()->FromPointCombo->setEditText("99");
    App().Results()->ComputeDistance();
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("--------"));
  }

  // Relative vector 1 -> 2: horizontal covariance diag(4 + 16, 9 + 16), height
  // variance 1 + 4 - 2 * 1.
  void calculateAddsTheRelativeEllipseAndAlongAcross() {
    Calculate(kResults);
    QLabel *ellipse = App().Results()->RelativeEllipseValueLabel;
    QLabel *alongAcross = App().Results()->AlongAcrossValueLabel;
    QCOMPARE(ellipse->text(), QString("--------"));
    const QString expected = "a 5.000 mm, b 4.472 mm, bearing of a 100.0000 gon, s(Z) 1.732 mm";
    Choose(0, 0, 1);
    QCOMPARE(App().Results()->DistanceValueLabel->text(), QString("13.000000 m")); // kept as it was
    QCOMPARE(ellipse->text(), expected);
    QCOMPARE(alongAcross->text(), QString("--------")); // no bearing given
    App().Results()->BearingEdit->setText("0");
    Choose(0, 1, 0); // swapped points, same figures
    QCOMPARE(ellipse->text(), expected);
    QCOMPARE(alongAcross->text(), QString("along 0.0000 gon 4.472 mm, across 5.000 mm"));
    App().Results()->BearingEdit->setText(" 50,0 ");
    Choose(2, 0, 1);
    QCOMPARE(alongAcross->text(), QString("along 50.0000 gon 4.743 mm, across 4.743 mm"));
    // The same point twice has no relative precision.
    Choose(0, 1, 1);
    QCOMPARE(ellipse->text(), QString("--------"));
    QCOMPARE(alongAcross->text(), QString("--------"));
    QVERIFY(F.Fake->messages.isEmpty());
    // A bearing that is no number: "Wrong input!", the field is reset and
    // the ellipse is still shown.
    App().Results()->BearingEdit->setText("north");
    Choose(0, 0, 1);
    QCOMPARE(F.Fake->messages, QStringList{"Wrong input!"});
    QVERIFY(App().Results()->BearingEdit->text().isEmpty());
    QCOMPARE(ellipse->text(), expected);
    QCOMPARE(alongAcross->text(), QString("--------"));
  }

  void relativeFiguresFollowTheLatestResults() {
    Calculate(kResults);
    Choose(0, 0, 1);
    // New results with uncorrelated heights: the figures are computed anew.
    QByteArray other = kResults;
    other.replace("1 0  0 1\n", "1 0  0 0\n");
    Calculate(other);
    QCOMPARE(App().Results()->RelativeEllipseValueLabel->text(), QString("--------"));
    Choose(0, 0, 1);
    QVERIFY2(App().Results()->RelativeEllipseValueLabel->text().endsWith("s(Z) 2.236 mm"),
             qPrintable(App().Results()->RelativeEllipseValueLabel->text()));
    // A typed text that names no point shows nothing.
    App().Results()->ToPointCombo->setEditText("99");
    App().Results()->ComputeDistance();
    QCOMPARE(App().Results()->RelativeEllipseValueLabel->text(), QString("--------"));
  }

  void wholeNetworkCentringEntersTheDiagonal() {
    F.Write("c.txt", "1 100 200 50 0 0\r\n2 103 204 62 0.003 0\r\n");
    F.Fake->openAnswers << F.Path("c.txt");
    App().Main()->LoadFullCoordinates();
    App().Network()->Points.ScSvpMode = ScSvpMode::WholeNetwork;
    Calculate(kResults);
    QCOMPARE(Cell(2, 4), QString("5.000"));
    QCOMPARE(Cell(2, 5), QString("5.000"));
    QCOMPARE(Cell(2, 6), QString("2.000"));
    QCOMPARE(Cell(1, 4), QString("2.000"));
    // The relative precision includes the centring of point 2 (3 mm).
    Choose(0, 0, 1);
    QCOMPARE(App().Results()->RelativeEllipseValueLabel->text(),
             QString("a 5.831 mm, b 5.385 mm, bearing of a 100.0000 gon, s(Z) 1.732 mm"));
  }

  void savedTableAndMatrixHaveTheirShape() {
    Calculate(kResults);
    F.Fake->saveAnswers << F.Path("table.txt") << F.Path("cov.txt");
    App().Results()->SaveResultsTable();
    App().Results()->SaveCovarianceMatrix();
    const QList<QByteArray> table = F.Read("table.txt").split('\n');
    QCOMPARE(table.size(), 4); // three lines and the empty rest after the last CR LF
    QVERIFY(table[3].isEmpty());
    for (int i = 0; i < 3; ++i) {
      QVERIFY(table[i].endsWith("\t\r"));
      QCOMPARE(table[i].count('\t'), 16);
    }
    QVERIFY(table[0].startsWith("P.No.\tX/m\t"));
    QVERIFY(table[1].startsWith("1\t100.000000\t"));
    const QList<QByteArray> cov = F.Read("cov.txt").split('\n');
    QCOMPARE(cov.size(), 7);
    for (int i = 0; i < 6; ++i) {
      QVERIFY(cov[i].endsWith(" \r"));
      QCOMPARE(cov[i].count(' '), 6);
    }
    QCOMPARE(cov[2], QByteArray("0 0 1 0 0 1 \r"));
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void cancelledOrFailedSavesLoseNothing() {
    Calculate(kResults);
    F.Write("table.txt", "precious");
    App().Results()->SaveResultsTable(); // cancelled
    QCOMPARE(F.Read("table.txt"), QByteArray("precious"));
    F.Fake->saveAnswers << F.Path("no/such/folder/table.txt");
    App().Results()->SaveResultsTable();
    QCOMPARE(F.Fake->messages.size(), 1);
    QVERIFY(!QFile::exists(F.Path("no/such/folder/table.txt")));
  }

  void badResultsAreRefused() {
    QByteArray shortCov = kResults;
    shortCov.replace("\n4</cov>", "</cov>"); // 20 numbers for a dimension of 6
    Calculate(shortCov);
    QCOMPARE(F.Fake->messages, QStringList{"All point have to be 3d. "});
    QCOMPARE(App().Main()->StatusText(), QString("All point have to be 3d. "));
    QVERIFY(F.Fake->modalShown.isEmpty());

    QByteArray missingPoint = kResults;
    missingPoint.replace("  <point id=\"2\" x=\"103\" y=\"204,0\" z=\"6.2e1\"/>\n", "");
    Calculate(missingPoint);
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->modalShown.isEmpty());
    // Nothing to export from a failed reading.
    F.Fake->saveAnswers << F.Path("cov.txt");
    App().Results()->SaveCovarianceMatrix();
    QVERIFY(!QFile::exists(F.Path("cov.txt")));
  }

  void missingOrBrokenResultsFileIsReported() {
    App().Main()->ShowCalculations();
    QCOMPARE(F.Fake->messages.size(), 1);
    Calculate("<results><point");
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->modalShown.isEmpty());
  }

  void windowKeepsItsMinimumWidth() {
    App().Results()->resize(500, 300);
    QApplication::processEvents();
    QVERIFY(App().Results()->width() >= 715);
  }

  void realEngineRunEndsInAFilledTable() {
    const QString engine = QStringLiteral(KD_BIN_DIR "/gama.exe");
    if (!QFile::exists(engine))
      QSKIP("the engine has not been built");
    QVERIFY(QFile::link(engine, F.Path("gama.exe")));
    QtPlatform real;
    UseRealEngine(*F.Fake, real);
    F.Write("c.txt", CoordinateFile(5));
    F.Write("m.txt", MeasurementFile(5));
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    App().Main()->Evaluate();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation started."));
    auto *timer = static_cast<FakeTimer *>(App().Main()->PollTimer.get());
    for (int i = 0; i < 51 && timer->Enabled(); ++i) {
      QThread::msleep(500);
      timer->Fire();
    }
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation acomplished."));
    QVERIFY(App().Main()->CalculationsButton->isEnabled());
    App().Main()->ShowCalculations();
    QVERIFY2(F.Fake->messages.isEmpty(), qPrintable(F.Fake->messages.join('|')));
    QCOMPARE(App().Results()->ResultsTable->model()->rowCount(), 3); // points 3, 4, 5 are adjusted
    for (int r = 1; r <= 3; ++r)
      for (int c = 4; c <= 9; ++c) {
        bool ok = false;
        const double v = Cell(r, c).toDouble(&ok);
        QVERIFY(ok && v > 0 && v < 100);
      }
    Choose(0, 0, 2);
    QVERIFY(App().Results()->StdDevValueLabel->text().endsWith(" mm"));
    QVERIFY(App().Results()->StdDevValueLabel->text() != "0.000000 mm");
  }
};

QTEST_MAIN(TestResults)
#include "results_window_test.moc"
