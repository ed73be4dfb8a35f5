#pragma once
// Coordinate plan window.
#include <QDialog>

class QLabel;

class TForm2 : public QDialog {
  Q_OBJECT
public:
  explicit TForm2(QWidget *parent = nullptr);
  // Puts the active language's texts on the window's controls.
  void ApplyTexts();
  // Attaches the plan to the point set, fills the point table, fits all
  // points and draws the plan; the main window then shows it modally.
  void PreparePlan();
private:
  QLabel *Info = nullptr;
};
