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
struct TNetPoint;

class TTPointProp : public QDialog {
  Q_OBJECT
public:
  explicit TTPointProp(QWidget *parent = nullptr);

  // Puts the active language's texts on the window's controls.
  void ApplyTexts();
  // Shows the point and remembers its index in the point list.
  void Fill(const TNetPoint &point, int index);
  int PointIndex() const { return FIndex; }

  QGroupBox *GroupBox2 = nullptr; // point number
  QLabel *LabeledEdit1Label = nullptr;
  QLineEdit *LabeledEdit1 = nullptr; // number (read-only)
  QGroupBox *GroupBox1 = nullptr;    // coordinates
  QLineEdit *LabeledEdit2 = nullptr; // X
  QLineEdit *LabeledEdit3 = nullptr; // Y
  QLineEdit *LabeledEdit4 = nullptr; // Z
  QCheckBox *CheckBox1 = nullptr;    // fixed
  QPushButton *BitBtn1 = nullptr;    // take X and Y from the mark
  QGroupBox *GroupBox3 = nullptr;    // standard deviations
  QLineEdit *LabeledEdit5 = nullptr; // Sc
  QLineEdit *LabeledEdit6 = nullptr; // Svp
  QPushButton *BitBtn3 = nullptr;    // OK
  QPushButton *BitBtn4 = nullptr;    // Cancel
  QPushButton *BitBtn2 = nullptr;    // Apply

public slots:
  // Writes the fields back into the point; false after "Wrong input!".
  bool BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn1Click();

private:
  int FIndex = -1;
};
