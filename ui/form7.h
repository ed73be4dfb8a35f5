#pragma once
// Change-measurement-precision dialog.
#include <QDialog>

class QLabel;

class TForm7 : public QDialog {
  Q_OBJECT
public:
  explicit TForm7(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

private:
  QLabel *Info = nullptr;
};
