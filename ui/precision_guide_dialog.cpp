#include "ui/precision_guide_dialog.h"

#include "core/survey_network.h"
#include "core/number_text.h"
#include "precision/bulk_precision.h"
#include "precision/repetition_count.h"
#include "precision/instrument_precision.h"
#include "ui/measurement_plan_window.h"
#include "app/network_document.h"
#include "ui/desktop_application.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <exception>

namespace {

const QStringList kAngleItems = {"0.0100", "0.0050", "0.0040", "0.0030", "0.0020",
                                 "0.0010", "0.0005", "0.0004", "0.0003"};
const QStringList kDistItems = {"0.005", "0.004", "0.003", "0.002", "0.001", "0.0005"};
const QStringList kLevelItems = {"0.0050", "0.0025", "0.0015", "0.0010",
                                 "0.0007", "0.0003", "0.0002"};
const QStringList kRouteItems = {"1.0", "1.5", "2.0"};
const QStringList kCountItems = {"1", "2", "3", "4", "5", "6", "7", ""};
const QStringList kGyroCountItems = {"1", "2", "3", "4", "5", "6", "7"};

// Text held by a result or value field of either kind.
QString FieldText(QWidget *w) {
  if (auto *e = qobject_cast<QLineEdit *>(w))
    return e->text();
  if (auto *c = qobject_cast<QComboBox *>(w))
    return c->currentText();
  return QString();
}

void SetFieldText(QWidget *w, const QString &text) {
  if (auto *e = qobject_cast<QLineEdit *>(w))
    e->setText(text);
  else if (auto *c = qobject_cast<QComboBox *>(w))
    c->setEditText(text);
}

QString Shown(long double v) { return Q(NumToText(v)); }

} // namespace

PrecisionGuideDialog::PrecisionGuideDialog(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setModal(true);

  auto combo = [](QWidget *parent, const QStringList &items, int index, int x, int y, int w) {
    auto *c = new QComboBox(parent);
    c->setEditable(true);
    c->addItems(items);
    c->setCurrentIndex(index);
    c->setGeometry(x, y, w, 24);
    return c;
  };
  auto label = [](QWidget *parent, int x, int y, int w) {
    auto *l = new QLabel(parent);
    l->setGeometry(x, y, w, 16);
    return l;
  };
  auto edit = [](QWidget *parent, const QString &text, int x, int y, int w) {
    auto *e = new QLineEdit(text, parent);
    e->setGeometry(x, y, w, 24);
    return e;
  };
  auto button = [](QWidget *parent, const QString &text, int x, int y, int w) {
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    b->setGeometry(x, y, w, 26);
    return b;
  };

  // Rows of the upper part: directions, zenith angles, slope distances,
  // horizontal distances, height differences. Each row's label and fields
  // sit at the same height in every group (coordinates relative to the
  // group); the height differences line up with the levelling instrument.
  const int labelY[5] = {22, 72, 122, 172, 264};
  const int top = 6;
  auto fieldY = [&](int row) { return labelY[row] + 18; };

  TotalStationGroup = new QGroupBox(this);
  TotalStationGroup->setGeometry(8, top, 300, 222);
  DirectionSigmaLabel = label(TotalStationGroup, 10, labelY[0], 280);
  DirectionSigmaCombo = combo(TotalStationGroup, kAngleItems, 6, 10, fieldY(0), 120);
  ZenithAngleSigmaLabel = label(TotalStationGroup, 10, labelY[1], 280);
  ZenithAngleSigmaCombo = combo(TotalStationGroup, kAngleItems, 6, 10, fieldY(1), 120);
  SlopeDistanceSigmaLabel = label(TotalStationGroup, 10, labelY[2], 280);
  SlopeDistanceConstantCombo = combo(TotalStationGroup, kDistItems, 3, 10, fieldY(2), 120);
  SlopeDistancePpmCombo = combo(TotalStationGroup, kDistItems, 3, 140, fieldY(2), 120);
  HorizontalDistanceSigmaLabel = label(TotalStationGroup, 10, labelY[3], 280);
  HorizontalDistanceConstantCombo = combo(TotalStationGroup, kDistItems, 3, 10, fieldY(3), 120);
  HorizontalDistancePpmCombo = combo(TotalStationGroup, kDistItems, 3, 140, fieldY(3), 120);

  LevellingGroup = new QGroupBox(this);
  LevellingGroup->setGeometry(8, top + 236, 300, 82);
  LevellingSigmaLabel = new QLabel(LevellingGroup);
  LevellingSigmaLabel->setGeometry(10, 16, 125, 34);
  LevellingSigmaLabel->setWordWrap(true);
  LevellingSigmaCombo = combo(LevellingGroup, kLevelItems, 4, 10, fieldY(4) - 236, 120);
  RouteCoefficientLabel = new QLabel(LevellingGroup);
  RouteCoefficientLabel->setGeometry(140, 16, 155, 34);
  RouteCoefficientLabel->setWordWrap(true);
  RouteCoefficientCombo = combo(LevellingGroup, kRouteItems, 1, 140, fieldY(4) - 236, 70);

  RepetitionsGroup = new QGroupBox(this);
  RepetitionsGroup->setGeometry(316, top, 262, 318);
  DirectionRepetitionsLabel = label(RepetitionsGroup, 10, labelY[0], 240);
  DirectionRepetitionsCombo = combo(RepetitionsGroup, kCountItems, 0, 10, fieldY(0), 60);
  ZenithAngleRepetitionsLabel = label(RepetitionsGroup, 10, labelY[1], 240);
  ZenithAngleRepetitionsCombo = combo(RepetitionsGroup, kCountItems, 0, 10, fieldY(1), 60);
  SlopeDistanceRepetitionsLabel = label(RepetitionsGroup, 10, labelY[2], 100);
  SlopeDistanceRepetitionsCombo = combo(RepetitionsGroup, kCountItems, 0, 10, fieldY(2), 60);
  AverageSlopeDistanceLabel = label(RepetitionsGroup, 114, labelY[2], 140);
  AverageSlopeDistanceEdit = edit(RepetitionsGroup, "100", 114, fieldY(2), 100);
  AverageSlopeDistanceButton = button(RepetitionsGroup, "+", 220, fieldY(2) - 1, 32);
  HorizontalDistanceRepetitionsLabel = label(RepetitionsGroup, 10, labelY[3], 100);
  HorizontalDistanceRepetitionsCombo = combo(RepetitionsGroup, kCountItems, 0, 10, fieldY(3), 60);
  AverageHorizontalDistanceLabel = label(RepetitionsGroup, 114, labelY[3], 140);
  AverageHorizontalDistanceEdit = edit(RepetitionsGroup, "100", 114, fieldY(3), 100);
  AverageHorizontalDistanceButton = button(RepetitionsGroup, "+", 220, fieldY(3) - 1, 32);
  HeightDifferenceRepetitionsLabel = label(RepetitionsGroup, 10, labelY[4], 100);
  HeightDifferenceRepetitionsCombo = combo(RepetitionsGroup, kCountItems, 0, 10, fieldY(4), 60);
  AverageLevellingLengthLabel = label(RepetitionsGroup, 114, labelY[4], 140);
  AverageLevellingLengthEdit = edit(RepetitionsGroup, "100", 114, fieldY(4), 100);
  AverageLevellingLengthButton = button(RepetitionsGroup, "+", 220, fieldY(4) - 1, 32);

  ResultingPrecisionGroup = new QGroupBox(this);
  ResultingPrecisionGroup->setGeometry(586, top, 200, 318);
  DirectionResultLabel = label(ResultingPrecisionGroup, 10, labelY[0], 180);
  ComputeDirectionButton = button(ResultingPrecisionGroup, "->", 10, fieldY(0) - 1, 36);
  DirectionResultEdit = edit(ResultingPrecisionGroup, "", 52, fieldY(0), 136);
  ZenithAngleResultLabel = label(ResultingPrecisionGroup, 10, labelY[1], 180);
  ComputeZenithAngleButton = button(ResultingPrecisionGroup, "->", 10, fieldY(1) - 1, 36);
  ZenithAngleResultEdit = edit(ResultingPrecisionGroup, "", 52, fieldY(1), 136);
  SlopeDistanceResultLabel = label(ResultingPrecisionGroup, 10, labelY[2], 180);
  ComputeSlopeDistanceButton = button(ResultingPrecisionGroup, "->", 10, fieldY(2) - 1, 36);
  SlopeDistanceResultEdit = edit(ResultingPrecisionGroup, "", 52, fieldY(2), 136);
  HorizontalDistanceResultLabel = label(ResultingPrecisionGroup, 10, labelY[3], 180);
  ComputeHorizontalDistanceButton = button(ResultingPrecisionGroup, "->", 10, fieldY(3) - 1, 36);
  HorizontalDistanceResultEdit = edit(ResultingPrecisionGroup, "", 52, fieldY(3), 136);
  HeightDifferenceResultLabel = label(ResultingPrecisionGroup, 10, labelY[4], 180);
  ComputeHeightDifferenceButton = button(ResultingPrecisionGroup, "->", 10, fieldY(4) - 1, 36);
  HeightDifferenceResultEdit = edit(ResultingPrecisionGroup, "", 52, fieldY(4), 136);

  ApplyOnGroup = new QGroupBox(this);
  ApplyOnGroup->setGeometry(794, top, 246, 318);
  ApplyDirectionButton = button(ApplyOnGroup, "", 10, fieldY(0) - 1, 128);
  ApplyZenithAngleButton = button(ApplyOnGroup, "", 10, fieldY(1) - 1, 128);
  ApplySlopeDistanceButton = button(ApplyOnGroup, "", 10, fieldY(2) - 1, 128);
  SlopeDistanceOneByOneButton = button(ApplyOnGroup, "", 144, fieldY(2) - 1, 92);
  ApplyHorizontalDistanceButton = button(ApplyOnGroup, "", 10, fieldY(3) - 1, 128);
  HorizontalDistanceOneByOneButton = button(ApplyOnGroup, "", 144, fieldY(3) - 1, 92);
  ApplyHeightDifferenceButton = button(ApplyOnGroup, "", 10, fieldY(4) - 1, 128);
  HeightDifferenceOneByOneButton = button(ApplyOnGroup, "", 144, fieldY(4) - 1, 92);

  const int low = top + 340;
  GyroGroup = new QGroupBox(this);
  GyroGroup->setGeometry(8, low, 480, 112);
  GyroSigmaLabel = label(GyroGroup, 10, 22, 136);
  GyroSigmaCombo = combo(GyroGroup, kAngleItems, 5, 10, 40, 110);
  GyroRepetitionsLabel = label(GyroGroup, 150, 22, 140);
  GyroRepetitionsCombo = combo(GyroGroup, kGyroCountItems, 0, 150, 40, 60);
  GyroRepetitionsCombo->setEditText("1");
  ComputeGyroButton = button(GyroGroup, "->", 240, 39, 36);
  GyroResultLabel = label(GyroGroup, 300, 22, 174);
  GyroResultEdit = edit(GyroGroup, "", 300, 40, 136);
  ApplyGyroButton = button(GyroGroup, "", 300, 72, 136);

  PlumbingGroup = new QGroupBox(this);
  PlumbingGroup->setGeometry(496, low, 544, 112);
  PlumbingPositionSigmaLabel = label(PlumbingGroup, 10, 20, 520);
  PlumbingPositionSigmaCombo = combo(PlumbingGroup, kAngleItems, 5, 10, 38, 110);
  PlumbingPositionSigmaCombo->setEditText("0.0010");
  ApplyPlumbingPositionButton = button(PlumbingGroup, "", 126, 37, 120);
  PlumbingHeightSigmaLabel = label(PlumbingGroup, 10, 66, 520);
  PlumbingHeightSigmaCombo = combo(PlumbingGroup, kAngleItems, 5, 10, 84, 110);
  ApplyPlumbingHeightButton = button(PlumbingGroup, "", 126, 83, 120);

  connect(ComputeDirectionButton, &QPushButton::clicked, this, [this] { ComputeDirectionSigma(); });
  connect(ComputeZenithAngleButton, &QPushButton::clicked, this, [this] { ComputeZenithAngleSigma(); });
  connect(ComputeSlopeDistanceButton, &QPushButton::clicked, this, [this] { ComputeSlopeDistanceSigma(); });
  connect(ComputeHorizontalDistanceButton, &QPushButton::clicked, this, [this] { ComputeHorizontalDistanceSigma(); });
  connect(ComputeHeightDifferenceButton, &QPushButton::clicked, this, [this] { ComputeHeightDifferenceSigma(); });
  connect(ComputeGyroButton, &QPushButton::clicked, this, [this] { ComputeGyroSigma(); });
  connect(AverageSlopeDistanceButton, &QPushButton::clicked, this, &PrecisionGuideDialog::FillAverageSlopeDistance);
  connect(AverageHorizontalDistanceButton, &QPushButton::clicked, this, &PrecisionGuideDialog::FillAverageHorizontalDistance);
  connect(AverageLevellingLengthButton, &QPushButton::clicked, this, &PrecisionGuideDialog::FillAverageLevellingLength);
  connect(ApplyDirectionButton, &QPushButton::clicked, this, [this] { ApplyDirectionSigma(); });
  connect(ApplyZenithAngleButton, &QPushButton::clicked, this, [this] { ApplyZenithAngleSigma(); });
  connect(ApplySlopeDistanceButton, &QPushButton::clicked, this, [this] { ApplySlopeDistanceSigma(); });
  connect(ApplyHorizontalDistanceButton, &QPushButton::clicked, this, [this] { ApplyHorizontalDistanceSigma(); });
  connect(ApplyHeightDifferenceButton, &QPushButton::clicked, this, [this] { ApplyHeightDifferenceSigma(); });
  connect(ApplyGyroButton, &QPushButton::clicked, this, [this] { ApplyGyroSigma(); });
  connect(ApplyPlumbingPositionButton, &QPushButton::clicked, this, [this] { ApplyPlumbingPositionSigma(); });
  connect(ApplyPlumbingHeightButton, &QPushButton::clicked, this, [this] { ApplyPlumbingHeightSigma(); });
  connect(SlopeDistanceOneByOneButton, &QPushButton::clicked, this, [this] { ApplySlopeDistanceOneByOne(); });
  connect(HorizontalDistanceOneByOneButton, &QPushButton::clicked, this, [this] { ApplyHorizontalDistanceOneByOne(); });
  connect(HeightDifferenceOneByOneButton, &QPushButton::clicked, this, [this] { ApplyHeightDifferenceOneByOne(); });

  ApplyTexts();
  setFixedSize(1048, low + 120);
}

void PrecisionGuideDialog::ApplyTexts() {
  const QString gon = QStringLiteral(" /gon"), m = QStringLiteral(" /m");
  const QString abD = QStringLiteral(" /m (a+b*ppm*D)");
  setWindowTitle(App.Txt(Text::PrecisionGuide));
  TotalStationGroup->setTitle(App.Txt(Text::TotalStationPrecision));
  DirectionSigmaLabel->setText(App.Txt(Text::Direction) + gon);
  ZenithAngleSigmaLabel->setText(App.Txt(Text::ZenithAngle) + gon);
  SlopeDistanceSigmaLabel->setText(App.Txt(Text::SlopeDistance) + abD);
  HorizontalDistanceSigmaLabel->setText(App.Txt(Text::HorizontalDistance) + abD);
  LevellingGroup->setTitle(App.Txt(Text::LevellingInstrumentPrecision));
  LevellingSigmaLabel->setText(App.Txt(Text::LevellingStdDevPerKm) + m);
  RouteCoefficientLabel->setText(App.Txt(Text::LevellingRouteCoefficient));
  RepetitionsGroup->setTitle(App.Txt(Text::RepetitionCount));
  DirectionRepetitionsLabel->setText(App.Txt(Text::Direction));
  ZenithAngleRepetitionsLabel->setText(App.Txt(Text::ZenithAngle));
  SlopeDistanceRepetitionsLabel->setText(App.Txt(Text::SlopeDistance));
  HorizontalDistanceRepetitionsLabel->setText(App.Txt(Text::HorizontalDistance));
  HeightDifferenceRepetitionsLabel->setText(App.Txt(Text::HeightDifference));
  AverageSlopeDistanceLabel->setText(App.Txt(Text::AverageDistance) + m);
  AverageHorizontalDistanceLabel->setText(App.Txt(Text::AverageDistance) + m);
  AverageLevellingLengthLabel->setText(App.Txt(Text::AverageDistance) + m);
  ResultingPrecisionGroup->setTitle(App.Txt(Text::ResultingPrecision));
  DirectionResultLabel->setText(App.Txt(Text::Direction) + gon);
  ZenithAngleResultLabel->setText(App.Txt(Text::ZenithAngle) + gon);
  SlopeDistanceResultLabel->setText(App.Txt(Text::SlopeDistance) + m);
  HorizontalDistanceResultLabel->setText(App.Txt(Text::HorizontalDistance) + m);
  HeightDifferenceResultLabel->setText(App.Txt(Text::HeightDifference) + m);
  ApplyOnGroup->setTitle(App.Txt(Text::ApplyOn));
  ApplyDirectionButton->setText(App.Txt(Text::Direction));
  ApplyZenithAngleButton->setText(App.Txt(Text::ZenithAngle));
  ApplySlopeDistanceButton->setText(App.Txt(Text::SlopeDistance));
  ApplyHorizontalDistanceButton->setText(App.Txt(Text::HorizontalDistance));
  ApplyHeightDifferenceButton->setText(App.Txt(Text::HeightDifference));
  SlopeDistanceOneByOneButton->setText(App.Txt(Text::OneByOne) + "*");
  HorizontalDistanceOneByOneButton->setText(App.Txt(Text::OneByOne) + "*");
  HeightDifferenceOneByOneButton->setText(App.Txt(Text::OneByOne) + "*");
  GyroGroup->setTitle(App.Txt(Text::GyroDirection));
  GyroSigmaLabel->setText(App.Txt(Text::GyroDirectionRepeated) + gon);
  GyroRepetitionsLabel->setText(App.Txt(Text::RepetitionCount));
  GyroResultLabel->setText(App.Txt(Text::GyroDirection) + gon);
  ApplyGyroButton->setText(App.Txt(Text::ApplyGuide));
  PlumbingGroup->setTitle(App.Txt(Text::Plumbing));
  PlumbingPositionSigmaLabel->setText(App.Txt(Text::PlumbingPrecision) + QStringLiteral(" s(xy)/m"));
  PlumbingHeightSigmaLabel->setText(App.Txt(Text::PlumbingPrecision) + QStringLiteral(" s(h)/m"));
  ApplyPlumbingPositionButton->setText(App.Txt(Text::ApplyGuide) + QStringLiteral(" (XY)"));
  ApplyPlumbingHeightButton->setText(App.Txt(Text::ApplyGuide) + QStringLiteral(" (H)"));
}

// ---- reading fields ----

void PrecisionGuideDialog::WrongInput() { App.Platform().Message(this, App.Txt(Text::WrongInput)); }

bool PrecisionGuideDialog::ReadValue(QComboBox *box, int resetItem, long double &v) {
  long double x;
  if (TryTextToNum(S(box->currentText()), x) && x >= 0 && std::isfinite(double(x))) {
    v = x;
    return true;
  }
  WrongInput();
  box->setCurrentIndex(resetItem);
  box->setEditText(box->itemText(resetItem));
  return false;
}

bool PrecisionGuideDialog::ReadValue(QLineEdit *edit, const QString &resetText, long double &v) {
  long double x;
  if (TryTextToNum(S(edit->text()), x) && x >= 0 && std::isfinite(double(x))) {
    v = x;
    return true;
  }
  WrongInput();
  edit->setText(resetText);
  return false;
}

bool PrecisionGuideDialog::ReadCountField(QComboBox *box, int &n) {
  if (ReadCount(S(box->currentText()), n))
    return true;
  WrongInput();
  box->setCurrentIndex(0);
  box->setEditText(box->itemText(0));
  return false;
}

// ---- "->" ----

bool PrecisionGuideDialog::ComputeDirectionSigma() {
  long double s1 = 0;
  int n = 0;
  const bool ok1 = ReadValue(DirectionSigmaCombo, 3, s1);
  const bool ok2 = ReadCountField(DirectionRepetitionsCombo, n);
  if (!ok1 || !ok2 || n <= 0) {
    WrongInput();
    return false;
  }
  DirectionResultEdit->setText(Shown(AngleStdDev(n, s1)));
  return true;
}

bool PrecisionGuideDialog::ComputeZenithAngleSigma() {
  long double s1 = 0;
  int n = 0;
  const bool ok1 = ReadValue(ZenithAngleSigmaCombo, 1, s1);
  const bool ok2 = ReadCountField(ZenithAngleRepetitionsCombo, n);
  if (!ok1 || !ok2 || n <= 0) {
    WrongInput();
    return false;
  }
  ZenithAngleResultEdit->setText(Shown(AngleStdDev(n, s1)));
  return true;
}

bool PrecisionGuideDialog::ComputeSlopeDistanceSigma() {
  long double a = 0, b = 0, d = 0;
  int n = 0;
  const bool ok1 = ReadValue(SlopeDistanceConstantCombo, 1, a);
  const bool ok2 = ReadValue(SlopeDistancePpmCombo, 1, b);
  const bool ok3 = ReadCountField(SlopeDistanceRepetitionsCombo, n);
  const bool ok4 = ReadValue(AverageSlopeDistanceEdit, "100", d);
  if (!ok1 || !ok2 || !ok3 || !ok4 || n <= 0) {
    WrongInput();
    return false;
  }
  SlopeDistanceResultEdit->setText(Shown(DistStdDev(n, a, b, d)));
  return true;
}

bool PrecisionGuideDialog::ComputeHorizontalDistanceSigma() {
  long double a = 0, b = 0, d = 0;
  int n = 0;
  const bool ok1 = ReadValue(HorizontalDistanceConstantCombo, 1, a);
  const bool ok2 = ReadValue(HorizontalDistancePpmCombo, 1, b);
  const bool ok3 = ReadCountField(HorizontalDistanceRepetitionsCombo, n);
  const bool ok4 = ReadValue(AverageHorizontalDistanceEdit, "100", d);
  if (!ok1 || !ok2 || !ok3 || !ok4 || n <= 0)
    return false;
  HorizontalDistanceResultEdit->setText(Shown(DistStdDev(n, a, b, d)));
  return true;
}

bool PrecisionGuideDialog::ComputeHeightDifferenceSigma() {
  long double s = 0, k = 0, d = 0;
  int n = 0;
  const bool ok1 = ReadValue(LevellingSigmaCombo, 1, s);
  const bool ok2 = ReadValue(RouteCoefficientCombo, 1, k);
  const bool ok3 = ReadCountField(HeightDifferenceRepetitionsCombo, n);
  const bool ok4 = ReadValue(AverageLevellingLengthEdit, "100", d);
  if (!ok1 || !ok2 || !ok3 || !ok4 || n <= 0)
    return false;
  HeightDifferenceResultEdit->setText(Shown(LevelStdDev(n, s, k, d)));
  return true;
}

bool PrecisionGuideDialog::ComputeGyroSigma() {
  long double s1 = 0;
  int n = 0;
  const bool ok1 = ReadValue(GyroSigmaCombo, 3, s1);
  const bool ok2 = ReadCountField(GyroRepetitionsCombo, n);
  if (!ok1 || !ok2 || n <= 0)
    return false;
  GyroResultEdit->setText(Shown(AngleStdDev(n, s1)));
  return true;
}

// ---- "+" ----

void PrecisionGuideDialog::FillAverageSlopeDistance() {
  if (App.Network())
    AverageSlopeDistanceEdit->setText(Shown(RoundDecimals(AverageLengthSd(*App.Network()), 3)));
}

void PrecisionGuideDialog::FillAverageHorizontalDistance() {
  if (App.Network())
    AverageHorizontalDistanceEdit->setText(Shown(RoundDecimals(AverageLengthHd(*App.Network()), 3)));
}

void PrecisionGuideDialog::FillAverageLevellingLength() {
  if (App.Network())
    AverageLevellingLengthEdit->setText(Shown(RoundDecimals(AverageLengthVd(*App.Network()), 3)));
}

// ---- apply to all of a type ----

void PrecisionGuideDialog::RefreshMeasurementTable() {
  if (App.MeasurementPlan())
    App.MeasurementPlan()->RefreshGrid();
}

bool PrecisionGuideDialog::ApplyToType(QWidget *field, std::uint8_t type) {
  long double v;
  // A standard deviation of zero would give the measurement an infinite
  // weight: refused like text that is no number.
  if (!TryTextToNum(S(FieldText(field)), v) || !(v > 0) || !std::isfinite(double(v))) {
    WrongInput();
    SetFieldText(field, QStringLiteral("0.0010"));
    return false;
  }
  if (!App.Network())
    return false;
  App.Document()->Edit(App.Txt(Text::StepPrecisionOfType).arg(Q(MeasurementList::TypeName(type))),
                    [&](SurveyNetwork &net) { SetStdDevOfType(net, type, double(v)); });
  RefreshMeasurementTable();
  return true;
}

bool PrecisionGuideDialog::ApplyDirectionSigma() { return ApplyToType(DirectionResultEdit, mtDi); }
bool PrecisionGuideDialog::ApplyZenithAngleSigma() { return ApplyToType(ZenithAngleResultEdit, mtZu); }
bool PrecisionGuideDialog::ApplySlopeDistanceSigma() { return ApplyToType(SlopeDistanceResultEdit, mtSd); }
bool PrecisionGuideDialog::ApplyHorizontalDistanceSigma() { return ApplyToType(HorizontalDistanceResultEdit, mtHd); }
bool PrecisionGuideDialog::ApplyHeightDifferenceSigma() { return ApplyToType(HeightDifferenceResultEdit, mtVd); }
bool PrecisionGuideDialog::ApplyGyroSigma() { return ApplyToType(GyroResultEdit, mtGd); }
bool PrecisionGuideDialog::ApplyPlumbingPositionSigma() { return ApplyToType(PlumbingPositionSigmaCombo, mtPr); }

bool PrecisionGuideDialog::ApplyPlumbingHeightSigma() {
  long double v;
  if (!TryTextToNum(S(PlumbingHeightSigmaCombo->currentText()), v) || !(v > 0) ||
      !std::isfinite(double(v))) {
    WrongInput();
    PlumbingHeightSigmaCombo->setEditText(QStringLiteral("0.0010"));
    return false;
  }
  if (!App.Network())
    return false;
  App.Document()->Edit(App.Txt(Text::StepPlumbingPrecision),
                    [&](SurveyNetwork &net) { net.PlumbSigma = double(v); });
  return true;
}

// ---- one by one ----

bool PrecisionGuideDialog::ApplyOneByOne(int which) {
  long double p1 = 0, p2 = 0;
  int n = 0;
  bool ok1, ok2, ok3;
  if (which == 0) {
    ok1 = ReadValue(SlopeDistanceConstantCombo, 1, p1);
    ok2 = ReadValue(SlopeDistancePpmCombo, 1, p2);
    ok3 = ReadCountField(SlopeDistanceRepetitionsCombo, n);
  } else if (which == 1) {
    ok1 = ReadValue(HorizontalDistanceConstantCombo, 1, p1);
    ok2 = ReadValue(HorizontalDistancePpmCombo, 1, p2);
    ok3 = ReadCountField(HorizontalDistanceRepetitionsCombo, n);
  } else {
    ok1 = ReadValue(LevellingSigmaCombo, 1, p1);
    ok2 = ReadValue(RouteCoefficientCombo, 1, p2);
    ok3 = ReadCountField(HeightDifferenceRepetitionsCombo, n);
  }
  if (!ok1 || !ok2 || !ok3)
    return false;
  if (n < 1) {
    // Fewer than one repetition has no meaning: refused like unreadable text.
    WrongInput();
    QComboBox *count = which == 0 ? SlopeDistanceRepetitionsCombo : which == 1 ? HorizontalDistanceRepetitionsCombo : HeightDifferenceRepetitionsCombo;
    count->setCurrentIndex(0);
    count->setEditText(count->itemText(0));
    return false;
  }
  if (!App.Network())
    return false;
  bool applied = false;
  static const char *const kinds[] = {"sd", "hd", "vd"};
  App.Document()->Edit(App.Txt(Text::StepPrecisionByLength).arg(QString::fromLatin1(kinds[which])),
                    [&](SurveyNetwork &net) {
                      try {
                        if (which == 0)
                          applied = ApplyOneByOneSd(net, n, p1, p2);
                        else if (which == 1)
                          applied = ApplyOneByOneHd(net, n, p1, p2);
                        else
                          applied = ApplyOneByOneVd(net, n, p1, p2);
                      } catch (const std::exception &) {
                        // A measurement whose point is missing: nothing sensible to apply.
                        applied = false;
                      }
                    });
  // Nothing is changed when any length cannot be had (a point missing).
  if (!applied)
    App.Platform().Message(this, App.Txt(Text::Error));
  RefreshMeasurementTable();
  return applied;
}

bool PrecisionGuideDialog::ApplySlopeDistanceOneByOne() { return ApplyOneByOne(0); }
bool PrecisionGuideDialog::ApplyHorizontalDistanceOneByOne() { return ApplyOneByOne(1); }
bool PrecisionGuideDialog::ApplyHeightDifferenceOneByOne() { return ApplyOneByOne(2); }
