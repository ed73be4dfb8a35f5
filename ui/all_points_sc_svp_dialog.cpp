#include "ui/all_points_sc_svp_dialog.h"

#include "core/survey_network.h"
#include "core/number_text.h"
#include "app/network_document.h"
#include "ui/desktop_application.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

const QStringList kValues = {"0.01", "0.005", "0.003", "0.001", "0.0007", "0.0005", "0.0001"};

// A standard deviation in metres typed into a list: a number, not negative.
bool ReadSigma(const QComboBox *box, double &value) {
  long double v;
  if (!TryTextToNum(S(box->currentText()), v) || v < 0 || !std::isfinite(double(v)))
    return false;
  value = double(v);
  return true;
}

} // namespace

AllPointsScSvpDialog::AllPointsScSvpDialog(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setModal(true);
  ScLabel = new QLabel(QStringLiteral("Sc / m"), this);
  ScLabel->setGeometry(12, 12, 120, 18);
  ScCombo = new QComboBox(this);
  ScCombo->setEditable(true);
  ScCombo->addItems(kValues);
  ScCombo->setCurrentIndex(5);
  ScCombo->setGeometry(12, 32, 140, 26);
  ApplyScButton = new QPushButton(App.Txt(Text::ApplyToAll), this);
  ApplyScButton->setAutoDefault(false);
  ApplyScButton->setGeometry(164, 31, 150, 28);

  SvpLabel = new QLabel(QStringLiteral("Svp / m"), this);
  SvpLabel->setGeometry(12, 70, 120, 18);
  SvpCombo = new QComboBox(this);
  SvpCombo->setEditable(true);
  SvpCombo->addItems(kValues);
  SvpCombo->addItem(QString());
  SvpCombo->setCurrentIndex(3);
  SvpCombo->setGeometry(12, 90, 140, 26);
  ApplySvpButton = new QPushButton(App.Txt(Text::ApplyToAll), this);
  ApplySvpButton->setAutoDefault(false);
  ApplySvpButton->setGeometry(164, 89, 150, 28);

  connect(ApplyScButton, &QPushButton::clicked, this, [this] { SetScOfAllPoints(); });
  connect(ApplySvpButton, &QPushButton::clicked, this, [this] { SetSvpOfAllPoints(); });
  ApplyTexts();
  setFixedSize(326, 130);
}

void AllPointsScSvpDialog::ApplyTexts() {
  setWindowTitle(App.Txt(Text::ChangeAll) + QStringLiteral(" Sc/Svp"));
  ApplyScButton->setText(App.Txt(Text::ApplyToAll));
  ApplySvpButton->setText(App.Txt(Text::ApplyToAll));
}

bool AllPointsScSvpDialog::SetScOfAllPoints() {
  double v = 0;
  if (!ReadSigma(ScCombo, v)) {
    App.Platform().Message(this, App.Txt(Text::IncorrectInput) + QStringLiteral(" Sc!"));
    return false;
  }
  if (App.Document())
    App.Document()->Edit(App.Txt(Text::StepScOfAllPoints), [v](SurveyNetwork &net) { net.Points.SetAllSc(v); });
  return true;
}

bool AllPointsScSvpDialog::SetSvpOfAllPoints() {
  double v = 0;
  if (!ReadSigma(SvpCombo, v)) {
    App.Platform().Message(this, App.Txt(Text::IncorrectInput) + QStringLiteral(" Svp!"));
    return false;
  }
  if (App.Document())
    App.Document()->Edit(App.Txt(Text::StepSvpOfAllPoints), [v](SurveyNetwork &net) { net.Points.SetAllSvp(v); });
  return true;
}
