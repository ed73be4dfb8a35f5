#pragma once
// Measurement plan window: the points and one labelled line per measured
// pair of points, and the measurement table. Type buttons open the
// add-measurement tool window, whose station and target are picked by
// clicking points on the plan; measurements are deleted, sorted, saved, and
// their precisions changed by hand or with the precision guide.
#include "evaluation/report_design.h"
#include "ui/plan_window.h"

class DesktopApplication;
class DesignPanel;
class QAction;
namespace kd::app { class MeasurementTableModel; }
struct Measurement;

class MeasurementPlanWindow : public PlanWindow {
  Q_OBJECT
public:
  MeasurementPlanWindow(DesktopApplication &app, QWidget *parent = nullptr);
  ~MeasurementPlanWindow() override;

  // Puts the program's texts (App.Language()) on the window's controls; a
  // file path shown in the caption stays.
  void ApplyTexts();
  // Fills the measurement table, fits all points and draws the plan; the
  // main window then shows it modally.
  void PreparePlan();
  // Refills the measurement table from the measurement list.
  void RefreshGrid();
  // "sd 1 → 2": a measurement as the user names it.
  static QString MeasurementCaption(const Measurement &m);
  void RefreshTable() override { RefreshGrid(); }
  // Draws the measurement plan again with its precision and overlays.
  void Redraw() override;
  // Adds the reliability colours and relative ellipses to the common
  // precision options.
  PlotOptions PrecisionOptions() const override;
  // The measurements of the line nearest to the pixel (within a few pixels)
  // with their redundancy numbers and minimal detectable biases; empty when
  // no line is that close.
  QString LineInfoAt(int x, int y) const;
  // What the last right click on a line showed.
  QString LastLineInfo;
  // The add window's station and target, highlighted on the plan while it
  // is open.
  void HighlightPicks(QImage &image);

  QLabel *MeasurementsLabel = nullptr;
  QTableView *MeasurementTable = nullptr;
  kd::app::MeasurementTableModel *MeasurementModel = nullptr; // the document's measurements
  QFrame *TypeButtonPanel = nullptr;        // type buttons, delete, sort, save
  QPushButton *AddSlopeDistanceButton = nullptr; // -> sd
  QPushButton *AddHorizontalDistanceButton = nullptr; // -> hd
  QPushButton *AddHeightDifferenceButton = nullptr; // -> vd
  QPushButton *AddZenithAngleButton = nullptr; // -> zen.
  QPushButton *AddDirectionButton = nullptr; // -> dir.
  QPushButton *AddAnglesButton = nullptr;
  QPushButton *AddPolar3DButton = nullptr;  // ->3d pol.
  QPushButton *AddGyroDirectionButton = nullptr; // -> GD
  QPushButton *AddPlumbingButton = nullptr; // -> PR
  QPushButton *DeleteMeasurementButton = nullptr;
  QPushButton *SortButton = nullptr;
  QPushButton *SaveAsButton = nullptr;
  QPushButton *SaveButton = nullptr;
  QAction *ChangePrecisionAction = nullptr;              // one measurement
  QAction *ChangeTypePrecisionAction = nullptr; // all of the type
  QAction *PrecisionGuideAction = nullptr;
  // "Design…": the requirements, next best measurements and the optimised
  // plan in a tool window beside the plan (made on first use).
  QPushButton *DesignButton = nullptr;
  DesignPanel *Design = nullptr;
  DesignPanel &DesignTools();
  // The requirements of NAME.req for a report of the network as it is now
  // (not present without requirements).
  ReportDesign DesignReport();
  // Draws the design panel's candidates, proposal and critical marks.
  void DrawDesignOverlay(QImage &image);

public slots:
  void OpenDesignPanel();
  void ZoomOut() override;
  void AddSlopeDistance();
  void AddHorizontalDistance();
  void AddHeightDifference();
  void AddZenithAngle();
  void AddDirection();
  void AddAngles();
  void AddPolar3D();
  void AddGyroDirection();
  void AddPlumbing();
  void DeleteMeasurement();
  void SortMeasurements();
  void SaveMeasurements();
  void SaveMeasurementsAs();
  void ChangePrecision();
  void ChangeTypePrecision();
  void OpenPrecisionGuide();
  void SelectMeasurementRow(int row);
  void OnResize() override;
  // Runs when the window closes: saves a non-empty measurement list when
  // the automatic-save setting is on.
  void OnClose() override;
  // The add window inserted a measurement.
  void MeasurementAdded();

protected:
  // While the add dialog is open, a left click picks the point nearest to
  // it for the dialog's station or target field.
  void PlanMouseDown(Qt::MouseButton button, int x, int y) override;
  // Hovering over a line shows its measurements with r and MDB.
  void PlanHover(int x, int y) override;
  void hideEvent(QHideEvent *event) override;

private:
  // The type buttons: open the add dialog for one type.
  void OpenAddDialog(int typeItem, int precisionItem);
  // Puts the add window beside the plan.
  void PlaceAddWindowBeside();
  // Shows a modal dialog that may change precisions; tells of a change.
  void ShowModalEdit(QDialog *dialog);
  bool SaveTo(const QString &path);

  bool PickListsConnected = false;
};
