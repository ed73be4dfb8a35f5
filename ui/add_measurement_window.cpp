#include "ui/add_measurement_window.h"

#include "core/survey_network.h"
#include "core/number_text.h"
#include "ui/measurement_plan_window.h"
#include "app/network_document.h"
#include "ui/desktop_application.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

AddMeasurementWindow::AddMeasurementWindow(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  setModal(false);

  TypeLabel = new QLabel(App.Txt(Text::MeasurementType), this);
  TypeLabel->setGeometry(10, 8, 200, 18);
  TypeCombo = new QComboBox(this);
  // Fixed items in the order of the dialog: indices 0..8.
  TypeCombo->addItems({"sd", "hd", "vd", "zu", "di", QString::fromUtf8("vše"),
                       QString::fromUtf8("úhly"), "gd", "pr"});
  TypeCombo->setGeometry(10, 28, 200, 26);

  StationLabel = new QLabel(App.Txt(Text::Station), this);
  StationLabel->setGeometry(10, 60, 200, 18);
  StationCombo = new QComboBox(this);
  StationCombo->setGeometry(10, 80, 200, 26);

  TargetLabel = new QLabel(App.Txt(Text::Target), this);
  TargetLabel->setGeometry(10, 112, 200, 18);
  TargetCombo = new QComboBox(this);
  TargetCombo->setGeometry(10, 132, 200, 26);

  PrecisionLabel = new QLabel(App.Txt(Text::Precision) + QStringLiteral(" /m /gon"), this);
  PrecisionLabel->setGeometry(10, 164, 200, 18);
  PrecisionCombo = new QComboBox(this);
  PrecisionCombo->setEditable(true);
  PrecisionCombo->addItems({"0.01", "0.005", "0.004", "0.003", "0.002", "0.001", "0.0005", "0.0004",
                       "0.0003"});
  PrecisionCombo->setCurrentIndex(5);
  PrecisionCombo->setGeometry(10, 184, 200, 26);

  InsertButton = new QPushButton(App.Txt(Text::InsertMeasurement), this);
  InsertButton->setAutoDefault(false);
  InsertButton->setGeometry(10, 222, 200, 30);
  connect(InsertButton, &QPushButton::clicked, this, [this] { InsertMeasurement(); });

  setWindowTitle(App.Txt(Text::AddMeasurement));
  setFixedSize(220, 262);
}

void AddMeasurementWindow::ApplyTexts() {
  setWindowTitle(App.Txt(Text::AddMeasurement));
  TypeLabel->setText(App.Txt(Text::MeasurementType));
  StationLabel->setText(App.Txt(Text::Station));
  TargetLabel->setText(App.Txt(Text::Target));
  PrecisionLabel->setText(App.Txt(Text::Precision) + QStringLiteral(" /m /gon"));
  InsertButton->setText(App.Txt(Text::InsertMeasurement));
}

void AddMeasurementWindow::TogglePickTarget() {
  ActivePickField = ActivePickField == StationField ? TargetField : StationField;
}

QComboBox *AddMeasurementWindow::PickList() const {
  return ActivePickField == StationField ? StationCombo : TargetCombo;
}

namespace {

// One item per point in list order, the number with 3 decimals (12 is
// "12.000"), so that an item's index is the point's list index.
void FillNumberList(const PointSet &points, QComboBox *list) {
  list->clear();
  for (const NetworkPoint &p : points.List.Items)
    list->addItem(QString::fromStdString(NumToTextFixed(p.Number, 8, 3)));
}

} // namespace

void AddMeasurementWindow::OpenFor(int typeItem, int precisionItem) {
  if (App.Network()) {
    FillNumberList(App.Network()->Points, StationCombo);
    FillNumberList(App.Network()->Points, TargetCombo);
  }
  setWindowTitle(App.Txt(Text::AddMeasurements));
  TypeCombo->setCurrentIndex(typeItem);
  StationCombo->setCurrentIndex(StationCombo->count() > 0 ? 0 : -1);
  TargetCombo->setCurrentIndex(TargetCombo->count() > 1 ? 1 : -1);
  PrecisionCombo->setCurrentIndex(precisionItem);
  show();
  raise();
}

bool AddMeasurementWindow::ChosenNumber(const QComboBox *list, double &number) const {
  const int i = list->currentIndex();
  if (i >= 0 && App.Network() && i < App.Network()->Points.List.Count()) {
    const NetworkPoint &p = App.Network()->Points.List.Items[i];
    if (Q(NumToTextFixed(p.Number, 8, 3)) == list->currentText()) {
      number = p.Number;
      return true;
    }
  }
  long double v;
  if (!TryTextToNum(S(list->currentText()), v))
    return false;
  number = double(v);
  return true;
}

bool AddMeasurementWindow::InsertMeasurement() {
  bool added = false;
  long double precision = 0;
  double station = 0, target = 0;
  if (!TryTextToNum(S(PrecisionCombo->currentText()), precision) || !(precision > 0) ||
      !std::isfinite(double(precision)) || !ChosenNumber(StationCombo, station) ||
      !ChosenNumber(TargetCombo, target)) {
    App.Platform().Message(this, App.Txt(Text::Error));
  } else if (station != target && App.Network()) {
    const std::uint8_t type = MeasurementList::TypeCodeOf(S(TypeCombo->currentText()));
    const SurveyNetwork &net = *App.Network();
    App.Document()->Edit(App.Txt(Text::StepAddMeasurement), [&](SurveyNetwork &edited) {
      edited.Measurements.AddMeasurement(type, double(precision), target, station);
    });
    added = true;
    if (type == mtPr) {
      try {
        const long double d = net.Points.ObsHorizDist(station, target);
        if (d > 0.01L)
          App.Platform().Message(this, App.Txt(Text::PlumbingOffVertical) + QStringLiteral(" (") +
                                           Q(NumToTextFixed(d, 14, 3)) + QStringLiteral(" m)."));
      } catch (const MissingPointError &) {
        // A typed number that is not a point: the consistency check drops
        // the measurement before it is used.
      }
    }
    if (App.MeasurementPlan()) {
      App.MeasurementPlan()->RefreshGrid();
      App.MeasurementPlan()->Redraw();
      App.MeasurementPlan()->MeasurementAdded();
    }
  }
  ActivateStationField();
  return added;
}
