#include "ui/form8.h"

#include "core/container.h"
#include "core/numtext.h"
#include "ui/globals.h"
#include "ui/platform.h"
#include "ui/uitext.h"

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

TForm8::TForm8(QWidget *parent) : QDialog(parent) {
  setModal(true);
  Label4 = new QLabel(QStringLiteral("Sc / m"), this);
  Label4->setGeometry(12, 12, 120, 18);
  ComboBox4 = new QComboBox(this);
  ComboBox4->setEditable(true);
  ComboBox4->addItems(kValues);
  ComboBox4->setCurrentIndex(5);
  ComboBox4->setGeometry(12, 32, 140, 26);
  BitBtn1 = new QPushButton(Txt(79), this);
  BitBtn1->setAutoDefault(false);
  BitBtn1->setGeometry(164, 31, 150, 28);

  Label1 = new QLabel(QStringLiteral("Svp / m"), this);
  Label1->setGeometry(12, 70, 120, 18);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setEditable(true);
  ComboBox1->addItems(kValues);
  ComboBox1->addItem(QString());
  ComboBox1->setCurrentIndex(3);
  ComboBox1->setGeometry(12, 90, 140, 26);
  BitBtn2 = new QPushButton(Txt(79), this);
  BitBtn2->setAutoDefault(false);
  BitBtn2->setGeometry(164, 89, 150, 28);

  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  ApplyTexts();
  setFixedSize(326, 130);
}

void TForm8::ApplyTexts() {
  setWindowTitle(Txt(74) + QStringLiteral(" Sc/Svp"));
  BitBtn1->setText(Txt(79));
  BitBtn2->setText(Txt(79));
}

bool TForm8::BitBtn1Click() {
  double v = 0;
  if (!ReadSigma(ComboBox4, v)) {
    Platform().Message(this, Txt(80) + QStringLiteral(" Sc!"));
    return false;
  }
  if (Container)
    Container->Points.SetAllSc(v);
  return true;
}

bool TForm8::BitBtn2Click() {
  double v = 0;
  if (!ReadSigma(ComboBox1, v)) {
    Platform().Message(this, Txt(80) + QStringLiteral(" Svp!"));
    return false;
  }
  if (Container)
    Container->Points.SetAllSvp(v);
  return true;
}
