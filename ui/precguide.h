#pragma once
// Precision guide.
#include <QDialog>

class QLabel;

class TFPrecGuide : public QDialog {
  Q_OBJECT
public:
  explicit TFPrecGuide(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

private:
  QLabel *Info = nullptr;
};
