// The main window: start-up, loading files, the plan guards, the protocol
// and the evaluation run with stand-in engines.
#include "precision/bulk_precision.h"
#include "ui_test_support.h"

#include "core/survey_network.h"
#include "ui/main_window.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/protocol_window.h"
#include "ui/results_window.h"
#include "ui/settings_dialog.h"
#include "ui/desktop_application.h"

#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>
#include <functional>
#include <vector>

class TestMainWindow : public QObject {
  Q_OBJECT
  UiFixture F;

  FakeTimer *Timer() const { return static_cast<FakeTimer *>(App().Main()->PollTimer.get()); }
  void LoadNetwork(int points, const QByteArray &measurements) {
    F.Write("c.txt", CoordinateFile(points));
    F.Write("m.txt", measurements);
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
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
  // Waiting for the engine: the evaluate button has become the stop button.
  bool Running() const {
    return App().Main()->EvaluateButton->isEnabled() && App().Main()->EvaluateButton->text() == "Stop" &&
           !App().Main()->ProtocolButton->isEnabled() && !App().Main()->CalculationsButton->isEnabled() &&
           Timer()->Enabled();
  }
  bool Failed() const {
    return App().Main()->EvaluateButton->isEnabled() && App().Main()->EvaluateButton->text() == "- Evaluation -" &&
           !App().Main()->ProtocolButton->isEnabled() && !App().Main()->CalculationsButton->isEnabled() &&
           !Timer()->Enabled() && App().Main()->StatusText() == "Evaluation fails.";
  }
  // A completed run of a stand-in engine.
  void EvaluateToCompletion() {
    EngineWrites(true, true);
    App().Main()->Evaluate();
    Timer()->Fire();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation acomplished."));
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void startUpCreatesEveryWindowWithEnglishTexts() {
    QVERIFY(App().Main() && App().CoordinatePlan() && App().MeasurementPlan() && App().AddMeasurement() && App().Protocol() && App().Results() && App().ChangePrecision() && App().PointProperties() &&
            App().AllPointsScSvp() && App().SettingsWindow() && App().PrecisionGuide() && App().Network());
    QCOMPARE(App().Main()->size(), QSize(457, 217));
    QCOMPARE(App().Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
    QCOMPARE(App().Main()->EvaluateButton->text(), QString("- Evaluation -"));
    QCOMPARE(App().Main()->CalculationsButton->text(), QString("+Calculations+"));
    QVERIFY(App().Main()->EvaluateButton->isEnabled());
    QVERIFY(!App().Main()->ProtocolButton->isEnabled());
    QVERIFY(!App().Main()->CalculationsButton->isEnabled());
    QVERIFY(!App().Main()->StatusText().isEmpty());
    QCOMPARE(Timer()->Interval(), 500);
    QVERIFY(!Timer()->Enabled());
    QCOMPARE(App().SettingsWindow()->LanguageCombo->itemText(0), QString("EN(default)"));
    QCOMPARE(App().Protocol()->windowTitle(), QString("Protocol"));
    QCOMPARE(App().Network()->Points.List.Count(), 0);
  }

  void windowTitlesCarryNoApplicationName() {
    // A display name would be appended by the windowing system to every
    // title; the application's name alone follows later renames.
    NameApplication();
    QCOMPARE(QApplication::applicationName(), QString("Korvadimensio3D v.3.3.0"));
    QApplication::setApplicationName("probe");
    QCOMPARE(QApplication::applicationDisplayName(), QString("probe"));
    NameApplication();
    QCOMPARE(App().Main()->windowTitle(), QString("Korvadimensio 3D 3.3.0"));
  }

  void coordinateLoadsReportCountAndCaption() {
    F.Write("full.txt", CoordinateFile(4));
    F.Write("simple.txt", "1 10 20 30\r\n2 11 21 31\r\n3 12 22 32\r\n");
    F.Fake->openAnswers << F.Path("full.txt") << F.Path("simple.txt");
    App().Main()->LoadFullCoordinates();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load coords"));
    QCOMPARE(App().Main()->StatusText(), QString("Number of loaded points: 4"));
    QCOMPARE(App().CoordinatePlan()->windowTitle(), "Coordinates plan - [" + F.Path("full.txt") + "]");
    QVERIFY(App().Network()->Points.List.Items[0].Fixed);
    App().Main()->LoadSimpleCoordinates();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load *.txt"));
    QCOMPARE(App().Main()->StatusText(), QString("Number of loaded points: 3"));
    QCOMPARE(App().CoordinatePlan()->windowTitle(), "Coordinates plan - [" + F.Path("simple.txt") + "]");
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void onePointIsRefusedButKeptAndBlocksBothPlans() {
    F.Write("one.txt", "7 100 200 300 0 0\r\nheader without numbers\r\n");
    F.Fake->openAnswers << F.Path("one.txt");
    const QString status = App().Main()->StatusText();
    const QString caption = App().CoordinatePlan()->windowTitle();
    App().Main()->LoadFullCoordinates();
    QCOMPARE(F.Fake->messages, QStringList{"At least two points are needed."});
    QCOMPARE(App().Main()->StatusText(), status);
    QCOMPARE(App().CoordinatePlan()->windowTitle(), caption);
    QCOMPARE(App().Network()->Points.List.Count(), 1);
    App().Main()->ShowCoordinatePlan();
    App().Main()->ShowMeasurementPlan();
    QCOMPARE(F.Fake->messages.mid(1),
             QStringList({"Not enough points loaded.", "Not enough points loaded."}));
    QVERIFY(F.Fake->modalShown.isEmpty());
  }

  void cancelledDialogsChangeNothing() {
    const QString status = App().Main()->StatusText();
    const QString c2 = App().CoordinatePlan()->windowTitle(), c3 = App().MeasurementPlan()->windowTitle();
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadSimpleCoordinates();
    App().Main()->LoadMeasurements();
    QCOMPARE(F.Fake->dialogTitles.size(), 3);
    QCOMPARE(App().Main()->StatusText(), status);
    QCOMPARE(App().CoordinatePlan()->windowTitle(), c2);
    QCOMPARE(App().MeasurementPlan()->windowTitle(), c3);
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void measurementLoadReportsKeptAndDropped() {
    // Without coordinates every measurement is dropped.
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nzu 1.00 3.00 0.0003\r\ndi 2.00 3.00 0.0003\r\n");
    F.Fake->openAnswers << F.Path("m.txt");
    App().Main()->LoadMeasurements();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load measurements"));
    QCOMPARE(App().Main()->StatusText(),
             QString("Loaded measurements:0 Measurements without coordinates thrown away (3)."));
    QCOMPARE(App().MeasurementPlan()->windowTitle(), "Measurement plan - [" + F.Path("m.txt") + "]");

    // With points 1 and 2 only, one measurement stays.
    F.Write("c.txt", "1 0 0 0 0 0 f\r\n2 100 0 0 0 0\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    QCOMPARE(App().Main()->StatusText(),
             QString("Loaded measurements:1 Measurements without coordinates thrown away (2)."));

    // A file without any measurement still names itself in the caption.
    F.Write("empty.txt", "just a header\r\n");
    F.Fake->openAnswers << F.Path("empty.txt");
    App().Main()->LoadMeasurements();
    QCOMPARE(App().Main()->StatusText(), QString("Loaded measurements:0 (1 line skipped, at line 1)"));
    QCOMPARE(App().MeasurementPlan()->windowTitle(), "Measurement plan - [" + F.Path("empty.txt") + "]");
  }

  void loadsSayWhatTheySkippedAndPlansSayWhatTheyKept() {
    F.Write("c.txt", "# local grid\r\nNo. X Y Z Sc Svp\r\n1 0 0 0 0 0 f\r\n2 100 0 0 0 0 f\r\n"
                     "3 100 100 0 0 0\r\n\r\n4 0 100 0\r\n5 50 50 0 0 0\r\n");
    F.Write("m.txt", "sd 1 3 0.002\r\n// spare\r\nSD 1 4 0.002\r\nxx\r\nsd 1 5 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    QCOMPARE(App().Main()->StatusText(),
             QString("Number of loaded points: 4 (2 lines skipped, first at line 2; 1 comment line)"));
    App().Main()->LoadMeasurements();
    QCOMPARE(App().Main()->StatusText(),
             QString("Loaded measurements:2 (2 lines skipped, first at line 3; 1 comment line)"));

    // An edit in the plan: closing saves, the old file is kept beside it.
    F.Fake->onModal = [](QDialog *plan) {
      App().Network()->Points.SetAllFixed(false);
      plan->show();
      plan->reject();
      return 0;
    };
    App().Main()->ShowCoordinatePlan();
    QCOMPARE(App().Main()->StatusText(),
             "Saved " + F.Path("c.txt") + "; the previous file is kept as " + F.Path("c.txt.bak"));
    QVERIFY(F.Read("c.txt.bak").startsWith("# local grid"));
  }

  void faultyMeasurementFileKeepsWhatWasReadAndSaysWhere() {
    F.Write("c.txt", CoordinateFile(3));
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nsd 1.00 3.00 0.002\r\nsd 2.00 x3.00 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt") << F.Path("missing.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    QCOMPARE(App().Main()->StatusText(), QString("Loaded measurements:2"));
    QCOMPARE(F.Fake->messages, QStringList{"Error (" + F.Path("m.txt") + ":3)"});
    // An unreadable file leaves the list as it was.
    App().Main()->LoadMeasurements();
    QCOMPARE(App().Main()->StatusText(), QString("Loaded measurements:2"));
    QCOMPARE(F.Fake->messages.size(), 2);
  }

  void plansOpenModallyAndWarnAboutDroppedMeasurements() {
    LoadNetwork(3, MeasurementFile(3));
    // A measurement to an unknown point added after loading.
    App().Network()->Measurements.AddMeasurement(0, 0.002, 99, 1);
    App().Main()->ShowMeasurementPlan();
    QCOMPARE(F.Fake->messages, QStringList{"Warning - some measurement were thrown away!"});
    App().Main()->ShowCoordinatePlan();
    QCOMPARE(F.Fake->modalShown, (QList<QDialog *>{App().MeasurementPlan(), App().CoordinatePlan()}));
  }

  void engineWritingBothFilesCompletesOnTheFirstTick() {
    LoadNetwork(4, MeasurementFile(4));
    EngineWrites(true, true);
    App().Main()->Evaluate();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation started."));
    QVERIFY(Running());
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.gfk")));
    QCOMPARE(F.Fake->lastProgram, F.Path("gama.exe"));
    QCOMPARE(F.Fake->lastArgs,
             QStringList({"--encoding", "cp-1250", "--language", "en",
                          F.Path("korvadimensio3d.gfk"), F.Path("korvadimensio3d.")}));
    Timer()->Fire();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation acomplished."));
    QVERIFY(App().Main()->EvaluateButton->isEnabled() && App().Main()->ProtocolButton->isEnabled() &&
            App().Main()->CalculationsButton->isEnabled());
    QVERIFY(!Timer()->Enabled());
  }

  void engineEndedWithoutResultsFailsAtOnceWithItsReason() {
    LoadNetwork(4, MeasurementFile(4));
    F.Fake->onStart = [this](const QString &, const QStringList &, QString &) {
      F.Write("korvadimensio3d.txt", "Korvadimensio 3D adjustment\r\n\r\nTHE ADJUSTMENT FAILED.\r\n\r\n"
                                     "The network is singular: point 4 is not determined.\r\n");
      return true;
    };
    App().Main()->Evaluate();
    Timer()->Fire(); // the engine has already ended
    QCOMPARE(App().Main()->StatusText(),
             QString("Evaluation fails. The network is singular: point 4 is not determined."));
    // The status line is narrow; the whole reason is its tooltip.
    QCOMPARE(App().Main()->StatusBar->findChild<QLabel *>()->toolTip(), App().Main()->StatusText());
    QVERIFY(!Timer()->Enabled());
    QVERIFY(App().Main()->EvaluateButton->isEnabled());
    QCOMPARE(App().Main()->EvaluateButton->text(), QString("- Evaluation -"));
    QVERIFY(!App().Main()->CalculationsButton->isEnabled());
    QVERIFY(App().Main()->ProtocolButton->isEnabled()); // the protocol explains the rest
    App().Main()->ShowProtocol();
    QVERIFY(App().Protocol()->ProtocolText->toPlainText().contains("point 4 is not determined"));

    // An engine that ended without writing anything fails at once too.
    F.Fake->onStart = [](const QString &, const QStringList &, QString &) { return true; };
    App().Main()->Evaluate();
    Timer()->Fire();
    QVERIFY(Failed());
    QCOMPARE(App().Main()->PollCount, 1);
  }

  void workingEngineIsWaitedForBeyondThePollLimitAndCanBeStopped() {
    LoadNetwork(4, MeasurementFile(4));
    EngineWrites(true, false); // the protocol comes first, the results later
    F.Fake->processRunning = true;
    App().Main()->Evaluate();
    for (int i = 0; i < 80; ++i)
      Timer()->Fire();
    QCOMPARE(App().Main()->StatusText(), QString("Reading file: 79"));
    QVERIFY(Running());
    F.Write("korvadimensio3d.xml", "<r/>");
    Timer()->Fire();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation acomplished."));

    // The evaluate button stops a run: the engine is stopped, its outputs removed.
    F.Fake->processRunning = true;
    App().Main()->Evaluate();
    Timer()->Fire();
    QVERIFY(Running());
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.txt")));
    App().Main()->EvaluateButton->click();
    QCOMPARE(F.Fake->stops, 1);
    QVERIFY(!F.Fake->processRunning);
    QVERIFY(!Timer()->Enabled());
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.txt")));
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation stopped."));
    QCOMPARE(App().Main()->EvaluateButton->text(), QString("- Evaluation -"));
    QVERIFY(!App().Main()->ProtocolButton->isEnabled() && !App().Main()->CalculationsButton->isEnabled());
  }

  void stoppedOrFailedRunsLeaveNoTemporaryFiles() {
    LoadNetwork(4, MeasurementFile(4));
    // A stale temporary of an earlier run that was killed while writing.
    F.Write("korvadimensio3d.xml.tmp0badf00d", "<partial");
    // The engine is stopped halfway through writing its results.
    bool staleAtStart = true;
    F.Fake->onStart = [this, &staleAtStart](const QString &, const QStringList &, QString &) {
      staleAtStart = QFile::exists(F.Path("korvadimensio3d.xml.tmp0badf00d"));
      F.Write("korvadimensio3d.txt", "protocol\r\n");
      F.Write("korvadimensio3d.xml.tmp12345678", "<partial");
      return true;
    };
    F.Fake->processRunning = true;
    App().Main()->Evaluate();
    Timer()->Fire();
    QVERIFY2(!staleAtStart, "the next evaluation removes stale temporaries of ours");
    App().Main()->EvaluateButton->click();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation stopped."));
    const QStringList temporaries = QDir(F.Path("")).entryList({"*.tmp*"}, QDir::Files);
    QVERIFY2(temporaries.isEmpty(), qPrintable(temporaries.join(", ")));

    // A failed run: the engine ended and left a temporary behind.
    F.Fake->processRunning = false;
    F.Fake->onStart = [this](const QString &, const QStringList &, QString &) {
      F.Write("korvadimensio3d.txt", "THE ADJUSTMENT FAILED.\r\n\r\nno reason\r\n");
      F.Write("korvadimensio3d.obs.csv.tmpabcdef01", "type");
      return true;
    };
    App().Main()->Evaluate();
    Timer()->Fire();
    QVERIFY(App().Main()->StatusText().startsWith("Evaluation fails."));
    QVERIFY(QDir(F.Path("")).entryList({"*.tmp*"}, QDir::Files).isEmpty());
  }

  void singularNetworkNamesUpperCaseMarks() {
    F.Write("c.txt", CoordinateFile(4).replace(" f\r\n", " F\r\n"));
    F.Write("m.txt", MeasurementFile(4));
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    F.Fake->onStart = [this](const QString &, const QStringList &, QString &) {
      F.Write("korvadimensio3d.txt", "THE ADJUSTMENT FAILED.\r\n\r\n"
                                     "The normal equations are singular (defect 3).\r\n");
      return true;
    };
    App().Main()->Evaluate();
    Timer()->Fire();
    QCOMPARE(App().Main()->StatusText(),
             QString("Evaluation fails. The normal equations are singular (defect 3). "
                     "2 lines carry 'F'; fixed points are marked with a lower-case f"));
  }

  void everySaveOfAPlanIsNamed() {
    LoadNetwork(4, MeasurementFile(4));
    F.Fake->onModal = [](QDialog *plan) {
      App().Network()->Measurements.AddMeasurement(0, 0.002, 4, 1);
      plan->show();
      plan->reject();
      return 0;
    };
    App().Main()->ShowMeasurementPlan();
    // A file the program wrote itself: nothing of the user's to keep.
    QCOMPARE(App().Main()->StatusText(), "Saved " + F.Path("m.txt"));
    QVERIFY(!QFile::exists(F.Path("m.txt.bak")));
  }

  void resultsGoOutOfDateWithEveryChangeOfTheNetwork() {
    LoadNetwork(4, MeasurementFile(4));
    QSignalSpy spy(App().Main(), &MainWindow::ResultsOutdatedChanged);
    QVERIFY(!App().Main()->ResultsOutdated()); // nothing evaluated yet
    EvaluateToCompletion();
    QCOMPARE(spy.count(), 1);
    QVERIFY(!App().Main()->ResultsOutdated());

    const QString outdated = "Results are out of date: the network changed after the evaluation.";
    // Each kind of change, undone by a new evaluation before the next.
    const std::vector<std::function<void()>> changes = {
        [] { App().Network()->Points.SetAllSc(0.002); },
        [] { App().Network()->Measurements.Delete(0); },
        [] { SetStdDevOfType(*App().Network(), mtSd, 0.004); },
        [] { App().Network()->Points.ScSvpMode = ScSvpMode::WholeNetwork; },
    };
    for (const auto &change : changes) {
      change();
      QVERIFY(App().Main()->ResultsOutdated());
      App().Main()->ShowSettings(); // any step returning to the main window notices
      QCOMPARE(App().Main()->StatusText(), outdated);
      QCOMPARE(spy.last().at(0).toBool(), true);
      EvaluateToCompletion();
      QVERIFY(!App().Main()->ResultsOutdated());
      QCOMPARE(spy.last().at(0).toBool(), false);
    }

    // The results window says which results it shows.
    App().Main()->ShowCalculations();
    QVERIFY(!App().Results()->windowTitle().contains("out of date"));
    App().Network()->Points.List.Delete(3);
    App().Main()->ShowCalculations();
    QCOMPARE(App().Results()->windowTitle(), QString("Results and calculations (out of date)"));
  }

  void engineThatCannotStartIsReportedAndTimesOut() {
    LoadNetwork(4, MeasurementFile(4));
    const QString before = App().Main()->StatusText();
    App().Main()->Evaluate(); // the fake refuses every start by default
    QCOMPARE(F.Fake->messages,
             QStringList{"The system cannot find the file specified. (" + F.Path("gama.exe") + ")"});
    QCOMPARE(App().Main()->StatusText(), before);
    QVERIFY(Running());
    for (int i = 0; i < 51; ++i)
      Timer()->Fire();
    QVERIFY(Failed());
  }

  void resultsOfAnEarlierRunAreNeverTakenForNewOnes() {
    LoadNetwork(4, MeasurementFile(4));
    F.Write("korvadimensio3d.txt", "old");
    F.Write("korvadimensio3d.xml", "old");
    F.Write("korvadimensio3d.obs.csv", "old");
    F.Fake->onStart = [](const QString &, const QStringList &, QString &) { return true; };
    F.Fake->processRunning = true;
    App().Main()->Evaluate();
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.txt")));
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.obs.csv")));
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.xml")));
    Timer()->Fire();
    QCOMPARE(App().Main()->StatusText(), QString("Reading file: 0"));
  }

  void tooSmallNetworkIsRefusedAfterTheConsistencyCheck() {
    // 3 points and 3 measurements of which one has an unknown target.
    F.Write("c.txt", CoordinateFile(3));
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nsd 1.00 3.00 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    App().Network()->Measurements.AddMeasurement(0, 0.002, 9, 2);
    F.Write("korvadimensio3d.xml", "kept");
    EngineWrites(true, true);
    App().Main()->Evaluate();
    QCOMPARE(F.Fake->messages, QStringList{"Too few coordinates or measurements."});
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation fails."));
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.xml")));
    QVERIFY(App().Main()->EvaluateButton->isEnabled());
    QVERIFY(!Timer()->Enabled());
  }

  void droppedMeasurementsAreNamedAfterTheStartText() {
    LoadNetwork(4, MeasurementFile(4));
    App().Network()->Measurements.AddMeasurement(0, 0.002, 77, 1);
    EngineWrites(true, true);
    App().Main()->Evaluate();
    QCOMPARE(App().Main()->StatusText(),
             QString("Evaluation started.Measurements without coordinates thrown away."));
  }

  void failedInputDocumentStopsBeforeTheEngine() {
    LoadNetwork(4, MeasurementFile(4));
    // The document cannot be written where a folder of its name stands.
    QDir(F.Path("")).mkdir("korvadimensio3d.gfk");
    EngineWrites(true, true);
    App().Main()->Evaluate();
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
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    QCOMPARE(App().Network()->Points.List.Count(), 4);
    EngineWrites(true, true);
    App().Main()->Evaluate();
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(Failed());
    QCOMPARE(F.Fake->messages.size(), 1);
    QVERIFY2(F.Fake->messages[0].contains("zu 3.00 -> 4.00"), qPrintable(F.Fake->messages[0]));
  }

  void protocolIsShownAsItStands() {
    const QByteArray text = "Adjustment protocol\r\nHorn\xed bod 12\r\n" + QByteArray(300, '-') +
                            "\r\n\r\nend";
    F.Write("korvadimensio3d.txt", text);
    App().Main()->ShowProtocol();
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{App().Protocol()});
    const QStringList lines = App().Protocol()->ProtocolText->toPlainText().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QString::fromUtf8("Horní bod 12"));
    QCOMPARE(lines[2].size(), 300);
    QVERIFY(App().Protocol()->ProtocolText->isReadOnly());
    QCOMPARE(App().Protocol()->ProtocolText->lineWrapMode(), QPlainTextEdit::NoWrap);
  }

  void missingProtocolIsReportedAndNotShown() {
    App().Main()->ShowProtocol();
    QCOMPARE(F.Fake->messages, QStringList{"Error (" + F.Path("korvadimensio3d.txt") + ")"});
    QVERIFY(F.Fake->modalShown.isEmpty());
  }
};

QTEST_MAIN(TestMainWindow)
#include "main_window_test.moc"
