#pragma once
// Point properties dialog: shows and edits one point of the list (number,
// coordinates, fixed flag, centring and height standard deviations). The
// coordinate plan opens it for a right-clicked point or the selected row.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct NetworkPoint;

class PointPropertiesDialog : public QDialog {
  Q_OBJECT
public:
  explicit PointPropertiesDialog(QWidget *parent = nullptr);

  // Puts the active language's texts on the window's controls.
  void ApplyTexts();
  // Shows the point and remembers its index in the point list.
  void Fill(const NetworkPoint &point, int index);
  int PointIndex() const { return Index; }

  QGroupBox *PointNumberGroup = nullptr; // point number
  QLabel *NumberLabel = nullptr;
  QLineEdit *NumberEdit = nullptr; // number (read-only)
  QGroupBox *CoordinatesGroup = nullptr;    // coordinates
  QLineEdit *XEdit = nullptr; // X
  QLineEdit *YEdit = nullptr; // Y
  QLineEdit *ZEdit = nullptr; // Z
  QCheckBox *FixedCheckBox = nullptr;    // fixed
  QPushButton *TakeFromMarkButton = nullptr;    // take X and Y from the mark
  QGroupBox *StandardDeviationsGroup = nullptr;    // standard deviations
  QLineEdit *CentringSigmaEdit = nullptr; // Sc
  QLineEdit *HeightSigmaEdit = nullptr; // Svp
  QPushButton *OkButton = nullptr;    // OK
  QPushButton *CancelButton = nullptr;    // Cancel
  QPushButton *ApplyButton = nullptr;    // Apply

public slots:
  // Writes the fields back into the point; false after "Wrong input!".
  bool Apply();
  void ApplyAndClose();
  void Cancel();
  void TakeFromMark();

private:
  int Index = -1;
};
