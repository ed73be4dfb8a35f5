#include "ui/measurement_plan_window.h"

#include "app/measurement_table_model.h"
#include "app/network_document.h"
#include "core/survey_network.h"
#include "core/text_grid.h"
#include "ui/add_measurement_window.h"
#include "ui/change_precision_dialog.h"
#include "ui/design_panel.h"
#include "ui/desktop_application.h"
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
#include <QItemSelectionModel>
#include <QTableView>
#include <QCheckBox>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "core/number_text.h"
#include "evaluation/network_precision.h"

MeasurementPlanWindow::MeasurementPlanWindow(DesktopApplication &app, QWidget *parent) : PlanWindow(app, Text::MeasurementPlan, parent) {
  const int colX = ColumnX();
  MeasurementsLabel = NewLabel(this, App.Txt(Text::Measurements), colX, 4, kColumnWidth, 18);

  MeasurementModel = new kd::app::MeasurementTableModel(*App.Document(), App.Language(), this);
  MeasurementTable = MakeTable(318, MeasurementModel);
  // Several rows may be chosen, to delete them at once.
  MeasurementTable->setSelectionMode(QAbstractItemView::ExtendedSelection);

  TypeButtonPanel = new QFrame(this);
  TypeButtonPanel->setFrameShape(QFrame::StyledPanel);
  TypeButtonPanel->setGeometry(colX, 348, kColumnWidth, 176);
  const int bw = 89, bh = 26;
  AddSlopeDistanceButton = NewButton(TypeButtonPanel, App.Txt(Text::ShowSlopeDistances), 6, 6, bw, bh);
  AddHorizontalDistanceButton = NewButton(TypeButtonPanel, App.Txt(Text::ShowHorizontalDistances), 100, 6, bw, bh);
  AddHeightDifferenceButton = NewButton(TypeButtonPanel, App.Txt(Text::ShowHeightDifferences), 194, 6, bw, bh);
  AddZenithAngleButton = NewButton(TypeButtonPanel, App.Txt(Text::ShowZenithAngles), 6, 36, bw, bh);
  AddDirectionButton = NewButton(TypeButtonPanel, App.Txt(Text::ShowDirections), 100, 36, bw, bh);
  AddAnglesButton = NewButton(TypeButtonPanel, App.Txt(Text::ShowAngles), 194, 36, bw, bh);
  AddPolar3DButton = NewButton(TypeButtonPanel, App.Txt(Text::Show3dPolar), 6, 66, bw, bh);
  AddGyroDirectionButton = NewButton(TypeButtonPanel, QStringLiteral("-> GD"), 100, 66, bw, bh);
  AddPlumbingButton = NewButton(TypeButtonPanel, QStringLiteral("-> PR"), 194, 66, bw, bh);
  DeleteMeasurementButton = NewButton(TypeButtonPanel, App.Txt(Text::DeleteMeasurement), 6, 104, 136, 28);
  SortButton = NewButton(TypeButtonPanel, App.Txt(Text::Sort), 147, 104, 136, 28);
  SaveAsButton = NewButton(TypeButtonPanel, App.Txt(Text::SaveAs), 6, 140, 136, 28);
  SaveButton = NewButton(TypeButtonPanel, App.Txt(Text::Save), 147, 140, 136, 28);

  MakeNavPanel();
  DesignButton = NewButton(this, App.Txt(Text::DesignButton), colX + kColumnWidth - 96, 1, 96, 22);
  connect(DesignButton, &QPushButton::clicked, this, &MeasurementPlanWindow::OpenDesignPanel);

  ChangePrecisionAction = TableMenu->addAction(App.Txt(Text::ChangePrecisionOfOne));
  ChangeTypePrecisionAction = TableMenu->addAction(App.Txt(Text::ChangePrecisionOfType));
  PrecisionGuideAction = TableMenu->addAction(App.Txt(Text::PrecisionGuide));

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

  MakePrecisionBar(true);
  PlanImage->setMouseTracking(true);
  resize(DesignWidth, DesignHeight);
}

MeasurementPlanWindow::~MeasurementPlanWindow() = default;

void MeasurementPlanWindow::ApplyTexts() {
  ApplyCaption();
  ApplyPrecisionBarTexts();
  MeasurementsLabel->setText(App.Txt(Text::Measurements));
  AddSlopeDistanceButton->setText(App.Txt(Text::ShowSlopeDistances));
  AddHorizontalDistanceButton->setText(App.Txt(Text::ShowHorizontalDistances));
  AddHeightDifferenceButton->setText(App.Txt(Text::ShowHeightDifferences));
  AddZenithAngleButton->setText(App.Txt(Text::ShowZenithAngles));
  AddDirectionButton->setText(App.Txt(Text::ShowDirections));
  AddAnglesButton->setText(App.Txt(Text::ShowAngles));
  AddPolar3DButton->setText(App.Txt(Text::Show3dPolar));
  DeleteMeasurementButton->setText(App.Txt(Text::DeleteMeasurement));
  SortButton->setText(App.Txt(Text::Sort));
  SaveAsButton->setText(App.Txt(Text::SaveAs));
  SaveButton->setText(App.Txt(Text::Save));
  FitAllButton->setText(App.Txt(Text::All));
  RedrawButton->setText(App.Txt(Text::Redraw));
  ChangePrecisionAction->setText(App.Txt(Text::ChangePrecisionOfOne));
  ChangeTypePrecisionAction->setText(App.Txt(Text::ChangePrecisionOfType));
  PrecisionGuideAction->setText(App.Txt(Text::PrecisionGuide));
  DesignButton->setText(App.Txt(Text::DesignButton));
  if (Design)
    Design->ApplyTexts();
  MeasurementModel->RetranslateHeaders();
}

void MeasurementPlanWindow::PreparePlan() {
  // The add dialog is a tool window of this plan: as its child it stays on
  // top of it and takes input while the plan runs modally.
  if (App.AddMeasurement() && App.AddMeasurement()->parentWidget() != this)
    App.AddMeasurement()->setParent(this, Qt::Tool);
  if (App.AddMeasurement() && !PickListsConnected) {
    // A station or target chosen from the lists is highlighted at once.
    for (QComboBox *list : {App.AddMeasurement()->StationCombo, App.AddMeasurement()->TargetCombo})
      connect(list, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible())
          Redraw();
      });
    PickListsConnected = true;
  }
  RefreshGrid();
  ViewState.FitAll(Net().Points.List);
  Redraw();
}

void MeasurementPlanWindow::Redraw() {
  QImage *image = PlanImage->Bitmap();
  if (image->isNull())
    return;
  SurveyNetwork &net = Net();
  // The pairs and their pixels are rebuilt with every drawing: the line
  // tooltips read them.
  net.Measurements.ClearPairs();
  net.Measurements.BuildPairs();
  kd::plot::ComputePairPixels(ViewState, net.Points.List, net.Measurements);
  {
    QPainter painter(image);
    kd::plot::DrawMeasurementPlan(painter, ViewState, net.Points.List, net.Measurements, Style(),
                                     &LabelImages);
  }
  DrawPrecisionLayer();
  HighlightPicks(*PlanImage->Bitmap());
  DrawDesignOverlay(*PlanImage->Bitmap());
  PlanImage->update();
}

PlotOptions MeasurementPlanWindow::PrecisionOptions() const {
  PlotOptions o = PlanWindow::PrecisionOptions();
  o.ShowReliability = true;
  return o;
}

void MeasurementPlanWindow::HighlightPicks(QImage &image) {
  if (!App.AddMeasurement() || !App.AddMeasurement()->isVisible())
    return;
  const PointSet &pts = Net().Points;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  const struct {
    QComboBox *List;
    QColor Color;
  } picks[] = {{App.AddMeasurement()->StationCombo, QColor(255, 255, 255)},
               {App.AddMeasurement()->TargetCombo, QColor(255, 60, 60)}};
  for (const auto &pick : picks) {
    const int i = pick.List->currentIndex();
    if (i < 0 || i >= pts.List.Count())
      continue;
    const PixelPosition p = ViewState.ToPixel(pts.List.Items[static_cast<std::size_t>(i)]);
    painter.setPen(QPen(pick.Color, 2));
    painter.drawEllipse(QPointF(static_cast<double>(p.x), static_cast<double>(p.y)), 11, 11);
  }
}

namespace {

// An observation's kind in the language of `lang`; the engine's own name
// for kinds without a text (the coordinate differences dx, dy, dz).
QString ObservationName(const LanguagePack &lang, const std::string &engineName) {
  static const std::pair<const char *, Text> kNames[] = {
      {"s-distance", Text::ObservationSlopeDistance},
      {"distance", Text::ObservationHorizontalDistance},
      {"direction", Text::ObservationDirection},
      {"z-angle", Text::ObservationZenithAngle},
      {"dh", Text::ObservationHeightDifference}};
  for (const auto &[name, text] : kNames)
    if (engineName == name)
      return Txt(lang, text);
  return Q(engineName);
}

} // namespace

QString MeasurementPlanWindow::LineInfoAt(int x, int y) const {
  const SurveyNetwork &net = Net();
  const MeasuredPair *best = nullptr;
  double bestDistance = 6; // pixels
  for (const MeasuredPair &pair : net.Measurements.Pairs) {
    const double ax = static_cast<double>(pair.PixelA.x), ay = static_cast<double>(pair.PixelA.y);
    const double bx = static_cast<double>(pair.PixelB.x), by = static_cast<double>(pair.PixelB.y);
    if (!std::isfinite(ax) || !std::isfinite(bx) || !std::isfinite(ay) || !std::isfinite(by))
      continue;
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double d = std::hypot(ax + t * dx - x, ay + t * dy - y);
    if (d < bestDistance) {
      bestDistance = d;
      best = &pair;
    }
  }
  if (!best)
    return QString();
  QString text = Q(NumToText(best->PointA)) + QStringLiteral(" \u2013 ") + Q(NumToText(best->PointB)) +
                 QStringLiteral(": ") + Q(MeasurementList::PairLabel(*best));
  const auto &precision = Precision();
  if (!precision || !PrecisionFailure().empty() || precision->Observations.empty())
    return text;
  for (const ObservationReliability *o : precision->ObservationsBetween(best->PointA, best->PointB)) {
    const bool angle = o->Type == "direction" || o->Type == "z-angle" || o->Type == "angle" ||
                       o->Type == "azimuth";
    const QString unit = angle ? QStringLiteral("cc") : QStringLiteral("mm");
    QString cls;
    switch (o->Class) {
    case ReliabilityClass::Uncontrolled: cls = App.Txt(Text::Uncontrolled); break;
    case ReliabilityClass::Weak: cls = App.Txt(Text::WeaklyControlled); break;
    case ReliabilityClass::Controlled: cls = App.Txt(Text::Controlled); break;
    }
    const double mdb = static_cast<double>(o->Mdb);
    text += QStringLiteral("\n%1 %2 \u2192 %3: r = %4, MDB = %5 (%6)")
                .arg(ObservationName(App.Language(), o->Type), Q(NumToText(o->From)), Q(NumToText(o->To)))
                .arg(static_cast<double>(o->Redundancy), 0, 'f', 3)
                .arg(std::isfinite(mdb) ? QString::number(mdb, 'f', 1) + QStringLiteral(" ") + unit
                                        : App.Txt(Text::NoMdb),
                     cls);
  }
  return text;
}

void MeasurementPlanWindow::RefreshGrid() {
  MeasurementModel->Refresh();
  ShowSelection();
}

// ---- view ----

void MeasurementPlanWindow::ZoomOut() { ViewZoom(0.8); }

// ---- mouse ----

void MeasurementPlanWindow::PlanMouseDown(Qt::MouseButton button, int x, int y) {
  if (button == Qt::RightButton) {
    LastLineInfo = LineInfoAt(x, y);
    if (!LastLineInfo.isEmpty())
      QToolTip::showText(PlanImage->mapToGlobal(QPoint(x, y)), LastLineInfo, PlanImage);
  }
  if (!App.AddMeasurement() || !App.AddMeasurement()->isVisible())
    return;
  if (button == Qt::LeftButton) {
    const int i = kd::plot::NearestPoint(ViewState, Net().Points.List, x, y, Style().PickRadius);
    QComboBox *list = App.AddMeasurement()->PickList();
    list->setCurrentIndex(i >= 0 && i < list->count() ? i : -1);
    App.AddMeasurement()->TogglePickTarget();
    Redraw();
  }
  App.AddMeasurement()->raise();
  App.AddMeasurement()->activateWindow();
}

void MeasurementPlanWindow::PlanHover(int x, int y) {
  const QString info = LineInfoAt(x, y);
  if (info != PlanImage->toolTip())
    PlanImage->setToolTip(info);
}

// ---- table ----

void MeasurementPlanWindow::SelectMeasurementRow(int row) { LastSelectedRow = row; }

// ---- add dialog ----

void MeasurementPlanWindow::OpenAddDialog(int typeItem, int precisionItem) {
  if (!App.AddMeasurement())
    return;
  if (App.AddMeasurement()->parentWidget() != this)
    App.AddMeasurement()->setParent(this, Qt::Tool);
  // Every type button starts a new pick with the station.
  App.AddMeasurement()->ActivateStationField();
  const bool wasVisible = App.AddMeasurement()->isVisible();
  App.AddMeasurement()->OpenFor(typeItem, precisionItem);
  if (!wasVisible)
    PlaceAddWindowBeside();
  Redraw();
}

void MeasurementPlanWindow::PlaceAddWindowBeside() {
  // Beside the plan, where the screen has room: right of the window, else
  // left of it, else over the right-hand column (never over the plan).
  QWidget *add = App.AddMeasurement();
  const QRect plan = frameGeometry();
  const QSize size = add->frameGeometry().size();
  const QScreen *screen = this->screen();
  const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
  const int gap = 8;
  QPoint at(plan.right() + gap, plan.top());
  if (at.x() + size.width() > free.right() + 1)
    at.setX(plan.left() - gap - size.width());
  if (at.x() < free.left())
    at.setX(std::max(free.left(), plan.right() - size.width()));
  at.setY(std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() + 1 - size.height())));
  add->move(at);
}

QString MeasurementPlanWindow::MeasurementCaption(const Measurement &m) {
  return Q(MeasurementList::TypeName(m.MeasType)) + QStringLiteral(" ") + Q(NumToText(m.Station)) +
         QStringLiteral(" \u2192 ") + Q(NumToText(m.Target));
}

void MeasurementPlanWindow::MeasurementAdded() { NotifyNetworkEdited(); }

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
  const int before = Net().Measurements.Count();
  // The selected rows, or the row last selected when the table shows none.
  std::vector<int> rows;
  for (const QModelIndex &index : MeasurementTable->selectionModel()->selectedRows())
    rows.push_back(index.row());
  if (rows.empty())
    rows.push_back(LastSelectedRow - 1);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::remove_if(rows.begin(), rows.end(), [before](int r) { return r < 0 || r >= before; }),
             rows.end());
  if (rows.empty())
    return;
  const QString question =
      rows.size() == 1
          ? App.Txt(Text::DeleteMeasurementQuestion).arg(MeasurementCaption(Net().Measurements.Items[rows[0]]))
          : App.Txt(Text::DeleteMeasurementsQuestion).arg(rows.size());
  if (!App.Platform().Ask(this, question))
    return;
  // Several rows go in one step, from the last so the indices hold.
  App.Document()->Edit(rows.size() == 1 ? App.Txt(Text::StepDeleteMeasurement)
                                     : App.Txt(Text::StepDeleteMeasurements).arg(rows.size()),
                    [&rows](SurveyNetwork &net) {
                      for (auto r = rows.rbegin(); r != rows.rend(); ++r)
                        net.Measurements.Delete(*r);
                    });
  MeasurementTable->clearSelection();
  RefreshGrid();
  Redraw();
  MeasurementTable->setFocus();
  if (Net().Measurements.Count() != before)
    NotifyNetworkEdited();
}

void MeasurementPlanWindow::SortMeasurements() {
  // The user's sort is an edit: the file is written in the new order.
  App.Document()->Edit(App.Txt(Text::StepSortMeasurements), [](SurveyNetwork &net) {
    net.Measurements.Sort();
    net.Measurements.MarkChanged();
  });
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
  App.Platform().Message(this, App.Txt(Text::CannotWriteFile).arg(path));
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
  const QString path = App.Platform().SaveFileName(this, App.Txt(Text::SaveAs));
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
  if (App.AddMeasurement())
    App.AddMeasurement()->hide();
  if (Design)
    Design->hide();
  QDialog::hideEvent(event);
}

// ---- menu ----

void MeasurementPlanWindow::ChangePrecision() {
  if (!App.ChangePrecision())
    return;
  App.ChangePrecision()->ScopeCombo->setCurrentIndex(0);
  ShowModalEdit(App.ChangePrecision());
}

void MeasurementPlanWindow::ChangeTypePrecision() {
  if (!App.ChangePrecision())
    return;
  App.ChangePrecision()->ScopeCombo->setCurrentIndex(1);
  ShowModalEdit(App.ChangePrecision());
}

void MeasurementPlanWindow::OpenPrecisionGuide() {
  if (App.PrecisionGuide())
    ShowModalEdit(App.PrecisionGuide());
}

void MeasurementPlanWindow::ShowModalEdit(QDialog *dialog) {
  // A modal dialog is never covered by the add window: it steps aside while
  // the dialog is open.
  const bool addOpen = App.AddMeasurement() && App.AddMeasurement()->isVisible();
  if (addOpen)
    App.AddMeasurement()->hide();
  std::vector<double> before;
  for (const Measurement &m : Net().Measurements.Items)
    before.push_back(m.StdDev);
  App.Platform().ShowModal(dialog);
  if (addOpen)
    App.AddMeasurement()->show();
  std::vector<double> after;
  for (const Measurement &m : Net().Measurements.Items)
    after.push_back(m.StdDev);
  if (after != before)
    NotifyNetworkEdited();
}

// ---- size ----

void MeasurementPlanWindow::OnResize() {
  PlaceColumn({TypeButtonPanel, MeasurementsLabel});
  DesignButton->move(MeasurementsLabel->x() + kColumnWidth - DesignButton->width(), DesignButton->y());
  Redraw();
}

// ---- measurement design ----

DesignPanel &MeasurementPlanWindow::DesignTools() {
  if (!Design) {
    Design = new DesignPanel(this);
    connect(Design, &DesignPanel::OverlayChanged, this, &MeasurementPlanWindow::Redraw);
  }
  return *Design;
}

void MeasurementPlanWindow::OpenDesignPanel() {
  DesignPanel &panel = DesignTools();
  if (!panel.isVisible()) {
    // Beside the plan on the left, where the add window does not go first.
    const QRect plan = frameGeometry();
    panel.move(std::max(0, plan.left() - panel.frameGeometry().width() - 8), plan.top());
  }
  panel.show();
  panel.raise();
}

ReportDesign MeasurementPlanWindow::DesignReport() { return DesignTools().ReportPart(); }

void MeasurementPlanWindow::DrawDesignOverlay(QImage &image) {
  if (!Design || !Design->isVisible())
    return;
  const PointSet &pts = Net().Points;
  const PointNumberIndex index(pts.List);
  QPainter painter(&image);
  Design->DrawOverlay(painter, [&](double number, QPointF &at) {
    const int i = index.IndexOf(number);
    if (i < 0)
      return false;
    const PixelPosition p = ViewState.ToPixel(pts.List.Items[static_cast<std::size_t>(i)]);
    at = QPointF(static_cast<double>(p.x), static_cast<double>(p.y));
    return std::isfinite(at.x()) && std::isfinite(at.y());
  });
}
