#include "ui/precguide.h"

#include "core/container.h"
#include "core/numtext.h"
#include "precision/guide.h"
#include "precision/stddev.h"
#include "ui/form3.h"
#include "ui/globals.h"
#include "ui/platform.h"
#include "ui/uitext.h"

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

TFPrecGuide::TFPrecGuide(QWidget *parent) : QDialog(parent) {
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

  GroupBox1 = new QGroupBox(this);
  GroupBox1->setGeometry(8, top, 300, 222);
  Label4 = label(GroupBox1, 10, labelY[0], 280);
  ComboBox4 = combo(GroupBox1, kAngleItems, 6, 10, fieldY(0), 120);
  Label1 = label(GroupBox1, 10, labelY[1], 280);
  ComboBox1 = combo(GroupBox1, kAngleItems, 6, 10, fieldY(1), 120);
  Label2 = label(GroupBox1, 10, labelY[2], 280);
  ComboBox2 = combo(GroupBox1, kDistItems, 3, 10, fieldY(2), 120);
  ComboBox3 = combo(GroupBox1, kDistItems, 3, 140, fieldY(2), 120);
  Label18 = label(GroupBox1, 10, labelY[3], 280);
  ComboBox12 = combo(GroupBox1, kDistItems, 3, 10, fieldY(3), 120);
  ComboBox11 = combo(GroupBox1, kDistItems, 3, 140, fieldY(3), 120);

  GroupBox2 = new QGroupBox(this);
  GroupBox2->setGeometry(8, top + 236, 300, 82);
  Label11 = new QLabel(GroupBox2);
  Label11->setGeometry(10, 16, 125, 34);
  Label11->setWordWrap(true);
  ComboBox8 = combo(GroupBox2, kLevelItems, 4, 10, fieldY(4) - 236, 120);
  Label12 = new QLabel(GroupBox2);
  Label12->setGeometry(140, 16, 155, 34);
  Label12->setWordWrap(true);
  ComboBox9 = combo(GroupBox2, kRouteItems, 1, 140, fieldY(4) - 236, 70);

  GroupBox3 = new QGroupBox(this);
  GroupBox3->setGeometry(316, top, 262, 318);
  Label5 = label(GroupBox3, 10, labelY[0], 240);
  ComboBox5 = combo(GroupBox3, kCountItems, 0, 10, fieldY(0), 60);
  Label6 = label(GroupBox3, 10, labelY[1], 240);
  ComboBox6 = combo(GroupBox3, kCountItems, 0, 10, fieldY(1), 60);
  Label7 = label(GroupBox3, 10, labelY[2], 100);
  ComboBox7 = combo(GroupBox3, kCountItems, 0, 10, fieldY(2), 60);
  Label15 = label(GroupBox3, 114, labelY[2], 140);
  Edit5 = edit(GroupBox3, "100", 114, fieldY(2), 100);
  BitBtn4 = button(GroupBox3, "+", 220, fieldY(2) - 1, 32);
  Label20 = label(GroupBox3, 10, labelY[3], 100);
  ComboBox13 = combo(GroupBox3, kCountItems, 0, 10, fieldY(3), 60);
  Label21 = label(GroupBox3, 114, labelY[3], 140);
  Edit6 = edit(GroupBox3, "100", 114, fieldY(3), 100);
  BitBtn10 = button(GroupBox3, "+", 220, fieldY(3) - 1, 32);
  Label13 = label(GroupBox3, 10, labelY[4], 100);
  ComboBox10 = combo(GroupBox3, kCountItems, 0, 10, fieldY(4), 60);
  Label22 = label(GroupBox3, 114, labelY[4], 140);
  Edit7 = edit(GroupBox3, "100", 114, fieldY(4), 100);
  BitBtn11 = button(GroupBox3, "+", 220, fieldY(4) - 1, 32);

  GroupBox5 = new QGroupBox(this);
  GroupBox5->setGeometry(586, top, 200, 318);
  Label8 = label(GroupBox5, 10, labelY[0], 180);
  BitBtn5 = button(GroupBox5, "->", 10, fieldY(0) - 1, 36);
  Edit1 = edit(GroupBox5, "", 52, fieldY(0), 136);
  Label9 = label(GroupBox5, 10, labelY[1], 180);
  BitBtn6 = button(GroupBox5, "->", 10, fieldY(1) - 1, 36);
  Edit2 = edit(GroupBox5, "", 52, fieldY(1), 136);
  Label10 = label(GroupBox5, 10, labelY[2], 180);
  BitBtn7 = button(GroupBox5, "->", 10, fieldY(2) - 1, 36);
  Edit3 = edit(GroupBox5, "", 52, fieldY(2), 136);
  Label23 = label(GroupBox5, 10, labelY[3], 180);
  BitBtn12 = button(GroupBox5, "->", 10, fieldY(3) - 1, 36);
  Edit8 = edit(GroupBox5, "", 52, fieldY(3), 136);
  Label14 = label(GroupBox5, 10, labelY[4], 180);
  BitBtn8 = button(GroupBox5, "->", 10, fieldY(4) - 1, 36);
  Edit4 = edit(GroupBox5, "", 52, fieldY(4), 136);

  GroupBox4 = new QGroupBox(this);
  GroupBox4->setGeometry(794, top, 246, 318);
  BitBtn2 = button(GroupBox4, "", 10, fieldY(0) - 1, 128);
  BitBtn1 = button(GroupBox4, "", 10, fieldY(1) - 1, 128);
  BitBtn3 = button(GroupBox4, "", 10, fieldY(2) - 1, 128);
  BitBtn14 = button(GroupBox4, "", 144, fieldY(2) - 1, 92);
  BitBtn13 = button(GroupBox4, "", 10, fieldY(3) - 1, 128);
  BitBtn15 = button(GroupBox4, "", 144, fieldY(3) - 1, 92);
  BitBtn9 = button(GroupBox4, "", 10, fieldY(4) - 1, 128);
  BitBtn16 = button(GroupBox4, "", 144, fieldY(4) - 1, 92);

  const int low = top + 340;
  GroupBox6 = new QGroupBox(this);
  GroupBox6->setGeometry(8, low, 480, 112);
  Label16 = label(GroupBox6, 10, 22, 136);
  ComboBox14 = combo(GroupBox6, kAngleItems, 5, 10, 40, 110);
  Label17 = label(GroupBox6, 150, 22, 140);
  ComboBox15 = combo(GroupBox6, kGyroCountItems, 0, 150, 40, 60);
  ComboBox15->setEditText("1");
  BitBtn17 = button(GroupBox6, "->", 240, 39, 36);
  Label24 = label(GroupBox6, 300, 22, 174);
  Edit9 = edit(GroupBox6, "", 300, 40, 136);
  BitBtn18 = button(GroupBox6, "", 300, 72, 136);

  GroupBox7 = new QGroupBox(this);
  GroupBox7->setGeometry(496, low, 544, 112);
  Label25 = label(GroupBox7, 10, 20, 520);
  ComboBox16 = combo(GroupBox7, kAngleItems, 5, 10, 38, 110);
  ComboBox16->setEditText("0.0010");
  BitBtn19 = button(GroupBox7, "", 126, 37, 120);
  Label26 = label(GroupBox7, 10, 66, 520);
  ComboBox17 = combo(GroupBox7, kAngleItems, 5, 10, 84, 110);
  BitBtn20 = button(GroupBox7, "", 126, 83, 120);

  connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
  connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
  connect(BitBtn7, &QPushButton::clicked, this, [this] { BitBtn7Click(); });
  connect(BitBtn12, &QPushButton::clicked, this, [this] { BitBtn12Click(); });
  connect(BitBtn8, &QPushButton::clicked, this, [this] { BitBtn8Click(); });
  connect(BitBtn17, &QPushButton::clicked, this, [this] { BitBtn17Click(); });
  connect(BitBtn4, &QPushButton::clicked, this, &TFPrecGuide::BitBtn4Click);
  connect(BitBtn10, &QPushButton::clicked, this, &TFPrecGuide::BitBtn10Click);
  connect(BitBtn11, &QPushButton::clicked, this, &TFPrecGuide::BitBtn11Click);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  connect(BitBtn13, &QPushButton::clicked, this, [this] { BitBtn13Click(); });
  connect(BitBtn9, &QPushButton::clicked, this, [this] { BitBtn9Click(); });
  connect(BitBtn18, &QPushButton::clicked, this, [this] { BitBtn18Click(); });
  connect(BitBtn19, &QPushButton::clicked, this, [this] { BitBtn19Click(); });
  connect(BitBtn20, &QPushButton::clicked, this, [this] { BitBtn20Click(); });
  connect(BitBtn14, &QPushButton::clicked, this, [this] { BitBtn14Click(); });
  connect(BitBtn15, &QPushButton::clicked, this, [this] { BitBtn15Click(); });
  connect(BitBtn16, &QPushButton::clicked, this, [this] { BitBtn16Click(); });

  ApplyTexts();
  setFixedSize(1048, low + 120);
}

void TFPrecGuide::ApplyTexts() {
  const QString gon = QStringLiteral(" /gon"), m = QStringLiteral(" /m");
  const QString abD = QStringLiteral(" /m (a+b*ppm*D)");
  setWindowTitle(Txt(78));
  GroupBox1->setTitle(Txt(102));
  Label4->setText(Txt(103) + gon);
  Label1->setText(Txt(104) + gon);
  Label2->setText(Txt(105) + abD);
  Label18->setText(Txt(106) + abD);
  GroupBox2->setTitle(Txt(112));
  Label11->setText(Txt(113) + m);
  Label12->setText(Txt(114));
  GroupBox3->setTitle(Txt(107));
  Label5->setText(Txt(103));
  Label6->setText(Txt(104));
  Label7->setText(Txt(105));
  Label20->setText(Txt(106));
  Label13->setText(Txt(115));
  Label15->setText(Txt(108) + m);
  Label21->setText(Txt(108) + m);
  Label22->setText(Txt(108) + m);
  GroupBox5->setTitle(Txt(109));
  Label8->setText(Txt(103) + gon);
  Label9->setText(Txt(104) + gon);
  Label10->setText(Txt(105) + m);
  Label23->setText(Txt(106) + m);
  Label14->setText(Txt(115) + m);
  GroupBox4->setTitle(Txt(110));
  BitBtn2->setText(Txt(103));
  BitBtn1->setText(Txt(104));
  BitBtn3->setText(Txt(105));
  BitBtn13->setText(Txt(106));
  BitBtn9->setText(Txt(115));
  BitBtn14->setText(Txt(111) + "*");
  BitBtn15->setText(Txt(111) + "*");
  BitBtn16->setText(Txt(111) + "*");
  GroupBox6->setTitle(Txt(117));
  Label16->setText(Txt(118) + gon);
  Label17->setText(Txt(107));
  Label24->setText(Txt(117) + gon);
  BitBtn18->setText(Txt(119));
  GroupBox7->setTitle(Txt(120));
  Label25->setText(Txt(121) + QStringLiteral(" s(xy)/m"));
  Label26->setText(Txt(121) + QStringLiteral(" s(h)/m"));
  BitBtn19->setText(Txt(119) + QStringLiteral(" (XY)"));
  BitBtn20->setText(Txt(119) + QStringLiteral(" (H)"));
}

// ---- reading fields ----

void TFPrecGuide::WrongInput() { Platform().Message(this, Txt(100)); }

bool TFPrecGuide::ReadValue(QComboBox *box, int resetItem, long double &v) {
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

bool TFPrecGuide::ReadValue(QLineEdit *edit, const QString &resetText, long double &v) {
  long double x;
  if (TryTextToNum(S(edit->text()), x) && x >= 0 && std::isfinite(double(x))) {
    v = x;
    return true;
  }
  WrongInput();
  edit->setText(resetText);
  return false;
}

bool TFPrecGuide::ReadCountField(QComboBox *box, int &n) {
  if (ReadCount(S(box->currentText()), n))
    return true;
  WrongInput();
  box->setCurrentIndex(0);
  box->setEditText(box->itemText(0));
  return false;
}

// ---- "->" ----

bool TFPrecGuide::BitBtn5Click() {
  long double s1 = 0;
  int n = 0;
  const bool ok1 = ReadValue(ComboBox4, 3, s1);
  const bool ok2 = ReadCountField(ComboBox5, n);
  if (!ok1 || !ok2 || n <= 0) {
    WrongInput();
    return false;
  }
  Edit1->setText(Shown(AngleStdDev(n, s1)));
  return true;
}

bool TFPrecGuide::BitBtn6Click() {
  long double s1 = 0;
  int n = 0;
  const bool ok1 = ReadValue(ComboBox1, 1, s1);
  const bool ok2 = ReadCountField(ComboBox6, n);
  if (!ok1 || !ok2 || n <= 0) {
    WrongInput();
    return false;
  }
  Edit2->setText(Shown(AngleStdDev(n, s1)));
  return true;
}

bool TFPrecGuide::BitBtn7Click() {
  long double a = 0, b = 0, d = 0;
  int n = 0;
  const bool ok1 = ReadValue(ComboBox2, 1, a);
  const bool ok2 = ReadValue(ComboBox3, 1, b);
  const bool ok3 = ReadCountField(ComboBox7, n);
  const bool ok4 = ReadValue(Edit5, "100", d);
  if (!ok1 || !ok2 || !ok3 || !ok4 || n <= 0) {
    WrongInput();
    return false;
  }
  Edit3->setText(Shown(DistStdDev(n, a, b, d)));
  return true;
}

bool TFPrecGuide::BitBtn12Click() {
  long double a = 0, b = 0, d = 0;
  int n = 0;
  const bool ok1 = ReadValue(ComboBox12, 1, a);
  const bool ok2 = ReadValue(ComboBox11, 1, b);
  const bool ok3 = ReadCountField(ComboBox13, n);
  const bool ok4 = ReadValue(Edit6, "100", d);
  if (!ok1 || !ok2 || !ok3 || !ok4 || n <= 0)
    return false;
  Edit8->setText(Shown(DistStdDev(n, a, b, d)));
  return true;
}

bool TFPrecGuide::BitBtn8Click() {
  long double s = 0, k = 0, d = 0;
  int n = 0;
  const bool ok1 = ReadValue(ComboBox8, 1, s);
  const bool ok2 = ReadValue(ComboBox9, 1, k);
  const bool ok3 = ReadCountField(ComboBox10, n);
  const bool ok4 = ReadValue(Edit7, "100", d);
  if (!ok1 || !ok2 || !ok3 || !ok4 || n <= 0)
    return false;
  Edit4->setText(Shown(LevelStdDev(n, s, k, d)));
  return true;
}

bool TFPrecGuide::BitBtn17Click() {
  long double s1 = 0;
  int n = 0;
  const bool ok1 = ReadValue(ComboBox14, 3, s1);
  const bool ok2 = ReadCountField(ComboBox15, n);
  if (!ok1 || !ok2 || n <= 0)
    return false;
  Edit9->setText(Shown(AngleStdDev(n, s1)));
  return true;
}

// ---- "+" ----

void TFPrecGuide::BitBtn4Click() {
  if (Container)
    Edit5->setText(Shown(RoundDecimals(Container->AverageLengthSd(), 3)));
}

void TFPrecGuide::BitBtn10Click() {
  if (Container)
    Edit6->setText(Shown(RoundDecimals(Container->AverageLengthHd(), 3)));
}

void TFPrecGuide::BitBtn11Click() {
  if (Container)
    Edit7->setText(Shown(RoundDecimals(Container->AverageLengthVd(), 3)));
}

// ---- apply to all of a type ----

void TFPrecGuide::RefreshMeasurementTable() {
  if (Form3)
    Form3->RefreshGrid();
}

bool TFPrecGuide::ApplyToType(QWidget *field, std::uint8_t type) {
  long double v;
  // A standard deviation of zero would give the measurement an infinite
  // weight: refused like text that is no number.
  if (!TryTextToNum(S(FieldText(field)), v) || !(v > 0) || !std::isfinite(double(v))) {
    WrongInput();
    SetFieldText(field, QStringLiteral("0.0010"));
    return false;
  }
  if (!Container)
    return false;
  Container->SetStdDevOfType(type, double(v));
  RefreshMeasurementTable();
  return true;
}

bool TFPrecGuide::BitBtn2Click() { return ApplyToType(Edit1, mtDi); }
bool TFPrecGuide::BitBtn1Click() { return ApplyToType(Edit2, mtZu); }
bool TFPrecGuide::BitBtn3Click() { return ApplyToType(Edit3, mtSd); }
bool TFPrecGuide::BitBtn13Click() { return ApplyToType(Edit8, mtHd); }
bool TFPrecGuide::BitBtn9Click() { return ApplyToType(Edit4, mtVd); }
bool TFPrecGuide::BitBtn18Click() { return ApplyToType(Edit9, mtGd); }
bool TFPrecGuide::BitBtn19Click() { return ApplyToType(ComboBox16, mtPr); }

bool TFPrecGuide::BitBtn20Click() {
  long double v;
  if (!TryTextToNum(S(ComboBox17->currentText()), v) || !(v > 0) ||
      !std::isfinite(double(v))) {
    WrongInput();
    ComboBox17->setEditText(QStringLiteral("0.0010"));
    return false;
  }
  if (!Container)
    return false;
  Container->PlumbSigma = double(v);
  return true;
}

// ---- one by one ----

bool TFPrecGuide::ApplyOneByOne(int which) {
  long double p1 = 0, p2 = 0;
  int n = 0;
  bool ok1, ok2, ok3;
  if (which == 0) {
    ok1 = ReadValue(ComboBox2, 1, p1);
    ok2 = ReadValue(ComboBox3, 1, p2);
    ok3 = ReadCountField(ComboBox7, n);
  } else if (which == 1) {
    ok1 = ReadValue(ComboBox12, 1, p1);
    ok2 = ReadValue(ComboBox11, 1, p2);
    ok3 = ReadCountField(ComboBox13, n);
  } else {
    ok1 = ReadValue(ComboBox8, 1, p1);
    ok2 = ReadValue(ComboBox9, 1, p2);
    ok3 = ReadCountField(ComboBox10, n);
  }
  if (!ok1 || !ok2 || !ok3)
    return false;
  if (n < 1) {
    // Fewer than one repetition has no meaning: refused like unreadable text.
    WrongInput();
    QComboBox *count = which == 0 ? ComboBox7 : which == 1 ? ComboBox13 : ComboBox10;
    count->setCurrentIndex(0);
    count->setEditText(count->itemText(0));
    return false;
  }
  if (!Container)
    return false;
  bool applied = false;
  try {
    if (which == 0)
      applied = Container->ApplyOneByOneSd(n, p1, p2);
    else if (which == 1)
      applied = Container->ApplyOneByOneHd(n, p1, p2);
    else
      applied = Container->ApplyOneByOneVd(n, p1, p2);
  } catch (const std::exception &) {
    // A measurement whose point is missing: nothing sensible to apply.
    applied = false;
  }
  // Nothing is changed when any length cannot be had (a point missing).
  if (!applied)
    Platform().Message(this, Txt(53));
  RefreshMeasurementTable();
  return applied;
}

bool TFPrecGuide::BitBtn14Click() { return ApplyOneByOne(0); }
bool TFPrecGuide::BitBtn15Click() { return ApplyOneByOne(1); }
bool TFPrecGuide::BitBtn16Click() { return ApplyOneByOne(2); }
