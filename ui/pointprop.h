#pragma once
// Point properties dialog.
#include <QDialog>

class QLabel;

class TTPointProp : public QDialog {
  Q_OBJECT
public:
  explicit TTPointProp(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

private:
  QLabel *Info = nullptr;
};
