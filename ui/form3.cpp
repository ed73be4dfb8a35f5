#include "ui/form3.h"

#include "ui/uitext.h"

#include <QLabel>
#include <QVBoxLayout>

TForm3::TForm3(QWidget *parent) : QDialog(parent) {
  auto *layout = new QVBoxLayout(this);
  Info = new QLabel(QStringLiteral("Not available yet."), this);
  Info->setAlignment(Qt::AlignCenter);
  layout->addWidget(Info);
  resize(320, 120);
}

void TForm3::ApplyTexts() { setWindowTitle(Txt(7)); }

void TForm3::PreparePlan() {}
void TForm3::RefreshGrid() {}
