#include "ui/form7.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TForm7::TForm7(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TForm7::ApplyTexts() { setWindowTitle(Txt(67)); }

