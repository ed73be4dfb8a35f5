#include "ui/point_properties_dialog.h"

#include "core/survey_network.h"
#include "core/number_text.h"
#include "ui/coordinate_plan_window.h"
#include "app/network_document.h"
#include "ui/desktop_application.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

QLineEdit *LabeledEdit(QWidget *parent, const QString &label, int x, int y, int w,
                       QLabel **labelOut = nullptr) {
  auto *l = new QLabel(label, parent);
  l->setGeometry(x, y, w, 18);
  auto *e = new QLineEdit(parent);
  e->setGeometry(x, y + 19, w, 24);
  l->setBuddy(e);
  if (labelOut)
    *labelOut = l;
  return e;
}

QPushButton *Button(QWidget *parent, const QString &text, int x, int y, int w, int h) {
  auto *b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setGeometry(x, y, w, h);
  return b;
}

// The picture of the take-from-mark button: the mark's red cross in a
// circle, as the plan draws it.
QIcon MarkIcon() {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QPen(QColor(220, 0, 0), 2));
  p.drawEllipse(QRect(5, 5, 10, 10));
  p.drawLine(10, 1, 10, 19);
  p.drawLine(1, 10, 19, 10);
  return QIcon(pm);
}

bool Read(const QLineEdit *e, long double &v) { return TryTextToNum(S(e->text()), v); }

} // namespace

PointPropertiesDialog::PointPropertiesDialog(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setWindowTitle(App.Txt(Text::PointProperties));
  setModal(true);

  PointNumberGroup = new QGroupBox(App.Txt(Text::PointNumberLabel), this);
  PointNumberGroup->setGeometry(8, 8, 344, 76);
  NumberEdit = LabeledEdit(PointNumberGroup, App.Txt(Text::PointNumberShort), 12, 22, 160, &NumberLabel);
  NumberEdit->setReadOnly(true);

  CoordinatesGroup = new QGroupBox(App.Txt(Text::CoordinatesGroup), this);
  CoordinatesGroup->setGeometry(8, 90, 344, 128);
  XEdit = LabeledEdit(CoordinatesGroup, QStringLiteral("X / m"), 12, 22, 150);
  YEdit = LabeledEdit(CoordinatesGroup, QStringLiteral("Y / m"), 180, 22, 150);
  ZEdit = LabeledEdit(CoordinatesGroup, QStringLiteral("Z / m"), 12, 70, 150);
  FixedCheckBox = new QCheckBox(App.Txt(Text::FixedCheck), CoordinatesGroup);
  FixedCheckBox->setGeometry(180, 90, 70, 24);
  TakeFromMarkButton = Button(CoordinatesGroup, QString(), 290, 88, 40, 28);
  TakeFromMarkButton->setIcon(MarkIcon());
  TakeFromMarkButton->setIconSize(QSize(20, 20));

  StandardDeviationsGroup = new QGroupBox(App.Txt(Text::StandardDeviations), this);
  StandardDeviationsGroup->setGeometry(8, 224, 344, 76);
  CentringSigmaEdit = LabeledEdit(StandardDeviationsGroup, QStringLiteral("Sc / m"), 12, 22, 150);
  HeightSigmaEdit = LabeledEdit(StandardDeviationsGroup, QStringLiteral("Svp / m"), 180, 22, 150);

  OkButton = Button(this, App.Txt(Text::Ok), 8, 310, 108, 30);
  CancelButton = Button(this, App.Txt(Text::Cancel), 126, 310, 108, 30);
  ApplyButton = Button(this, App.Txt(Text::Apply), 244, 310, 108, 30);
  OkButton->setDefault(true);

  connect(TakeFromMarkButton, &QPushButton::clicked, this, &PointPropertiesDialog::TakeFromMark);
  connect(ApplyButton, &QPushButton::clicked, this, [this] { Apply(); });
  connect(OkButton, &QPushButton::clicked, this, &PointPropertiesDialog::ApplyAndClose);
  connect(CancelButton, &QPushButton::clicked, this, &PointPropertiesDialog::Cancel);

  setFixedSize(360, 348);
}

void PointPropertiesDialog::ApplyTexts() {
  setWindowTitle(App.Txt(Text::PointProperties));
  PointNumberGroup->setTitle(App.Txt(Text::PointNumberLabel));
  NumberLabel->setText(App.Txt(Text::PointNumberShort));
  CoordinatesGroup->setTitle(App.Txt(Text::CoordinatesGroup));
  StandardDeviationsGroup->setTitle(App.Txt(Text::StandardDeviations));
  FixedCheckBox->setText(App.Txt(Text::FixedCheck));
  OkButton->setText(App.Txt(Text::Ok));
  CancelButton->setText(App.Txt(Text::Cancel));
  ApplyButton->setText(App.Txt(Text::Apply));
}

void PointPropertiesDialog::Fill(const NetworkPoint &point, int index) {
  NumberEdit->setText(Q(NumToText(point.Number)));
  XEdit->setText(Q(NumToText(point.X)));
  YEdit->setText(Q(NumToText(point.Y)));
  ZEdit->setText(Q(NumToText(point.Z)));
  CentringSigmaEdit->setText(Q(NumToText(point.Sc)));
  HeightSigmaEdit->setText(Q(NumToText(point.Svp)));
  FixedCheckBox->setChecked(point.Fixed);
  Index = index;
  XEdit->setFocus(); // the number is read-only: start at X
}

bool PointPropertiesDialog::Apply() {
  if (!App.Network())
    return false;
  const PointList &list = App.Network()->Points.List;
  long double number, x, y, z, sc, svp;
  if (!Read(NumberEdit, number) || !Read(XEdit, x) || !Read(YEdit, y) ||
      !Read(ZEdit, z) || !Read(CentringSigmaEdit, sc) || !Read(HeightSigmaEdit, svp) ||
      sc < 0 || svp < 0) {
    App.Platform().Message(this, App.Txt(Text::WrongInput));
    return false;
  }
  if (Index < 0 || Index >= list.Count())
    return false; // the point is no longer there
  const bool fixed = FixedCheckBox->isChecked();
  App.Document()->Edit(App.Txt(Text::StepEditPoint).arg(Q(NumToText(double(number)))),
                    [&](SurveyNetwork &net) {
                      NetworkPoint &p = net.Points.List.Items[Index];
                      p.Number = double(number);
                      p.X = x;
                      p.Y = y;
                      p.Z = z;
                      p.Fixed = fixed;
                      p.Sc = double(sc);
                      p.Svp = double(svp);
                    });
  if (App.CoordinatePlan()) {
    App.CoordinatePlan()->Redraw();
    App.CoordinatePlan()->RefillGrid();
  }
  return true;
}

void PointPropertiesDialog::ApplyAndClose() {
  Apply();
  accept();
}

void PointPropertiesDialog::Cancel() { reject(); }

void PointPropertiesDialog::TakeFromMark() {
  long double X = 0, Y = 0;
  if (!TakeMark || !TakeMark(X, Y))
    return;
  XEdit->setText(Q(NumToTextFixed(X, 10, 4)));
  YEdit->setText(Q(NumToTextFixed(Y, 10, 4)));
}
