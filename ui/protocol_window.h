#pragma once
// The protocol window: the engine's text protocol, read-only, as it stands.
#include <QDialog>

class DesktopApplication;
class QPlainTextEdit;

class ProtocolWindow : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  ProtocolWindow(DesktopApplication &app, QWidget *parent = nullptr);
  void ApplyTexts();
  // Shows the protocol text; its lines are kept exactly as given.
  void SetProtocol(const QString &text);

  QPlainTextEdit *ProtocolText = nullptr;
};
