#include "ui/main_window.h"
#include "app/settings_store.h"
#include "ui/live_precision.h"

#include "app/network_document.h"
#include "core/survey_network.h"
#include "core/text_file.h"
#include "core/version.h"
#include "evaluation/evaluation.h"
#include "evaluation/observation_table.h"
#include "evaluation/report_data.h"
#include "evaluation/results_reader.h"
#include "report/report_texts.h"
#include "report/report_writer.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "settings/language_pack.h"
#include "settings/messages.h"
#include "evaluation/input_document.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/add_measurement_window.h"
#include "ui/protocol_window.h"
#include "ui/report_details_dialog.h"
#include "ui/results_window.h"
#include "ui/settings_dialog.h"
#include "ui/desktop_application.h"
#include "ui/ui_text.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {
// Fixed client area of the main window.
constexpr int kClientWidth = 457;
constexpr int kClientHeight = 217;
constexpr int kStatusHeight = 19;

// The loader's skipped lines, appended to a load's status text.
QString SkippedNote(const SkippedLines &skipped) {
  const std::string text = SkippedLinesText(skipped);
  return text.empty() ? QString() : QStringLiteral(" (") + Q(text) + QStringLiteral(")");
}
} // namespace

bool FileOpenDialog::Execute(PlatformServices &platform, QWidget *parent) {
  const QString chosen = platform.OpenFileName(parent, Title, Filter);
  if (chosen.isEmpty())
    return false;
  FileName = chosen;
  return true;
}

MainWindow::MainWindow(DesktopApplication &app, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::Tool), App(app), EngineSeam(app.Platform()) {
  setWindowTitle(QString::fromUtf8(kd::MainWindowCaption));
  setFont(DesignFont("Tahoma", 8));
  setFixedSize(kClientWidth, kClientHeight);

  LoadFullCoordinatesButton = MakeButton(8, 8, 153, 33, QString::fromUtf8("Načíst souřadnice"));
  LoadSimpleCoordinatesButton = MakeButton(168, 8, 57, 33, "*.txt");
  CoordinatePlanButton = MakeButton(232, 8, 217, 33, "Mapa souřadnic");
  LoadMeasurementsButton = MakeButton(8, 48, 217, 33, QString::fromUtf8("Načíst měření"));
  MeasurementPlanButton = MakeButton(232, 48, 217, 33, QString::fromUtf8("Mapa měření"));
  SettingsButton = MakeButton(120, 96, 217, 33, QString::fromUtf8("- Nastavení - "));
  SeparatorLine = new QFrame(this);
  SeparatorLine->setFrameShape(QFrame::HLine);
  SeparatorLine->setFrameShadow(QFrame::Sunken);
  SeparatorLine->setGeometry(8, 136, 441, 9);
  EvaluateButton = MakeButton(8, 160, 217, 33, QString::fromUtf8("- Výpočet - "));
  ProtocolButton = MakeButton(232, 160, 105, 33, "+ Protokol + ");
  CalculationsButton = MakeButton(344, 160, 105, 33, QString::fromUtf8("+ Výpočty + "));
  ReportButton = MakeButton(344, 96, 105, 33, QString::fromUtf8("Report\u2026"));
  ProtocolButton->setEnabled(false);
  CalculationsButton->setEnabled(false);
  ReportButton->setEnabled(false);

  StatusBar = new QStatusBar(this);
  StatusBar->setSizeGripEnabled(false);
  StatusBar->setGeometry(0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight);
  StatusLabel = new QLabel(StatusBar);
  StatusLabel->setObjectName("StatusText");
  // A long text (an engine's reason, a backup's name) wraps onto more lines
  // and the window grows to show all of it.
  StatusLabel->setWordWrap(true);
  StatusBar->addWidget(StatusLabel, 1);

  OpenDialog.DefaultExt = "*.txt";

  PollTimer = App.Platform().CreateTimer(EnginePoll::IntervalMs);
  // A refused start is told at once, and the run ends when the poll gives
  // up; a working engine is waited for as long as it works.
  Evaluation = std::make_unique<kd::app::Evaluator>(EngineSeam, *PollTimer,
                                                    kd::app::Evaluator::Policy{0, true});
  using kd::app::Evaluator;
  connect(Evaluation.get(), &Evaluator::Started, this, [this](quint64) { RunStarted(); });
  connect(Evaluation.get(), &Evaluator::Waiting, this, [this](quint64, int count) { RunWaiting(count); });
  connect(Evaluation.get(), &Evaluator::Finished, this,
          [this](quint64, const std::shared_ptr<EvaluationResults> &) { RunFinished(); });
  connect(Evaluation.get(), &Evaluator::Failed, this,
          [this](quint64, const kd::app::EvaluationFailure &failure) { RunFailed(failure); });
  connect(Evaluation.get(), &Evaluator::Stopped, this, [this](quint64) { RunStopped(); });

  connect(LoadFullCoordinatesButton, &QPushButton::clicked, this, &MainWindow::LoadFullCoordinates);
  connect(LoadSimpleCoordinatesButton, &QPushButton::clicked, this, &MainWindow::LoadSimpleCoordinates);
  connect(CoordinatePlanButton, &QPushButton::clicked, this, &MainWindow::ShowCoordinatePlan);
  connect(LoadMeasurementsButton, &QPushButton::clicked, this, &MainWindow::LoadMeasurements);
  connect(MeasurementPlanButton, &QPushButton::clicked, this, &MainWindow::ShowMeasurementPlan);
  connect(SettingsButton, &QPushButton::clicked, this, &MainWindow::ShowSettings);
  connect(EvaluateButton, &QPushButton::clicked, this, &MainWindow::Evaluate);
  connect(ProtocolButton, &QPushButton::clicked, this, &MainWindow::ShowProtocol);
  connect(CalculationsButton, &QPushButton::clicked, this, &MainWindow::ShowCalculations);
  connect(ReportButton, &QPushButton::clicked, this, &MainWindow::WriteReportFile);

  OnCreate();
}

MainWindow::~MainWindow() { OnDestroy(); }

QPushButton *MainWindow::MakeButton(int left, int top, int width, int height, const QString &caption) {
  auto *button = new QPushButton(caption, this);
  button->setGeometry(left, top, width, height);
  button->setFont(DesignFont("Tahoma", 9, true));
  QPalette palette = button->palette();
  palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(0, 0, 128));
  palette.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(0, 0, 128));
  button->setPalette(palette);
  return button;
}

void MainWindow::OnCreate() {
  SetStatusText(App.Txt(Text::InfoLine));
  LoadProgramSettings();
}

void MainWindow::OnDestroy() {
  // An engine still working when the program ends leaves no half outputs.
  if (RunInProgress())
    StopEvaluation();
  // The evaluator goes before the window it reports to.
  Evaluation->disconnect(this);
  Evaluation.reset();
  PollTimer->SetEnabled(false);
}

void MainWindow::closeEvent(QCloseEvent *event) {
  event->accept();
  // Closing the main window ends the program, even while a dialog of
  // another window would otherwise keep the event loop running.
  QCoreApplication::quit();
}

QString MainWindow::StatusText() const { return StatusLabel->text(); }
void MainWindow::SetStatusText(const QString &text) {
  StatusLabel->setText(text);
  StatusLabel->setToolTip(text);
  // The status line takes as many lines as the text needs; the buttons
  // above keep their places.
  const int textWidth = kClientWidth - 12;
  const int needed = std::max(kStatusHeight, StatusLabel->heightForWidth(textWidth) + 4);
  const int statusHeight = StatusLabel->heightForWidth(textWidth) <= kStatusHeight - 2 ? kStatusHeight : needed;
  StatusBar->setGeometry(0, kClientHeight - kStatusHeight, kClientWidth, statusHeight);
  setFixedSize(kClientWidth, kClientHeight - kStatusHeight + statusHeight);
}


void MainWindow::ApplyTexts() {
  ReportButton->setText(App.Txt(Text::ReportButton));
  OpenDialog.Filter = App.Txt(Text::TextFilesFilter);
  LoadFullCoordinatesButton->setText(App.Txt(Text::LoadCoordinates));
  LoadSimpleCoordinatesButton->setText(App.Txt(Text::TextFileFilter));
  CoordinatePlanButton->setText(App.Txt(Text::CoordinatePlan));
  LoadMeasurementsButton->setText(App.Txt(Text::LoadMeasurements));
  MeasurementPlanButton->setText(App.Txt(Text::MeasurementPlan));
  SettingsButton->setText(App.Txt(Text::SettingsButton));
  EvaluateButton->setText(PollTimer && RunInProgress() ? App.Txt(Text::StopEvaluation) : App.Txt(Text::EvaluateButton));
  ProtocolButton->setText(App.Txt(Text::ProtocolButton));
  CalculationsButton->setText(App.Txt(Text::CalculationsButton));
  // The greeting follows the language until the first message replaces it.
  const std::string shown = S(StatusText());
  if (shown == TrIn("EN", Text::InfoLine) || shown == TrIn("CZ", Text::InfoLine))
    SetStatusText(App.Txt(Text::InfoLine));
}

// ---- loading files ----

void MainWindow::LoadCoordinates(bool full) {
  OpenDialog.Title = App.Txt(full ? Text::LoadCoordinates : Text::LoadTxt);
  if (!OpenDialog.Execute(App.Platform(), this))
    return;
  const QString path = OpenDialog.FileName;
  int count = 0;
  App.Document()->Edit(App.Txt(Text::StepLoadCoordinates), [&](SurveyNetwork &net) {
    count = full ? net.Points.List.LoadFull(S(path)) : net.Points.List.LoadSimple(S(path));
  });
  const PointList &list = App.Network()->Points.List;
  if (count >= 2) {
    SetStatusText(App.Txt(Text::LoadedPointCount) + QString::number(count) + SkippedNote(list.LastLoadSkipped));
    App.CoordinatePlan()->setWindowTitle(App.Txt(Text::CoordinatePlan) + " - [" + path + "]");
  } else {
    App.Platform().Message(this, App.Txt(Text::AtLeastTwoPoints));
  }
  CheckResultsFreshness();
}

void MainWindow::LoadFullCoordinates() { LoadCoordinates(true); }
void MainWindow::LoadSimpleCoordinates() { LoadCoordinates(false); }

void MainWindow::LoadMeasurements() {
  OpenDialog.Title = App.Txt(Text::LoadMeasurements);
  if (!OpenDialog.Execute(App.Platform(), this))
    return;
  const QString path = OpenDialog.FileName;
  const MeasurementList &meas = App.Network()->Measurements;
  int before = 0;
  bool dropped = false;
  // The load and the removal of measurements without points are one step.
  App.Document()->Edit(App.Txt(Text::StepLoadMeasurements), [&](SurveyNetwork &net) {
    net.Measurements.LoadFromFile(S(path));
    before = net.Measurements.Count();
    dropped = net.CheckConsistency(true, WarningSink());
  });
  const int after = meas.Count();
  App.MeasurementPlan()->setWindowTitle(App.Txt(Text::MeasurementPlan) + " - [" + path + "]");
  QString line = App.Txt(Text::LoadedMeasurements) + QString::number(after);
  if (dropped)
    line += " " + App.Txt(Text::MeasurementsWithoutCoordinatesDropped) + " (" + QString::number(before - after) + ").";
  SetStatusText(line + SkippedNote(meas.LastLoadSkipped));
  // The reader keeps what it read before a fault; say where the file went
  // wrong so the user knows the list is incomplete.
  if (meas.LoadResult == MeasurementList::lfFormatError)
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + path + ":" + QString::number(meas.LoadErrorLine) + ")" +
                                 (meas.LoadErrorFault == kd::NumberFault::NotANumber
                                      ? QString()
                                      : ": " + Q(kd::NumberFaultText(meas.LoadErrorFault, meas.LoadErrorLine))));
  else if (meas.LoadResult == MeasurementList::lfCannotRead)
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + path + ")");
  CheckResultsFreshness();
}

// ---- plans and settings ----

void MainWindow::ShowCoordinatePlan() {
  if (App.Network()->Points.List.Count() < 2) {
    App.Platform().Message(this, App.Txt(Text::NotEnoughPoints));
    return;
  }
  GivePrecisionToPlans();
  App.CoordinatePlan()->PreparePlan();
  hide();
  App.Platform().ShowModal(App.CoordinatePlan());
  show();
  CheckResultsFreshness();
  ReportBackups();
}

void MainWindow::ShowMeasurementPlan() {
  if (App.Network()->Points.List.Count() < 2) {
    App.Platform().Message(this, App.Txt(Text::NotEnoughPoints));
    return;
  }
  if (CheckConsistency())
    App.Platform().Message(this, App.Txt(Text::MeasurementsThrownAway));
  GivePrecisionToPlans();
  App.MeasurementPlan()->PreparePlan();
  App.AddMeasurement()->ActivateStationField();
  hide();
  App.Platform().ShowModal(App.MeasurementPlan());
  show();
  CheckResultsFreshness();
  ReportBackups();
}

std::shared_ptr<const NetworkPrecision> MainWindow::CurrentResultsPrecision(std::string &reason) {
  reason.clear();
  // Results belong to the network only after a completed run and until the
  // network is edited.
  const std::shared_ptr<EvaluationResults> results = LastResults();
  if (!results || !CalculationsButton->isEnabled() || ResultsOutdated())
    return nullptr;
  if (!results->Usable()) {
    reason = results->Error.empty() ? "cannot read " + results->Files.Results : results->Error;
    return nullptr;
  }
  return results->Precision;
}

std::shared_ptr<EvaluationResults> MainWindow::LastResults() const {
  return Evaluation ? Evaluation->Results() : nullptr;
}

void MainWindow::GivePrecisionToPlans() {
  std::string reason;
  const std::shared_ptr<const NetworkPrecision> precision = CurrentResultsPrecision(reason);
  for (PlanWindow *plan : {static_cast<PlanWindow *>(App.CoordinatePlan()),
                           static_cast<PlanWindow *>(App.MeasurementPlan())}) {
    plan->SetPrecision(precision, reason);
  }
  // With live precision on and no current results, the background
  // evaluation supplies the ellipses as soon as the plan opens.
  if (!precision && App.Live() &&
      (App.CoordinatePlan()->LivePrecisionEnabled() || App.MeasurementPlan()->LivePrecisionEnabled()))
    App.Live()->Request(*App.Network());
}

void MainWindow::ShowSettings() {
  App.SettingsWindow()->OnShow();
  App.Platform().ShowModal(App.SettingsWindow());
  CheckResultsFreshness();
}

void MainWindow::ReportBackups() {
  // Every save of the plan is named in full, with the backup it kept.
  QStringList notes;
  PointList &points = App.Network()->Points.List;
  MeasurementList &meas = App.Network()->Measurements;
  const std::pair<std::string *, std::string *> saves[] = {{&points.LastSavedFile, &points.LastBackup},
                                                           {&meas.LastSavedFile, &meas.LastBackup}};
  for (const auto &[saved, backup] : saves) {
    if (saved->empty())
      continue;
    QString note = App.Txt(Text::SavedOnClose) + Q(*saved);
    if (!backup->empty())
      note += App.Txt(Text::BackupKept) + Q(*backup);
    notes << note;
    saved->clear();
    backup->clear();
  }
  if (notes.isEmpty())
    return;
  if (ResultsOutdated())
    notes << App.Txt(Text::ResultsOutOfDate);
  SetStatusText(notes.join(". "));
}

bool MainWindow::ResultsOutdated() const {
  return HaveResults && App.Network() && App.Network()->Revision() != EvaluatedRevision;
}

void MainWindow::CheckResultsFreshness() {
  const bool outdated = ResultsOutdated();
  if (outdated == ReportedOutdated)
    return;
  ReportedOutdated = outdated;
  if (outdated)
    SetStatusText(App.Txt(Text::ResultsOutOfDate));
  emit ResultsOutdatedChanged(outdated);
}

// ---- protocol ----

void MainWindow::ShowProtocol() {
  App.Protocol()->ProtocolText->clear();
  std::string bytes;
  const QString path = Q(RunFiles().Protocol);
  if (!kd::ReadFileBytes(S(path), bytes)) {
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + path + ")");
    return;
  }
  App.Protocol()->SetProtocol(Q(kd::Cp1250ToUtf8(bytes)));
  App.Platform().ShowModal(App.Protocol());
}

// ---- evaluation ----

bool MainWindow::CheckConsistency() {
  bool removed = false;
  App.Document()->Edit(App.Txt(Text::StepRemoveOrphans), [&](SurveyNetwork &net) {
    removed = net.CheckConsistency(true, WarningSink());
  });
  return removed;
}

WarningCallback MainWindow::WarningSink() {
  return [this](const PlumbingWarning &warning) {
    App.Platform().Message(this, Q(PlumbingWarningText(App.Language(), warning)));
  };
}

void MainWindow::Evaluate() {
  // While a run is waited for, the evaluate button stops it.
  if (RunInProgress()) {
    StopEvaluation();
    return;
  }
  EvaluationCheck check;
  App.Document()->Edit(App.Txt(Text::StepRemoveOrphans), [&](SurveyNetwork &net) {
    check = CheckBeforeEvaluation(net, WarningSink());
  });
  if (check.TooSmall) {
    App.Platform().Message(this, App.Txt(Text::TooFewCoordinatesOrMeasurements));
    SetStatusText(App.Txt(Text::EvaluationFails));
    return;
  }
  QString folderError;
  if (!MakeOwnFilesFolder(App.Platform(), folderError)) {
    SetStatusText(App.Txt(Text::EvaluationFails));
    App.Platform().Message(this, App.Txt(Text::EvaluationFails) + " (" + folderError + ")");
    return;
  }
  App.Document()->Edit(App.Txt(Text::StepSortMeasurements),
                    [](SurveyNetwork &net) { net.Measurements.Sort(); });
  App.MeasurementPlan()->RefreshGrid();
  PollCount = 0;
  kd::app::EvaluationRequest request;
  request.Files = RunFiles();
  request.Engine = Q(App.Platform().Folders().EnginePath());
  request.PointNumberHeading = S(App.Txt(Text::PointNumberShort));
  // The engine input is written from the network itself (the document
  // keeps what was written); nothing of the network changes.
  Evaluation->Start(*App.Network(), request);
  if (!RunInProgress())
    return;
  EvaluatedRevision = App.Network()->Revision();
  const QString refused = Evaluation->StartError();
  if (!refused.isEmpty())
    App.Platform().Message(this, refused + " (" + request.Engine + ")");
  else
    SetStatusText(App.Txt(Text::EvaluationStarted));
  if (check.Dropped)
    SetStatusText(StatusText() + App.Txt(Text::MeasurementsWithoutCoordinatesDropped) + ".");
}

EngineRunFiles MainWindow::RunFiles() const {
  const std::string base = kd::ChangeFileExt(kd::FileNamePart(S(App.Platform().ProgramPath())), "");
  return RunFilesInFolder(App.Platform().Folders().OwnFilesFolder(), base);
}

void MainWindow::RunStarted() {
  // The evaluate button becomes the way to stop the run.
  EvaluateButton->setText(App.Txt(Text::StopEvaluation));
  ProtocolButton->setEnabled(false);
  CalculationsButton->setEnabled(false);
  ReportButton->setEnabled(false);
  if (App.Results())
    App.Results()->RequestedPairs.clear();
}

void MainWindow::PollEngine() { Evaluation->Tick(); }

void MainWindow::RunWaiting(int count) {
  PollCount = Evaluation->Poll().PollCount();
  SetStatusText(Q(WaitingStatusText(App.Language(), count)));
}

void MainWindow::RunFinished() {
  PollCount = Evaluation->Poll().PollCount();
  EndRun(true);
}

void MainWindow::RunFailed(const kd::app::EvaluationFailure &failure) {
  PollCount = Evaluation->Poll().PollCount();
  using Kind = kd::app::EvaluationFailure::Kind;
  switch (failure.What) {
  case Kind::OldResultsKept:
    // An old result that cannot be removed could be taken for the new one.
    EndRun(false);
    App.Platform().Message(this, App.Txt(Text::EvaluationFails) + " (" + Q(failure.Detail) + ")");
    break;
  case Kind::InputNotWritten:
    EndRun(false);
    App.Platform().Message(this, App.Txt(Text::EvaluationFails) + " (" +
                                 Q(failure.Input.empty() ? failure.Detail : failure.Input) + ")");
    break;
  case Kind::EngineEnded:
    EndFailedRun(failure.Protocol);
    break;
  case Kind::NotStarted:
  case Kind::NoEngine:
  case Kind::TimedOut:
    EndRun(false);
    break;
  }
}

void MainWindow::RunStopped() {
  EndRun(false);
  SetStatusText(App.Txt(Text::EvaluationStopped));
}

void MainWindow::StopEvaluation() {
  if (!RunInProgress())
    return;
  Evaluation->Stop();
}

void MainWindow::EndRun(bool complete) {
  EvaluateButton->setText(App.Txt(Text::EvaluateButton));
  EvaluateButton->setEnabled(true);
  ProtocolButton->setEnabled(complete);
  CalculationsButton->setEnabled(complete);
  ReportButton->setEnabled(complete);
  SetStatusText(App.Txt(complete ? Text::EvaluationAccomplished : Text::EvaluationFails));
  if (complete) {
    HaveResults = true;
    ReportedOutdated = false;
    emit ResultsOutdatedChanged(false);
  }
}

void MainWindow::EndFailedRun(const EngineFailureReason &protocol) {
  EndRun(false);
  if (!protocol.ProtocolRead)
    return;
  std::string reason = protocol.Reason;
  const int upperCaseMarks = App.Network()->Points.List.LastLoadUpperCaseMarks;
  if (!reason.empty() && upperCaseMarks > 0 && protocol.SingularNetwork)
    reason += " " + UpperCaseMarkHint(upperCaseMarks);
  if (!reason.empty())
    SetStatusText(App.Txt(Text::EvaluationFails) + " " + Q(reason));
  ProtocolButton->setEnabled(true);
}

// ---- calculations ----

void MainWindow::ShowCalculations() {
  App.Results()->SetOutdated(ResultsOutdated());
  // The results of this session's last run, read when it completed; before
  // any, those the run's files hold.
  std::shared_ptr<EvaluationResults> results = LastResults();
  if (!results)
    results = ReadEvaluationResults(RunFiles(), App.Network()->Points.ScSvpMode, App.Network()->Points.List,
                                    S(App.Txt(Text::PointNumberShort)));
  App.Results()->Results.reset();
  switch (results->Outcome) {
  case ResultsOutcome::Shown:
    App.Results()->Results = results;
    App.Results()->Table = results->Table;
    // The heading in the language of the moment.
    App.Results()->Table.SetCell(0, 0, S(App.Txt(Text::PointNumberShort)));
    App.Results()->ShowResults(results->PointChoices);
    App.Platform().ShowModal(App.Results());
    break;
  case ResultsOutcome::Not3d:
    App.Platform().Message(this, App.Txt(Text::AllPointsMustBe3d));
    SetStatusText(App.Txt(Text::AllPointsMustBe3d));
    break;
  case ResultsOutcome::LoadFailed:
  case ResultsOutcome::TableFailed:
    // The file cannot be read or parsed, or an ellipsoid cannot be
    // computed: say why.
    App.Platform().Message(this, Q(results->Error));
    break;
  }
}

void MainWindow::LoadProgramSettings() {
  // The settings of the file go to the store, and those the network
  // carries (colours, font, Sc/Svp mode, automatic save) to the network.
  if (App.Settings()->LoadProgramFile(S(OwnFileWithExt(App.Platform(), ".ini"))) == SettingsLoad::Missing)
    return;
  kd::ApplySettings(App.Settings()->Program(), App.Document()->Workspace().Points);
  App.LangPackFile() = App.Settings()->Program().LangPackFile;
}

void MainWindow::WriteReportFile() {
  const QString file = App.Platform().SaveFileName(
      this, QString::fromUtf8(RT(App.Language(), ReportText::Title).c_str()) + " (*.pdf, *.html)");
  if (file.isEmpty())
    return;
  const std::string path = file.toStdString();
  std::string error;
  ReportFormat format;
  if (!ReportFormatOf(path, format, error)) {
    App.Platform().Message(this, App.Txt(Text::Error) + ": " + QString::fromStdString(error));
    return;
  }
  // Project name and author, offered as last time.
  kd::app::ReportFields details = App.Settings()->Report();
  ReportDetailsDialog dialog(App.Language(), this);
  dialog.TitleEdit->setText(details.Title);
  dialog.AuthorEdit->setText(details.Author);
  if (App.Platform().ShowModal(&dialog) != QDialog::Accepted)
    return;
  details.Title = dialog.TitleEdit->text().trimmed();
  details.Author = dialog.AuthorEdit->text().trimmed();
  App.Settings()->SetReport(details);
  // The results of the last evaluation, as "+Calculations+" shows them.
  const std::shared_ptr<EvaluationResults> results = LastResults();
  if (!results || !results->Usable()) {
    App.Platform().Message(this, App.Txt(Text::AllPointsMustBe3d) +
                                 QString::fromStdString(results ? results->Error : std::string()));
    return;
  }
  ReportOptions options;
  options.Date = App.Platform().Now().toString("yyyy-MM-dd HH:mm").toStdString();
  options.Title = details.Title.toStdString();
  options.Author = details.Author.toStdString();
  if (App.Results())
    options.Relatives = App.Results()->RequestedPairs;
  // The confidence and tolerances chosen under the plans.
  options.Confidence = App.Settings()->Confidence();
  options.Tolerance = App.Settings()->Tolerance();
  ReportData data = GatherReport(*App.Network(), results->Reader, results->Observations, options);
  // The requirements of NAME.req beside the measurement file, when it has any.
  if (App.MeasurementPlan())
    data.Design = App.MeasurementPlan()->DesignReport();
  if (!WriteReport(App.Language(), data, path, error)) {
    App.Platform().Message(this, App.Txt(Text::Error) + ": " + QString::fromStdString(error));
    return;
  }
  SetStatusText(QString::fromUtf8(RT(App.Language(), ReportText::Title).c_str()) + ": " + file);
}
