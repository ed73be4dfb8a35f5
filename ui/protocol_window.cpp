#include "ui/protocol_window.h"

#include "ui/desktop_application.h"
#include "ui/ui_text.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

ProtocolWindow::ProtocolWindow(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  resize(675, 442);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  ProtocolText = new QPlainTextEdit(this);
  ProtocolText->setReadOnly(true);
  ProtocolText->setLineWrapMode(QPlainTextEdit::NoWrap);
  ProtocolText->setFont(DesignFont("Courier New", 10));
  ProtocolText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Long protocol lines stay whole; they can be scrolled to instead of
  // being cut off at the window's edge.
  ProtocolText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  layout->addWidget(ProtocolText);
}

void ProtocolWindow::ApplyTexts() { setWindowTitle(App.Txt(Text::Protocol)); }

void ProtocolWindow::SetProtocol(const QString &text) { ProtocolText->setPlainText(text); }
