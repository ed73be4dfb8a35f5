// The measurement design beside the measurement plan, driven as a user
// would: the requirements of NAME.req with their values and margins, edits
// saved to the file (bad lines refused with the line and the reason), a
// next best measurement added with one click and taken back with Undo, an
// optimised plan accepted as one step or discarded, the critical
// measurements, candidates from a file, and the report's requirements.
#include "app/network_document.h"
#include "core/survey_network.h"
#include "evaluation/report_data.h"
#include "report/report_writer.h"
#include "ui/desktop_application.h"
#include "ui/design_panel.h"
#include "ui/main_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/plan_widgets.h"
#include "ui/ui_text.h"
#include "ui_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QUndoStack>
#include <QtTest>

namespace {

std::vector<Measurement> Items() { return App().Network()->Measurements.Items; }

bool SameItems(const std::vector<Measurement> &a, const std::vector<Measurement> &b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Measurement &m, const Measurement &n) {
    return m.Station == n.Station && m.Target == n.Target && m.MeasType == n.MeasType && m.StdDev == n.StdDev;
  });
}

QString CellText(QTableWidget *t, int row, int column) {
  const QTableWidgetItem *item = t->item(row, column);
  return item ? item->text() : QString();
}

bool Green(QTableWidget *t, int row) { return t->item(row, 0)->background().color().green() > 220; }

} // namespace

class DesignPanelTest : public QObject {
  Q_OBJECT
  UiFixture Fixture;
  DesignPanel *Panel = nullptr;

  // The sample network loaded through the main window, its requirements
  // file written beside the measurement file, the panel open.
  void Open(const QByteArray &requirements) {
    Fixture.Write("shaft_meas.req", requirements);
    Fixture.Fake->openAnswers = {Fixture.Path("shaft_coords.txt"), Fixture.Path("shaft_meas.txt")};
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    App().Document()->ClearHistory();
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->OpenDesignPanel();
    Panel = App().MeasurementPlan()->Design;
    QVERIFY(Panel && Panel->isVisible());
  }

private slots:
  void init() { Fixture.Start({"shaft_coords.txt", "shaft_meas.txt"}); }
  void cleanup() {
    Panel = nullptr;
    Fixture.Stop();
  }

  void showsEachRequirementWithValueAndMargin() {
    Open("# tunnel breakthrough\r\nacross 401 404 81.29 2.5\r\nellipse * 10\r\n");
    QCOMPARE(Panel->RequirementTable->rowCount(), 2);
    QCOMPARE(CellText(Panel->RequirementTable, 0, 0), QStringLiteral("across 401 404 81.29 2.5"));
    // The transverse error of the traverse across its axis: 3.756 mm.
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1), QStringLiteral("3.756 mm"));
    QCOMPARE(CellText(Panel->RequirementTable, 0, 2), QStringLiteral("-1.256 mm"));
    QVERIFY(!Green(Panel->RequirementTable, 0));
    QVERIFY(Green(Panel->RequirementTable, 1));
    QVERIFY(CellText(Panel->RequirementTable, 1, 1).contains(QStringLiteral("(")));  // the worst point
    QVERIFY(Panel->FileLabel->text().contains(QStringLiteral("shaft_meas.req")));
    // Kept live: a planned measurement deleted through the document.
    const QString before = CellText(Panel->RequirementTable, 0, 1);
    App().Document()->Edit(QStringLiteral("Delete"), [](SurveyNetwork &net) {
      for (int i = 0; i < net.Measurements.Count(); ++i)
        if (net.Measurements.Items[static_cast<size_t>(i)].MeasType == mtGd) {
          net.Measurements.Delete(i);
          break;
        }
    });
    QVERIFY(CellText(Panel->RequirementTable, 0, 1) != before);
    App().Document()->Undo();
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1), before);
  }

  void editsAreSavedAndReadBack() {
    Open("# tunnel breakthrough\r\nacross 401 404 81.29 2.5\r\n");
    QVERIFY(Panel->AddRequirement(QStringLiteral("height 404 10")));
    QCOMPARE(Panel->RequirementTable->rowCount(), 2);
    QVERIFY(Panel->ReplaceRequirement(0, QStringLiteral("across 401 404 81.29 4")));
    QVERIFY(Green(Panel->RequirementTable, 0));
    // The comment stays, the edited line is in its place.
    QCOMPARE(Fixture.Read("shaft_meas.req"),
             QByteArray("# tunnel breakthrough\r\nacross 401 404 81.29 4\r\nheight 404 10\r\n"));
    // The level replaces the file's level, wherever it stands.
    QVERIFY(Panel->AddRequirement(QStringLiteral("confidence 95")));
    QVERIFY(Panel->AddRequirement(QStringLiteral("confidence standard")));
    QCOMPARE(Fixture.Read("shaft_meas.req").count("confidence"), 1);
    // Typed and added with the button.
    Panel->RequirementEdit->setText(QStringLiteral("distance 401 402 1"));
    QTest::mouseClick(Panel->AddButton, Qt::LeftButton);
    QCOMPARE(Panel->RequirementTable->rowCount(), 3);
    QVERIFY(Panel->RequirementEdit->text().isEmpty());
    QVERIFY(Panel->DeleteRequirement(1));
    const QByteArray saved = Fixture.Read("shaft_meas.req");
    QVERIFY(!saved.contains("height"));
    // Read again from the file: the same requirements.
    Panel->Reload();
    QCOMPARE(Panel->RequirementTable->rowCount(), 2);
    QCOMPARE(CellText(Panel->RequirementTable, 1, 0), QStringLiteral("distance 401 402 1"));
    // The last requirement deleted: the file keeps its comment and level.
    QVERIFY(Panel->DeleteRequirement(0));
    QVERIFY(Panel->DeleteRequirement(0));
    QCOMPARE(Panel->RequirementTable->rowCount(), 0);
    QVERIFY(Fixture.Read("shaft_meas.req").startsWith("# tunnel breakthrough\r\n"));
    QVERIFY(!Panel->OptimiseButton->isEnabled());
  }

  void badLinesAreRefusedWithLineAndReason() {
    Open("across 401 404 81.29 2.5\r\n");
    const QByteArray before = Fixture.Read("shaft_meas.req");
    QVERIFY(!Panel->AddRequirement(QStringLiteral("across 401 404 2.5")));
    QVERIFY(Fixture.Fake->messages.last().contains(QStringLiteral("shaft_meas.req:2: ")));
    QVERIFY(Fixture.Fake->messages.last().contains(QStringLiteral("FROM TO BEARING_GON LIMIT_MM")));
    QVERIFY(!Panel->ReplaceRequirement(0, QStringLiteral("ellipse 999 2")));
    QVERIFY(Fixture.Fake->messages.last().contains(QStringLiteral("shaft_meas.req:1: ")));
    QVERIFY(!Panel->AddRequirement(QStringLiteral("confidence 99")));
    QCOMPARE(Fixture.Read("shaft_meas.req"), before);
    QCOMPARE(Panel->RequirementTable->rowCount(), 1);
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1), QStringLiteral("3.756 mm"));
  }

  void brokenFileIsShownAndNothingIsOverwritten() {
    Open("across 401 404 81.29 2.5\r\nheight\r\n");
    QVERIFY(Panel->StatusLabel->text().contains(QStringLiteral("shaft_meas.req:2:")));
    QCOMPARE(Panel->RequirementTable->rowCount(), 0);
    QVERIFY(!Panel->AddRequirement(QStringLiteral("height 404 2")));
    QCOMPARE(Fixture.Read("shaft_meas.req"), QByteArray("across 401 404 81.29 2.5\r\nheight\r\n"));
  }

  void nextBestIsAddedWithOneClickAndUndone() {
    Open("across 401 404 81.29 2.5\r\n");
    QVERIFY(Panel->CandidateTable->rowCount() > 0);
    QCOMPARE(Panel->CandidateTable->rowCount(), static_cast<int>(Panel->Ranked().size()));
    const kd::app::DesignCandidate best = Panel->Ranked().front();
    QVERIFY(best.Gain > 0);
    const auto before = Items();
    const int steps = App().Document()->UndoStack().count();
    auto *add = qobject_cast<QPushButton *>(Panel->CandidateTable->cellWidget(0, 0));
    QVERIFY(add);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(App().Network()->Measurements.Count(), static_cast<int>(before.size()) + 1);
    const Measurement &added = App().Network()->Measurements.Items.back();
    QCOMPARE(added.MeasType, best.Item.MeasType);
    QCOMPARE(added.Station, best.Item.Station);
    QCOMPARE(added.Target, best.Item.Target);
    QCOMPARE(App().Document()->UndoStack().count(), steps + 1);
    // Evaluated anew: the value the ranking predicted, and the plan's table.
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1),
             QString::number(best.Values[0].value, 'f', 3) + QStringLiteral(" mm"));
    QCOMPARE(App().MeasurementPlan()->MeasurementTable->model()->rowCount(), App().Network()->Measurements.Count() + 0);
    App().MeasurementPlan()->UndoEdit();
    QVERIFY(SameItems(Items(), before));
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1), QStringLiteral("3.756 mm"));
  }

  void acceptedProposalIsOneStep() {
    Open("across 401 404 81.29 2.5\r\n");
    const auto before = Items();
    const int steps = App().Document()->UndoStack().count();
    QTest::mouseClick(Panel->OptimiseButton, Qt::LeftButton);
    QTRY_VERIFY(Panel->HasProposal());
    QVERIFY(Panel->Proposal().Reached);
    QVERIFY(!Panel->Proposal().Added.empty());
    QVERIFY(SameItems(Items(), before)); // only shown
    QVERIFY(Panel->ProposalLabel->text().contains(QStringLiteral("gd ")));
    const double predicted = Panel->Proposal().Values[0].value;
    const size_t added = Panel->Proposal().Added.size();
    QVERIFY(Panel->AcceptButton->isEnabled());
    QTest::mouseClick(Panel->AcceptButton, Qt::LeftButton);
    QVERIFY(!Panel->HasProposal());
    QCOMPARE(App().Document()->UndoStack().count(), steps + 1);
    QCOMPARE(App().Network()->Measurements.Count(), static_cast<int>(before.size() + added));
    QVERIFY(Green(Panel->RequirementTable, 0));
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1), QString::number(predicted, 'f', 3) + QStringLiteral(" mm"));
    // The report of this plan states the requirement and what was added.
    const ReportDesign report = App().MeasurementPlan()->DesignReport();
    QVERIFY(report.Present && report.Optimised);
    QCOMPARE(report.Changes.size(), added);
    QVERIFY(report.Requirements[0].Binds);
    // One undo takes the whole proposal back.
    App().Document()->Undo();
    QVERIFY(SameItems(Items(), before));
    QVERIFY(!Green(Panel->RequirementTable, 0));
    QVERIFY(!App().MeasurementPlan()->DesignReport().Optimised);
  }

  void discardedProposalChangesNothing() {
    Open("across 401 404 81.29 2.5\r\n");
    const auto before = Items();
    const int steps = App().Document()->UndoStack().count();
    Panel->Optimise();
    QTRY_VERIFY(Panel->HasProposal());
    QTest::mouseClick(Panel->DiscardButton, Qt::LeftButton);
    QVERIFY(!Panel->HasProposal());
    QVERIFY(!Panel->AcceptButton->isEnabled());
    QVERIFY(SameItems(Items(), before));
    QCOMPARE(App().Document()->UndoStack().count(), steps);
    Panel->AcceptProposal(); // nothing left to accept
    QCOMPARE(App().Document()->UndoStack().count(), steps);
  }

  void optimisationIsStoppedByItsButtonOrAnEdit() {
    Open("across 401 404 81.29 2.5\r\n");
    const auto before = Items();
    Panel->Optimise();
    QVERIFY(Panel->Optimising());
    QCOMPARE(Panel->OptimiseButton->text(), App().Txt(Text::StopEvaluation));
    QTest::mouseClick(Panel->OptimiseButton, Qt::LeftButton);
    QTRY_VERIFY(!Panel->Optimising());
    QVERIFY(!Panel->HasProposal());
    QCOMPARE(Panel->OptimiseButton->text(), App().Txt(Text::OptimiseButton));
    // A proposal for a plan that was edited meanwhile is never shown.
    Panel->Optimise();
    QVERIFY(Panel->AddCandidate(0));
    QTRY_VERIFY(!Panel->Optimising());
    QVERIFY(!Panel->HasProposal());
    QCOMPARE(App().Network()->Measurements.Count(), static_cast<int>(before.size()) + 1);
  }

  void unreachableProposalCannotBeAccepted() {
    Open("across 401 404 81.29 0.01\r\n");
    Panel->Optimise();
    QTRY_VERIFY(Panel->HasProposal());
    QVERIFY(!Panel->Proposal().Reached);
    QVERIFY(!Panel->AcceptButton->isEnabled());
    QVERIFY(Panel->ProposalLabel->text().contains(App().Txt(Text::OptimisedNotReached)));
  }

  void criticalMeasurementsAreListedAndDrawn() {
    Open("across 401 404 81.29 4\r\n");
    QVERIFY(!Panel->Marks().Critical.empty());
    const QString caption = MeasurementPlanWindow::MeasurementCaption(Panel->Marks().Critical.front());
    QVERIFY(Panel->CriticalLabel->text().contains(caption));
    // The marks and candidates are drawn over the plan while the panel is open.
    App().MeasurementPlan()->Redraw();
    const QImage with = App().MeasurementPlan()->PlanImage->Bitmap()->copy();
    Panel->hide();
    App().MeasurementPlan()->Redraw();
    QVERIFY(with != *App().MeasurementPlan()->PlanImage->Bitmap());
  }

  void candidatesFromAFile() {
    Open("across 401 404 81.29 2.5\r\n");
    Fixture.Write("cand.txt", "gd 402 403 0.0003\r\nsd 402 403 0.001\r\n");
    Fixture.Fake->openAnswers = {Fixture.Path("cand.txt")};
    QTest::mouseClick(Panel->CandidatesButton, Qt::LeftButton);
    QCOMPARE(Panel->Session().CandidateCount(), 2);
    QCOMPARE(Panel->CandidateTable->rowCount(), 2);
    QVERIFY(Panel->CandidatesLabel->text().contains(QStringLiteral("cand.txt")));
    Fixture.Write("bad.txt", "gd 402 403 x\r\n");
    QVERIFY(!Panel->LoadCandidates(Fixture.Path("bad.txt")));
    QVERIFY(Fixture.Fake->messages.last().contains(QStringLiteral("bad.txt")));
    QCOMPARE(Panel->Session().CandidateCount(), 2); // the earlier file stays
    QTest::mouseClick(Panel->AutomaticButton, Qt::LeftButton);
    QVERIFY(Panel->Session().CandidateCount() > 2);
  }

  void reportStatesTheRequirements() {
    Open("across 401 404 81.29 2.5\r\n");
    ReportData data;
    data.Design = App().MeasurementPlan()->DesignReport();
    QVERIFY(data.Design.Present);
    QCOMPARE(data.Design.Requirements.size(), size_t(1));
    const QByteArray html = ReportHtml(App().Language(), data);
    QVERIFY(html.contains("<h2>Requirements</h2>"));
    QVERIFY(html.contains(">3.756 mm</td>"));
    QVERIFY(html.contains(">-1.256 mm</td>"));
    QVERIFY(html.contains("NOT MET"));
  }

  void largeNetworkIsEvaluatedOnRequestOnly() {
    const int n = DesignPanel::kLivePointLimit + 5;
    Fixture.Write("big.txt", CoordinateFile(n));
    Fixture.Write("big_meas.txt", MeasurementFile(n));
    Fixture.Write("big_meas.req", "ellipse * 100\r\n");
    Fixture.Fake->openAnswers = {Fixture.Path("big.txt"), Fixture.Path("big_meas.txt")};
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->OpenDesignPanel();
    Panel = App().MeasurementPlan()->Design;
    QVERIFY(!Panel->Session().Ready());
    QVERIFY(Panel->StatusLabel->text().contains(QString::number(n)));
    QCOMPARE(Panel->RequirementTable->rowCount(), 1);
    QCOMPARE(CellText(Panel->RequirementTable, 0, 1), QStringLiteral("-"));
    QVERIFY(!Panel->OptimiseButton->isEnabled());
    QVERIFY(Panel->ComputeButton->isEnabled());
  }

  void withoutAMeasurementFileNothingIsSaved() {
    Fixture.Fake->openAnswers = {Fixture.Path("shaft_coords.txt")};
    App().Main()->LoadFullCoordinates();
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->OpenDesignPanel();
    Panel = App().MeasurementPlan()->Design;
    QVERIFY(Panel->RequirementsPath().isEmpty());
    QVERIFY(!Panel->AddRequirement(QStringLiteral("ellipse * 2")));
    QCOMPARE(Fixture.Fake->messages.last(), App().Txt(Text::NoRequirementsFile));
    QVERIFY(!App().MeasurementPlan()->DesignReport().Present);
  }
};

QTEST_MAIN(DesignPanelTest)
#include "design_panel_test.moc"
