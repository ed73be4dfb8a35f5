// The main window: start-up, loading files, the plan guards, the protocol
// and the evaluation run with stand-in engines.
#include "uitest_util.h"

#include "core/container.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form5.h"
#include "ui/form9.h"
#include "ui/globals.h"

#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestMainWindow : public QObject {
  Q_OBJECT
  TUiFixture F;

  TFakeTimer *Timer() const { return static_cast<TFakeTimer *>(Form1->Timer1.get()); }
  void LoadNetwork(int points, const QByteArray &measurements) {
    F.Write("c.txt", CoordinateFile(points));
    F.Write("m.txt", measurements);
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    Form1->BitBtn1Click();
    Form1->BitBtn3Click();
  }
  // A stand-in engine that writes the given output files when started.
  void EngineWrites(bool protocol, bool results) {
    F.Fake->onStart = [this, protocol, results](const QString &, const QStringList &, QString &) {
      if (protocol)
        F.Write("korvadimensio3d.txt", "protocol\r\n");
      if (results)
        F.Write("korvadimensio3d.xml", "<r/>");
      return true;
    };
  }
  bool Running() const {
    return !Form1->BitBtn4->isEnabled() && !Form1->BitBtn8->isEnabled() &&
           !Form1->BitBtn9->isEnabled() && Timer()->Enabled();
  }
  bool Failed() const {
    return Form1->BitBtn4->isEnabled() && !Form1->BitBtn8->isEnabled() &&
           !Form1->BitBtn9->isEnabled() && !Timer()->Enabled() &&
           Form1->StatusText() == "Evaluation fails.";
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void startUpCreatesEveryWindowWithEnglishTexts() {
    QVERIFY(Form1 && Form2 && Form3 && Form4 && Form5 && Form6 && Form7 && TPointProp &&
            Form8 && Form9 && FPrecGuide && Container);
    QCOMPARE(Form1->size(), QSize(457, 217));
    QCOMPARE(Form1->BitBtn1->text(), QString("Load coords"));
    QCOMPARE(Form1->BitBtn4->text(), QString("- Evaluation -"));
    QCOMPARE(Form1->BitBtn9->text(), QString("+Calculations+"));
    QVERIFY(Form1->BitBtn4->isEnabled());
    QVERIFY(!Form1->BitBtn8->isEnabled());
    QVERIFY(!Form1->BitBtn9->isEnabled());
    QVERIFY(!Form1->StatusText().isEmpty());
    QCOMPARE(Timer()->Interval(), 500);
    QVERIFY(!Timer()->Enabled());
    QCOMPARE(Form9->ComboBox1->itemText(0), QString("EN(default)"));
    QCOMPARE(Form5->windowTitle(), QString("Protocol"));
    QCOMPARE(Container->Points.List.Count(), 0);
  }

  void coordinateLoadsReportCountAndCaption() {
    F.Write("full.txt", CoordinateFile(4));
    F.Write("simple.txt", "1 10 20 30\r\n2 11 21 31\r\n3 12 22 32\r\n");
    F.Fake->openAnswers << F.Path("full.txt") << F.Path("simple.txt");
    Form1->BitBtn1Click();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load coords"));
    QCOMPARE(Form1->StatusText(), QString("Number of loaded points: 4"));
    QCOMPARE(Form2->windowTitle(), "Coordinates plan - [" + F.Path("full.txt") + "]");
    QVERIFY(Container->Points.List.Items[0].Fixed);
    Form1->BitBtn7Click();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load *.txt"));
    QCOMPARE(Form1->StatusText(), QString("Number of loaded points: 3"));
    QCOMPARE(Form2->windowTitle(), "Coordinates plan - [" + F.Path("simple.txt") + "]");
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void onePointIsRefusedButKeptAndBlocksBothPlans() {
    F.Write("one.txt", "7 100 200 300 0 0\r\nheader without numbers\r\n");
    F.Fake->openAnswers << F.Path("one.txt");
    const QString status = Form1->StatusText();
    const QString caption = Form2->windowTitle();
    Form1->BitBtn1Click();
    QCOMPARE(F.Fake->messages, QStringList{"At least two points are needed."});
    QCOMPARE(Form1->StatusText(), status);
    QCOMPARE(Form2->windowTitle(), caption);
    QCOMPARE(Container->Points.List.Count(), 1);
    Form1->BitBtn2Click();
    Form1->BitBtn5Click();
    QCOMPARE(F.Fake->messages.mid(1),
             QStringList({"Not enough points loaded.", "Not enough points loaded."}));
    QVERIFY(F.Fake->modalShown.isEmpty());
  }

  void cancelledDialogsChangeNothing() {
    const QString status = Form1->StatusText();
    const QString c2 = Form2->windowTitle(), c3 = Form3->windowTitle();
    Form1->BitBtn1Click();
    Form1->BitBtn7Click();
    Form1->BitBtn3Click();
    QCOMPARE(F.Fake->dialogTitles.size(), 3);
    QCOMPARE(Form1->StatusText(), status);
    QCOMPARE(Form2->windowTitle(), c2);
    QCOMPARE(Form3->windowTitle(), c3);
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void measurementLoadReportsKeptAndDropped() {
    // Without coordinates every measurement is dropped.
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nzu 1.00 3.00 0.0003\r\ndi 2.00 3.00 0.0003\r\n");
    F.Fake->openAnswers << F.Path("m.txt");
    Form1->BitBtn3Click();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load measurements"));
    QCOMPARE(Form1->StatusText(),
             QString("Loaded measurements:0 Measurements without coordinates thrown away (3)."));
    QCOMPARE(Form3->windowTitle(), "Measurement plan - [" + F.Path("m.txt") + "]");

    // With points 1 and 2 only, one measurement stays.
    F.Write("c.txt", "1 0 0 0 0 0 f\r\n2 100 0 0 0 0\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    Form1->BitBtn1Click();
    Form1->BitBtn3Click();
    QCOMPARE(Form1->StatusText(),
             QString("Loaded measurements:1 Measurements without coordinates thrown away (2)."));

    // A file without any measurement still names itself in the caption.
    F.Write("empty.txt", "just a header\r\n");
    F.Fake->openAnswers << F.Path("empty.txt");
    Form1->BitBtn3Click();
    QCOMPARE(Form1->StatusText(), QString("Loaded measurements:0"));
    QCOMPARE(Form3->windowTitle(), "Measurement plan - [" + F.Path("empty.txt") + "]");
  }

  void faultyMeasurementFileKeepsWhatWasReadAndSaysWhere() {
    F.Write("c.txt", CoordinateFile(3));
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nsd 1.00 3.00 0.002\r\nsd 2.00 x3.00 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt") << F.Path("missing.txt");
    Form1->BitBtn1Click();
    Form1->BitBtn3Click();
    QCOMPARE(Form1->StatusText(), QString("Loaded measurements:2"));
    QCOMPARE(F.Fake->messages, QStringList{"Error (" + F.Path("m.txt") + ":3)"});
    // An unreadable file leaves the list as it was.
    Form1->BitBtn3Click();
    QCOMPARE(Form1->StatusText(), QString("Loaded measurements:2"));
    QCOMPARE(F.Fake->messages.size(), 2);
  }

  void plansOpenModallyAndWarnAboutDroppedMeasurements() {
    LoadNetwork(3, MeasurementFile(3));
    // A measurement to an unknown point added after loading.
    Container->Measurements.AddMeasurement(0, 0.002, 99, 1);
    Form1->BitBtn5Click();
    QCOMPARE(F.Fake->messages, QStringList{"Warning - some measurement were thrown away!"});
    Form1->BitBtn2Click();
    QCOMPARE(F.Fake->modalShown, (QList<QDialog *>{Form3, Form2}));
  }

  void engineWritingBothFilesCompletesOnTheFirstTick() {
    LoadNetwork(4, MeasurementFile(4));
    EngineWrites(true, true);
    Form1->BitBtn4Click();
    QCOMPARE(Form1->StatusText(), QString("Evaluation started."));
    QVERIFY(Running());
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.gfk")));
    QCOMPARE(F.Fake->lastProgram, F.Path("gama.exe"));
    QCOMPARE(F.Fake->lastArgs,
             QStringList({"--encoding", "cp-1250", "--language", "en",
                          F.Path("korvadimensio3d.gfk"), F.Path("korvadimensio3d.")}));
    Timer()->Fire();
    QCOMPARE(Form1->StatusText(), QString("Evaluation acomplished."));
    QVERIFY(Form1->BitBtn4->isEnabled() && Form1->BitBtn8->isEnabled() &&
            Form1->BitBtn9->isEnabled());
    QVERIFY(!Timer()->Enabled());
  }

  void engineWritingOnlyTheProtocolTimesOutAfter51Ticks() {
    LoadNetwork(4, MeasurementFile(4));
    EngineWrites(true, false);
    Form1->BitBtn4Click();
    Timer()->Fire();
    QCOMPARE(Form1->StatusText(), QString("Reading file: 0"));
    for (int i = 1; i < 50; ++i)
      Timer()->Fire();
    QCOMPARE(Form1->StatusText(), QString("Reading file: 49"));
    QVERIFY(Running());
    Timer()->Fire(); // the 51st tick gives up
    QVERIFY(Failed());
    QCOMPARE(Form1->PollCount, 51);
  }

  void engineThatCannotStartIsReportedAndTimesOut() {
    LoadNetwork(4, MeasurementFile(4));
    const QString before = Form1->StatusText();
    Form1->BitBtn4Click(); // the fake refuses every start by default
    QCOMPARE(F.Fake->messages,
             QStringList{"The system cannot find the file specified. (" + F.Path("gama.exe") + ")"});
    QCOMPARE(Form1->StatusText(), before);
    QVERIFY(Running());
    for (int i = 0; i < 51; ++i)
      Timer()->Fire();
    QVERIFY(Failed());
  }

  void resultsOfAnEarlierRunAreNeverTakenForNewOnes() {
    LoadNetwork(4, MeasurementFile(4));
    F.Write("korvadimensio3d.txt", "old");
    F.Write("korvadimensio3d.xml", "old");
    F.Fake->onStart = [](const QString &, const QStringList &, QString &) { return true; };
    Form1->BitBtn4Click();
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.txt")));
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.xml")));
    Timer()->Fire();
    QCOMPARE(Form1->StatusText(), QString("Reading file: 0"));
  }

  void tooSmallNetworkIsRefusedAfterTheConsistencyCheck() {
    // 3 points and 3 measurements of which one has an unknown target.
    F.Write("c.txt", CoordinateFile(3));
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nsd 1.00 3.00 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    Form1->BitBtn1Click();
    Form1->BitBtn3Click();
    Container->Measurements.AddMeasurement(0, 0.002, 9, 2);
    F.Write("korvadimensio3d.xml", "kept");
    EngineWrites(true, true);
    Form1->BitBtn4Click();
    QCOMPARE(F.Fake->messages, QStringList{"Too few coordinates or measurements."});
    QCOMPARE(Form1->StatusText(), QString("Evaluation fails."));
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.xml")));
    QVERIFY(Form1->BitBtn4->isEnabled());
    QVERIFY(!Timer()->Enabled());
  }

  void droppedMeasurementsAreNamedAfterTheStartText() {
    LoadNetwork(4, MeasurementFile(4));
    Container->Measurements.AddMeasurement(0, 0.002, 77, 1);
    EngineWrites(true, true);
    Form1->BitBtn4Click();
    QCOMPARE(Form1->StatusText(),
             QString("Evaluation started.Measurements without coordinates thrown away."));
  }

  void failedInputDocumentStopsBeforeTheEngine() {
    LoadNetwork(4, MeasurementFile(4));
    // The document cannot be written where a folder of its name stands.
    QDir(F.Path("")).mkdir("korvadimensio3d.gfk");
    EngineWrites(true, true);
    Form1->BitBtn4Click();
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(Failed());
    QCOMPARE(F.Fake->messages.size(), 1);
    QVERIFY(F.Fake->messages[0].startsWith("Evaluation fails."));
  }

  void failedMeasurementIsNamedInTheMessage() {
    // Point 4 stands exactly on point 3: the zenith angle 3-4 is undefined.
    const QByteArray point3 = CoordinateFile(3).split('\n')[2].mid(2).trimmed();
    F.Write("c.txt", CoordinateFile(3) + "4 " + point3 + "\r\n");
    F.Write("m.txt", MeasurementFile(3) + "zu 3.00 4.00 0.0003\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    Form1->BitBtn1Click();
    Form1->BitBtn3Click();
    QCOMPARE(Container->Points.List.Count(), 4);
    EngineWrites(true, true);
    Form1->BitBtn4Click();
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(Failed());
    QCOMPARE(F.Fake->messages.size(), 1);
    QVERIFY2(F.Fake->messages[0].contains("zu 3.00 -> 4.00"), qPrintable(F.Fake->messages[0]));
  }

  void protocolIsShownAsItStands() {
    const QByteArray text = "Adjustment protocol\r\nHorn\xed bod 12\r\n" + QByteArray(300, '-') +
                            "\r\n\r\nend";
    F.Write("korvadimensio3d.txt", text);
    Form1->BitBtn8Click();
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{Form5});
    const QStringList lines = Form5->Memo1->toPlainText().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QString::fromUtf8("Horní bod 12"));
    QCOMPARE(lines[2].size(), 300);
    QVERIFY(Form5->Memo1->isReadOnly());
    QCOMPARE(Form5->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
  }

  void missingProtocolIsReportedAndNotShown() {
    Form1->BitBtn8Click();
    QCOMPARE(F.Fake->messages, QStringList{"Error (" + F.Path("korvadimensio3d.txt") + ")"});
    QVERIFY(F.Fake->modalShown.isEmpty());
  }
};

QTEST_MAIN(TestMainWindow)
#include "test_main.moc"
