#include "ui/form8.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TForm8::TForm8(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TForm8::ApplyTexts() { setWindowTitle(Txt(74) + QStringLiteral(" Sc/Svp")); }

