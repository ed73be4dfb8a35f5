#pragma once
// Coordinate plan window: the points on a plan drawn to scale and in a
// table. A left click marks a position where "Add point" puts a new point;
// a right click near a point opens its properties; the middle button drags
// the view; the wheel zooms. The table's menu makes all points fixed or
// adjusted, changes all Sc/Svp and opens a point's properties.
#include "ui/plan_window.h"

#include <functional>

class DesktopApplication;
class QAction;
namespace kd::app { class PointTableModel; }
class QLineEdit;

class CoordinatePlanWindow : public PlanWindow {
  Q_OBJECT
public:
  CoordinatePlanWindow(DesktopApplication &app, QWidget *parent = nullptr);
  ~CoordinatePlanWindow() override;

  // Puts the program's texts (App.Language()) on the window's controls; a
  // file path shown in the caption stays.
  void ApplyTexts();
  // Fills the point table, fits all points and draws the plan; the main
  // window then shows it modally.
  void PreparePlan();

  // Draws the plan again: points, mark, axes, precision.
  void Redraw() override;
  // Refills the point table from the point list.
  void RefillGrid();

  QLabel *CoordinatesLabel = nullptr;
  QTableView *PointTable = nullptr;
  kd::app::PointTableModel *PointModel = nullptr; // the document's points
  QPushButton *SaveAsButton = nullptr;
  QPushButton *SaveButton = nullptr;
  QFrame *PointEditPanel = nullptr;        // add / delete
  QLabel *PointNumberLabel = nullptr;
  QLineEdit *PointNumberEdit = nullptr;      // number of a point to add
  QLabel *HeightLabel = nullptr;
  QLineEdit *HeightEdit = nullptr;      // height of a point to add
  QPushButton *DeletePointButton = nullptr;
  QPushButton *AddPointButton = nullptr;
  QAction *AllAdjustedAction = nullptr; // all points adjusted
  QAction *AllFixedAction = nullptr;      // all points fixed
  QAction *ChangeAllScSvpAction = nullptr;
  QAction *PropertiesAction = nullptr;

public slots:
  void ZoomOut() override;
  void AddPoint();
  void DeletePoint();
  void SavePoints();
  void SavePointsAs();
  void MakeAllAdjusted();
  void MakeAllFixed();
  void ChangeAllScSvp();
  void ShowPointProperties();
  void ValidatePointNumber();
  void ValidateHeight();
  void SelectPointRow(int row);
  // Places the controls for the current size and redraws.
  void OnResize() override;
  // Runs when the window closes: saves the point list when the
  // automatic-save setting is on.
  void OnClose() override;

protected:
  // Left click: marks the position for a new point; right click near a
  // point: its properties.
  void PlanMouseDown(Qt::MouseButton button, int x, int y) override;
  void RefreshTable() override { RefillGrid(); }

private:
  // Shows a modal dialog / runs an edit that may change the points; tells
  // of a change.
  void ShowModalEdit(QDialog *dialog);
  void RunEdit(const std::function<void()> &edit);
  // Saves the point list to `path`; reports a failure to the user.
  bool SaveTo(const QString &path);
  // Opens the properties of point `index` (a modal edit).
  void OpenPointProperties(int index);
  // The world position of the mark, taken (the mark goes); false without
  // a mark.
  bool TakeMark(long double &X, long double &Y);
};
