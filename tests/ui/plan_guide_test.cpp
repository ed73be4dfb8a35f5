// The precision guide: its "->" computations, "+" averages, apply and
// one-by-one buttons, and the resets after "Wrong input!".
#include "core/container.h"
#include "precision/guide.h"
#include "ui/form3.h"
#include "ui/globals.h"
#include "ui/platform.h"
#include "ui/precguide.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TNetPoint Pt(double n, long double x, long double y, long double z = 0) {
  TNetPoint p;
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
  TFakePlatform *Fake = nullptr;
  std::unique_ptr<TPlatform> Previous;
  TFPrecGuide *G = nullptr;

  int Messages() const { return int(Fake->messages.size()); }

private slots:
  void init() {
    auto fake = std::make_unique<TFakePlatform>();
    fake->programPath = Dir.filePath("korvadimensio3d");
    Fake = fake.get();
    Previous = SetPlatform(std::move(fake));
    CreateAllForms();
    G = FPrecGuide;
    TSeznam3D &list = Container->Points.List;
    list.Items.clear();
    list.Append(Pt(1, 0, 0, 0));
    list.Append(Pt(2, 300, 400, 0));   // 500 m from 1
    list.Append(Pt(3, 0, 100, 0));     // 100 m from 1
    list.Append(Pt(4, 0, 400, 300));   // 400 m level, 500 m slope from 1
    Container->Measurements.Items.clear();
  }

  void cleanup() {
    DestroyAllForms();
    SetPlatform(std::move(Previous));
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
    QVERIFY(G->BitBtn5Click());
    QCOMPARE(G->Edit1->text(), QString("0.0005"));
    G->ComboBox5->setEditText("4");
    QVERIFY(G->BitBtn5Click());
    QCOMPARE(G->Edit1->text(), QString("0.00025"));
    QVERIFY(G->BitBtn6Click());
    QCOMPARE(G->Edit2->text(), QString("0.0005"));
    QVERIFY(G->BitBtn7Click());
    QCOMPARE(G->Edit3->text(), QString("0.0022"));
    G->ComboBox7->setCurrentIndex(1);
    QVERIFY(G->BitBtn7Click());
    QCOMPARE(G->Edit3->text(), QString("0.00156"));
    QVERIFY(G->BitBtn12Click());
    QCOMPARE(G->Edit8->text(), QString("0.0022"));
    QVERIFY(G->BitBtn8Click());
    QCOMPARE(G->Edit4->text(), QString("0.000271"));
    QVERIFY(G->BitBtn17Click());
    QCOMPARE(G->Edit9->text(), QString("0.001"));
    QCOMPARE(Messages(), 0);
  }

  void unreadableFieldsAreResetAndReported() {
    // The empty repetition item: "Wrong input!", back to "1"; directions
    // say it once more and keep their result.
    G->Edit1->setText("keep");
    G->ComboBox5->setCurrentIndex(G->ComboBox5->count() - 1);
    QVERIFY(!G->BitBtn5Click());
    QCOMPARE(Messages(), 2);
    QCOMPARE(G->ComboBox5->currentText(), QString("1"));
    QCOMPARE(G->Edit1->text(), QString("keep"));

    G->ComboBox4->setEditText("abc");
    G->ComboBox1->setEditText("x");
    G->ComboBox2->setEditText("");
    G->ComboBox3->setEditText("1,2,3");
    G->Edit5->setText("far");
    G->BitBtn5Click();
    G->BitBtn6Click();
    QVERIFY(!G->BitBtn7Click());
    QCOMPARE(G->ComboBox4->currentText(), QString("0.0030"));
    QCOMPARE(G->ComboBox1->currentText(), QString("0.0050"));
    QCOMPARE(G->ComboBox2->currentText(), QString("0.004"));
    QCOMPARE(G->ComboBox3->currentText(), QString("0.004"));
    QCOMPARE(G->Edit5->text(), QString("100"));

    // Horizontal distances, levelling and gyro keep their result quietly
    // after the field messages.
    G->Edit8->setText("h");
    G->ComboBox12->setEditText("?");
    const int before = Messages();
    QVERIFY(!G->BitBtn12Click());
    QCOMPARE(Messages(), before + 1);
    QCOMPARE(G->Edit8->text(), QString("h"));
    QCOMPARE(G->ComboBox12->currentText(), QString("0.004"));
    G->ComboBox8->setEditText("-1");
    G->ComboBox9->setEditText("k");
    G->Edit7->setText("");
    QVERIFY(!G->BitBtn8Click());
    QCOMPARE(G->ComboBox8->currentText(), QString("0.0025"));
    QCOMPARE(G->ComboBox9->currentText(), QString("1.5"));
    QCOMPARE(G->Edit7->text(), QString("100"));
    G->ComboBox14->setEditText("g");
    G->ComboBox15->setEditText("0");
    QVERIFY(!G->BitBtn17Click());
    QCOMPARE(G->ComboBox14->currentText(), QString("0.0030"));
    // A count of 0 is read but computes nothing.
    G->ComboBox6->setEditText("0");
    QVERIFY(!G->BitBtn6Click());
    QCOMPARE(G->ComboBox6->currentText(), QString("0"));
  }

  void averagesOfTheMeasuredLengths() {
    G->BitBtn4Click();
    QCOMPARE(G->Edit5->text(), QString("0"));
    TMereni &m = Container->Measurements;
    m.AddMeasurement(mtSd, 0.001, 2, 1);
    m.AddMeasurement(mtSd, 0.001, 3, 1);
    m.AddMeasurement(mtHd, 0.001, 4, 1);
    m.AddMeasurement(mtVd, 0.001, 4, 1);
    m.AddMeasurement(mtVd, 0.001, 3, 1);
    G->BitBtn4Click();
    QCOMPARE(G->Edit5->text(), QString("300"));
    G->BitBtn10Click();
    QCOMPARE(G->Edit6->text(), QString("400"));
    G->BitBtn11Click();
    QCOMPARE(G->Edit7->text(), QString("250"));
  }

  void applyTouchesOnlyItsType() {
    TMereni &m = Container->Measurements;
    m.AddMeasurement(mtDi, 0.001, 2, 1);
    m.AddMeasurement(mtGd, 0.001, 2, 1);
    m.AddMeasurement(mtPr, 0.001, 3, 1);
    m.AddMeasurement(mtZu, 0.001, 3, 1);
    Form3->PreparePlan();
    G->Edit1->setText("0,0003");
    QVERIFY(G->BitBtn2Click());
    QCOMPARE(m.Items[0].StdDev, 0.0003);
    QCOMPARE(m.Items[1].StdDev, 0.001);
    QCOMPARE(Form3->StringGrid2->item(0, 3)->text(), QString("0.00030"));
    G->ComboBox16->setEditText("0.002");
    QVERIFY(G->BitBtn19Click());
    QCOMPARE(m.Items[2].StdDev, 0.002);
    QCOMPARE(m.Items[1].StdDev, 0.001);
    QCOMPARE(m.Items[3].StdDev, 0.001);
    G->Edit9->setText("0.0004");
    QVERIFY(G->BitBtn18Click());
    QCOMPARE(m.Items[1].StdDev, 0.0004);

    // Unreadable: "Wrong input!", the field shows 0.0010, nothing applied.
    G->Edit2->setText("");
    QVERIFY(!G->BitBtn1Click());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(G->Edit2->text(), QString("0.0010"));
    QCOMPARE(m.Items[3].StdDev, 0.001);

    G->ComboBox17->setEditText("0.003");
    QVERIFY(G->BitBtn20Click());
    QCOMPARE(Container->PlumbSigma, 0.003);
    G->ComboBox17->setEditText("no");
    QVERIFY(!G->BitBtn20Click());
    QCOMPARE(G->ComboBox17->currentText(), QString("0.0010"));
    QCOMPARE(Container->PlumbSigma, 0.003);
  }

  void oneByOneFollowsEachLength() {
    TMereni &m = Container->Measurements;
    m.AddMeasurement(mtVd, 0.001, 2, 1); // 500 m
    m.AddMeasurement(mtVd, 0.001, 3, 1); // 100 m
    m.AddMeasurement(mtSd, 0.001, 4, 1); // 500 m slope
    m.AddMeasurement(mtHd, 0.001, 4, 1); // 400 m horizontal
    QVERIFY(G->BitBtn16Click());
    // 0.0007 * sqrt(1.5 * D / 1000): growing with the root of the length.
    QCOMPARE(m.Items[0].StdDev, 0.000606);
    QCOMPARE(m.Items[1].StdDev, 0.000271);
    QVERIFY(G->BitBtn14Click());
    QCOMPARE(m.Items[2].StdDev, 0.003);
    QVERIFY(G->BitBtn15Click());
    QCOMPARE(m.Items[3].StdDev, 0.0028);

    // A count below 1 is refused and nothing changes.
    G->ComboBox13->setEditText("0");
    QVERIFY(!G->BitBtn15Click());
    QCOMPARE(Fake->messages.last(), QString("Wrong input!"));
    QCOMPARE(G->ComboBox13->currentText(), QString("1"));
    QCOMPARE(m.Items[3].StdDev, 0.0028);
    // An unreadable field: nothing applied.
    G->ComboBox2->setEditText("a");
    QVERIFY(!G->BitBtn14Click());
    QCOMPARE(m.Items[2].StdDev, 0.003);
  }
};

QTEST_MAIN(PlanGuideTest)
#include "plan_guide_test.moc"
