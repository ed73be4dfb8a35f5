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
#include "ui/app_globals.h"
#include "ui/startup.h"

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

  FakeTimer *Timer() const { return static_cast<FakeTimer *>(TheMainWindow->PollTimer.get()); }
  void LoadNetwork(int points, const QByteArray &measurements) {
    F.Write("c.txt", CoordinateFile(points));
    F.Write("m.txt", measurements);
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
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
    return TheMainWindow->EvaluateButton->isEnabled() && TheMainWindow->EvaluateButton->text() == "Stop" &&
           !TheMainWindow->ProtocolButton->isEnabled() && !TheMainWindow->CalculationsButton->isEnabled() &&
           Timer()->Enabled();
  }
  bool Failed() const {
    return TheMainWindow->EvaluateButton->isEnabled() && TheMainWindow->EvaluateButton->text() == "- Evaluation -" &&
           !TheMainWindow->ProtocolButton->isEnabled() && !TheMainWindow->CalculationsButton->isEnabled() &&
           !Timer()->Enabled() && TheMainWindow->StatusText() == "Evaluation fails.";
  }
  // A completed run of a stand-in engine.
  void EvaluateToCompletion() {
    EngineWrites(true, true);
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation acomplished."));
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void startUpCreatesEveryWindowWithEnglishTexts() {
    QVERIFY(TheMainWindow && TheCoordinatePlan && TheMeasurementPlan && TheAddMeasurementWindow && TheProtocolWindow && TheResultsWindow && TheChangePrecisionDialog && ThePointPropertiesDialog &&
            TheAllPointsScSvpDialog && TheSettingsDialog && ThePrecisionGuide && TheNetwork);
    QCOMPARE(TheMainWindow->size(), QSize(457, 217));
    QCOMPARE(TheMainWindow->LoadFullCoordinatesButton->text(), QString("Load coords"));
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString("- Evaluation -"));
    QCOMPARE(TheMainWindow->CalculationsButton->text(), QString("+Calculations+"));
    QVERIFY(TheMainWindow->EvaluateButton->isEnabled());
    QVERIFY(!TheMainWindow->ProtocolButton->isEnabled());
    QVERIFY(!TheMainWindow->CalculationsButton->isEnabled());
    QVERIFY(!TheMainWindow->StatusText().isEmpty());
    QCOMPARE(Timer()->Interval(), 500);
    QVERIFY(!Timer()->Enabled());
    QCOMPARE(TheSettingsDialog->LanguageCombo->itemText(0), QString("EN(default)"));
    QCOMPARE(TheProtocolWindow->windowTitle(), QString("Protocol"));
    QCOMPARE(TheNetwork->Points.List.Count(), 0);
  }

  void windowTitlesCarryNoApplicationName() {
    // A display name would be appended by the windowing system to every
    // title; the application's name alone follows later renames.
    NameApplication();
    QCOMPARE(QApplication::applicationName(), QString("Korvadimensio3D v.3.3.0"));
    QApplication::setApplicationName("probe");
    QCOMPARE(QApplication::applicationDisplayName(), QString("probe"));
    NameApplication();
    QCOMPARE(TheMainWindow->windowTitle(), QString("Korvadimensio 3D 3.3.0"));
  }

  void coordinateLoadsReportCountAndCaption() {
    F.Write("full.txt", CoordinateFile(4));
    F.Write("simple.txt", "1 10 20 30\r\n2 11 21 31\r\n3 12 22 32\r\n");
    F.Fake->openAnswers << F.Path("full.txt") << F.Path("simple.txt");
    TheMainWindow->LoadFullCoordinates();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load coords"));
    QCOMPARE(TheMainWindow->StatusText(), QString("Number of loaded points: 4"));
    QCOMPARE(TheCoordinatePlan->windowTitle(), "Coordinates plan - [" + F.Path("full.txt") + "]");
    QVERIFY(TheNetwork->Points.List.Items[0].Fixed);
    TheMainWindow->LoadSimpleCoordinates();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load *.txt"));
    QCOMPARE(TheMainWindow->StatusText(), QString("Number of loaded points: 3"));
    QCOMPARE(TheCoordinatePlan->windowTitle(), "Coordinates plan - [" + F.Path("simple.txt") + "]");
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void onePointIsRefusedButKeptAndBlocksBothPlans() {
    F.Write("one.txt", "7 100 200 300 0 0\r\nheader without numbers\r\n");
    F.Fake->openAnswers << F.Path("one.txt");
    const QString status = TheMainWindow->StatusText();
    const QString caption = TheCoordinatePlan->windowTitle();
    TheMainWindow->LoadFullCoordinates();
    QCOMPARE(F.Fake->messages, QStringList{"At least two points are needed."});
    QCOMPARE(TheMainWindow->StatusText(), status);
    QCOMPARE(TheCoordinatePlan->windowTitle(), caption);
    QCOMPARE(TheNetwork->Points.List.Count(), 1);
    TheMainWindow->ShowCoordinatePlan();
    TheMainWindow->ShowMeasurementPlan();
    QCOMPARE(F.Fake->messages.mid(1),
             QStringList({"Not enough points loaded.", "Not enough points loaded."}));
    QVERIFY(F.Fake->modalShown.isEmpty());
  }

  void cancelledDialogsChangeNothing() {
    const QString status = TheMainWindow->StatusText();
    const QString c2 = TheCoordinatePlan->windowTitle(), c3 = TheMeasurementPlan->windowTitle();
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadSimpleCoordinates();
    TheMainWindow->LoadMeasurements();
    QCOMPARE(F.Fake->dialogTitles.size(), 3);
    QCOMPARE(TheMainWindow->StatusText(), status);
    QCOMPARE(TheCoordinatePlan->windowTitle(), c2);
    QCOMPARE(TheMeasurementPlan->windowTitle(), c3);
    QVERIFY(F.Fake->messages.isEmpty());
  }

  void measurementLoadReportsKeptAndDropped() {
    // Without coordinates every measurement is dropped.
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nzu 1.00 3.00 0.0003\r\ndi 2.00 3.00 0.0003\r\n");
    F.Fake->openAnswers << F.Path("m.txt");
    TheMainWindow->LoadMeasurements();
    QCOMPARE(F.Fake->dialogTitles.last(), QString("Load measurements"));
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Loaded measurements:0 Measurements without coordinates thrown away (3)."));
    QCOMPARE(TheMeasurementPlan->windowTitle(), "Measurement plan - [" + F.Path("m.txt") + "]");

    // With points 1 and 2 only, one measurement stays.
    F.Write("c.txt", "1 0 0 0 0 0 f\r\n2 100 0 0 0 0\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Loaded measurements:1 Measurements without coordinates thrown away (2)."));

    // A file without any measurement still names itself in the caption.
    F.Write("empty.txt", "just a header\r\n");
    F.Fake->openAnswers << F.Path("empty.txt");
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheMainWindow->StatusText(), QString("Loaded measurements:0 (1 line skipped, at line 1)"));
    QCOMPARE(TheMeasurementPlan->windowTitle(), "Measurement plan - [" + F.Path("empty.txt") + "]");
  }

  void loadsSayWhatTheySkippedAndPlansSayWhatTheyKept() {
    F.Write("c.txt", "# local grid\r\nNo. X Y Z Sc Svp\r\n1 0 0 0 0 0 f\r\n2 100 0 0 0 0 f\r\n"
                     "3 100 100 0 0 0\r\n\r\n4 0 100 0\r\n5 50 50 0 0 0\r\n");
    F.Write("m.txt", "sd 1 3 0.002\r\n// spare\r\nSD 1 4 0.002\r\nxx\r\nsd 1 5 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    TheMainWindow->LoadFullCoordinates();
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Number of loaded points: 4 (2 lines skipped, first at line 2; 1 comment line)"));
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Loaded measurements:2 (2 lines skipped, first at line 3; 1 comment line)"));

    // An edit in the plan: closing saves, the old file is kept beside it.
    F.Fake->onModal = [](QDialog *plan) {
      TheNetwork->Points.SetAllFixed(false);
      plan->show();
      plan->reject();
      return 0;
    };
    TheMainWindow->ShowCoordinatePlan();
    QCOMPARE(TheMainWindow->StatusText(),
             "Saved " + F.Path("c.txt") + "; the previous file is kept as " + F.Path("c.txt.bak"));
    QVERIFY(F.Read("c.txt.bak").startsWith("# local grid"));
  }

  void faultyMeasurementFileKeepsWhatWasReadAndSaysWhere() {
    F.Write("c.txt", CoordinateFile(3));
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nsd 1.00 3.00 0.002\r\nsd 2.00 x3.00 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt") << F.Path("missing.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheMainWindow->StatusText(), QString("Loaded measurements:2"));
    QCOMPARE(F.Fake->messages, QStringList{"Error (" + F.Path("m.txt") + ":3)"});
    // An unreadable file leaves the list as it was.
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheMainWindow->StatusText(), QString("Loaded measurements:2"));
    QCOMPARE(F.Fake->messages.size(), 2);
  }

  void plansOpenModallyAndWarnAboutDroppedMeasurements() {
    LoadNetwork(3, MeasurementFile(3));
    // A measurement to an unknown point added after loading.
    TheNetwork->Measurements.AddMeasurement(0, 0.002, 99, 1);
    TheMainWindow->ShowMeasurementPlan();
    QCOMPARE(F.Fake->messages, QStringList{"Warning - some measurement were thrown away!"});
    TheMainWindow->ShowCoordinatePlan();
    QCOMPARE(F.Fake->modalShown, (QList<QDialog *>{TheMeasurementPlan, TheCoordinatePlan}));
  }

  void engineWritingBothFilesCompletesOnTheFirstTick() {
    LoadNetwork(4, MeasurementFile(4));
    EngineWrites(true, true);
    TheMainWindow->Evaluate();
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation started."));
    QVERIFY(Running());
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.gfk")));
    QCOMPARE(F.Fake->lastProgram, F.Path("gama.exe"));
    QCOMPARE(F.Fake->lastArgs,
             QStringList({"--encoding", "cp-1250", "--language", "en",
                          F.Path("korvadimensio3d.gfk"), F.Path("korvadimensio3d.")}));
    Timer()->Fire();
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation acomplished."));
    QVERIFY(TheMainWindow->EvaluateButton->isEnabled() && TheMainWindow->ProtocolButton->isEnabled() &&
            TheMainWindow->CalculationsButton->isEnabled());
    QVERIFY(!Timer()->Enabled());
  }

  void engineEndedWithoutResultsFailsAtOnceWithItsReason() {
    LoadNetwork(4, MeasurementFile(4));
    F.Fake->onStart = [this](const QString &, const QStringList &, QString &) {
      F.Write("korvadimensio3d.txt", "Korvadimensio 3D adjustment\r\n\r\nTHE ADJUSTMENT FAILED.\r\n\r\n"
                                     "The network is singular: point 4 is not determined.\r\n");
      return true;
    };
    TheMainWindow->Evaluate();
    Timer()->Fire(); // the engine has already ended
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Evaluation fails. The network is singular: point 4 is not determined."));
    // The status line is narrow; the whole reason is its tooltip.
    QCOMPARE(TheMainWindow->StatusBar->findChild<QLabel *>()->toolTip(), TheMainWindow->StatusText());
    QVERIFY(!Timer()->Enabled());
    QVERIFY(TheMainWindow->EvaluateButton->isEnabled());
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString("- Evaluation -"));
    QVERIFY(!TheMainWindow->CalculationsButton->isEnabled());
    QVERIFY(TheMainWindow->ProtocolButton->isEnabled()); // the protocol explains the rest
    TheMainWindow->ShowProtocol();
    QVERIFY(TheProtocolWindow->ProtocolText->toPlainText().contains("point 4 is not determined"));

    // An engine that ended without writing anything fails at once too.
    F.Fake->onStart = [](const QString &, const QStringList &, QString &) { return true; };
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QVERIFY(Failed());
    QCOMPARE(TheMainWindow->PollCount, 1);
  }

  void workingEngineIsWaitedForBeyondThePollLimitAndCanBeStopped() {
    LoadNetwork(4, MeasurementFile(4));
    EngineWrites(true, false); // the protocol comes first, the results later
    F.Fake->processRunning = true;
    TheMainWindow->Evaluate();
    for (int i = 0; i < 80; ++i)
      Timer()->Fire();
    QCOMPARE(TheMainWindow->StatusText(), QString("Reading file: 79"));
    QVERIFY(Running());
    F.Write("korvadimensio3d.xml", "<r/>");
    Timer()->Fire();
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation acomplished."));

    // The evaluate button stops a run: the engine is stopped, its outputs removed.
    F.Fake->processRunning = true;
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QVERIFY(Running());
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.txt")));
    TheMainWindow->EvaluateButton->click();
    QCOMPARE(F.Fake->stops, 1);
    QVERIFY(!F.Fake->processRunning);
    QVERIFY(!Timer()->Enabled());
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.txt")));
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation stopped."));
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString("- Evaluation -"));
    QVERIFY(!TheMainWindow->ProtocolButton->isEnabled() && !TheMainWindow->CalculationsButton->isEnabled());
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
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QVERIFY2(!staleAtStart, "the next evaluation removes stale temporaries of ours");
    TheMainWindow->EvaluateButton->click();
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation stopped."));
    const QStringList temporaries = QDir(F.Path("")).entryList({"*.tmp*"}, QDir::Files);
    QVERIFY2(temporaries.isEmpty(), qPrintable(temporaries.join(", ")));

    // A failed run: the engine ended and left a temporary behind.
    F.Fake->processRunning = false;
    F.Fake->onStart = [this](const QString &, const QStringList &, QString &) {
      F.Write("korvadimensio3d.txt", "THE ADJUSTMENT FAILED.\r\n\r\nno reason\r\n");
      F.Write("korvadimensio3d.obs.csv.tmpabcdef01", "type");
      return true;
    };
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QVERIFY(TheMainWindow->StatusText().startsWith("Evaluation fails."));
    QVERIFY(QDir(F.Path("")).entryList({"*.tmp*"}, QDir::Files).isEmpty());
  }

  void singularNetworkNamesUpperCaseMarks() {
    F.Write("c.txt", CoordinateFile(4).replace(" f\r\n", " F\r\n"));
    F.Write("m.txt", MeasurementFile(4));
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    F.Fake->onStart = [this](const QString &, const QStringList &, QString &) {
      F.Write("korvadimensio3d.txt", "THE ADJUSTMENT FAILED.\r\n\r\n"
                                     "The normal equations are singular (defect 3).\r\n");
      return true;
    };
    TheMainWindow->Evaluate();
    Timer()->Fire();
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Evaluation fails. The normal equations are singular (defect 3). "
                     "2 lines carry 'F'; fixed points are marked with a lower-case f"));
  }

  void everySaveOfAPlanIsNamed() {
    LoadNetwork(4, MeasurementFile(4));
    F.Fake->onModal = [](QDialog *plan) {
      TheNetwork->Measurements.AddMeasurement(0, 0.002, 4, 1);
      plan->show();
      plan->reject();
      return 0;
    };
    TheMainWindow->ShowMeasurementPlan();
    // A file the program wrote itself: nothing of the user's to keep.
    QCOMPARE(TheMainWindow->StatusText(), "Saved " + F.Path("m.txt"));
    QVERIFY(!QFile::exists(F.Path("m.txt.bak")));
  }

  void resultsGoOutOfDateWithEveryChangeOfTheNetwork() {
    LoadNetwork(4, MeasurementFile(4));
    QSignalSpy spy(TheMainWindow, &MainWindow::ResultsOutdatedChanged);
    QVERIFY(!TheMainWindow->ResultsOutdated()); // nothing evaluated yet
    EvaluateToCompletion();
    QCOMPARE(spy.count(), 1);
    QVERIFY(!TheMainWindow->ResultsOutdated());

    const QString outdated = "Results are out of date: the network changed after the evaluation.";
    // Each kind of change, undone by a new evaluation before the next.
    const std::vector<std::function<void()>> changes = {
        [] { TheNetwork->Points.SetAllSc(0.002); },
        [] { TheNetwork->Measurements.Delete(0); },
        [] { SetStdDevOfType(*TheNetwork, mtSd, 0.004); },
        [] { TheNetwork->Points.ScSvpMode = 2; },
    };
    for (const auto &change : changes) {
      change();
      QVERIFY(TheMainWindow->ResultsOutdated());
      TheMainWindow->ShowSettings(); // any step returning to the main window notices
      QCOMPARE(TheMainWindow->StatusText(), outdated);
      QCOMPARE(spy.last().at(0).toBool(), true);
      EvaluateToCompletion();
      QVERIFY(!TheMainWindow->ResultsOutdated());
      QCOMPARE(spy.last().at(0).toBool(), false);
    }

    // The results window says which results it shows.
    TheMainWindow->ShowCalculations();
    QVERIFY(!TheResultsWindow->windowTitle().contains("out of date"));
    TheNetwork->Points.List.Delete(3);
    TheMainWindow->ShowCalculations();
    QCOMPARE(TheResultsWindow->windowTitle(), QString("Results and calculations (out of date)"));
  }

  void engineThatCannotStartIsReportedAndTimesOut() {
    LoadNetwork(4, MeasurementFile(4));
    const QString before = TheMainWindow->StatusText();
    TheMainWindow->Evaluate(); // the fake refuses every start by default
    QCOMPARE(F.Fake->messages,
             QStringList{"The system cannot find the file specified. (" + F.Path("gama.exe") + ")"});
    QCOMPARE(TheMainWindow->StatusText(), before);
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
    TheMainWindow->Evaluate();
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.txt")));
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.obs.csv")));
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.xml")));
    Timer()->Fire();
    QCOMPARE(TheMainWindow->StatusText(), QString("Reading file: 0"));
  }

  void tooSmallNetworkIsRefusedAfterTheConsistencyCheck() {
    // 3 points and 3 measurements of which one has an unknown target.
    F.Write("c.txt", CoordinateFile(3));
    F.Write("m.txt", "sd 1.00 2.00 0.002\r\nsd 1.00 3.00 0.002\r\n");
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    TheNetwork->Measurements.AddMeasurement(0, 0.002, 9, 2);
    F.Write("korvadimensio3d.xml", "kept");
    EngineWrites(true, true);
    TheMainWindow->Evaluate();
    QCOMPARE(F.Fake->messages, QStringList{"Too few coordinates or measurements."});
    QCOMPARE(TheMainWindow->StatusText(), QString("Evaluation fails."));
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(QFile::exists(F.Path("korvadimensio3d.xml")));
    QVERIFY(TheMainWindow->EvaluateButton->isEnabled());
    QVERIFY(!Timer()->Enabled());
  }

  void droppedMeasurementsAreNamedAfterTheStartText() {
    LoadNetwork(4, MeasurementFile(4));
    TheNetwork->Measurements.AddMeasurement(0, 0.002, 77, 1);
    EngineWrites(true, true);
    TheMainWindow->Evaluate();
    QCOMPARE(TheMainWindow->StatusText(),
             QString("Evaluation started.Measurements without coordinates thrown away."));
  }

  void failedInputDocumentStopsBeforeTheEngine() {
    LoadNetwork(4, MeasurementFile(4));
    // The document cannot be written where a folder of its name stands.
    QDir(F.Path("")).mkdir("korvadimensio3d.gfk");
    EngineWrites(true, true);
    TheMainWindow->Evaluate();
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
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheNetwork->Points.List.Count(), 4);
    EngineWrites(true, true);
    TheMainWindow->Evaluate();
    QCOMPARE(F.Fake->starts, 0);
    QVERIFY(Failed());
    QCOMPARE(F.Fake->messages.size(), 1);
    QVERIFY2(F.Fake->messages[0].contains("zu 3.00 -> 4.00"), qPrintable(F.Fake->messages[0]));
  }

  void protocolIsShownAsItStands() {
    const QByteArray text = "Adjustment protocol\r\nHorn\xed bod 12\r\n" + QByteArray(300, '-') +
                            "\r\n\r\nend";
    F.Write("korvadimensio3d.txt", text);
    TheMainWindow->ShowProtocol();
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{TheProtocolWindow});
    const QStringList lines = TheProtocolWindow->ProtocolText->toPlainText().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QString::fromUtf8("Horní bod 12"));
    QCOMPARE(lines[2].size(), 300);
    QVERIFY(TheProtocolWindow->ProtocolText->isReadOnly());
    QCOMPARE(TheProtocolWindow->ProtocolText->lineWrapMode(), QPlainTextEdit::NoWrap);
  }

  void missingProtocolIsReportedAndNotShown() {
    TheMainWindow->ShowProtocol();
    QCOMPARE(F.Fake->messages, QStringList{"Error (" + F.Path("korvadimensio3d.txt") + ")"});
    QVERIFY(F.Fake->modalShown.isEmpty());
  }
};

QTEST_MAIN(TestMainWindow)
#include "main_window_test.moc"
