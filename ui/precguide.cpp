#include "ui/precguide.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TFPrecGuide::TFPrecGuide(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TFPrecGuide::ApplyTexts() { setWindowTitle(Txt(78)); }

