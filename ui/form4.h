#pragma once
// Add-measurement tool window of the measurement plan. It stays on top of
// the plan without blocking it, so several measurements can be inserted one
// after another; station and target are picked from lists or by clicking
// points on the plan.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class TForm4 : public QDialog {
  Q_OBJECT
public:
  explicit TForm4(QWidget *parent = nullptr);

  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

  // Which list the next click on the plan fills.
  enum TPickTarget { ptStation, ptTarget };
  TPickTarget PickTarget() const { return FPickTarget; }
  // Makes the station field the one a click on a plan point fills.
  void ActivateStationField() { FPickTarget = ptStation; }
  void TogglePickTarget();
  // The list the next click fills (ComboBox2 or ComboBox3).
  QComboBox *PickList() const;

  // Fills both point lists from the point list, selects the type, the first
  // two points and the precision item, and shows the window without
  // blocking.
  void OpenFor(int typeItem, int precisionItem);

  QLabel *Label1 = nullptr;
  QComboBox *ComboBox1 = nullptr; // type
  QLabel *Label2 = nullptr;
  QComboBox *ComboBox2 = nullptr; // station
  QLabel *Label3 = nullptr;
  QComboBox *ComboBox3 = nullptr; // target
  QLabel *Label4 = nullptr;
  QComboBox *ComboBox4 = nullptr; // precision, editable
  QPushButton *BitBtn17 = nullptr; // insert

public slots:
  // Inserts the measurement(s); true when something was added.
  bool BitBtn17Click();

private:
  // The point number a point list shows: the exact number of the point at
  // the chosen item, so numbers with more decimals than the list shows are
  // kept. False when nothing usable is chosen.
  bool ChosenNumber(const QComboBox *list, double &number) const;

  TPickTarget FPickTarget = ptStation;
};
