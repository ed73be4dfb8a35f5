#pragma once
// Change-all-Sc/Svp dialog.
#include <QDialog>

class QLabel;

class TForm8 : public QDialog {
  Q_OBJECT
public:
  explicit TForm8(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

private:
  QLabel *Info = nullptr;
};
