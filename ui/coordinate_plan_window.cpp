#include "ui/coordinate_plan_window.h"

#include "app/network_document.h"
#include "app/point_table_model.h"
#include "core/survey_network.h"
#include "core/text_grid.h"
#include "core/number_text.h"
#include "ui/all_points_sc_svp_dialog.h"
#include "ui/desktop_application.h"
#include "ui/plan_widgets.h"
#include "ui/platform.h"
#include "ui/point_properties_dialog.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

CoordinatePlanWindow::CoordinatePlanWindow(DesktopApplication &app, QWidget *parent) : PlanWindow(app, Text::CoordinatePlan, parent) {
  const int colX = ColumnX();
  CoordinatesLabel = NewLabel(this, App.Txt(Text::Coordinates), colX, 4, kColumnWidth, 18);

  PointModel = new kd::app::PointTableModel(*App.Document(), App.Language(), this);
  PointTable = MakeTable(345, PointModel);

  SaveAsButton = NewButton(this, App.Txt(Text::SaveAs), colX, 374, 120, 28);
  SaveButton = NewButton(this, App.Txt(Text::Save), 0, 374, 120, 28);
  SaveButton->move(DesignWidth - SaveButton->width() - kRightGap, 374);

  PointEditPanel = new QFrame(this);
  PointEditPanel->setFrameShape(QFrame::StyledPanel);
  PointEditPanel->setGeometry(colX, 408, kColumnWidth, 118);
  PointNumberLabel = NewLabel(PointEditPanel, App.Txt(Text::PointNumber), 8, 6, 130, 18);
  PointNumberEdit = new QLineEdit(PointEditPanel);
  PointNumberEdit->setGeometry(8, 26, 130, 24);
  HeightLabel = NewLabel(PointEditPanel, App.Txt(Text::Height), 150, 6, 130, 18);
  HeightEdit = new QLineEdit(PointEditPanel);
  HeightEdit->setGeometry(150, 26, 130, 24);
  AddPointButton = NewButton(PointEditPanel, App.Txt(Text::AddPoint), 8, 58, 130, 28);
  DeletePointButton = NewButton(PointEditPanel, App.Txt(Text::DeletePoint), 150, 58, 130, 28);

  MakeNavPanel();

  AllAdjustedAction = TableMenu->addAction(App.Txt(Text::AllPointsAdjusted));
  AllFixedAction = TableMenu->addAction(App.Txt(Text::AllPointsFixed));
  ChangeAllScSvpAction = TableMenu->addAction(App.Txt(Text::ChangeAll) + QStringLiteral(" Sc/Svp"));
  PropertiesAction = TableMenu->addAction(App.Txt(Text::Properties));

  connect(AddPointButton, &QPushButton::clicked, this, &CoordinatePlanWindow::AddPoint);
  connect(DeletePointButton, &QPushButton::clicked, this, &CoordinatePlanWindow::DeletePoint);
  connect(SaveButton, &QPushButton::clicked, this, &CoordinatePlanWindow::SavePoints);
  connect(SaveAsButton, &QPushButton::clicked, this, &CoordinatePlanWindow::SavePointsAs);
  connect(AllAdjustedAction, &QAction::triggered, this, &CoordinatePlanWindow::MakeAllAdjusted);
  connect(AllFixedAction, &QAction::triggered, this, &CoordinatePlanWindow::MakeAllFixed);
  connect(ChangeAllScSvpAction, &QAction::triggered, this, &CoordinatePlanWindow::ChangeAllScSvp);
  connect(PropertiesAction, &QAction::triggered, this, &CoordinatePlanWindow::ShowPointProperties);
  connect(PointNumberEdit, &QLineEdit::textChanged, this, &CoordinatePlanWindow::ValidatePointNumber);
  connect(HeightEdit, &QLineEdit::textChanged, this, &CoordinatePlanWindow::ValidateHeight);

  MakePrecisionBar(false);
  resize(DesignWidth, DesignHeight);
}

CoordinatePlanWindow::~CoordinatePlanWindow() = default;

void CoordinatePlanWindow::ApplyTexts() {
  ApplyCaption();
  ApplyPrecisionBarTexts();
  CoordinatesLabel->setText(App.Txt(Text::Coordinates));
  SaveAsButton->setText(App.Txt(Text::SaveAs));
  SaveButton->setText(App.Txt(Text::Save));
  PointNumberLabel->setText(App.Txt(Text::PointNumber));
  HeightLabel->setText(App.Txt(Text::Height));
  DeletePointButton->setText(App.Txt(Text::DeletePoint));
  AddPointButton->setText(App.Txt(Text::AddPoint));
  FitAllButton->setText(App.Txt(Text::All));
  RedrawButton->setText(App.Txt(Text::Redraw));
  AllAdjustedAction->setText(App.Txt(Text::AllPointsAdjusted));
  AllFixedAction->setText(App.Txt(Text::AllPointsFixed));
  ChangeAllScSvpAction->setText(App.Txt(Text::ChangeAll) + QStringLiteral(" Sc/Svp"));
  PropertiesAction->setText(App.Txt(Text::Properties));
  PointModel->RetranslateHeaders();
}

void CoordinatePlanWindow::PreparePlan() {
  if (App.PointProperties())
    App.PointProperties()->TakeMark = [this](long double &X, long double &Y) { return TakeMark(X, Y); };
  RefillGrid();
  ViewState.FitAll(Net().Points.List);
  Redraw();
}

void CoordinatePlanWindow::Redraw() {
  QImage *image = PlanImage->Bitmap();
  if (image->isNull())
    return;
  {
    QPainter painter(image);
    kd::plot::DrawCoordinatePlan(painter, ViewState, Net().Points.List, Style(), &LabelImages);
  }
  DrawPrecisionLayer();
  PlanImage->update();
}

bool CoordinatePlanWindow::TakeMark(long double &X, long double &Y) {
  if (!ViewState.Marked)
    return false;
  ViewState.ToWorld(ViewState.MarkX, ViewState.MarkY, X, Y);
  ViewState.Marked = false;
  Redraw();
  return true;
}

void CoordinatePlanWindow::OpenPointProperties(int index) {
  const PointSet &pts = Net().Points;
  if (index < 0 || index >= pts.List.Count() || !App.PointProperties())
    return;
  App.PointProperties()->Fill(pts.List.Items[std::size_t(index)], index);
  ShowModalEdit(App.PointProperties());
}

namespace {

bool SamePoints(const std::vector<NetworkPoint> &a, const std::vector<NetworkPoint> &b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const NetworkPoint &p, const NetworkPoint &q) {
                      return p.Number == q.Number && p.X == q.X && p.Y == q.Y && p.Z == q.Z &&
                             p.Fixed == q.Fixed && p.Sc == q.Sc && p.Svp == q.Svp;
                    });
}

} // namespace

void CoordinatePlanWindow::ShowModalEdit(QDialog *dialog) {
  const std::vector<NetworkPoint> before = Net().Points.List.Items;
  App.Platform().ShowModal(dialog);
  if (!SamePoints(before, Net().Points.List.Items))
    NotifyNetworkEdited();
}

void CoordinatePlanWindow::RunEdit(const std::function<void()> &edit) {
  const std::vector<NetworkPoint> before = Net().Points.List.Items;
  edit();
  if (!SamePoints(before, Net().Points.List.Items))
    NotifyNetworkEdited();
}

void CoordinatePlanWindow::RefillGrid() {
  PointModel->Refresh();
  ShowSelection();
}

// ---- view buttons ----

void CoordinatePlanWindow::ZoomOut() { ViewZoom(1.0 / Style().ZoomStep); }

// ---- mouse ----

void CoordinatePlanWindow::PlanMouseDown(Qt::MouseButton button, int x, int y) {
  if (button == Qt::LeftButton) {
    ViewState.MarkX = x;
    ViewState.MarkY = y;
    ViewState.Marked = true;
    Redraw();
  } else if (button == Qt::RightButton) {
    const int i = kd::plot::NearestPoint(ViewState, Net().Points.List, x, y, Style().PickRadius);
    if (i >= 0)
      OpenPointProperties(i);
  }
}

// ---- table ----

void CoordinatePlanWindow::SelectPointRow(int row) { LastSelectedRow = row; }

// ---- add and delete ----

void CoordinatePlanWindow::ValidatePointNumber() {
  long double v;
  if (!PointNumberEdit->text().isEmpty() && !TryTextToNum(S(PointNumberEdit->text()), v))
    PointNumberEdit->clear();
}

void CoordinatePlanWindow::ValidateHeight() {
  long double v;
  if (!HeightEdit->text().isEmpty() && !TryTextToNum(S(HeightEdit->text()), v))
    HeightEdit->clear();
}

void CoordinatePlanWindow::AddPoint() {
  long double number = 0, height = 0;
  if (!TryTextToNum(S(PointNumberEdit->text()), number) || !TryTextToNum(S(HeightEdit->text()), height))
    return;
  // An adjusted point (Sc = Svp = 0) at the mark, when there is one and
  // the number is free.
  bool added = false;
  if (ViewState.Marked && Net().Points.List.IndexOfNumber(double(number)) < 0) {
    NetworkPoint p;
    p.Number = double(number);
    ViewState.ToWorld(ViewState.MarkX, ViewState.MarkY, p.X, p.Y);
    p.Z = height;
    p.Fixed = false;
    p.Sc = 0;
    p.Svp = 0;
    App.Document()->Edit(App.Txt(Text::StepAddPoint), [&](SurveyNetwork &net) { net.Points.List.Append(p); });
    added = true;
  }
  ViewState.Marked = false;
  RefillGrid();
  Redraw();
  if (added) {
    PointNumberEdit->setText(Q(NumToText(double(number) + 1)));
    NotifyNetworkEdited();
  }
}

void CoordinatePlanWindow::DeletePoint() {
  SurveyNetwork &net = Net();
  if (net.Points.List.Count() < 3) {
    App.Platform().Message(this, App.Txt(Text::TwoPointsMinimum));
    return;
  }
  const int pointsBefore = net.Points.List.Count();
  const int before = net.Measurements.Count();
  bool removed = false;
  // The point and the measurements that referred to it go in one step.
  App.Document()->Edit(App.Txt(Text::StepDeletePoint), [&](SurveyNetwork &edited) {
    edited.Points.List.Delete(LastSelectedRow - 1);
    if (edited.Points.List.Count() != pointsBefore)
      removed = edited.CheckConsistency(true);
  });
  const bool deleted = net.Points.List.Count() != pointsBefore;
  ViewState.Marked = false;
  RefillGrid();
  Redraw();
  const int after = net.Measurements.Count();
  if (removed)
    App.Platform().Message(this, App.Txt(Text::MeasurementsWithoutCoordinatesDropped) + QStringLiteral(" (") +
                                     QString::number(before - after) + QStringLiteral(")."));
  PointTable->setFocus();
  if (deleted)
    NotifyNetworkEdited();
}

// ---- files ----

bool CoordinatePlanWindow::SaveTo(const QString &path) {
  PointList &list = Net().Points.List;
  const std::string previous = list.FileName;
  list.FileName = S(path);
  if (list.Save() > 0)
    return true;
  list.FileName = previous;
  App.Platform().Message(this, App.Txt(Text::CannotWriteFile).arg(path));
  return false;
}

void CoordinatePlanWindow::SavePoints() {
  const QString path = Q(Net().Points.List.FileName);
  if (path.isEmpty()) {
    SavePointsAs();
    return;
  }
  SaveTo(path);
}

void CoordinatePlanWindow::SavePointsAs() {
  const QString path = App.Platform().SaveFileName(this, App.Txt(Text::SaveCoordinatesAs));
  if (path.isEmpty())
    return;
  if (SaveTo(path))
    ShowPathInCaption(path);
}

void CoordinatePlanWindow::OnClose() {
  SurveyNetwork &net = Net();
  // Nothing to write when the list is as it was loaded or last saved: a
  // rewrite would only lose the file's comments and unreadable lines.
  if (!net.Points.AutoSave || net.Points.List.Count() == 0 || !net.Points.List.Modified())
    return;
  SavePoints();
}

// ---- menu ----

void CoordinatePlanWindow::MakeAllAdjusted() {
  RunEdit([this] {
    App.Document()->Edit(App.Txt(Text::StepAllPointsAdjusted),
                      [](SurveyNetwork &net) { net.Points.SetAllFixed(false); });
    Redraw();
  });
}

void CoordinatePlanWindow::MakeAllFixed() {
  RunEdit([this] {
    App.Document()->Edit(App.Txt(Text::StepAllPointsFixed),
                      [](SurveyNetwork &net) { net.Points.SetAllFixed(true); });
    Redraw();
  });
}

void CoordinatePlanWindow::ChangeAllScSvp() {
  if (App.AllPointsScSvp())
    ShowModalEdit(App.AllPointsScSvp());
}

void CoordinatePlanWindow::ShowPointProperties() {
  OpenPointProperties(LastSelectedRow - 1);
}

// ---- size ----

void CoordinatePlanWindow::OnResize() {
  const int w = PlaceColumn({PointEditPanel, CoordinatesLabel, SaveAsButton});
  SaveButton->move(w - SaveButton->width() - kRightGap, SaveButton->y());
  Redraw();
}
