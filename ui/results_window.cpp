#include "ui/results_window.h"

#include "settings/language_pack.h"

#include "core/number_text.h"
#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "report/relative_precision_text.h"
#include "evaluation/results_reader.h"
#include "app/text_grid_model.h"
#include "ui/desktop_application.h"
#include "ui/exports.h"
#include "app/settings_store.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QGuiApplication>
#include <algorithm>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int kMinWidth = 715;
const char *const kNoValue = "--------";
} // namespace

ResultsWindow::ResultsWindow(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setWindowTitle(QString::fromUtf8("Výsledky a výpočty"));
  setFont(DesignFont("Tahoma", 8));
  setMinimumWidth(kMinWidth);
  // Wide enough for every column of the results table where the screen allows.
  int width = 1300;
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    width = std::min(width, screen->availableGeometry().width() - 40);
  resize(std::max(width, kMinWidth), 520);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);

  auto *main = new QVBoxLayout(this);
  auto *controls = new QGridLayout();
  DistanceKindLabel = new QLabel(this);
  DistanceKindCombo = new QComboBox(this);
  FromPointLabel = new QLabel(this);
  FromPointCombo = new QComboBox(this);
  ToPointLabel = new QLabel(this);
  ToPointCombo = new QComboBox(this);
  FromPointCombo->setEditable(true);
  ToPointCombo->setEditable(true);
  FromPointCombo->setInsertPolicy(QComboBox::NoInsert);
  ToPointCombo->setInsertPolicy(QComboBox::NoInsert);
  FromPointCombo->setMinimumWidth(110);
  ToPointCombo->setMinimumWidth(110);
  DistanceKindCombo->setMinimumWidth(110);
  CalculateButton = new QPushButton(this);
  DistanceLabel = new QLabel(this);
  DistanceValueLabel = new QLabel(kNoValue, this);
  StdDevLabel = new QLabel(this);
  StdDevValueLabel = new QLabel(kNoValue, this);
  QFont valueFont = DesignFont("Tahoma", 9, true);
  DistanceValueLabel->setFont(valueFont);
  StdDevValueLabel->setFont(valueFont);
  DistanceValueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  StdDevValueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  DistanceValueLabel->setMinimumWidth(150);
  StdDevValueLabel->setMinimumWidth(150);
  BearingLabel = new QLabel(this);
  BearingEdit = new QLineEdit(this);
  BearingEdit->setObjectName("BearingEdit");
  BearingEdit->setMaximumWidth(110);
  RelativeEllipseLabel = new QLabel(this);
  RelativeEllipseValueLabel = new QLabel(kNoValue, this);
  AlongAcrossLabel = new QLabel(this);
  AlongAcrossValueLabel = new QLabel(kNoValue, this);
  for (QLabel *value : {RelativeEllipseValueLabel, AlongAcrossValueLabel}) {
    value->setFont(valueFont);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  SaveTableButton = new QPushButton(this);
  SaveCovarianceMatrixButton = new QPushButton(this);
  SaveCsvButton = new QPushButton(App.Txt(Text::SaveAsCsv), this);
  SaveCsvButton->setToolTip(App.Txt(Text::SaveAsCsvTip));
  CalculateButton->setMinimumWidth(130);
  SaveTableButton->setMinimumWidth(130);
  SaveCovarianceMatrixButton->setMinimumWidth(130);

  controls->addWidget(DistanceKindLabel, 0, 0);
  controls->addWidget(DistanceKindCombo, 0, 1);
  controls->addWidget(FromPointLabel, 0, 2);
  controls->addWidget(FromPointCombo, 0, 3);
  controls->addWidget(ToPointLabel, 0, 4);
  controls->addWidget(ToPointCombo, 0, 5);
  controls->addWidget(CalculateButton, 0, 6);
  controls->addWidget(DistanceLabel, 1, 0);
  controls->addWidget(DistanceValueLabel, 1, 1);
  controls->addWidget(StdDevLabel, 1, 2);
  controls->addWidget(StdDevValueLabel, 1, 3);
  controls->addWidget(SaveCsvButton, 1, 4);
  controls->addWidget(SaveTableButton, 1, 5);
  controls->addWidget(SaveCovarianceMatrixButton, 1, 6);
  controls->addWidget(BearingLabel, 2, 0);
  controls->addWidget(BearingEdit, 2, 1);
  controls->addWidget(RelativeEllipseLabel, 2, 2);
  controls->addWidget(RelativeEllipseValueLabel, 2, 3, 1, 5);
  controls->addWidget(AlongAcrossLabel, 3, 2);
  controls->addWidget(AlongAcrossValueLabel, 3, 3, 1, 5);
  controls->setColumnStretch(7, 1);
  main->addLayout(controls);

  ResultsModel = new kd::app::TextGridModel(Table, this);
  ResultsTable = new QTableView(this);
  ResultsTable->setModel(ResultsModel);
  ResultsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ResultsTable->verticalHeader()->setVisible(false);
  ResultsTable->verticalHeader()->setDefaultSectionSize(18);
  ResultsTable->setFont(DesignFont("Tahoma", 8));
  main->addWidget(ResultsTable, 1);

  connect(CalculateButton, &QPushButton::clicked, this, &ResultsWindow::ComputeDistance);
  connect(SaveTableButton, &QPushButton::clicked, this, &ResultsWindow::SaveResultsTable);
  connect(SaveCovarianceMatrixButton, &QPushButton::clicked, this, &ResultsWindow::SaveCovarianceMatrix);
  connect(SaveCsvButton, &QPushButton::clicked, this, &ResultsWindow::SaveAsCsv);
}

void ResultsWindow::ApplyTexts() {
  setWindowTitle(App.Txt(Text::ResultsAndCalculations) + (Outdated ? App.Txt(Text::OutOfDateTitle) : QString()));
  DistanceKindLabel->setText(App.Txt(Text::DistanceGroup));
  FromPointLabel->setText(App.Txt(Text::From));
  ToPointLabel->setText(App.Txt(Text::To));
  CalculateButton->setText(App.Txt(Text::Calculate));
  DistanceLabel->setText(App.Txt(Text::Distance));
  StdDevLabel->setText(App.Txt(Text::StdDev));
  SaveTableButton->setText(App.Txt(Text::SaveTable));
  SaveCovarianceMatrixButton->setText(App.Txt(Text::SaveCovarianceMatrix));
  SaveCsvButton->setText(App.Txt(Text::SaveAsCsv));
  SaveCsvButton->setToolTip(App.Txt(Text::SaveAsCsvTip));
  BearingLabel->setText(App.Txt(Text::BearingField));
  RelativeEllipseLabel->setText(App.Txt(Text::RelativeEllipse));
  AlongAcrossLabel->setText(App.Txt(Text::AlongAcross));
  DistanceKindCombo->clear();
  DistanceKindCombo->addItems({App.Txt(Text::Slope), App.Txt(Text::Horizontal), App.Txt(Text::Vertical)});
  DistanceKindCombo->setCurrentIndex(0);
}

void ResultsWindow::resizeEvent(QResizeEvent *event) {
  if (event->size().width() < kMinWidth)
    resize(kMinWidth, event->size().height());
  QDialog::resizeEvent(event);
}

void ResultsWindow::ShowResults(const std::vector<std::string> &choices) {
  const int cols = Table.ColCount;
  ResultsModel->SetFirstColumnBackground(palette().brush(QPalette::Button));
  ResultsModel->Reset();
  for (int c = 0; c < cols; ++c)
    ResultsTable->setColumnWidth(c, c < ResultsReader::ResultColumns ? ResultsReader::ResultColWidths[c] : 66);

  FromPointCombo->clear();
  ToPointCombo->clear();
  for (const std::string &choice : choices) {
    FromPointCombo->addItem(Q(choice));
    ToPointCombo->addItem(Q(choice));
  }
  FromPointCombo->setCurrentIndex(choices.empty() ? -1 : 0);
  ToPointCombo->setCurrentIndex(choices.empty() ? -1 : 0);
  DistanceValueLabel->setText(kNoValue);
  StdDevValueLabel->setText(kNoValue);
  RelativeEllipseValueLabel->setText(kNoValue);
  AlongAcrossValueLabel->setText(kNoValue);
  Precision.reset();
}

// Position of the chooser's text in its list: typed text that names no point
// gives -1.
static int ChosenPosition(const QComboBox *box) {
  const int index = box->findText(box->currentText(), Qt::MatchExactly);
  return index;
}

void ResultsWindow::ComputeDistance() {
  if (!Results)
    return;
  ResultsReader &reader = Results->Reader;
  std::string distance, sigma;
  if (reader.CalculateDistance(ChosenPosition(FromPointCombo), ChosenPosition(ToPointCombo),
                                   DistanceKindCombo->currentIndex(), distance, sigma)) {
    DistanceValueLabel->setText(Q(distance));
    StdDevValueLabel->setText(Q(sigma));
    const auto &points = reader.Results.Items;
    const ReportPair pair{points[static_cast<size_t>(ChosenPosition(FromPointCombo))].Number,
                               points[static_cast<size_t>(ChosenPosition(ToPointCombo))].Number,
                               DistanceKindCombo->currentIndex()};
    const bool known = std::any_of(RequestedPairs.begin(), RequestedPairs.end(), [&](const ReportPair &r) {
      return r.From == pair.From && r.To == pair.To && r.Kind == pair.Kind;
    });
    if (!known && pair.From != pair.To)
      RequestedPairs.push_back(pair);
  } else {
    // A typed text that names no point, or a matrix that is no covariance:
    // nothing to show.
    DistanceValueLabel->setText(kNoValue);
    StdDevValueLabel->setText(kNoValue);
  }
  ComputeRelative(ChosenPosition(FromPointCombo), ChosenPosition(ToPointCombo));
}

void ResultsWindow::ComputeRelative(int from, int to) {
  RelativeEllipseValueLabel->setText(kNoValue);
  AlongAcrossValueLabel->setText(kNoValue);
  const QString bearingText = BearingEdit->text().trimmed();
  long double bearing = 0;
  bool hasBearing = !bearingText.isEmpty();
  if (hasBearing && !ParseBearingGon(S(bearingText), bearing)) {
    // "Wrong input!" and a reset of the field; the ellipse is still shown.
    App.Platform().Message(this, App.Txt(Text::WrongInput));
    BearingEdit->clear();
    hasBearing = false;
  }
  const ResultsReader *reader = Results ? &Results->Reader : nullptr;
  if (!reader || from < 0 || to < 0 || from >= reader->Results.Count() ||
      to >= reader->Results.Count())
    return;
  if (!ShownPrecision() || Precision->Empty())
    return;
  RelativeFigures figures;
  if (!ComputeRelativeFigures(*Precision, reader->Results.Items[static_cast<std::size_t>(from)].Number,
                              reader->Results.Items[static_cast<std::size_t>(to)].Number,
                              hasBearing, bearing, figures))
    return; // the same point twice
  RelativeEllipseValueLabel->setText(Q(RelativeEllipseText(App.Language(), figures)));
  if (hasBearing) {
    AlongAcrossValueLabel->setText(Q(AlongAcrossText(App.Language(), figures)));
    // A pair with a bearing goes into the report with its along/across.
    const ReportPair pair{reader->Results.Items[static_cast<std::size_t>(from)].Number,
                          reader->Results.Items[static_cast<std::size_t>(to)].Number, -1, true, bearing};
    const bool known = std::any_of(RequestedPairs.begin(), RequestedPairs.end(), [&](const ReportPair &r) {
      return r.From == pair.From && r.To == pair.To && r.HasBearing && r.BearingGon == pair.BearingGon;
    });
    if (!known)
      RequestedPairs.push_back(pair);
  }
}

void ResultsWindow::SaveResultsTable() {
  const QString file = App.Platform().SaveFileName(this, QString());
  if (file.isEmpty())
    return;
  if (!ResultsReader::SaveGrid(Table, S(file)))
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + file + ")");
}

void ResultsWindow::SaveCovarianceMatrix() {
  if (!Results || !Results->Reader.CovOk || !Results->Reader.CoordsOk)
    return;
  const QString file = App.Platform().SaveFileName(this, QString());
  if (file.isEmpty())
    return;
  if (!Results->Reader.SaveCov(S(file)))
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + file + ")");
}

const NetworkPrecision *ResultsWindow::ShownPrecision() {
  if (!Precision && Results)
    Precision = Results->Precision;
  return Precision.get();
}

void ResultsWindow::SaveAsCsv() {
  const NetworkPrecision *precision = ShownPrecision();
  if (!precision || !App.Network())
    return;
  const ConfidenceLevel level =
      App.Settings()->Confidence();
  ExportPointsCsv(App.Platform(), App.Language(), this, *App.Network(), *precision, level);
}

void ResultsWindow::SetOutdated(bool outdated) {
  Outdated = outdated;
  setWindowTitle(App.Txt(Text::ResultsAndCalculations) + (Outdated ? App.Txt(Text::OutOfDateTitle) : QString()));
}
