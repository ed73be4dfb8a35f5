// Undo and redo of every kind of edit, made through the windows: each edit
// is one step of the network document, undo brings back the network as it
// was (tables and plans follow), redo repeats the step, and the results on
// show never pass for the undone state.
#include "app/network_document.h"
#include "core/survey_network.h"
#include "ui/add_measurement_window.h"
#include "ui/all_points_sc_svp_dialog.h"
#include "ui/app_globals.h"
#include "ui/change_precision_dialog.h"
#include "ui/coordinate_plan_window.h"
#include "ui/main_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/plan_widgets.h"
#include "ui/point_properties_dialog.h"
#include "ui/precision_guide_dialog.h"
#include "ui/settings_dialog.h"
#include "ui_test_support.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>
#include <QtTest>

namespace {

// Everything an edit may change, for comparing whole states.
struct Snapshot {
  std::vector<NetworkPoint> Points;
  std::vector<Measurement> Measurements;
  std::uint8_t Mode = 0;
  double Plumb = 0;
};

Snapshot Take() {
  return {TheNetwork->Points.List.Items, TheNetwork->Measurements.Items, TheNetwork->Points.ScSvpMode,
          TheNetwork->PlumbSigma};
}

bool Same(const Snapshot &a, const Snapshot &b) {
  auto samePoint = [](const NetworkPoint &p, const NetworkPoint &q) {
    return p.Number == q.Number && p.X == q.X && p.Y == q.Y && p.Z == q.Z && p.Fixed == q.Fixed &&
           p.Sc == q.Sc && p.Svp == q.Svp;
  };
  auto sameMeas = [](const Measurement &m, const Measurement &n) {
    return m.Station == n.Station && m.Target == n.Target && m.MeasType == n.MeasType &&
           m.StdDev == n.StdDev;
  };
  return std::equal(a.Points.begin(), a.Points.end(), b.Points.begin(), b.Points.end(), samePoint) &&
         std::equal(a.Measurements.begin(), a.Measurements.end(), b.Measurements.begin(),
                    b.Measurements.end(), sameMeas) &&
         a.Mode == b.Mode && a.Plumb == b.Plumb;
}

} // namespace

class UndoTest : public QObject {
  Q_OBJECT
  UiFixture Fixture;

  // Loads the coordinate and measurement files of a 5-point network through
  // the main window (two steps), then forgets those steps.
  void LoadNetwork() {
    Fixture.Write("c.txt", CoordinateFile(5));
    Fixture.Write("m.txt", "sd 1 3 0.002\r\nsd 3 2 0.002\r\ndi 3 4 0.0003\r\nzu 5 1 0.0003\r\nsd 4 5 0.002\r\n");
    Fixture.Fake->openAnswers = {Fixture.Path("c.txt"), Fixture.Path("m.txt")};
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    QCOMPARE(TheNetwork->Points.List.Count(), 5);
    QCOMPARE(TheNetwork->Measurements.Count(), 5);
    TheDocument->ClearHistory();
  }

  // The step just made: undo gives `before` back, redo `after`, and the
  // plan's table follows each time.
  void CheckUndoRedo(PlanWindow *plan, const Snapshot &before, const QString &stepName,
                     std::function<int()> rows = nullptr) {
    const Snapshot after = Take();
    QVERIFY(!Same(before, after));
    QVERIFY(plan->UndoAction->isEnabled());
    QCOMPARE(plan->UndoAction->text(), QStringLiteral("Undo: ") + stepName);
    const int rowsAfter = rows ? rows() : 0;
    plan->UndoAction->trigger();
    QVERIFY(Same(before, Take()));
    QVERIFY(plan->RedoAction->isEnabled());
    QCOMPARE(plan->RedoAction->text(), QStringLiteral("Redo: ") + stepName);
    plan->RedoAction->trigger();
    QVERIFY(Same(after, Take()));
    if (rows)
      QCOMPARE(rows(), rowsAfter);
    QVERIFY(!plan->RedoAction->isEnabled());
  }

  int PointRows() const { return TheCoordinatePlan->PointTable->model()->rowCount(); }
  int MeasurementRows() const { return TheMeasurementPlan->MeasurementTable->model()->rowCount(); }

private slots:
  void init() {
    Fixture.Start();
    LoadNetwork();
  }
  void cleanup() { Fixture.Stop(); }

  void pointEdits() {
    CoordinatePlanWindow *plan = TheCoordinatePlan;
    plan->PreparePlan();
    QVERIFY(!plan->UndoAction->isEnabled());
    QCOMPARE(plan->UndoAction->shortcut(), QKeySequence(QKeySequence::Undo));
    QVERIFY(plan->RedoAction->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    // The table's menu offers both.
    QCOMPARE(plan->TableMenu->actions().value(0), plan->UndoAction);
    QCOMPARE(plan->TableMenu->actions().value(1), plan->RedoAction);

    // Add a point at the mark.
    Snapshot before = Take();
    QTest::mousePress(plan->PlanImage, Qt::LeftButton, {}, QPoint(200, 150));
    plan->PointNumberEdit->setText("9");
    plan->HeightEdit->setText("310");
    plan->AddPoint();
    CheckUndoRedo(plan, before, "Add point", [this] { return PointRows(); });
    QCOMPARE(PointRows(), 6);

    // Edit a point in its properties.
    before = Take();
    ThePointPropertiesDialog->Fill(TheNetwork->Points.List.Items[2], 2);
    ThePointPropertiesDialog->ZEdit->setText("123.5");
    QVERIFY(ThePointPropertiesDialog->Apply());
    CheckUndoRedo(plan, before, "Edit point 3");

    // Fix all, free all, Sc and Svp of all.
    before = Take();
    plan->MakeAllFixed();
    CheckUndoRedo(plan, before, "All points fixed");
    before = Take();
    plan->MakeAllAdjusted();
    CheckUndoRedo(plan, before, "All points adjusted");
    before = Take();
    TheAllPointsScSvpDialog->ScCombo->setEditText("0.004");
    QVERIFY(TheAllPointsScSvpDialog->SetScOfAllPoints());
    CheckUndoRedo(plan, before, "Sc of all points");
    before = Take();
    TheAllPointsScSvpDialog->SvpCombo->setEditText("0.003");
    QVERIFY(TheAllPointsScSvpDialog->SetSvpOfAllPoints());
    CheckUndoRedo(plan, before, "Svp of all points");

    // Deleting a point and the measurements that referred to it is one step.
    before = Take();
    plan->PointTable->setCurrentIndex(plan->PointTable->model()->index(4, 0)); // point 5
    plan->DeletePoint();
    QCOMPARE(TheNetwork->Points.List.Count(), 5);
    QCOMPARE(TheNetwork->Measurements.Count(), 3);
    CheckUndoRedo(plan, before, "Delete point", [this] { return PointRows(); });

    // Ctrl+Z on the window takes back all the steps, one by one, in order;
    // Ctrl+Shift+Z repeats them.
    const Snapshot last = Take();
    int steps = 0;
    while (plan->UndoAction->isEnabled() && steps < 20) {
      plan->UndoAction->trigger();
      ++steps;
    }
    QCOMPARE(steps, 7);
    QCOMPARE(TheNetwork->Points.List.Count(), 5);
    QCOMPARE(TheNetwork->Measurements.Count(), 5);
    for (int i = 0; i < steps; ++i)
      plan->RedoAction->trigger();
    QVERIFY(Same(last, Take()));
  }

  void undoShortcutsReachThePlan() {
    CoordinatePlanWindow *plan = TheCoordinatePlan;
    plan->PreparePlan();
    plan->show();
    QVERIFY(QTest::qWaitForWindowExposed(plan));
    plan->activateWindow();
    const Snapshot before = Take();
    plan->MakeAllFixed();
    const Snapshot after = Take();
    QTest::keyClick(plan, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(Same(before, Take()));
    QTest::keyClick(plan, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(Same(after, Take()));
    plan->hide();
  }

  void measurementEdits() {
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    plan->PreparePlan();
    QCOMPARE(MeasurementRows(), 5);

    // Add one measurement through the add window.
    Snapshot before = Take();
    TheAddMeasurementWindow->OpenFor(0, 5);
    TheAddMeasurementWindow->StationCombo->setCurrentIndex(0);
    TheAddMeasurementWindow->TargetCombo->setCurrentIndex(1);
    QVERIFY(TheAddMeasurementWindow->InsertMeasurement());
    CheckUndoRedo(plan, before, "Add measurement", [this] { return MeasurementRows(); });

    // Precision of one measurement, and of all of its type.
    before = Take();
    plan->MeasurementTable->setCurrentIndex(plan->MeasurementTable->model()->index(1, 0));
    TheChangePrecisionDialog->ScopeCombo->setCurrentIndex(0);
    TheChangePrecisionDialog->PrecisionCombo->setEditText("0.005");
    QVERIFY(TheChangePrecisionDialog->ApplyPrecision());
    CheckUndoRedo(plan, before, "Precision of a measurement");
    before = Take();
    TheChangePrecisionDialog->ScopeCombo->setCurrentIndex(1);
    TheChangePrecisionDialog->PrecisionCombo->setEditText("0.007");
    QVERIFY(TheChangePrecisionDialog->ApplyPrecision());
    CheckUndoRedo(plan, before, "Precision of all sd");

    // The precision guide: all directions, and distances by their length.
    before = Take();
    ThePrecisionGuide->DirectionResultEdit->setText("0.0001");
    QVERIFY(ThePrecisionGuide->ApplyDirectionSigma());
    CheckUndoRedo(plan, before, "Precision of all di");
    before = Take();
    QVERIFY(ThePrecisionGuide->ApplySlopeDistanceOneByOne());
    CheckUndoRedo(plan, before, "Precision of every sd by its length");
    before = Take();
    ThePrecisionGuide->PlumbingHeightSigmaCombo->setEditText("0.004");
    QVERIFY(ThePrecisionGuide->ApplyPlumbingHeightSigma());
    CheckUndoRedo(plan, before, "Plumbing precision");

    // Sort.
    before = Take();
    plan->SortMeasurements();
    CheckUndoRedo(plan, before, "Sort measurements", [this] { return MeasurementRows(); });
  }

  void deletingSeveralRowsIsOneStepAndAsksFirst() {
    MeasurementPlanWindow *plan = TheMeasurementPlan;
    plan->PreparePlan();
    QTableView *table = plan->MeasurementTable;
    const Snapshot before = Take();

    // "No" keeps everything.
    table->setCurrentIndex(table->model()->index(0, 0));
    Fixture.Fake->askAnswers = {false};
    plan->DeleteMeasurement();
    QCOMPARE(Fixture.Fake->questions.size(), 1);
    QCOMPARE(Fixture.Fake->questions[0], QString::fromUtf8("Delete the measurement sd 1 → 3?"));
    QVERIFY(Same(before, Take()));
    QVERIFY(!plan->UndoAction->isEnabled());

    // Rows 1, 3 and 4 chosen together go in one step.
    table->clearSelection();
    table->selectionModel()->select(table->model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(3, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    plan->DeleteMeasurement();
    QCOMPARE(Fixture.Fake->questions.last(), QString("Delete the 3 selected measurements?"));
    QCOMPARE(TheNetwork->Measurements.Count(), 2);
    QCOMPARE(TheNetwork->Measurements.Items[0].Station, 3.0); // sd 3 2
    QCOMPARE(TheNetwork->Measurements.Items[1].Station, 4.0); // sd 4 5
    CheckUndoRedo(plan, before, "Delete 3 measurements", [this] { return MeasurementRows(); });
    plan->UndoAction->trigger();
    QCOMPARE(MeasurementRows(), 5);
  }

  void scSvpModeAndLoadsAndConsistencyRemovals() {
    // The Sc/Svp mode from the settings.
    Snapshot before = Take();
    TheSettingsDialog->OnShow();
    TheSettingsDialog->ScSvpModeGroup->SetItemIndex(2);
    TheSettingsDialog->Apply();
    QCOMPARE(int(TheNetwork->Points.ScSvpMode), 2);
    CheckUndoRedo(TheMeasurementPlan, before, "Sc/Svp mode");

    // A load is a step, with the file name it brought.
    before = Take();
    const std::string oldFile = TheNetwork->Points.List.FileName;
    Fixture.Write("c7.txt", CoordinateFile(7));
    Fixture.Fake->openAnswers = {Fixture.Path("c7.txt")};
    TheMainWindow->LoadFullCoordinates();
    QCOMPARE(TheNetwork->Points.List.Count(), 7);
    CheckUndoRedo(TheCoordinatePlan, before, "Load coordinates");
    TheCoordinatePlan->UndoAction->trigger();
    // Undone, the list belongs to its own file again: the automatic save
    // can never write the old points over the newly loaded file.
    QCOMPARE(TheNetwork->Points.List.FileName, oldFile);
    QCOMPARE(TheNetwork->Points.List.Count(), 5);

    // Measurements whose point is missing, removed when the plan opens.
    TheDocument->Edit("test: a measurement to nowhere", [](SurveyNetwork &net) {
      net.Measurements.AddMeasurement(mtSd, 0.002, 99, 1);
    });
    before = Take();
    TheMainWindow->ShowMeasurementPlan();
    QCOMPARE(TheNetwork->Measurements.Count(), 5);
    CheckUndoRedo(TheMeasurementPlan, before, "Remove measurements without points");
  }

  void undoneStateNeverPassesForEvaluatedResults() {
    // Results of a state that an undo brings back count as out of date:
    // the change counters only grow.
    const NetworkRevision start = TheNetwork->Revision();
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->MakeAllFixed();
    TheCoordinatePlan->UndoAction->trigger();
    QVERIFY(TheNetwork->Revision() != start);
    QVERIFY(TheNetwork->Points.List.Modified());
  }

  void anEditThatChangesNothingIsNoStep() {
    TheCoordinatePlan->PreparePlan();
    TheCoordinatePlan->MakeAllAdjusted(); // 1 and 2 are fixed: a change
    QVERIFY(TheCoordinatePlan->UndoAction->isEnabled());
    TheDocument->ClearHistory();
    TheCoordinatePlan->MakeAllAdjusted(); // already all adjusted
    QVERIFY(!TheCoordinatePlan->UndoAction->isEnabled());
    QCOMPARE(TheDocument->UndoStack().count(), 0);
  }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
