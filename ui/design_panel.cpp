#include "ui/design_panel.h"

#include "app/network_document.h"
#include "core/measurement_list.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "ui/desktop_application.h"
#include "ui/main_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>

using kd::design::RequirementKind;
using kd::design::RequirementSet;
using kd::design::RequirementValue;

namespace {

constexpr int kRankedShown = 10;

QString Fixed3(double v) { return QString::number(v, 'f', 3); }

// "3.756 mm", or "0.412" for a redundancy number (as the command prints).
QString ValueText(const kd::design::Requirement &r, double v) {
  return r.kind == RequirementKind::Redundancy ? Fixed3(v) : Fixed3(v) + QStringLiteral(" mm");
}

QString Fill(const DesktopApplication &app, Text text, const QString &a) { return app.Txt(text).arg(a); }

// The requirement keyword of a line, "" for a blank or comment line.
std::string Keyword(const std::string &line) {
  std::string s = line.substr(0, line.find('#'));
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos)
    return std::string();
  const auto e = s.find_first_of(" \t", b);
  return s.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

bool SameMeasurement(const Measurement &a, const Measurement &b) {
  return a.MeasType == b.MeasType && a.Station == b.Station && a.Target == b.Target &&
         a.StdDev == b.StdDev;
}

QTableWidgetItem *Cell(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

} // namespace

DesignPanel::DesignPanel(MeasurementPlanWindow *plan)
    : QDialog(plan, Qt::Tool), App(plan->App), Plan(plan) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(5);

  FileLabel = new QLabel(this);
  FileLabel->setWordWrap(true);
  layout->addWidget(FileLabel);

  RequirementTable = new QTableWidget(0, 3, this);
  RequirementTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  RequirementTable->setSelectionMode(QAbstractItemView::SingleSelection);
  RequirementTable->verticalHeader()->setVisible(false);
  RequirementTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  RequirementTable->setMinimumHeight(130);
  layout->addWidget(RequirementTable);

  auto *editRow = new QHBoxLayout;
  RequirementEdit = new QLineEdit(this);
  AddButton = new QPushButton(this);
  ReplaceButton = new QPushButton(this);
  DeleteButton = new QPushButton(this);
  editRow->addWidget(RequirementEdit, 1);
  editRow->addWidget(AddButton);
  editRow->addWidget(ReplaceButton);
  editRow->addWidget(DeleteButton);
  layout->addLayout(editRow);

  StatusLabel = new QLabel(this);
  StatusLabel->setWordWrap(true);
  layout->addWidget(StatusLabel);

  NextBestLabel = new QLabel(this);
  QFont bold = NextBestLabel->font();
  bold.setBold(true);
  NextBestLabel->setFont(bold);
  layout->addWidget(NextBestLabel);

  auto *candidateRow = new QHBoxLayout;
  CandidatesLabel = new QLabel(this);
  CandidatesLabel->setWordWrap(true);
  CandidatesButton = new QPushButton(this);
  AutomaticButton = new QPushButton(this);
  candidateRow->addWidget(CandidatesLabel, 1);
  candidateRow->addWidget(CandidatesButton);
  candidateRow->addWidget(AutomaticButton);
  layout->addLayout(candidateRow);

  CandidateTable = new QTableWidget(0, 5, this);
  CandidateTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  CandidateTable->setSelectionMode(QAbstractItemView::SingleSelection);
  CandidateTable->verticalHeader()->setVisible(false);
  CandidateTable->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
  CandidateTable->setColumnWidth(0, 30);
  CandidateTable->setWordWrap(false);
  CandidateTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  CandidateTable->verticalHeader()->setDefaultSectionSize(24);
  CandidateTable->setMinimumHeight(250);
  layout->addWidget(CandidateTable, 1);

  auto *optimiseRow = new QHBoxLayout;
  OptimiseButton = new QPushButton(this);
  AcceptButton = new QPushButton(this);
  DiscardButton = new QPushButton(this);
  ReportButton = new QPushButton(this);
  ComputeButton = new QPushButton(this);
  optimiseRow->addWidget(ComputeButton);
  optimiseRow->addWidget(OptimiseButton);
  optimiseRow->addWidget(AcceptButton);
  optimiseRow->addWidget(DiscardButton);
  optimiseRow->addStretch(1);
  optimiseRow->addWidget(ReportButton);
  layout->addLayout(optimiseRow);

  ProposalLabel = new QLabel(this);
  ProposalLabel->setWordWrap(true);
  layout->addWidget(ProposalLabel);
  CriticalLabel = new QLabel(this);
  CriticalLabel->setWordWrap(true);
  layout->addWidget(CriticalLabel);

  connect(RequirementTable, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0 && row < static_cast<int>(Requirements.items.size()))
      RequirementEdit->setText(Q(Requirements.items[static_cast<size_t>(row)].text));
  });
  connect(AddButton, &QPushButton::clicked, this, [this] { AddRequirement(RequirementEdit->text()); });
  connect(RequirementEdit, &QLineEdit::returnPressed, this,
          [this] { AddRequirement(RequirementEdit->text()); });
  connect(ReplaceButton, &QPushButton::clicked, this,
          [this] { ReplaceRequirement(RequirementTable->currentRow(), RequirementEdit->text()); });
  connect(DeleteButton, &QPushButton::clicked, this,
          [this] { DeleteRequirement(RequirementTable->currentRow()); });
  connect(CandidatesButton, &QPushButton::clicked, this, [this] {
    const QString path =
        App.Platform().OpenFileName(this, App.Txt(Text::CandidatesButton), App.Txt(Text::TextFilesFilter));
    if (!path.isEmpty())
      LoadCandidates(path);
  });
  connect(AutomaticButton, &QPushButton::clicked, this, &DesignPanel::UseAutomaticCandidates);
  connect(OptimiseButton, &QPushButton::clicked, this, &DesignPanel::Optimise);
  connect(ComputeButton, &QPushButton::clicked, this, &DesignPanel::Recompute);
  connect(AcceptButton, &QPushButton::clicked, this, &DesignPanel::AcceptProposal);
  connect(DiscardButton, &QPushButton::clicked, this, &DesignPanel::DiscardProposal);
  connect(ReportButton, &QPushButton::clicked, this, [this] {
    if (App.Main())
      App.Main()->WriteReportFile();
  });
  // Every step on the network, its undo and its redo: the values follow.
  if (App.Document())
    connect(App.Document(), &kd::app::NetworkDocument::Changed, this, [this] {
      if (isVisible())
        RecomputeWhenSmall();
    });

  ApplyTexts();
  resize(500, 760);
}

DesignPanel::~DesignPanel() {
  StopOptimising();
  if (Worker)
    Worker->wait();
}

void DesignPanel::StopOptimising() {
  if (StopWorker)
    *StopWorker = true;
}

void DesignPanel::ApplyTexts() {
  setWindowTitle(App.Txt(Text::DesignPanelTitle));
  RequirementTable->setHorizontalHeaderLabels(
      {App.Txt(Text::RequirementColumn), App.Txt(Text::ValueColumn), App.Txt(Text::MarginColumn)});
  AddButton->setText(App.Txt(Text::RequirementAdd));
  ReplaceButton->setText(App.Txt(Text::RequirementReplace));
  DeleteButton->setText(App.Txt(Text::RequirementDelete));
  NextBestLabel->setText(App.Txt(Text::NextBestTitle));
  CandidatesButton->setText(App.Txt(Text::CandidatesButton));
  AutomaticButton->setText(App.Txt(Text::AutomaticCandidates));
  CandidateTable->setHorizontalHeaderLabels({QString(), App.Txt(Text::MeasurementColumn), App.Txt(Text::CostColumn),
                                             App.Txt(Text::GainColumn), App.Txt(Text::WhyColumn)});
  CandidateTable->horizontalHeaderItem(4)->setText(App.Txt(Text::ValueColumn));
  OptimiseButton->setText(App.Txt(Worker ? Text::StopEvaluation : Text::OptimiseButton));
  AcceptButton->setText(App.Txt(Text::AcceptButton));
  DiscardButton->setText(App.Txt(Text::DiscardButton));
  ReportButton->setText(App.Txt(Text::ReportButton));
  ComputeButton->setText(App.Txt(Text::ComputeButton));
  RecomputeWhenSmall();
}

void DesignPanel::RecomputeWhenSmall() {
  const int points = App.Document() ? App.Document()->Network().Points.List.Count() : 0;
  if (points <= kLivePointLimit || Requirements.items.empty()) {
    Recompute();
    return;
  }
  StopOptimising();
  Design.Clear();
  Candidates.clear();
  MarksNow = kd::app::DesignMarks();
  ProposalShown = false;
  FillRequirementTable();
  FillCandidateTable();
  ShowMarks();
  ProposalLabel->clear();
  OptimiseButton->setEnabled(Worker != nullptr);
  AcceptButton->setEnabled(false);
  DiscardButton->setEnabled(false);
  StatusLabel->setStyleSheet(QString());
  StatusLabel->setText(App.Txt(Text::DesignLargeNetwork).arg(points));
  emit OverlayChanged();
}

void DesignPanel::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  Reload();
}

// ---- requirements file ----

bool DesignPanel::ParseLines(const std::vector<std::string> &lines, RequirementSet &set,
                             std::string &error) const {
  // Messages name the file without its folder, as the plan's caption does.
  const std::string name = S(QFileInfo(Path).fileName());
  set = RequirementSet();
  set.fileName = name;
  bool any = false;
  for (const std::string &line : lines)
    any = any || (!Keyword(line).empty() && Keyword(line) != "confidence");
  std::string text;
  for (const std::string &line : lines)
    text += line + "\n";
  if (!any) {
    // Only comments and the level: a file still without requirements. The
    // level line is checked with a requirement that every network meets.
    RequirementSet probe;
    if (!kd::design::ParseRequirements(text + "ellipse * 1\n", name, probe, error))
      return false;
    set.confidence95 = probe.confidence95;
    return true;
  }
  if (!kd::design::ParseRequirements(text, name, set, error))
    return false;
  return true;
}

bool DesignPanel::CheckPoints(const RequirementSet &set, std::string &error) const {
  // A requirement on a point the network lacks is as bad as a faulty line
  // (checked at once where an evaluation is quick).
  if (App.Document() && App.Document()->Network().Points.List.Count() <= kLivePointLimit) {
    kd::app::DesignSession trial;
    kd::design::CandidateOptions none;
    none.automatic = false;
    if (!trial.Evaluate(App.Document()->Network(), set, none) &&
        trial.RequirementFault()) {
      error = trial.Error();
      return false;
    }
  }
  return true;
}

void DesignPanel::Reload() {
  const std::string measurementFile = App.Document() ? App.Document()->Network().Measurements.FileName : "";
  Path = Q(kd::app::RequirementsPathFor(measurementFile));
  Lines.clear();
  Requirements = RequirementSet();
  LoadError.clear();
  if (!Path.isEmpty() && QFileInfo::exists(Path)) {
    std::string bytes;
    if (!kd::ReadFileBytes(S(Path), bytes))
      LoadError = "cannot read the requirements file " + S(Path);
    else {
      Lines = kd::SplitLines(kd::Cp1250ToUtf8(bytes));
      std::string error;
      if (!ParseLines(Lines, Requirements, error)) {
        LoadError = error;
        Requirements = RequirementSet();
      }
    }
  }
  RecomputeWhenSmall();
}

bool DesignPanel::TryLines(const std::vector<std::string> &lines) {
  if (Path.isEmpty()) {
    App.Platform().Message(this, App.Txt(Text::NoRequirementsFile));
    return false;
  }
  RequirementSet set;
  std::string error;
  if (!ParseLines(lines, set, error) || (!set.items.empty() && !CheckPoints(set, error))) {
    App.Platform().Message(this, Fill(App, Text::RequirementRefused, Q(error)));
    return false;
  }
  if (!kd::WriteFileAtomic(S(Path), kd::Utf8ToCp1250(kd::JoinLinesCrLf(lines)))) {
    App.Platform().Message(this, App.Txt(Text::CannotWriteFile).arg(Path));
    return false;
  }
  Lines = lines;
  Requirements = set;
  LoadError.clear();
  RecomputeWhenSmall();
  return true;
}

bool DesignPanel::AddRequirement(const QString &line) {
  const std::string text = S(line.trimmed());
  if (text.empty())
    return false;
  if (!LoadError.empty()) {
    App.Platform().Message(this, Fill(App, Text::RequirementRefused, Q(LoadError)));
    return false;
  }
  std::vector<std::string> lines = Lines;
  // A level replaces the level of the file.
  auto level = std::find_if(lines.begin(), lines.end(),
                            [](const std::string &l) { return Keyword(l) == "confidence"; });
  if (Keyword(text) == "confidence" && level != lines.end())
    *level = text;
  else
    lines.push_back(text);
  if (!TryLines(lines))
    return false;
  RequirementEdit->clear();
  return true;
}

bool DesignPanel::ReplaceRequirement(int row, const QString &line) {
  if (row < 0 || row >= static_cast<int>(Requirements.items.size()))
    return false;
  const std::string text = S(line.trimmed());
  if (text.empty())
    return DeleteRequirement(row);
  std::vector<std::string> lines = Lines;
  lines[static_cast<size_t>(Requirements.items[static_cast<size_t>(row)].line - 1)] = text;
  return TryLines(lines);
}

bool DesignPanel::DeleteRequirement(int row) {
  if (row < 0 || row >= static_cast<int>(Requirements.items.size()))
    return false;
  std::vector<std::string> lines = Lines;
  lines.erase(lines.begin() + (Requirements.items[static_cast<size_t>(row)].line - 1));
  return TryLines(lines);
}

// ---- candidates ----

bool DesignPanel::LoadCandidates(const QString &path) {
  MeasurementList list;
  list.LoadFromFile(S(path));
  QString reason;
  if (list.LoadResult == MeasurementList::lfCannotRead)
    reason = App.Txt(Text::CandidatesCannotRead);
  else if (list.LoadResult == MeasurementList::lfFormatError)
    reason = App.Txt(Text::CandidatesFaulty).arg(list.LoadErrorLine);
  else if (list.Items.empty())
    reason = App.Txt(Text::CandidatesEmpty);
  if (!reason.isEmpty()) {
    App.Platform().Message(this, App.Txt(Text::CandidatesFileBad).arg(path, reason));
    return false;
  }
  FileCandidates = list.Items;
  CandidatesFile = path;
  RecomputeWhenSmall();
  return true;
}

void DesignPanel::UseAutomaticCandidates() {
  FileCandidates.clear();
  CandidatesFile.clear();
  RecomputeWhenSmall();
}

// ---- computing and showing ----

void DesignPanel::Recompute() {
  StopOptimising();
  Candidates.clear();
  MarksNow = kd::app::DesignMarks();
  ProposalShown = false;
  ProposalNow = kd::app::DesignProposal();
  bool ready = false;
  QString status;
  if (Path.isEmpty())
    status = App.Txt(Text::NoRequirementsFile);
  else if (!LoadError.empty())
    status = Fill(App, Text::RequirementRefused, Q(LoadError));
  else if (Requirements.items.empty())
    status = App.Txt(Text::NoRequirements);
  else if (App.Document()) {
    kd::design::CandidateOptions co;
    co.automatic = FileCandidates.empty();
    co.fromFile = FileCandidates;
    if (Design.Evaluate(App.Document()->Network(), Requirements, co)) {
      ready = true;
      Candidates = Design.Rank(kRankedShown);
      MarksNow = Design.Marks();
      if (Design.FreeNetwork())
        status = App.Txt(Text::FreeNetworkDatum);
    } else {
      status = Fill(App, Text::DesignFailed, Q(Design.Error()));
    }
  }
  FileLabel->setText(Fill(App, Text::RequirementsFileLabel,
                          Path.isEmpty() ? App.Txt(Text::NoMdb)
                                         : QFileInfo(Path).fileName() + QStringLiteral(" (") +
                                               App.Txt(Requirements.confidence95 ? Text::Level95Name
                                                                             : Text::LevelStandardName) +
                                               QStringLiteral(")")));
  StatusLabel->setText(status);
  StatusLabel->setStyleSheet(ready || status.isEmpty() ? QString() : QStringLiteral("color: #b00000;"));
  FillRequirementTable();
  FillCandidateTable();
  ShowMarks();
  OptimiseButton->setEnabled(ready || Worker);
  AcceptButton->setEnabled(false);
  DiscardButton->setEnabled(false);
  ProposalLabel->clear();
  emit OverlayChanged();
}

void DesignPanel::FillRequirementTable() {
  RequirementTable->setRowCount(static_cast<int>(Requirements.items.size()));
  const auto &values = Design.Ready() ? Design.Values() : std::vector<RequirementValue>();
  for (size_t i = 0; i < Requirements.items.size(); ++i) {
    const auto &r = Requirements.items[i];
    const int row = static_cast<int>(i);
    RequirementTable->setItem(row, 0, Cell(Q(r.text)));
    if (i < values.size()) {
      const RequirementValue &v = values[i];
      QString value = ValueText(r, v.value);
      if ((r.allPoints || r.points.size() > 1) && !v.subject.empty())
        value += QStringLiteral(" (") + Q(v.subject) + QStringLiteral(")");
      RequirementTable->setItem(row, 1, Cell(value));
      RequirementTable->setItem(row, 2, Cell(ValueText(r, v.margin)));
      const QColor back = v.holds ? QColor(196, 236, 196) : QColor(248, 196, 196);
      for (int c = 0; c < 3; ++c)
        RequirementTable->item(row, c)->setBackground(back);
    } else {
      RequirementTable->setItem(row, 1, Cell(QStringLiteral("-")));
      RequirementTable->setItem(row, 2, Cell(QStringLiteral("-")));
    }
  }
  RequirementTable->resizeColumnToContents(1);
  RequirementTable->resizeColumnToContents(2);
}

QColor DesignPanel::GainColour(double gain, double least, double most) {
  const double t = most > least ? std::clamp((gain - least) / (most - least), 0.0, 1.0) : 1.0;
  return QColor::fromHsvF(static_cast<float>(0.66 * (1.0 - t)), 0.9f, 1.0f);
}

void DesignPanel::FillCandidateTable() {
  const int n = static_cast<int>(Candidates.size());
  CandidateTable->setRowCount(n);
  if (FileCandidates.empty())
    CandidatesLabel->setText(App.Txt(Text::CandidatesAutomatic)
                                 .arg(Design.CandidateCount())
                                 .arg(QString::number(Design.MaxSight(), 'f', 1)));
  else
    CandidatesLabel->setText(
        App.Txt(Text::CandidatesFromFile).arg(Design.CandidateCount()).arg(QFileInfo(CandidatesFile).fileName()));
  AutomaticButton->setEnabled(!FileCandidates.empty());
  const double most = Candidates.empty() ? 0 : Candidates.front().Gain;
  const double least = Candidates.empty() ? 0 : Candidates.back().Gain;
  for (int i = 0; i < n; ++i) {
    const kd::app::DesignCandidate &c = Candidates[static_cast<size_t>(i)];
    auto *add = new QPushButton(QStringLiteral("+"), CandidateTable);
    add->setToolTip(App.Txt(Text::AddCandidateTip));
    connect(add, &QPushButton::clicked, this, [this, i] { AddCandidate(i); });
    CandidateTable->setCellWidget(i, 0, add);
    QPixmap swatch(12, 12);
    swatch.fill(GainColour(c.Gain, least, most));
    QTableWidgetItem *name = Cell(QString::number(i + 1) + QStringLiteral(". ") + Q(c.Label));
    name->setIcon(QIcon(swatch));
    CandidateTable->setItem(i, 1, name);
    CandidateTable->setItem(i, 2, Cell(Q(NumToText(c.Cost))));
    CandidateTable->setItem(i, 3, Cell(Fixed3(100 * c.Gain)));
    QStringList effect;
    for (size_t r = 0; r < c.Values.size() && r < Requirements.items.size(); ++r)
      effect << ValueText(Requirements.items[r], c.Values[r].value);
    QTableWidgetItem *values = Cell(effect.join(QStringLiteral("; ")));
    QStringList tip;
    for (size_t r = 0; r < c.Values.size() && r < Requirements.items.size(); ++r)
      tip << Q(Requirements.items[r].text) + QStringLiteral(" \u2192 ") +
                 ValueText(Requirements.items[r], c.Values[r].value);
    values->setToolTip(tip.join(QStringLiteral("\n")));
    CandidateTable->setItem(i, 4, values);
  }
  CandidateTable->resizeColumnToContents(1);
  CandidateTable->resizeColumnToContents(2);
  CandidateTable->resizeColumnToContents(3);
}

void DesignPanel::ShowMarks() {
  if (!Design.Ready()) {
    CriticalLabel->clear();
    return;
  }
  QStringList critical, low;
  for (size_t i = 0; i < MarksNow.Critical.size(); ++i)
    critical << MeasurementPlanWindow::MeasurementCaption(MarksNow.Critical[i]);
  for (const Measurement &m : MarksNow.LowValue)
    low << MeasurementPlanWindow::MeasurementCaption(m);
  // Long lists are cut short; the whole lists are in the tip.
  auto list = [this](const QStringList &items) {
    if (items.isEmpty())
      return App.Txt(Text::NoMdb);
    constexpr int kShown = 8;
    QString text = QStringLiteral("(%1) ").arg(items.size()) + items.mid(0, kShown).join(QStringLiteral(", "));
    return items.size() > kShown ? text + QStringLiteral(", \u2026") : text;
  };
  CriticalLabel->setText(Fill(App, Text::CriticalList, list(critical)) + QStringLiteral("\n") +
                         Fill(App, Text::LowValueList, list(low)));
  CriticalLabel->setToolTip(Fill(App, Text::CriticalList, critical.join(QStringLiteral(", "))) +
                            QStringLiteral("\n\n") + Fill(App, Text::LowValueList, low.join(QStringLiteral(", "))));
}

// ---- changing the plan ----

void DesignPanel::AfterEdit() {
  if (!Plan)
    return;
  Plan->RefreshGrid();
  Plan->MeasurementAdded(); // the plan's edit notice: live precision evaluates anew
  Plan->Redraw();
}

bool DesignPanel::AddCandidate(int rank) {
  if (!App.Document() || rank < 0 || rank >= static_cast<int>(Candidates.size()))
    return false;
  const kd::app::DesignCandidate c = Candidates[static_cast<size_t>(rank)];
  App.Document()->Edit(App.Txt(Text::AddCandidateStep).arg(Q(c.Label)), [&c](SurveyNetwork &net) {
    net.Measurements.AddMeasurement(c.Item.MeasType, c.Item.StdDev, c.Item.Target, c.Item.Station);
  });
  if (!isVisible())
    Recompute();
  AfterEdit();
  return true;
}

void DesignPanel::Optimise() {
  if (Worker) {
    StopOptimising(); // the button reads "Stop" meanwhile
    return;
  }
  if (!Design.Ready())
    return;
  DiscardProposal();
  // The job owns a copy of the plan: the panel may evaluate anew meanwhile.
  auto job = Design.MakeOptimiseJob(false);
  auto stop = std::make_shared<std::atomic<bool>>(false);
  auto result = std::make_shared<kd::app::DesignProposal>();
  StopWorker = stop;
  WorkerResult = result;
  Worker = QThread::create([job, stop, result] { *result = job([stop] { return stop->load(); }); });
  connect(Worker, &QThread::finished, this, &DesignPanel::OptimiseFinished);
  OptimiseButton->setText(App.Txt(Text::StopEvaluation));
  ProposalLabel->setText(App.Txt(Text::OptimiseButton) + QStringLiteral("\u2026"));
  Worker->start();
}

void DesignPanel::OptimiseFinished() {
  const bool stopped = StopWorker && *StopWorker;
  const kd::app::DesignProposal result = WorkerResult ? *WorkerResult : kd::app::DesignProposal();
  Worker->deleteLater();
  Worker = nullptr;
  StopWorker.reset();
  WorkerResult.reset();
  OptimiseButton->setText(App.Txt(Text::OptimiseButton));
  OptimiseButton->setEnabled(Design.Ready());
  if (stopped || result.Stopped) {
    ProposalLabel->clear();
    return;
  }
  ProposalNow = result;
  ProposalShown = true;
  QString text = App.Txt(Text::ProposalText)
                     .arg(ProposalNow.Added.size())
                     .arg(ProposalNow.Removed.size())
                     .arg(Q(NumToText(ProposalNow.Report.TotalCost)));
  if (!ProposalNow.Reached)
    text += QStringLiteral(" ") + App.Txt(Text::OptimisedNotReached);
  QStringList changes;
  for (const ReportPlanChange &c : ProposalNow.Report.Changes)
    changes << (c.Added ? QStringLiteral("+ ") : QStringLiteral("\u2212 ")) + Q(c.Measurement);
  if (!changes.isEmpty())
    text += QStringLiteral("\n") + changes.join(QStringLiteral(", "));
  QStringList values;
  for (size_t r = 0; r < ProposalNow.Values.size() && r < Requirements.items.size(); ++r)
    values << Q(Requirements.items[r].text) + QStringLiteral(" \u2192 ") +
                  ValueText(Requirements.items[r], ProposalNow.Values[r].value);
  if (!values.isEmpty())
    text += QStringLiteral("\n") + values.join(QStringLiteral("; "));
  ProposalLabel->setText(text);
  const bool change = !ProposalNow.Added.empty() || !ProposalNow.Removed.empty();
  AcceptButton->setEnabled(ProposalNow.Reached && change);
  DiscardButton->setEnabled(true);
  emit OverlayChanged();
}

void DesignPanel::AcceptProposal() {
  if (!ProposalShown || !App.Document())
    return;
  const kd::app::DesignProposal proposal = ProposalNow;
  App.Document()->Edit(App.Txt(Text::OptimisedPlanTitle), [&proposal](SurveyNetwork &net) {
    for (const Measurement &m : proposal.Removed) {
      auto &items = net.Measurements.Items;
      const auto at = std::find_if(items.begin(), items.end(),
                                   [&m](const Measurement &x) { return SameMeasurement(x, m); });
      if (at != items.end())
        net.Measurements.Delete(static_cast<int>(at - items.begin()));
    }
    for (const Measurement &m : proposal.Added)
      net.Measurements.AddMeasurement(m.MeasType, m.StdDev, m.Target, m.Station);
  });
  Accepted = proposal.Report;
  AcceptedRevision = App.Document()->Network().Measurements.ChangeCount();
  HasAccepted = true;
  if (!isVisible())
    Recompute();
  AfterEdit();
}

void DesignPanel::DiscardProposal() {
  ProposalShown = false;
  ProposalNow = kd::app::DesignProposal();
  ProposalLabel->clear();
  AcceptButton->setEnabled(false);
  DiscardButton->setEnabled(false);
  emit OverlayChanged();
}

ReportDesign DesignPanel::ReportPart() {
  if (!isVisible())
    Reload();
  // A report is worth the wait of a large network's evaluation.
  if (!Design.Ready() && !Requirements.items.empty())
    Recompute();
  if (!Design.Ready())
    return ReportDesign();
  ReportDesign d = Design.Report();
  if (HasAccepted && App.Document() && App.Document()->Network().Measurements.ChangeCount() == AcceptedRevision) {
    d.Optimised = true;
    d.Reached = Accepted.Reached;
    d.Changes = Accepted.Changes;
    d.TotalCost = Accepted.TotalCost;
    for (size_t i = 0; i < d.Requirements.size() && i < Accepted.Final.size(); ++i)
      d.Requirements[i].Binds = Accepted.Final[i].Binds;
  }
  return d;
}

// ---- drawing ----

void DesignPanel::DrawOverlay(QPainter &painter, const std::function<bool(double, QPointF &)> &pixelOf) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QFont font = painter.font();
  font.setPointSize(9);
  font.setBold(true);
  painter.setFont(font);
  // `shift` pixels to the side: candidates along one straight traverse
  // stand beside each other instead of on top of each other.
  auto line = [&](const Measurement &m, const QPen &pen, const QString &label, double shift = 0) {
    QPointF a, b;
    if (!pixelOf(m.Station, a) || !pixelOf(m.Target, b))
      return;
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (shift != 0 && length > 0) {
      const QPointF side(-d.y() / length * shift, d.x() / length * shift);
      a += side;
      b += side;
    }
    painter.setPen(pen);
    painter.drawLine(a, b);
    if (!label.isEmpty()) {
      const QPointF mid = (a + b) / 2 + QPointF(4, -4);
      painter.drawText(mid, label);
    }
  };
  // Critical measurements: a broad orange band under the plan's own line.
  for (const Measurement &m : MarksNow.Critical)
    line(m, QPen(QColor(255, 140, 0, 170), 6), QStringLiteral("!"));
  if (ProposalShown) {
    for (const Measurement &m : ProposalNow.Removed)
      line(m, QPen(QColor(255, 60, 60), 3, Qt::DashDotLine), QStringLiteral("\u00d7"));
    for (const Measurement &m : ProposalNow.Added)
      line(m, QPen(QColor(40, 230, 40), 3), QStringLiteral("+"));
  } else {
    const double most = Candidates.empty() ? 0 : Candidates.front().Gain;
    const double least = Candidates.empty() ? 0 : Candidates.back().Gain;
    for (size_t i = Candidates.size(); i-- > 0;) {
      const kd::app::DesignCandidate &c = Candidates[i];
      QPen pen(GainColour(c.Gain, least, most), 2, Qt::DashLine);
      const double shift = (i % 2 ? -1.0 : 1.0) * (4.0 + 4.0 * static_cast<double>(i / 2));
      line(c.Item, pen, QString::number(i + 1), shift);
    }
  }
  painter.restore();
}
