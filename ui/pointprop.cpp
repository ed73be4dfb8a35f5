#include "ui/pointprop.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TTPointProp::TTPointProp(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TTPointProp::ApplyTexts() { setWindowTitle(Txt(95)); }

