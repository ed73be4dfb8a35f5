#include "ui/measurement_plan_window.h"

#include "core/survey_network.h"
#include "core/text_grid.h"
#include "ui/add_measurement_window.h"
#include "ui/change_precision_dialog.h"
#include "ui/app_globals.h"
#include "ui/plan_renderer.h"
#include "ui/plan_widgets.h"
#include "ui/platform.h"
#include "ui/precision_guide_dialog.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

MeasurementPlanWindow::MeasurementPlanWindow(QWidget *parent) : PlanWindow(7, parent) {
  const int colX = ColumnX();
  MeasurementsLabel = NewLabel(this, Txt(45), colX, 4, kColumnWidth, 18);

  MeasurementTable = MakeTable(318);

  TypeButtonPanel = new QFrame(this);
  TypeButtonPanel->setFrameShape(QFrame::StyledPanel);
  TypeButtonPanel->setGeometry(colX, 348, kColumnWidth, 176);
  const int bw = 89, bh = 26;
  AddSlopeDistanceButton = NewButton(TypeButtonPanel, Txt(41), 6, 6, bw, bh);
  AddHorizontalDistanceButton = NewButton(TypeButtonPanel, Txt(39), 100, 6, bw, bh);
  AddHeightDifferenceButton = NewButton(TypeButtonPanel, Txt(40), 194, 6, bw, bh);
  AddZenithAngleButton = NewButton(TypeButtonPanel, Txt(37), 6, 36, bw, bh);
  AddDirectionButton = NewButton(TypeButtonPanel, Txt(36), 100, 36, bw, bh);
  AddAnglesButton = NewButton(TypeButtonPanel, Txt(38), 194, 36, bw, bh);
  AddPolar3DButton = NewButton(TypeButtonPanel, Txt(42), 6, 66, bw, bh);
  AddGyroDirectionButton = NewButton(TypeButtonPanel, QStringLiteral("-> GD"), 100, 66, bw, bh);
  AddPlumbingButton = NewButton(TypeButtonPanel, QStringLiteral("-> PR"), 194, 66, bw, bh);
  DeleteMeasurementButton = NewButton(TypeButtonPanel, Txt(43), 6, 104, 136, 28);
  SortButton = NewButton(TypeButtonPanel, Txt(44), 147, 104, 136, 28);
  SaveAsButton = NewButton(TypeButtonPanel, Txt(26), 6, 140, 136, 28);
  SaveButton = NewButton(TypeButtonPanel, Txt(27), 147, 140, 136, 28);

  MakeNavPanel(FitAllButton, RedrawButton, ZoomInButton, ZoomOutButton, PanLeftButton, PanRightButton, PanUpButton, PanDownButton);

  ChangePrecisionAction = TableMenu->addAction(Txt(76));
  ChangeTypePrecisionAction = TableMenu->addAction(Txt(77));
  PrecisionGuideAction = TableMenu->addAction(Txt(78));

  connect(FitAllButton, &QPushButton::clicked, this, &MeasurementPlanWindow::ShowAllPoints);
  connect(RedrawButton, &QPushButton::clicked, this, &MeasurementPlanWindow::RedrawPlan);
  connect(ZoomInButton, &QPushButton::clicked, this, &MeasurementPlanWindow::ZoomIn);
  connect(ZoomOutButton, &QPushButton::clicked, this, &MeasurementPlanWindow::ZoomOut);
  connect(PanLeftButton, &QPushButton::clicked, this, &MeasurementPlanWindow::PanLeft);
  connect(PanRightButton, &QPushButton::clicked, this, &MeasurementPlanWindow::PanRight);
  connect(PanUpButton, &QPushButton::clicked, this, &MeasurementPlanWindow::PanUp);
  connect(PanDownButton, &QPushButton::clicked, this, &MeasurementPlanWindow::PanDown);
  connect(AddSlopeDistanceButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddSlopeDistance);
  connect(AddHorizontalDistanceButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddHorizontalDistance);
  connect(AddHeightDifferenceButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddHeightDifference);
  connect(AddZenithAngleButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddZenithAngle);
  connect(AddDirectionButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddDirection);
  connect(AddAnglesButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddAngles);
  connect(AddPolar3DButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddPolar3D);
  connect(AddGyroDirectionButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddGyroDirection);
  connect(AddPlumbingButton, &QPushButton::clicked, this, &MeasurementPlanWindow::AddPlumbing);
  connect(DeleteMeasurementButton, &QPushButton::clicked, this, &MeasurementPlanWindow::DeleteMeasurement);
  connect(SortButton, &QPushButton::clicked, this, &MeasurementPlanWindow::SortMeasurements);
  connect(SaveButton, &QPushButton::clicked, this, &MeasurementPlanWindow::SaveMeasurements);
  connect(SaveAsButton, &QPushButton::clicked, this, &MeasurementPlanWindow::SaveMeasurementsAs);
  connect(ChangePrecisionAction, &QAction::triggered, this, &MeasurementPlanWindow::ChangePrecision);
  connect(ChangeTypePrecisionAction, &QAction::triggered, this,
          &MeasurementPlanWindow::ChangeTypePrecision);
  connect(PrecisionGuideAction, &QAction::triggered, this, &MeasurementPlanWindow::OpenPrecisionGuide);

  resize(DesignWidth, DesignHeight);
}

MeasurementPlanWindow::~MeasurementPlanWindow() = default;

void MeasurementPlanWindow::ApplyTexts() {
  ApplyCaption();
  MeasurementsLabel->setText(Txt(45));
  AddSlopeDistanceButton->setText(Txt(41));
  AddHorizontalDistanceButton->setText(Txt(39));
  AddHeightDifferenceButton->setText(Txt(40));
  AddZenithAngleButton->setText(Txt(37));
  AddDirectionButton->setText(Txt(36));
  AddAnglesButton->setText(Txt(38));
  AddPolar3DButton->setText(Txt(42));
  DeleteMeasurementButton->setText(Txt(43));
  SortButton->setText(Txt(44));
  SaveAsButton->setText(Txt(26));
  SaveButton->setText(Txt(27));
  FitAllButton->setText(Txt(32));
  RedrawButton->setText(Txt(33));
  ChangePrecisionAction->setText(Txt(76));
  ChangeTypePrecisionAction->setText(Txt(77));
  PrecisionGuideAction->setText(Txt(78));
  if (MeasurementTable->columnCount() == 4)
    RefreshGrid(); // the table headers are interface texts
}

void MeasurementPlanWindow::PreparePlan() {
  // The add dialog is a tool window of this plan: as its child it stays on
  // top of it and takes input while the plan runs modally.
  if (TheAddMeasurementWindow && TheAddMeasurementWindow->parentWidget() != this)
    TheAddMeasurementWindow->setParent(this, Qt::Tool | Qt::WindowStaysOnTopHint);
  PointSet &pts = Net().Points;
  SetBitmap(pts, PlanImage->Bitmap());
  RefreshGrid();
  FitAll(pts);
  Redraw();
}

void MeasurementPlanWindow::Redraw() {
  if (!OwnsSurface())
    return;
  DrawMeasurementPlan(Net());
  PlanImage->update();
}

void MeasurementPlanWindow::RefreshGrid() {
  TextGrid grid;
  Net().Measurements.FillGrid(grid);
  CopyGridToTable(grid, MeasurementTable);
  ShowSelection();
}

// ---- view ----

void MeasurementPlanWindow::ShowAllPoints() { ViewFitAll(); }
void MeasurementPlanWindow::RedrawPlan() { ViewClearMark(); }
void MeasurementPlanWindow::ZoomIn() { ViewZoomIn(); }
void MeasurementPlanWindow::ZoomOut() { ViewZoom(0.8); }
void MeasurementPlanWindow::PanLeft() { ViewPan(-10, 0); }
void MeasurementPlanWindow::PanRight() { ViewPan(10, 0); }
void MeasurementPlanWindow::PanUp() { ViewPan(0, -10); }
void MeasurementPlanWindow::PanDown() { ViewPan(0, 10); }

void MeasurementPlanWindow::WheelZoomIn() {
  if (!OwnsSurface())
    return;
  WheelZoomInMeasPlan(Net());
  PlanImage->update();
}

void MeasurementPlanWindow::WheelZoomOut() {
  if (!OwnsSurface())
    return;
  WheelZoomOutMeasPlan(Net());
  PlanImage->update();
}

void MeasurementPlanWindow::TableWheel(bool up) {
  if (up)
    WheelZoomIn();
  else
    WheelZoomOut();
}

// ---- mouse ----

void MeasurementPlanWindow::PlanMouseDown(Qt::MouseButton button, int x, int y) {
  if (!TheAddMeasurementWindow || !TheAddMeasurementWindow->isVisible())
    return;
  if (button == Qt::LeftButton) {
    const int i = NearestPoint(Net().Points, x, y);
    QComboBox *list = TheAddMeasurementWindow->PickList();
    list->setCurrentIndex(i >= 0 && i < list->count() ? i : -1);
    TheAddMeasurementWindow->TogglePickTarget();
  }
  TheAddMeasurementWindow->raise();
  TheAddMeasurementWindow->activateWindow();
}

// ---- table ----

void MeasurementPlanWindow::SelectMeasurementRow(int row) { LastSelectedRow = row; }

// ---- add dialog ----

void MeasurementPlanWindow::OpenAddDialog(int typeItem, int precisionItem) {
  if (!TheAddMeasurementWindow)
    return;
  if (TheAddMeasurementWindow->parentWidget() != this)
    TheAddMeasurementWindow->setParent(this, Qt::Tool | Qt::WindowStaysOnTopHint);
  // Every type button starts a new pick with the station.
  TheAddMeasurementWindow->ActivateStationField();
  TheAddMeasurementWindow->OpenFor(typeItem, precisionItem);
}

void MeasurementPlanWindow::AddSlopeDistance() { OpenAddDialog(0, 5); }
void MeasurementPlanWindow::AddHorizontalDistance() { OpenAddDialog(1, 5); }
void MeasurementPlanWindow::AddHeightDifference() { OpenAddDialog(2, 5); }
void MeasurementPlanWindow::AddZenithAngle() { OpenAddDialog(3, 7); }
void MeasurementPlanWindow::AddDirection() { OpenAddDialog(4, 5); }
void MeasurementPlanWindow::AddPolar3D() { OpenAddDialog(5, 5); }
void MeasurementPlanWindow::AddAngles() { OpenAddDialog(6, 5); }
void MeasurementPlanWindow::AddGyroDirection() { OpenAddDialog(7, 5); }
void MeasurementPlanWindow::AddPlumbing() { OpenAddDialog(8, 5); }

// ---- delete, sort, save ----

void MeasurementPlanWindow::DeleteMeasurement() {
  Net().Measurements.Delete(LastSelectedRow - 1);
  RefreshGrid();
  Redraw();
  MeasurementTable->setFocus();
}

void MeasurementPlanWindow::SortMeasurements() {
  // The user's sort is an edit: the file is written in the new order.
  Net().Measurements.Sort();
  Net().Measurements.MarkChanged();
  RefreshGrid();
}

bool MeasurementPlanWindow::SaveTo(const QString &path) {
  MeasurementList &meas = Net().Measurements;
  const std::string previous = meas.FileName;
  if (meas.SaveToFile(S(path)) == meas.Count() && (meas.Count() > 0 || QFile::exists(path))) {
    meas.FileName = S(path);
    return true;
  }
  meas.FileName = previous;
  Platform().Message(this, QStringLiteral("Cannot write the file \"%1\".").arg(path));
  return false;
}

void MeasurementPlanWindow::SaveMeasurements() {
  const QString path = Q(Net().Measurements.FileName);
  if (path.isEmpty()) {
    SaveMeasurementsAs();
    return;
  }
  SaveTo(path);
}

void MeasurementPlanWindow::SaveMeasurementsAs() {
  const QString path = Platform().SaveFileName(this, Txt(26));
  if (path.isEmpty())
    return;
  if (SaveTo(path))
    ShowPathInCaption(path);
}

void MeasurementPlanWindow::OnClose() {
  SurveyNetwork &net = Net();
  // Nothing to write when the list is as it was loaded or last saved: a
  // rewrite would only lose the file's comments and unreadable lines.
  if (!net.Points.AutoSave || net.Measurements.Count() == 0 || !net.Measurements.Modified())
    return;
  SaveMeasurements();
}

void MeasurementPlanWindow::hideEvent(QHideEvent *event) {
  if (TheAddMeasurementWindow)
    TheAddMeasurementWindow->hide();
  QDialog::hideEvent(event);
}

// ---- menu ----

void MeasurementPlanWindow::ChangePrecision() {
  if (!TheChangePrecisionDialog)
    return;
  TheChangePrecisionDialog->ScopeCombo->setCurrentIndex(0);
  Platform().ShowModal(TheChangePrecisionDialog);
}

void MeasurementPlanWindow::ChangeTypePrecision() {
  if (!TheChangePrecisionDialog)
    return;
  TheChangePrecisionDialog->ScopeCombo->setCurrentIndex(1);
  Platform().ShowModal(TheChangePrecisionDialog);
}

void MeasurementPlanWindow::OpenPrecisionGuide() {
  if (ThePrecisionGuide)
    Platform().ShowModal(ThePrecisionGuide);
}

// ---- size ----

void MeasurementPlanWindow::OnResize() {
  PlaceColumn({TypeButtonPanel, MeasurementsLabel});
  Redraw();
}
