#include "ui/form4.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TForm4::TForm4(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TForm4::ApplyTexts() { setWindowTitle(Txt(47)); }

void TForm4::ActivateStationField() {}
