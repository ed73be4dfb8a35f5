#include "ui/change_precision_dialog.h"

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

ChangePrecisionDialog::ChangePrecisionDialog(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setModal(true);
  PrecisionLabel = new QLabel(this);
  PrecisionLabel->setGeometry(12, 12, 220, 18);
  PrecisionCombo = new QComboBox(this);
  PrecisionCombo->setEditable(true);
  PrecisionCombo->addItems({"0.01", "0.005", "0.004", "0.003", "0.002", "0.001", "0.0005", "0.0004",
                       "0.0003"});
  PrecisionCombo->setCurrentIndex(5);
  PrecisionCombo->setGeometry(12, 32, 220, 26);
  ScopeLabel = new QLabel(this);
  ScopeLabel->setGeometry(12, 68, 220, 18);
  ScopeCombo = new QComboBox(this);
  ScopeCombo->setGeometry(12, 88, 220, 26);
  ApplyButton = new QPushButton(this);
  ApplyButton->setAutoDefault(false);
  ApplyButton->setGeometry(12, 128, 220, 30);
  connect(ApplyButton, &QPushButton::clicked, this, [this] { ApplyPrecision(); });
  ApplyTexts();
  setFixedSize(244, 170);
}

void ChangePrecisionDialog::ApplyTexts() {
  setWindowTitle(App.Txt(Text::ChangePrecisionOfMeasurements));
  PrecisionLabel->setText(App.Txt(Text::Precision) + QStringLiteral(" /m /gon"));
  ScopeLabel->setText(App.Txt(Text::Change));
  ScopeCombo->clear();
  ScopeCombo->addItems({App.Txt(Text::SelectedMeasurement), App.Txt(Text::AllOfTheSameType)});
  ScopeCombo->setCurrentIndex(0);
  ApplyButton->setText(App.Txt(Text::Apply));
}

bool ChangePrecisionDialog::ApplyPrecision() {
  bool changed = false;
  long double v = 0;
  const int index = App.MeasurementPlan() ? App.MeasurementPlan()->SelectedRow() - 1 : -1;
  const MeasurementList *meas = App.Network() ? &App.Network()->Measurements : nullptr;
  // A value that is no positive number, or no measurement selected, is
  // refused: nothing would be changed, or the network could not be adjusted.
  if (!meas || !TryTextToNum(S(PrecisionCombo->currentText()), v) || !(v > 0) ||
      !std::isfinite(double(v)) || index < 0 || index >= meas->Count()) {
    App.Platform().Message(this, App.Txt(Text::WrongInput));
  } else if (ScopeCombo->currentIndex() == 0) {
    App.Document()->Edit(App.Txt(Text::StepPrecisionOfOne),
                      [&](SurveyNetwork &net) { net.Measurements.Items[index].StdDev = double(v); });
    changed = true;
  } else {
    const std::uint8_t type = meas->Items[index].MeasType;
    App.Document()->Edit(App.Txt(Text::StepPrecisionOfType).arg(Q(MeasurementList::TypeName(type))),
                      [&](SurveyNetwork &net) {
                        for (Measurement &m : net.Measurements.Items)
                          if (m.MeasType == type)
                            m.StdDev = double(v);
                      });
    changed = true;
  }
  if (App.MeasurementPlan())
    App.MeasurementPlan()->RefreshGrid();
  return changed;
}
