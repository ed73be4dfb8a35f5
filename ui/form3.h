#pragma once
// Measurement plan window.
#include <QDialog>

class QLabel;

class TForm3 : public QDialog {
  Q_OBJECT
public:
  explicit TForm3(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();
  // Fills the measurement table, fits all points and draws the plan.
  void PreparePlan();
  // Refills the measurement table from the measurement list (after a sort).
  void RefreshGrid();
private:
  QLabel *Info = nullptr;
};
