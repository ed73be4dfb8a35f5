#pragma once
// Add-measurement tool window of the measurement plan. It stays on top of
// the plan without blocking it, so several measurements can be inserted one
// after another; station and target are picked from lists or by clicking
// points on the plan.
#include <QDialog>

class DesktopApplication;
class QComboBox;
class QLabel;
class QPushButton;

class AddMeasurementWindow : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  AddMeasurementWindow(DesktopApplication &app, QWidget *parent = nullptr);

  // Puts the program's texts (App.Language()) on the window's controls.
  void ApplyTexts();

  // Which list the next click on the plan fills.
  enum PickField { StationField, TargetField };
  PickField PickTarget() const { return ActivePickField; }
  // Makes the station field the one a click on a plan point fills.
  void ActivateStationField() { ActivePickField = StationField; }
  void TogglePickTarget();
  // The list the next click fills (StationCombo or TargetCombo).
  QComboBox *PickList() const;

  // Fills both point lists from the point list, selects the type, the first
  // two points and the precision item, and shows the window without
  // blocking.
  void OpenFor(int typeItem, int precisionItem);

  QLabel *TypeLabel = nullptr;
  QComboBox *TypeCombo = nullptr;
  QLabel *StationLabel = nullptr;
  QComboBox *StationCombo = nullptr;
  QLabel *TargetLabel = nullptr;
  QComboBox *TargetCombo = nullptr;
  QLabel *PrecisionLabel = nullptr;
  QComboBox *PrecisionCombo = nullptr; // precision, editable
  QPushButton *InsertButton = nullptr;

public slots:
  // Inserts the measurement(s); true when something was added.
  bool InsertMeasurement();

private:
  // The point number a point list shows: the exact number of the point at
  // the chosen item, so numbers with more decimals than the list shows are
  // kept. False when nothing usable is chosen.
  bool ChosenNumber(const QComboBox *list, double &number) const;

  PickField ActivePickField = StationField;
};
