#include "ui/form7.h"

#include "core/container.h"
#include "core/numtext.h"
#include "ui/form3.h"
#include "ui/globals.h"
#include "ui/platform.h"
#include "ui/uitext.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

TForm7::TForm7(QWidget *parent) : QDialog(parent) {
  setModal(true);
  Label4 = new QLabel(this);
  Label4->setGeometry(12, 12, 220, 18);
  ComboBox4 = new QComboBox(this);
  ComboBox4->setEditable(true);
  ComboBox4->addItems({"0.01", "0.005", "0.004", "0.003", "0.002", "0.001", "0.0005", "0.0004",
                       "0.0003"});
  ComboBox4->setCurrentIndex(5);
  ComboBox4->setGeometry(12, 32, 220, 26);
  Label1 = new QLabel(this);
  Label1->setGeometry(12, 68, 220, 18);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setGeometry(12, 88, 220, 26);
  BitBtn17 = new QPushButton(this);
  BitBtn17->setAutoDefault(false);
  BitBtn17->setGeometry(12, 128, 220, 30);
  connect(BitBtn17, &QPushButton::clicked, this, [this] { BitBtn17Click(); });
  ApplyTexts();
  setFixedSize(244, 170);
}

void TForm7::ApplyTexts() {
  setWindowTitle(Txt(67));
  Label4->setText(Txt(51) + QStringLiteral(" /m /gon"));
  Label1->setText(Txt(68));
  ComboBox1->clear();
  ComboBox1->addItems({Txt(70), Txt(71)});
  ComboBox1->setCurrentIndex(0);
  BitBtn17->setText(Txt(69));
}

bool TForm7::BitBtn17Click() {
  bool changed = false;
  long double v = 0;
  const int index = Form3 ? Form3->SelectedRow() - 1 : -1;
  TMereni *meas = Container ? &Container->Measurements : nullptr;
  // A value that is no positive number, or no measurement selected, is
  // refused: nothing would be changed, or the network could not be adjusted.
  if (!meas || !TryTextToNum(S(ComboBox4->currentText()), v) || !(v > 0) ||
      !std::isfinite(double(v)) || index < 0 || index >= meas->Count()) {
    Platform().Message(this, Txt(100));
  } else if (ComboBox1->currentIndex() == 0) {
    meas->Items[index].StdDev = double(v);
    changed = true;
  } else {
    const std::uint8_t type = meas->Items[index].MeasType;
    for (TMeasurement &m : meas->Items)
      if (m.MeasType == type)
        m.StdDev = double(v);
    changed = true;
  }
  if (Form3)
    Form3->RefreshGrid();
  return changed;
}
