#include "ui/plan_window.h"
#include "ui/exports.h"

#include "app/network_document.h"
#include "core/survey_network.h"
#include "ui/desktop_application.h"
#include "ui/plan_widgets.h"
#include "ui/ui_text.h"

#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QItemSelectionModel>
#include <QTableView>
#include <QWheelEvent>
#include <QAction>
#include <QUndoStack>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPainter>

#include <algorithm>

#include "core/number_text.h"
#include "app/precision_change.h"
#include "evaluation/network_precision.h"
#include "app/settings_store.h"
#include <QSignalBlocker>

PlanWindow::PlanWindow(DesktopApplication &app, Text captionText, QWidget *parent)
    : QDialog(parent), App(app), CaptionText(captionText) {
  setWindowTitle(App.Txt(captionText));
  setMinimumSize(DesignWidth, DesignHeight);
  setSizeGripEnabled(true);

  // The plan image with a 24-bit bitmap of its size.
  PlanImage = new PlanImageWidget(this);
  PlanImage->move(4, 4);
  PlanImage->SetImageSize(DesignWidth - kImageGapW, DesignHeight - kImageGapH);
  ViewState.Resize(PlanImage->width(), PlanImage->height());
  PlanImage->OnMouseDown = [this](Qt::MouseButton b, int x, int y) { PlanImageMouseDown(b, x, y); };
  PlanImage->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
    PlanImageMouseMove(b, m, x, y);
  };
  PlanImage->OnWheel = [this](int delta, int x, int y) { OnMouseWheelAt(delta, x, y); };
}

PlanWindow::~PlanWindow() = default;

SurveyNetwork &PlanWindow::Net() const {
  static SurveyNetwork detached; // only before the main window made the network
  return App.Network() ? *App.Network() : detached;
}

kd::plot::PlanStyle PlanWindow::Style() const {
  return App.Settings() ? kd::plot::PlanStyle::FromSettings(App.Settings()->Program()) : kd::plot::PlanStyle();
}

// ---- controls ----

QPushButton *PlanWindow::NewButton(QWidget *parent, const QString &text, int x, int y, int w,
                                  int h) {
  auto *b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setDefault(false);
  b->setGeometry(x, y, w, h);
  return b;
}

QLabel *PlanWindow::NewLabel(QWidget *parent, const QString &text, int x, int y, int w, int h) {
  auto *l = new QLabel(text, parent);
  l->setGeometry(x, y, w, h);
  return l;
}

QTableView *PlanWindow::MakeTable(int height, QAbstractItemModel *model) {
  Table = new QTableView(this);
  Table->setModel(model);
  Table->setGeometry(ColumnX(), 24, kColumnWidth, height);
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->setSelectionMode(QAbstractItemView::SingleSelection);
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Table->verticalHeader()->setVisible(false);
  Table->verticalHeader()->setDefaultSectionSize(20);
  // The four columns share the table's width: no sideways scrolling.
  Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  Table->setContextMenuPolicy(Qt::CustomContextMenu);
  Table->viewport()->installEventFilter(this);
  connect(Table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex &current) {
            if (current.isValid())
              LastSelectedRow = current.row() + 1;
          });

  TableMenu = new QMenu(this);
  UndoAction = new QAction(App.Txt(Text::UndoMenu), this);
  UndoAction->setShortcut(QKeySequence::Undo);
  UndoAction->setShortcutContext(Qt::WindowShortcut);
  RedoAction = new QAction(App.Txt(Text::RedoMenu), this);
  RedoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
  RedoAction->setShortcutContext(Qt::WindowShortcut);
  addAction(UndoAction);
  addAction(RedoAction);
  TableMenu->addAction(UndoAction);
  TableMenu->addAction(RedoAction);
  TableMenu->addSeparator();
  connect(UndoAction, &QAction::triggered, this, &PlanWindow::UndoEdit);
  connect(RedoAction, &QAction::triggered, this, &PlanWindow::RedoEdit);
  if (App.Document()) {
    QUndoStack &stack = App.Document()->UndoStack();
    connect(&stack, &QUndoStack::indexChanged, this, [this] { UpdateUndoActions(); });
    connect(&stack, &QUndoStack::cleanChanged, this, [this] { UpdateUndoActions(); });
  }
  UpdateUndoActions();
  connect(Table, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    TableMenu->popup(Table->viewport()->mapToGlobal(pos));
  });
  return Table;
}

void PlanWindow::MakeNavPanel() {
  NavigationPanel = new QFrame(this);
  NavigationPanel->setFrameShape(QFrame::StyledPanel);
  NavigationPanel->setGeometry(ColumnX(), 532, kColumnWidth, 73);
  FitAllButton = NewButton(NavigationPanel, App.Txt(Text::All), 8, 8, 80, 26);
  RedrawButton = NewButton(NavigationPanel, App.Txt(Text::Redraw), 8, 39, 80, 26);
  ZoomInButton = NewButton(NavigationPanel, QStringLiteral("+"), 100, 8, 36, 26);
  ZoomOutButton = NewButton(NavigationPanel, QStringLiteral("--"), 100, 39, 36, 26);
  PanUpButton = NewButton(NavigationPanel, QStringLiteral("^"), 196, 8, 36, 26);
  PanLeftButton = NewButton(NavigationPanel, QStringLiteral("<"), 156, 39, 36, 26);
  PanDownButton = NewButton(NavigationPanel, QStringLiteral("v"), 196, 39, 36, 26);
  PanRightButton = NewButton(NavigationPanel, QStringLiteral(">"), 236, 39, 36, 26);
  connect(FitAllButton, &QPushButton::clicked, this, &PlanWindow::ShowAllPoints);
  connect(RedrawButton, &QPushButton::clicked, this, &PlanWindow::RedrawPlan);
  connect(ZoomInButton, &QPushButton::clicked, this, &PlanWindow::ZoomIn);
  connect(ZoomOutButton, &QPushButton::clicked, this, &PlanWindow::ZoomOut);
  connect(PanLeftButton, &QPushButton::clicked, this, &PlanWindow::PanLeft);
  connect(PanRightButton, &QPushButton::clicked, this, &PlanWindow::PanRight);
  connect(PanUpButton, &QPushButton::clicked, this, &PlanWindow::PanUp);
  connect(PanDownButton, &QPushButton::clicked, this, &PlanWindow::PanDown);
}

void PlanWindow::ShowAllPoints() { ViewFitAll(); }
void PlanWindow::RedrawPlan() { ViewClearMark(); }
void PlanWindow::ZoomIn() { ViewZoomIn(); }
void PlanWindow::PanLeft() { ViewPan(-10, 0); }
void PlanWindow::PanRight() { ViewPan(10, 0); }
void PlanWindow::PanUp() { ViewPan(0, -10); }
void PlanWindow::PanDown() { ViewPan(0, 10); }

void PlanWindow::WheelZoomIn() { ViewZoom(kd::plot::kWheelZoomStep); }
void PlanWindow::WheelZoomOut() { ViewZoom(1.0 / kd::plot::kWheelZoomStep); }

void PlanWindow::TableWheel(bool up) {
  if (up)
    WheelZoomIn();
  else
    WheelZoomOut();
}

void PlanWindow::ShowSelection() {
  const QSignalBlocker block(Table);
  const QSignalBlocker blockSelection(Table->selectionModel());
  const int row = LastSelectedRow - 1;
  if (row >= 0 && row < Table->model()->rowCount())
    Table->selectRow(row);
  else
    Table->clearSelection();
}

// ---- caption ----

void PlanWindow::ApplyCaption() {
  const QString caption = windowTitle();
  const int at = caption.indexOf(QStringLiteral(" - ["));
  setWindowTitle(App.Txt(CaptionText) + (at >= 0 ? caption.mid(at) : QString()));
}

void PlanWindow::ShowPathInCaption(const QString &path) {
  setWindowTitle(App.Txt(CaptionText) + QStringLiteral(" - [") + path + QStringLiteral("]"));
}

// ---- view ----

void PlanWindow::ViewFitAll() {
  ViewState.FitAll(Net().Points.List);
  Redraw();
}

void PlanWindow::ViewZoom(double factor) {
  ViewState.Zoom(factor);
  Redraw();
}

void PlanWindow::ViewZoomIn() { ViewZoom(Style().ZoomStep); }

void PlanWindow::ViewPan(int dx, int dy) {
  ViewState.Pan(dx, dy);
  Redraw();
}

void PlanWindow::ViewClearMark() {
  ViewState.Marked = false;
  Redraw();
}

// ---- mouse and wheel ----

void PlanWindow::PlanImageMouseDown(Qt::MouseButton button, int x, int y) {
  if (button == Qt::MiddleButton) {
    DragX = x;
    DragY = y;
  }
  PlanMouseDown(button, x, y);
}

void PlanWindow::PlanImageMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                int x, int y) {
  if (buttons == Qt::NoButton) {
    PlanHover(x, y);
    return;
  }
  if (buttons != Qt::MiddleButton || modifiers != Qt::NoModifier)
    return;
  ViewPan(x - DragX, y - DragY);
  DragX = x;
  DragY = y;
}

void PlanWindow::OnMouseWheel(int delta) {
  ViewZoom(delta > 0 ? kd::plot::kWheelZoomStep : 1.0 / kd::plot::kWheelZoomStep);
}

void PlanWindow::OnMouseWheelAt(int delta, int x, int y) {
  ViewState.ZoomAbout(delta > 0 ? kd::plot::kWheelZoomStep : 1.0 / kd::plot::kWheelZoomStep, x, y);
  Redraw();
}

void PlanWindow::wheelEvent(QWheelEvent *event) {
  OnMouseWheel(event->angleDelta().y());
  event->accept();
}

bool PlanWindow::eventFilter(QObject *watched, QEvent *event) {
  if (Table && watched == Table->viewport() && event->type() == QEvent::Wheel) {
    // The table never scrolls by the wheel: the wheel zooms the plan.
    TableWheel(static_cast<QWheelEvent *>(event)->angleDelta().y() > 0);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- undo ----

void PlanWindow::UpdateUndoActions() {
  if (!UndoAction)
    return;
  const QUndoStack *stack = App.Document() ? &App.Document()->UndoStack() : nullptr;
  const bool canUndo = stack && stack->canUndo();
  const bool canRedo = stack && stack->canRedo();
  UndoAction->setEnabled(canUndo);
  RedoAction->setEnabled(canRedo);
  UndoAction->setText(canUndo ? App.Txt(Text::UndoStep).arg(stack->undoText()) : App.Txt(Text::UndoMenu));
  RedoAction->setText(canRedo ? App.Txt(Text::RedoStep).arg(stack->redoText()) : App.Txt(Text::RedoMenu));
}

void PlanWindow::UndoEdit() {
  if (!App.Document() || !App.Document()->CanUndo())
    return;
  App.Document()->Undo();
  ViewState.Marked = false;
  RefreshTable();
  Redraw();
  NotifyNetworkEdited();
}

void PlanWindow::RedoEdit() {
  if (!App.Document() || !App.Document()->CanRedo())
    return;
  App.Document()->Redo();
  ViewState.Marked = false;
  RefreshTable();
  Redraw();
  NotifyNetworkEdited();
}

// ---- closing and size ----

void PlanWindow::done(int result) {
  if (isVisible())
    OnClose();
  QDialog::done(result);
}

void PlanWindow::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  OnResize();
}

int PlanWindow::PlaceColumn(std::initializer_list<QWidget *> column) {
  const int w = std::max(width(), DesignWidth);
  const int h = std::max(height(), DesignHeight);
  const int colX = w - kColumnWidth - kRightGap;
  NavigationPanel->move(colX, NavigationPanel->y());
  Table->move(colX, Table->y());
  for (QWidget *widget : column)
    widget->move(colX, widget->y());
  PlanImage->SetImageSize(w - kImageGapW, h - kImageGapH);
  // The plan refits to its new size: what was shown stays in the middle,
  // enlarged (or reduced) as far as the narrower side allows, so that a
  // maximised plan fills the screen.
  ViewState.Resize(PlanImage->width(), PlanImage->height());
  PlacePrecisionBar(w, h);
  return w;
}

// ---- precision ----

namespace {

QDoubleSpinBox *NewSpin(QWidget *parent, double max, int decimals, const QString &special,
                        const QString &suffix) {
  auto *spin = new QDoubleSpinBox(parent);
  spin->setRange(0, max);
  spin->setDecimals(decimals);
  spin->setSpecialValueText(special);
  spin->setSuffix(suffix);
  spin->setKeyboardTracking(false);
  return spin;
}

} // namespace

void PlanWindow::MakePrecisionBar(bool withRelative) {
  const kd::app::PlanPreferences prefs = App.Settings()->Plans();
  PrecisionBar = new QFrame(this);
  QFont small = PrecisionBar->font();
  small.setPixelSize(11);
  PrecisionBar->setFont(small);
  EllipsesCheck = new QCheckBox(PrecisionBar);
  HeightBarsCheck = new QCheckBox(PrecisionBar);
  RelativeCheck = new QCheckBox(PrecisionBar);
  Level95Check = new QCheckBox(QStringLiteral("95 %"), PrecisionBar);
  LivePrecisionCheck = new QCheckBox(PrecisionBar);
  MagnificationSpin = NewSpin(PrecisionBar, 1e9, 0, QStringLiteral("scale: auto"), QString());
  MagnificationSpin->setPrefix(QStringLiteral("\u00d7 "));
  ToleranceSemiMajorSpin = NewSpin(PrecisionBar, 1e6, 1, QStringLiteral("a: no tol."), QStringLiteral(" mm"));
  ToleranceSemiMajorSpin->setPrefix(QStringLiteral("a \u2264 "));
  ToleranceSigmaZSpin = NewSpin(PrecisionBar, 1e6, 1, QStringLiteral("\u03c3Z: no tol."), QStringLiteral(" mm"));
  ToleranceSigmaZSpin->setPrefix(QStringLiteral("\u03c3Z \u2264 "));
  ToleranceListLabel = new QLabel(PrecisionBar);
  ExportDxfButton = new QPushButton(App.Txt(Text::ExportDxfButton), PrecisionBar);
  ExportDxfButton->setToolTip(App.Txt(Text::ExportDxfTip));
  LiveStatusLabel = new QLabel(PrecisionBar);
  LiveStatusLabel->setObjectName(QStringLiteral("LiveStatus"));

  EllipsesCheck->setChecked(prefs.Ellipses);
  HeightBarsCheck->setChecked(prefs.HeightBars);
  RelativeCheck->setChecked(prefs.RelativeEllipses);
  RelativeCheck->setVisible(withRelative);
  Level95Check->setChecked(prefs.Percent95);
  LivePrecisionCheck->setChecked(prefs.LivePrecision);
  MagnificationSpin->setValue(prefs.Magnification);
  ToleranceSemiMajorSpin->setValue(prefs.ToleranceSemiMajorMm);
  ToleranceSigmaZSpin->setValue(prefs.ToleranceSigmaZMm);

  PlaceBarChecks();
  MagnificationSpin->setGeometry(0, 19, 120, 19);
  ToleranceSemiMajorSpin->setGeometry(124, 19, 110, 19);
  ToleranceSigmaZSpin->setGeometry(238, 19, 115, 19);
  ToleranceListLabel->setGeometry(358, 19, 400, 19);

  for (QCheckBox *c : {EllipsesCheck, HeightBarsCheck, RelativeCheck, Level95Check, LivePrecisionCheck})
    connect(c, &QCheckBox::toggled, this, [this] { PrecisionControlsChanged(); });
  for (QDoubleSpinBox *spin : {MagnificationSpin, ToleranceSemiMajorSpin, ToleranceSigmaZSpin})
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { PrecisionControlsChanged(); });
  connect(ExportDxfButton, &QPushButton::clicked, this, &PlanWindow::ExportDxf);
  connect(App.Settings(), &kd::app::SettingsStore::PlansChanged, this, &PlanWindow::FollowPreferences);
  // New colours or font from the settings show at once.
  connect(App.Settings(), &kd::app::SettingsStore::ProgramChanged, this, [this] {
    if (isVisible())
      Redraw();
  });
  PlacePrecisionBar(std::max(width(), DesignWidth), std::max(height(), DesignHeight));
}

void PlanWindow::PlaceBarChecks() {
  // Each control is as wide as its text, so this follows every change of
  // texts (the language, the first texts put on after the bar is made).
  int x = 0;
  for (QCheckBox *c : {EllipsesCheck, HeightBarsCheck, RelativeCheck, Level95Check, LivePrecisionCheck}) {
    if (c == RelativeCheck && RelativeCheck->isHidden())
      continue;
    const int w = c->sizeHint().width();
    c->setGeometry(x, 0, w, 18);
    x += w + 8;
  }
  ExportDxfButton->setGeometry(x, 0, ExportDxfButton->sizeHint().width(), 18);
  LiveStatusLabel->setGeometry(x + ExportDxfButton->sizeHint().width() + 12, 0, 400, 18);
}

void PlanWindow::ApplyPrecisionBarTexts() {
  EllipsesCheck->setText(App.Txt(Text::Ellipses));
  HeightBarsCheck->setText(App.Txt(Text::HeightBars));
  RelativeCheck->setText(App.Txt(Text::RelativeEllipses));
  LivePrecisionCheck->setText(App.Txt(Text::LivePrecision));
  MagnificationSpin->setSpecialValueText(App.Txt(Text::ScaleAuto));
  MagnificationSpin->setToolTip(App.Txt(Text::MagnificationTip));
  ToleranceSemiMajorSpin->setSpecialValueText(App.Txt(Text::SemiMajorNoTolerance));
  ToleranceSemiMajorSpin->setToolTip(App.Txt(Text::SemiMajorToleranceTip));
  ToleranceSigmaZSpin->setSpecialValueText(App.Txt(Text::SigmaZNoTolerance));
  ToleranceSigmaZSpin->setToolTip(App.Txt(Text::SigmaZToleranceTip));
  ExportDxfButton->setText(App.Txt(Text::ExportDxfButton));
  ExportDxfButton->setToolTip(App.Txt(Text::ExportDxfTip));
  PlaceBarChecks();
  UpdateUndoActions();
  // What live precision last said is worded in the language before.
  LiveStatusLabel->clear();
  LiveStatusLabel->setToolTip(QString());
  DrawPrecisionLayer();
}

void PlanWindow::PlacePrecisionBar(int w, int h) {
  if (!PrecisionBar)
    return;
  const int imageW = w - kImageGapW;
  PrecisionBar->setGeometry(4, h - kImageGapH + 5, imageW, 38);
  ToleranceListLabel->resize(std::max(40, imageW - ToleranceListLabel->x()), 19);
  LiveStatusLabel->resize(std::max(40, imageW - LiveStatusLabel->x()), 18);
}

void PlanWindow::PrecisionControlsChanged() {
  kd::app::PlanPreferences p;
  p.Ellipses = EllipsesCheck->isChecked();
  p.HeightBars = HeightBarsCheck->isChecked();
  p.RelativeEllipses = RelativeCheck->isChecked();
  p.Percent95 = Level95Check->isChecked();
  p.LivePrecision = LivePrecisionCheck->isChecked();
  p.Magnification = MagnificationSpin->value();
  p.ToleranceSemiMajorMm = ToleranceSemiMajorSpin->value();
  p.ToleranceSigmaZMm = ToleranceSigmaZSpin->value();
  App.Settings()->SetPlans(p);
  Redraw();
}

void PlanWindow::FollowPreferences() {
  // The other plan's choices, taken without counting as a change here.
  const kd::app::PlanPreferences &p = App.Settings()->Plans();
  const QSignalBlocker blockers[] = {
      QSignalBlocker(EllipsesCheck),  QSignalBlocker(HeightBarsCheck),        QSignalBlocker(RelativeCheck),
      QSignalBlocker(Level95Check),   QSignalBlocker(LivePrecisionCheck),     QSignalBlocker(MagnificationSpin),
      QSignalBlocker(ToleranceSemiMajorSpin), QSignalBlocker(ToleranceSigmaZSpin)};
  EllipsesCheck->setChecked(p.Ellipses);
  HeightBarsCheck->setChecked(p.HeightBars);
  RelativeCheck->setChecked(p.RelativeEllipses);
  Level95Check->setChecked(p.Percent95);
  LivePrecisionCheck->setChecked(p.LivePrecision);
  MagnificationSpin->setValue(p.Magnification);
  ToleranceSemiMajorSpin->setValue(p.ToleranceSemiMajorMm);
  ToleranceSigmaZSpin->setValue(p.ToleranceSigmaZMm);
}

void PlanWindow::ShowLiveComputing() {
  if (!LiveStatusLabel)
    return;
  LiveStatusLabel->setText(App.Txt(Text::Computing));
  LiveStatusLabel->setToolTip(QString());
}

void PlanWindow::ShowLiveChange() {
  if (!LiveStatusLabel || !CurrentPrecision)
    return;
  std::string text;
  if (PreviousPrecision) {
    text = kd::app::PrecisionChangeText(App.Language(),
                                        kd::app::ComparePrecision(*PreviousPrecision, *CurrentPrecision));
  } else {
    // Nothing to compare with yet: the largest ellipse alone.
    const kd::app::PrecisionChange alone = kd::app::ComparePrecision(*CurrentPrecision, *CurrentPrecision);
    if (alone.Comparable)
      text = Tr(App.Language(), Text::LargestEllipse) + " " + NumToTextFixed(alone.LargestAfter, 14, 2) + " mm (" +
             NumToText(alone.LargestAfterPoint) + ")";
  }
  LiveStatusLabel->setText(QString::fromStdString(text));
  LiveStatusLabel->setToolTip(QString::fromStdString(text));
}

void PlanWindow::ShowLiveFailed() {
  if (LiveStatusLabel)
    LiveStatusLabel->clear();
}

bool PlanWindow::LivePrecisionEnabled() const {
  return LivePrecisionCheck && LivePrecisionCheck->isChecked();
}

PlotOptions PlanWindow::PrecisionOptions() const {
  PlotOptions o;
  if (EllipsesCheck) {
    o.ShowEllipses = EllipsesCheck->isChecked();
    o.ShowHeightBars = HeightBarsCheck->isChecked();
    o.ShowRelativeEllipses = RelativeCheck->isVisibleTo(PrecisionBar) && RelativeCheck->isChecked();
    o.Level = Level95Check->isChecked() ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
    o.Magnification = MagnificationSpin->value();
    o.ToleranceSemiMajorMm = ToleranceSemiMajorSpin->value();
    o.ToleranceSigmaZMm = ToleranceSigmaZSpin->value();
  }
  o.ShowReliability = false;
  o.ShowLineLabels = false;
  o.Texts = PlotTextsIn(App.Language());
  // Colours that stand out on the plan's background.
  const kd::plot::PlanStyle style = Style();
  const QColor back = kd::plot::PlanColor(style.BackColor);
  o.Background = back;
  o.LineColor = kd::plot::PlanColor(style.MeasColor);
  if (back.lightnessF() < 0.5) {
    o.TextColor = Qt::white;
    o.EllipseColor = QColor(60, 200, 255);
    o.RelativeColor = QColor(255, 110, 255);
    o.HeightBarColor = QColor(255, 255, 255);
    o.WeakColor = QColor(255, 165, 0);
    o.UncontrolledColor = QColor(255, 40, 40);
    o.BeyondColor = QColor(255, 0, 150);
  }
  return o;
}

std::vector<double> PlanWindow::PointsOutsideTolerance() const {
  if (!CurrentPrecision || !CurrentFailure.empty())
    return {};
  return PointsBeyondTolerance(*CurrentPrecision, PrecisionOptions());
}

void PlanWindow::SetPrecision(std::shared_ptr<const NetworkPrecision> precision,
                              const std::string &failureReason) {
  if (CurrentPrecision)
    PreviousPrecision = CurrentPrecision;
  CurrentPrecision = std::move(precision);
  CurrentFailure = failureReason;
  Redraw();
}

void PlanWindow::ReplacePrecision(std::shared_ptr<const NetworkPrecision> precision) {
  CurrentPrecision = std::move(precision);
  CurrentFailure.clear();
  Redraw();
}

void PlanWindow::NotifyNetworkEdited() {
  if (!LivePrecisionEnabled() && CurrentPrecision) {
    CurrentPrecision.reset();
    CurrentFailure.clear();
    Redraw();
  }
  emit NetworkEdited();
}

void PlanWindow::DrawPrecisionLayer() {
  if (ToleranceListLabel) {
    const std::vector<double> beyond = PointsOutsideTolerance();
    QString text;
    if (!beyond.empty()) {
      text = App.Txt(Text::BeyondTolerance);
      for (double n : beyond)
        text += QStringLiteral(" ") + QString::fromStdString(NumToText(n));
    }
    ToleranceListLabel->setText(text);
    ToleranceListLabel->setToolTip(text);
    ToleranceListLabel->setStyleSheet(beyond.empty() ? QString() : QStringLiteral("color: #c00070"));
  }
  QImage *image = PlanImage->Bitmap();
  if (!image || image->isNull())
    return;
  const PlotOptions options = PrecisionOptions();
  QPainter painter(image);
  const QRectF area(0, 0, image->width(), image->height());
  if (!CurrentFailure.empty()) {
    DrawPlotMessage(painter, area, QString::fromStdString(CurrentFailure), options);
    return;
  }
  if (!CurrentPrecision)
    return;
  DrawPrecisionOverlay(painter, area, ViewState.Mapping(), Net(),
                       *CurrentPrecision, options);
}

void PlanWindow::ExportDxf() {
  // The choices under the plan, in the colours of the plan's legend on
  // paper; the reliability colours of the lines when the run has them.
  const PlotOptions shown = PrecisionOptions();
  PlotOptions o;
  static_cast<PlotChoices &>(o) = shown;
  const NetworkPrecision *precision =
      CurrentPrecision && CurrentFailure.empty() ? CurrentPrecision.get() : nullptr;
  // The automatic enlargement is the one on the screen.
  const QImage *image = PlanImage->Bitmap();
  if (precision && !(o.Magnification > 0) && image && !image->isNull())
    o.Magnification = EffectiveMagnification(*precision, Net(), ViewState.Mapping(),
                                             QRectF(0, 0, image->width(), image->height()), shown);
  ExportPlanDxf(App.Platform(), App.Language(), this, Net(), precision, o);
}
