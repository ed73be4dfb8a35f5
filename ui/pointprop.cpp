#include "ui/pointprop.h"

#include "core/container.h"
#include "core/numtext.h"
#include "ui/form2.h"
#include "ui/globals.h"
#include "ui/planrender.h"
#include "ui/platform.h"
#include "ui/uitext.h"

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

TTPointProp::TTPointProp(QWidget *parent) : QDialog(parent) {
  setWindowTitle(Txt(95));
  setModal(true);

  GroupBox2 = new QGroupBox(Txt(96), this);
  GroupBox2->setGeometry(8, 8, 344, 76);
  LabeledEdit1 = LabeledEdit(GroupBox2, Txt(97), 12, 22, 160, &LabeledEdit1Label);
  LabeledEdit1->setReadOnly(true);

  GroupBox1 = new QGroupBox(Txt(98), this);
  GroupBox1->setGeometry(8, 90, 344, 128);
  LabeledEdit2 = LabeledEdit(GroupBox1, QStringLiteral("X / m"), 12, 22, 150);
  LabeledEdit3 = LabeledEdit(GroupBox1, QStringLiteral("Y / m"), 180, 22, 150);
  LabeledEdit4 = LabeledEdit(GroupBox1, QStringLiteral("Z / m"), 12, 70, 150);
  CheckBox1 = new QCheckBox(QStringLiteral("Fix"), GroupBox1);
  CheckBox1->setGeometry(180, 90, 70, 24);
  BitBtn1 = Button(GroupBox1, QString(), 290, 88, 40, 28);
  BitBtn1->setIcon(MarkIcon());
  BitBtn1->setIconSize(QSize(20, 20));

  GroupBox3 = new QGroupBox(Txt(99), this);
  GroupBox3->setGeometry(8, 224, 344, 76);
  LabeledEdit5 = LabeledEdit(GroupBox3, QStringLiteral("Sc / m"), 12, 22, 150);
  LabeledEdit6 = LabeledEdit(GroupBox3, QStringLiteral("Svp / m"), 180, 22, 150);

  BitBtn3 = Button(this, Txt(93), 8, 310, 108, 30);
  BitBtn4 = Button(this, Txt(94), 126, 310, 108, 30);
  BitBtn2 = Button(this, Txt(69), 244, 310, 108, 30);
  BitBtn3->setDefault(true);

  connect(BitBtn1, &QPushButton::clicked, this, &TTPointProp::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtn3, &QPushButton::clicked, this, &TTPointProp::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TTPointProp::BitBtn4Click);

  setFixedSize(360, 348);
}

void TTPointProp::ApplyTexts() {
  setWindowTitle(Txt(95));
  GroupBox2->setTitle(Txt(96));
  LabeledEdit1Label->setText(Txt(97));
  GroupBox1->setTitle(Txt(98));
  GroupBox3->setTitle(Txt(99));
  BitBtn3->setText(Txt(93));
  BitBtn4->setText(Txt(94));
  BitBtn2->setText(Txt(69));
}

void TTPointProp::Fill(const TNetPoint &point, int index) {
  LabeledEdit1->setText(Q(NumToText(point.Number)));
  LabeledEdit2->setText(Q(NumToText(point.X)));
  LabeledEdit3->setText(Q(NumToText(point.Y)));
  LabeledEdit4->setText(Q(NumToText(point.Z)));
  LabeledEdit5->setText(Q(NumToText(point.Sc)));
  LabeledEdit6->setText(Q(NumToText(point.Svp)));
  CheckBox1->setChecked(point.Fixed);
  FIndex = index;
  LabeledEdit2->setFocus(); // the number is read-only: start at X
}

bool TTPointProp::BitBtn2Click() {
  if (!Container)
    return false;
  TSeznam3D &list = Container->Points.List;
  long double number, x, y, z, sc, svp;
  if (!Read(LabeledEdit1, number) || !Read(LabeledEdit2, x) || !Read(LabeledEdit3, y) ||
      !Read(LabeledEdit4, z) || !Read(LabeledEdit5, sc) || !Read(LabeledEdit6, svp) ||
      sc < 0 || svp < 0) {
    Platform().Message(this, Txt(100));
    return false;
  }
  if (FIndex < 0 || FIndex >= list.Count())
    return false; // the point is no longer there
  TNetPoint &p = list.Items[FIndex];
  p.Number = double(number);
  p.X = x;
  p.Y = y;
  p.Z = z;
  p.Fixed = CheckBox1->isChecked();
  p.Sc = double(sc);
  p.Svp = double(svp);
  if (Form2) {
    Form2->Redraw();
    Form2->RefillGrid();
  }
  return true;
}

void TTPointProp::BitBtn3Click() {
  BitBtn2Click();
  accept();
}

void TTPointProp::BitBtn4Click() { reject(); }

void TTPointProp::BitBtn1Click() {
  if (!Container)
    return;
  TPoints &pts = Container->Points;
  if (!pts.Marked)
    return;
  long double X = 0, Y = 0;
  PixelToWorld(pts, pts.MarkX, pts.MarkY, X, Y);
  LabeledEdit2->setText(Q(NumToTextFixed(X, 10, 4)));
  LabeledEdit3->setText(Q(NumToTextFixed(Y, 10, 4)));
  pts.Marked = false;
}
