#include "ui/form5.h"

#include "ui/uitext.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm5::TForm5(QWidget *parent) : QDialog(parent) {
  setWindowTitle("Protokol");
  resize(675, 442);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setFont(DesignFont("Courier New", 10));
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Long protocol lines stay whole; they can be scrolled to instead of
  // being cut off at the window's edge.
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  layout->addWidget(Memo1);
}

void TForm5::ApplyTexts() { setWindowTitle(Txt(54)); }

void TForm5::SetProtocol(const QString &text) { Memo1->setPlainText(text); }
