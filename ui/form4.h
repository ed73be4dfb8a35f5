#pragma once
// Add-measurement tool window of the measurement plan.
#include <QDialog>

class QLabel;

class TForm4 : public QDialog {
  Q_OBJECT
public:
  explicit TForm4(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();
  // Makes the station field the one a click on a plan point fills.
  void ActivateStationField();
private:
  QLabel *Info = nullptr;
};
