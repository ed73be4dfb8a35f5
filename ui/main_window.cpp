#include "ui/main_window.h"
#include "ui/plan_preferences.h"
#include "ui/live_precision.h"

#include "app/network_document.h"
#include "core/survey_network.h"
#include "core/text_file.h"
#include "core/version.h"
#include "evaluation/evaluation.h"
#include "evaluation/observation_table.h"
#include "evaluation/report_data.h"
#include "evaluation/results_reader.h"
#include "evaluation/run_precision.h"
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
#include "ui/app_globals.h"
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

bool FileOpenDialog::Execute(QWidget *parent) {
  const QString chosen = Platform().OpenFileName(parent, Title, Filter);
  if (chosen.isEmpty())
    return false;
  FileName = chosen;
  return true;
}

MainWindow::MainWindow(QWidget *parent) : QWidget(parent, Qt::Window | Qt::Tool) {
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

  PollTimer = Platform().CreateTimer(500);
  PollTimer->SetEnabled(false);
  PollTimer->OnTimer = [this] { PollEngine(); };

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
  SetStatusText(Txt(Text::InfoLine));
  LoadProgramSettings();
}

void MainWindow::OnDestroy() {
  // An engine still working when the program ends leaves no half outputs.
  if (RunInProgress())
    StopEvaluation();
  PollTimer->SetEnabled(false);
  delete TheResultsReader;
  TheResultsReader = nullptr;
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
  ReportButton->setText(Txt(Text::ReportButton));
  OpenDialog.Filter = Txt(Text::TextFilesFilter);
  LoadFullCoordinatesButton->setText(Txt(Text::LoadCoordinates));
  LoadSimpleCoordinatesButton->setText(Txt(Text::TextFileFilter));
  CoordinatePlanButton->setText(Txt(Text::CoordinatePlan));
  LoadMeasurementsButton->setText(Txt(Text::LoadMeasurements));
  MeasurementPlanButton->setText(Txt(Text::MeasurementPlan));
  SettingsButton->setText(Txt(Text::SettingsButton));
  EvaluateButton->setText(PollTimer && RunInProgress() ? Txt(Text::StopEvaluation) : Txt(Text::EvaluateButton));
  ProtocolButton->setText(Txt(Text::ProtocolButton));
  CalculationsButton->setText(Txt(Text::CalculationsButton));
  // The greeting follows the language until the first message replaces it.
  const std::string shown = S(StatusText());
  if (shown == TrIn("EN", Text::InfoLine) || shown == TrIn("CZ", Text::InfoLine))
    SetStatusText(Txt(Text::InfoLine));
}

// ---- loading files ----

void MainWindow::LoadCoordinates(bool full) {
  OpenDialog.Title = Txt(full ? Text::LoadCoordinates : Text::LoadTxt);
  if (!OpenDialog.Execute(this))
    return;
  const QString path = OpenDialog.FileName;
  int count = 0;
  TheDocument->Edit(Txt(Text::StepLoadCoordinates), [&](SurveyNetwork &net) {
    count = full ? net.Points.List.LoadFull(S(path)) : net.Points.List.LoadSimple(S(path));
  });
  const PointList &list = TheNetwork->Points.List;
  if (count >= 2) {
    SetStatusText(Txt(Text::LoadedPointCount) + QString::number(count) + SkippedNote(list.LastLoadSkipped));
    TheCoordinatePlan->setWindowTitle(Txt(Text::CoordinatePlan) + " - [" + path + "]");
  } else {
    Platform().Message(this, Txt(Text::AtLeastTwoPoints));
  }
  CheckResultsFreshness();
}

void MainWindow::LoadFullCoordinates() { LoadCoordinates(true); }
void MainWindow::LoadSimpleCoordinates() { LoadCoordinates(false); }

void MainWindow::LoadMeasurements() {
  OpenDialog.Title = Txt(Text::LoadMeasurements);
  if (!OpenDialog.Execute(this))
    return;
  const QString path = OpenDialog.FileName;
  const MeasurementList &meas = TheNetwork->Measurements;
  int before = 0;
  bool dropped = false;
  // The load and the removal of measurements without points are one step.
  TheDocument->Edit(Txt(Text::StepLoadMeasurements), [&](SurveyNetwork &net) {
    net.Measurements.LoadFromFile(S(path));
    before = net.Measurements.Count();
    dropped = net.CheckConsistency(true, WarningSink());
  });
  const int after = meas.Count();
  TheMeasurementPlan->setWindowTitle(Txt(Text::MeasurementPlan) + " - [" + path + "]");
  QString line = Txt(Text::LoadedMeasurements) + QString::number(after);
  if (dropped)
    line += " " + Txt(Text::MeasurementsWithoutCoordinatesDropped) + " (" + QString::number(before - after) + ").";
  SetStatusText(line + SkippedNote(meas.LastLoadSkipped));
  // The reader keeps what it read before a fault; say where the file went
  // wrong so the user knows the list is incomplete.
  if (meas.LoadResult == MeasurementList::lfFormatError)
    Platform().Message(this, Txt(Text::Error) + " (" + path + ":" + QString::number(meas.LoadErrorLine) + ")" +
                                 (meas.LoadErrorFault == kd::NumberFault::NotANumber
                                      ? QString()
                                      : ": " + Q(kd::NumberFaultText(meas.LoadErrorFault, meas.LoadErrorLine))));
  else if (meas.LoadResult == MeasurementList::lfCannotRead)
    Platform().Message(this, Txt(Text::Error) + " (" + path + ")");
  CheckResultsFreshness();
}

// ---- plans and settings ----

void MainWindow::ShowCoordinatePlan() {
  if (TheNetwork->Points.List.Count() < 2) {
    Platform().Message(this, Txt(Text::NotEnoughPoints));
    return;
  }
  GivePrecisionToPlans();
  TheCoordinatePlan->PreparePlan();
  hide();
  Platform().ShowModal(TheCoordinatePlan);
  show();
  CheckResultsFreshness();
  ReportBackups();
}

void MainWindow::ShowMeasurementPlan() {
  if (TheNetwork->Points.List.Count() < 2) {
    Platform().Message(this, Txt(Text::NotEnoughPoints));
    return;
  }
  if (CheckConsistency())
    Platform().Message(this, Txt(Text::MeasurementsThrownAway));
  GivePrecisionToPlans();
  TheMeasurementPlan->PreparePlan();
  TheAddMeasurementWindow->ActivateStationField();
  hide();
  Platform().ShowModal(TheMeasurementPlan);
  show();
  CheckResultsFreshness();
  ReportBackups();
}

std::shared_ptr<const NetworkPrecision> MainWindow::CurrentResultsPrecision(std::string &reason) {
  reason.clear();
  // Results belong to the network only after a completed run and until the
  // network is edited.
  if (!CalculationsButton->isEnabled() || ResultsOutdated())
    return nullptr;
  auto precision = std::make_shared<NetworkPrecision>();
  std::string warning;
  if (!ReadRunPrecision(RunFiles(), TheNetwork->Points.ScSvpMode, TheNetwork->Points.List,
                        *precision, reason, warning))
    return nullptr;
  return precision;
}

void MainWindow::GivePrecisionToPlans() {
  std::string reason;
  const std::shared_ptr<const NetworkPrecision> precision = CurrentResultsPrecision(reason);
  for (PlanWindow *plan : {static_cast<PlanWindow *>(TheCoordinatePlan),
                           static_cast<PlanWindow *>(TheMeasurementPlan)}) {
    plan->SetPrecision(precision, reason);
  }
  // With live precision on and no current results, the background
  // evaluation supplies the ellipses as soon as the plan opens.
  if (!precision && TheLivePrecision &&
      (TheCoordinatePlan->LivePrecisionEnabled() || TheMeasurementPlan->LivePrecisionEnabled()))
    TheLivePrecision->Request(*TheNetwork);
}

void MainWindow::ShowSettings() {
  TheSettingsDialog->OnShow();
  Platform().ShowModal(TheSettingsDialog);
  CheckResultsFreshness();
}

void MainWindow::ReportBackups() {
  // Every save of the plan is named in full, with the backup it kept.
  QStringList notes;
  PointList &points = TheNetwork->Points.List;
  MeasurementList &meas = TheNetwork->Measurements;
  const std::pair<std::string *, std::string *> saves[] = {{&points.LastSavedFile, &points.LastBackup},
                                                           {&meas.LastSavedFile, &meas.LastBackup}};
  for (const auto &[saved, backup] : saves) {
    if (saved->empty())
      continue;
    QString note = Txt(Text::SavedOnClose) + Q(*saved);
    if (!backup->empty())
      note += Txt(Text::BackupKept) + Q(*backup);
    notes << note;
    saved->clear();
    backup->clear();
  }
  if (notes.isEmpty())
    return;
  if (ResultsOutdated())
    notes << Txt(Text::ResultsOutOfDate);
  SetStatusText(notes.join(". "));
}

bool MainWindow::ResultsOutdated() const {
  return HaveResults && TheNetwork && TheNetwork->Revision() != EvaluatedRevision;
}

void MainWindow::CheckResultsFreshness() {
  const bool outdated = ResultsOutdated();
  if (outdated == ReportedOutdated)
    return;
  ReportedOutdated = outdated;
  if (outdated)
    SetStatusText(Txt(Text::ResultsOutOfDate));
  emit ResultsOutdatedChanged(outdated);
}

// ---- protocol ----

void MainWindow::ShowProtocol() {
  TheProtocolWindow->ProtocolText->clear();
  std::string bytes;
  const QString path = Q(RunFiles().Protocol);
  if (!kd::ReadFileBytes(S(path), bytes)) {
    Platform().Message(this, Txt(Text::Error) + " (" + path + ")");
    return;
  }
  TheProtocolWindow->SetProtocol(Q(kd::Cp1250ToUtf8(bytes)));
  Platform().ShowModal(TheProtocolWindow);
}

// ---- evaluation ----

bool MainWindow::CheckConsistency() {
  bool removed = false;
  TheDocument->Edit(Txt(Text::StepRemoveOrphans), [&](SurveyNetwork &net) {
    removed = net.CheckConsistency(true, WarningSink());
  });
  return removed;
}

WarningCallback MainWindow::WarningSink() {
  return [this](const PlumbingWarning &warning) {
    Platform().Message(this, Q(PlumbingWarningText(warning)));
  };
}

void MainWindow::Evaluate() {
  // While a run is waited for, the evaluate button stops it.
  if (RunInProgress()) {
    StopEvaluation();
    return;
  }
  EvaluationCheck check;
  TheDocument->Edit(Txt(Text::StepRemoveOrphans), [&](SurveyNetwork &net) {
    check = CheckBeforeEvaluation(net, WarningSink());
  });
  if (check.TooSmall) {
    Platform().Message(this, Txt(Text::TooFewCoordinatesOrMeasurements));
    SetStatusText(Txt(Text::EvaluationFails));
    return;
  }
  QString folderError;
  if (!MakeOwnFilesFolder(folderError)) {
    SetStatusText(Txt(Text::EvaluationFails));
    Platform().Message(this, Txt(Text::EvaluationFails) + " (" + folderError + ")");
    return;
  }
  const EngineRunFiles files = RunFiles();
  if (!DeleteOutputs(files)) {
    // An old result that cannot be removed could be taken for the new one.
    EndRun(false);
    Platform().Message(this, Txt(Text::EvaluationFails) + " (" + Q(files.Results) + ")");
    return;
  }
  TheDocument->Edit(Txt(Text::StepSortMeasurements),
                    [](SurveyNetwork &net) { net.Measurements.Sort(); });
  TheMeasurementPlan->RefreshGrid();
  if (!WriteEngineInput(*TheNetwork, files.Input)) {
    EndRun(false);
    std::string failed = FailedMeasurementText(TheNetwork->LastWriteFailure);
    if (failed.empty())
      failed = TheNetwork->LastWriteFailure.Reason; // a fault of the points themselves
    Platform().Message(this, Txt(Text::EvaluationFails) + " (" + Q(failed.empty() ? files.Input : failed) + ")");
    return;
  }
  Poll = EnginePoll(files);
  PollCount = 0;
  EvaluatedRevision = TheNetwork->Revision();
  if (StartEngine())
    SetStatusText(Txt(Text::EvaluationStarted));
  if (check.Dropped)
    SetStatusText(StatusText() + Txt(Text::MeasurementsWithoutCoordinatesDropped) + ".");
}

EngineRunFiles MainWindow::RunFiles() {
  const std::string base = kd::ChangeFileExt(kd::FileNamePart(S(Platform().ProgramPath())), "");
  return RunFilesInFolder(Platform().Folders().OwnFilesFolder(), base);
}

bool MainWindow::StartEngine() {
  // The evaluate button becomes the way to stop the run.
  EvaluateButton->setText(Txt(Text::StopEvaluation));
  ProtocolButton->setEnabled(false);
  CalculationsButton->setEnabled(false);
  ReportButton->setEnabled(false);
  if (TheResultsWindow)
    TheResultsWindow->RequestedPairs.clear();
  const EngineRunFiles files = RunFiles();
  const QString engine = Q(Platform().Folders().EnginePath());
  QStringList args;
  for (const std::string &arg : EngineArguments(files))
    args << Q(arg);
  if (Platform().FileExists(Q(files.Results)))
    Platform().DeleteFile(Q(files.Results));
  QString error;
  const bool started = Platform().StartProcess(engine, args, error);
  EngineStarted = started;
  if (!started)
    Platform().Message(this, error + " (" + engine + ")");
  // A failed start ends through the time-out of the poll; a started engine
  // is waited for as long as it works.
  PollTimer->SetEnabled(true);
  return started;
}

void MainWindow::PollEngine() {
  // Asked before the files are looked at: once the engine has ended, what
  // the files show is all there will be.
  const bool running = EngineStarted && Platform().ProcessRunning();
  const PollState state = Poll.Tick(running);
  PollCount = Poll.PollCount();
  if (state == PollState::Complete)
    SetStatusText(Txt(Text::EvaluationAccomplished));
  else if (state == PollState::Failed)
    SetStatusText(Txt(Text::EvaluationFails));
  else
    SetStatusText(Q(WaitingStatusText(Poll.WaitingCount())));
  if (state == PollState::Complete)
    EndRun(true);
  else if (state == PollState::Failed)
    EndRun(false);
  else if (EngineStarted && !running)
    EndFailedRun();
}

void MainWindow::StopEvaluation() {
  if (!RunInProgress())
    return;
  Platform().StopProcess();
  EngineStarted = false;
  // Whatever the stopped engine wrote is incomplete.
  DeleteOutputs(Poll.Files());
  Poll.Fail();
  EndRun(false);
  SetStatusText(Txt(Text::EvaluationStopped));
}

void MainWindow::EndRun(bool complete) {
  EvaluateButton->setText(Txt(Text::EvaluateButton));
  EvaluateButton->setEnabled(true);
  ProtocolButton->setEnabled(complete);
  CalculationsButton->setEnabled(complete);
  ReportButton->setEnabled(complete);
  PollTimer->SetEnabled(false);
  EngineStarted = false;
  // A stopped or failed engine may have left a file half written.
  if (!complete)
    RemoveRunTemporaries(RunFiles());
  SetStatusText(Txt(complete ? Text::EvaluationAccomplished : Text::EvaluationFails));
  if (complete) {
    HaveResults = true;
    ReportedOutdated = false;
    emit ResultsOutdatedChanged(false);
  }
}

void MainWindow::EndFailedRun() {
  Poll.Fail();
  EndRun(false);
  std::string bytes;
  const std::string protocol = Poll.Files().Protocol;
  if (!kd::ReadFileBytes(protocol, bytes))
    return;
  const std::string text = kd::Cp1250ToUtf8(bytes);
  std::string reason = ProtocolFailureReason(text);
  const int upperCaseMarks = TheNetwork->Points.List.LastLoadUpperCaseMarks;
  if (!reason.empty() && upperCaseMarks > 0 && ProtocolReportsSingularNetwork(text))
    reason += " " + UpperCaseMarkHint(upperCaseMarks);
  if (!reason.empty())
    SetStatusText(Txt(Text::EvaluationFails) + " " + Q(reason));
  ProtocolButton->setEnabled(true);
}

// ---- calculations ----

void MainWindow::ShowCalculations() {
  TheResultsWindow->SetOutdated(ResultsOutdated());
  delete TheResultsReader;
  TheResultsReader = new ResultsReader();
  TheResultsReader->PointNumberHeading = S(Txt(Text::PointNumberShort));
  std::vector<std::string> choices1, choices2;
  const ResultsOutcome outcome =
      ReadResults(*TheResultsReader, RunFiles().Results, TheNetwork->Points.ScSvpMode,
                  TheNetwork->Points.List, TheResultsWindow->Table, choices1, choices2);
  switch (outcome) {
  case ResultsOutcome::Shown:
    TheResultsWindow->ShowResults(choices1);
    Platform().ShowModal(TheResultsWindow);
    break;
  case ResultsOutcome::Not3d:
    Platform().Message(this, Txt(Text::AllPointsMustBe3d));
    SetStatusText(Txt(Text::AllPointsMustBe3d));
    break;
  case ResultsOutcome::LoadFailed:
  case ResultsOutcome::TableFailed:
    // The file cannot be read or parsed, or an ellipsoid cannot be
    // computed: say why; the reader stays without a table.
    Platform().Message(this, Q(TheResultsReader->Error));
    break;
  }
}

void MainWindow::LoadProgramSettings() {
  IniFile settings;
  settings.LoadSettings(TheDocument->Workspace().Points, S(OwnFileWithExt(".ini")));
}

void MainWindow::WriteReportFile() {
  const QString file = Platform().SaveFileName(this, QString::fromUtf8(RT(ReportText::Title).c_str()) +
                                                         " (*.pdf, *.html)");
  if (file.isEmpty())
    return;
  const std::string path = file.toStdString();
  std::string error;
  ReportFormat format;
  if (!ReportFormatOf(path, format, error)) {
    Platform().Message(this, Txt(Text::Error) + ": " + QString::fromStdString(error));
    return;
  }
  // Project name and author, offered as last time.
  ReportPreferences details = LoadReportPreferences();
  ReportDetailsDialog dialog(this);
  dialog.TitleEdit->setText(details.Title);
  dialog.AuthorEdit->setText(details.Author);
  if (Platform().ShowModal(&dialog) != QDialog::Accepted)
    return;
  details.Title = dialog.TitleEdit->text().trimmed();
  details.Author = dialog.AuthorEdit->text().trimmed();
  SaveReportPreferences(details);
  // The results are read anew, as "+Calculations+" does, so that the report
  // always shows the last evaluation.
  ResultsReader reader;
  reader.PointNumberHeading = S(Txt(Text::PointNumberShort));
  TextGrid grid;
  std::vector<std::string> choices1, choices2;
  const EngineRunFiles files = RunFiles();
  if (ReadResults(reader, files.Results, TheNetwork->Points.ScSvpMode, TheNetwork->Points.List, grid,
                  choices1, choices2) != ResultsOutcome::Shown) {
    Platform().Message(this, Txt(Text::AllPointsMustBe3d) + QString::fromStdString(reader.Error));
    return;
  }
  std::vector<ObservationRow> rows;
  ReadObservationTable(files.ObservationTable, rows, error); // optional: no reliability without it
  ReportOptions options;
  options.Date = Platform().Now().toString("yyyy-MM-dd HH:mm").toStdString();
  options.Title = details.Title.toStdString();
  options.Author = details.Author.toStdString();
  if (TheResultsWindow)
    options.Relatives = TheResultsWindow->RequestedPairs;
  // The confidence and tolerances chosen under the plans.
  const PlanPreferences shown = LoadPlanPreferences();
  options.Confidence = shown.Percent95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
  options.Tolerance.Horizontal = shown.ToleranceSemiMajorMm;
  options.Tolerance.Vertical = shown.ToleranceSigmaZMm;
  const ReportData data = GatherReport(*TheNetwork, reader, rows, options);
  if (!WriteReport(data, path, error)) {
    Platform().Message(this, Txt(Text::Error) + ": " + QString::fromStdString(error));
    return;
  }
  SetStatusText(QString::fromUtf8(RT(ReportText::Title).c_str()) + ": " + file);
}
