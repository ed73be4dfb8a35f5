// "+Calculations+" and the results window: reading the engine's results,
// the table, the precision of a distance, saving the table and the matrix,
// and a real run of our engine on a small network.
#include "uitest_util.h"

#include "core/container.h"
#include "ui/form1.h"
#include "ui/form6.h"
#include "ui/globals.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
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
  TUiFixture F;

  // Runs "+Calculations+" on the given results document.
  void Calculate(const QByteArray &results) {
    F.Write("korvadimensio3d.xml", results);
    Form1->BitBtn9Click();
  }
  QString Cell(int row, int col) const {
    // Row 0 of the table is the header.
    if (row == 0)
      return Form6->StringGrid1->horizontalHeaderItem(col)->text();
    return Form6->StringGrid1->item(row - 1, col)->text();
  }
  void Choose(int kind, int from, int to) {
    Form6->ComboBox3->setCurrentIndex(kind);
    Form6->ComboBox1->setCurrentIndex(from);
    Form6->ComboBox2->setCurrentIndex(to);
    Form6->BitBtn1Click();
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void resultsFillTheTableAndTheChoosers() {
    Calculate(kResults);
    QVERIFY(F.Fake->messages.isEmpty());
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{Form6});
    QCOMPARE(Form6->StringGrid1->rowCount(), 2);
    QCOMPARE(Form6->StringGrid1->columnCount(), 16);
    QCOMPARE(Cell(0, 0), QString("P.No."));
    QCOMPARE(Cell(0, 15), QString("z(c)/gon"));
    QCOMPARE(Cell(1, 0), QString("1"));
    QCOMPARE(Cell(1, 1), QString("100.000000"));
    QCOMPARE(Cell(1, 4), QString("2.000"));
    QCOMPARE(Cell(1, 5), QString("3.000"));
    QCOMPARE(Cell(1, 6), QString("1.000"));
    QCOMPARE(Cell(2, 2), QString("204.000000"));
    QCOMPARE(Cell(2, 3), QString("62.000000"));
    QCOMPARE(Form6->ComboBox1->count(), 2);
    QCOMPARE(Form6->ComboBox2->itemText(1), QString("2"));
    QCOMPARE(Form6->ComboBox1->currentIndex(), 0);
    QCOMPARE(Form6->Label4->text(), QString("--------"));
  }

  void distancePrecisionFollowsTheFullCovariance() {
    Calculate(kResults);
    Choose(0, 0, 0);
    QCOMPARE(Form6->Label4->text(), QString("0.000000 m"));
    QCOMPARE(Form6->Label5->text(), QString("0.000000 mm"));
    // Heights correlated by 1 mm^2: sqrt(1 + 4 - 2).
    Choose(2, 0, 1);
    QCOMPARE(Form6->Label4->text(), QString("12.000000 m"));
    QCOMPARE(Form6->Label5->text(), QString("1.732051 mm"));
    Choose(1, 0, 1);
    QCOMPARE(Form6->Label4->text(), QString("5.000000 m"));
    QCOMPARE(Form6->Label5->text(), QString("4.816638 mm"));
    Choose(0, 1, 0); // swapped: the same
    QCOMPARE(Form6->Label4->text(), QString("13.000000 m"));
    const QString slope = Form6->Label5->text();
    Choose(0, 0, 1);
    QCOMPARE(Form6->Label5->text(), slope);
    QCOMPARE(slope, QString::number(std::sqrt(1012.0 / 169.0), 'f', 6) + " mm");
    // A typed text that names no point computes nothing.
    Form6->ComboBox1->setEditText("99");
    Form6->BitBtn1Click();
    QCOMPARE(Form6->Label4->text(), QString("--------"));
  }

  void wholeNetworkCentringEntersTheDiagonal() {
    F.Write("c.txt", "1 100 200 50 0 0\r\n2 103 204 62 0.003 0\r\n");
    F.Fake->openAnswers << F.Path("c.txt");
    Form1->BitBtn1Click();
    Container->Points.ScSvpMode = 2;
    Calculate(kResults);
    QCOMPARE(Cell(2, 4), QString("5.000"));
    QCOMPARE(Cell(2, 5), QString("5.000"));
    QCOMPARE(Cell(2, 6), QString("2.000"));
    QCOMPARE(Cell(1, 4), QString("2.000"));
  }

  void savedTableAndMatrixHaveTheirShape() {
    Calculate(kResults);
    F.Fake->saveAnswers << F.Path("table.txt") << F.Path("cov.txt");
    Form6->BitBtn2Click();
    Form6->BitBtn3Click();
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
    Form6->BitBtn2Click(); // cancelled
    QCOMPARE(F.Read("table.txt"), QByteArray("precious"));
    F.Fake->saveAnswers << F.Path("no/such/folder/table.txt");
    Form6->BitBtn2Click();
    QCOMPARE(F.Fake->messages.size(), 1);
    QVERIFY(!QFile::exists(F.Path("no/such/folder/table.txt")));
  }

  void badResultsAreRefused() {
    QByteArray shortCov = kResults;
    shortCov.replace("\n4</cov>", "</cov>"); // 20 numbers for a dimension of 6
    Calculate(shortCov);
    QCOMPARE(F.Fake->messages, QStringList{"All point have to be 3d. "});
    QCOMPARE(Form1->StatusText(), QString("All point have to be 3d. "));
    QVERIFY(F.Fake->modalShown.isEmpty());

    QByteArray missingPoint = kResults;
    missingPoint.replace("  <point id=\"2\" x=\"103\" y=\"204,0\" z=\"6.2e1\"/>\n", "");
    Calculate(missingPoint);
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->modalShown.isEmpty());
    // Nothing to export from a failed reading.
    F.Fake->saveAnswers << F.Path("cov.txt");
    Form6->BitBtn3Click();
    QVERIFY(!QFile::exists(F.Path("cov.txt")));
  }

  void missingOrBrokenResultsFileIsReported() {
    Form1->BitBtn9Click();
    QCOMPARE(F.Fake->messages.size(), 1);
    Calculate("<results><point");
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->modalShown.isEmpty());
  }

  void windowKeepsItsMinimumWidth() {
    Form6->resize(500, 300);
    QApplication::processEvents();
    QVERIFY(Form6->width() >= 715);
  }

  void realEngineRunEndsInAFilledTable() {
    const QString engine = QStringLiteral(KD_BIN_DIR "/gama.exe");
    if (!QFile::exists(engine))
      QSKIP("the engine has not been built");
    QVERIFY(QFile::link(engine, F.Path("gama.exe")));
    TQtPlatform real;
    F.Fake->onStart = [&real](const QString &program, const QStringList &args, QString &error) {
      return real.StartProcess(program, args, error);
    };
    F.Write("c.txt", CoordinateFile(5));
    F.Write("m.txt", MeasurementFile(5));
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    Form1->BitBtn1Click();
    Form1->BitBtn3Click();
    Form1->BitBtn4Click();
    QCOMPARE(Form1->StatusText(), QString("Evaluation started."));
    auto *timer = static_cast<TFakeTimer *>(Form1->Timer1.get());
    for (int i = 0; i < 51 && timer->Enabled(); ++i) {
      QThread::msleep(500);
      timer->Fire();
    }
    QCOMPARE(Form1->StatusText(), QString("Evaluation acomplished."));
    QVERIFY(Form1->BitBtn9->isEnabled());
    Form1->BitBtn9Click();
    QVERIFY2(F.Fake->messages.isEmpty(), qPrintable(F.Fake->messages.join('|')));
    QCOMPARE(Form6->StringGrid1->rowCount(), 3); // points 3, 4, 5 are adjusted
    for (int r = 1; r <= 3; ++r)
      for (int c = 4; c <= 9; ++c) {
        bool ok = false;
        const double v = Cell(r, c).toDouble(&ok);
        QVERIFY(ok && v > 0 && v < 100);
      }
    Choose(0, 0, 2);
    QVERIFY(Form6->Label5->text().endsWith(" mm"));
    QVERIFY(Form6->Label5->text() != "0.000000 mm");
  }
};

QTEST_MAIN(TestResults)
#include "test_results.moc"
