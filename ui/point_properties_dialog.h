#pragma once
// Point properties dialog: shows and edits one point of the list (number,
// coordinates, fixed flag, centring and height standard deviations). The
// coordinate plan opens it for a right-clicked point or the selected row.
#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct NetworkPoint;
class DesktopApplication;

class PointPropertiesDialog : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  PointPropertiesDialog(DesktopApplication &app, QWidget *parent = nullptr);

  // Puts the program's texts (App.Language()) on the window's controls.
  void ApplyTexts();
  // Shows the point and remembers its index in the point list.
  void Fill(const NetworkPoint &point, int index);
  int PointIndex() const { return Index; }
  // Where "take from the mark" gets the mark's world X, Y (the plan that
  // owns the mark; taking removes it). False: there is no mark.
  std::function<bool(long double &X, long double &Y)> TakeMark;

  QGroupBox *PointNumberGroup = nullptr;
  QLabel *NumberLabel = nullptr;
  QLineEdit *NumberEdit = nullptr; // number (read-only)
  QGroupBox *CoordinatesGroup = nullptr;
  QLineEdit *XEdit = nullptr;
  QLineEdit *YEdit = nullptr;
  QLineEdit *ZEdit = nullptr;
  QCheckBox *FixedCheckBox = nullptr;
  QPushButton *TakeFromMarkButton = nullptr;    // take X and Y from the mark
  QGroupBox *StandardDeviationsGroup = nullptr;
  QLineEdit *CentringSigmaEdit = nullptr; // Sc
  QLineEdit *HeightSigmaEdit = nullptr; // Svp
  QPushButton *OkButton = nullptr;
  QPushButton *CancelButton = nullptr;
  QPushButton *ApplyButton = nullptr;

public slots:
  // Writes the fields back into the point; false after "Wrong input!".
  bool Apply();
  void ApplyAndClose();
  void Cancel();
  void TakeFromMark();

private:
  int Index = -1;
};
