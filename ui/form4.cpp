#include "ui/form4.h"

#include "core/container.h"
#include "core/numtext.h"
#include "ui/form3.h"
#include "ui/globals.h"
#include "ui/planrender.h"
#include "ui/platform.h"
#include "ui/uitext.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

TForm4::TForm4(QWidget *parent) : QDialog(parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  setModal(false);

  Label1 = new QLabel(Txt(48), this);
  Label1->setGeometry(10, 8, 200, 18);
  ComboBox1 = new QComboBox(this);
  // Fixed items in the order of the dialog: indices 0..8.
  ComboBox1->addItems({"sd", "hd", "vd", "zu", "di", QString::fromUtf8("vše"),
                       QString::fromUtf8("úhly"), "gd", "pr"});
  ComboBox1->setGeometry(10, 28, 200, 26);

  Label2 = new QLabel(Txt(49), this);
  Label2->setGeometry(10, 60, 200, 18);
  ComboBox2 = new QComboBox(this);
  ComboBox2->setGeometry(10, 80, 200, 26);

  Label3 = new QLabel(Txt(50), this);
  Label3->setGeometry(10, 112, 200, 18);
  ComboBox3 = new QComboBox(this);
  ComboBox3->setGeometry(10, 132, 200, 26);

  Label4 = new QLabel(Txt(51) + QStringLiteral(" /m /gon"), this);
  Label4->setGeometry(10, 164, 200, 18);
  ComboBox4 = new QComboBox(this);
  ComboBox4->setEditable(true);
  ComboBox4->addItems({"0.01", "0.005", "0.004", "0.003", "0.002", "0.001", "0.0005", "0.0004",
                       "0.0003"});
  ComboBox4->setCurrentIndex(5);
  ComboBox4->setGeometry(10, 184, 200, 26);

  BitBtn17 = new QPushButton(Txt(52), this);
  BitBtn17->setAutoDefault(false);
  BitBtn17->setGeometry(10, 222, 200, 30);
  connect(BitBtn17, &QPushButton::clicked, this, [this] { BitBtn17Click(); });

  setWindowTitle(Txt(47));
  setFixedSize(220, 262);
}

void TForm4::ApplyTexts() {
  setWindowTitle(Txt(47));
  Label1->setText(Txt(48));
  Label2->setText(Txt(49));
  Label3->setText(Txt(50));
  Label4->setText(Txt(51) + QStringLiteral(" /m /gon"));
  BitBtn17->setText(Txt(52));
}

void TForm4::TogglePickTarget() {
  FPickTarget = FPickTarget == ptStation ? ptTarget : ptStation;
}

QComboBox *TForm4::PickList() const {
  return FPickTarget == ptStation ? ComboBox2 : ComboBox3;
}

void TForm4::OpenFor(int typeItem, int precisionItem) {
  if (Container) {
    FillNumberList(Container->Points, ComboBox2);
    FillNumberList(Container->Points, ComboBox3);
  }
  setWindowTitle(Txt(46));
  ComboBox1->setCurrentIndex(typeItem);
  ComboBox2->setCurrentIndex(ComboBox2->count() > 0 ? 0 : -1);
  ComboBox3->setCurrentIndex(ComboBox3->count() > 1 ? 1 : -1);
  ComboBox4->setCurrentIndex(precisionItem);
  show();
  raise();
}

bool TForm4::ChosenNumber(const QComboBox *list, double &number) const {
  const int i = list->currentIndex();
  if (i >= 0 && Container && i < Container->Points.List.Count()) {
    const TNetPoint &p = Container->Points.List.Items[i];
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

bool TForm4::BitBtn17Click() {
  bool added = false;
  long double precision = 0;
  double station = 0, target = 0;
  if (!TryTextToNum(S(ComboBox4->currentText()), precision) || !(precision > 0) ||
      !std::isfinite(double(precision)) || !ChosenNumber(ComboBox2, station) ||
      !ChosenNumber(ComboBox3, target)) {
    Platform().Message(this, Txt(53));
  } else if (station != target && Container) {
    const std::uint8_t type = TMereni::TypeCodeOf(S(ComboBox1->currentText()));
    TContainer &net = *Container;
    net.Measurements.AddMeasurement(type, double(precision), target, station);
    added = true;
    if (type == mtPr) {
      try {
        const long double d = net.Points.ObsHorizDist(station, target);
        if (d > 0.01L)
          Platform().Message(this, Txt(122) + QStringLiteral(" (") + Q(NumToTextFixed(d, 14, 3)) +
                                       QStringLiteral(" m)."));
      } catch (const EMissingPoint &) {
        // A typed number that is not a point: the consistency check drops
        // the measurement before it is used.
      }
    }
    if (Form3) {
      Form3->RefreshGrid();
      Form3->Redraw();
    }
  }
  ActivateStationField();
  return added;
}
