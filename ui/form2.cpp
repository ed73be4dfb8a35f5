#include "ui/form2.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TForm2::TForm2(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TForm2::ApplyTexts() { setWindowTitle(Txt(5)); }

void TForm2::PreparePlan() {}
