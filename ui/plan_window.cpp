#include "ui/plan_window.h"

#include "core/survey_network.h"
#include "ui/app_globals.h"
#include "ui/plan_renderer.h"
#include "ui/plan_widgets.h"
#include "ui/ui_text.h"

#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QWheelEvent>

#include <algorithm>

PlanWindow::PlanWindow(int captionText, QWidget *parent)
    : QDialog(parent), CaptionText(captionText) {
  setWindowTitle(Txt(captionText));
  setMinimumSize(DesignWidth, DesignHeight);
  setSizeGripEnabled(true);

  // The plan image with a 24-bit bitmap of its size.
  PlanImage = new PlanImageWidget(this);
  PlanImage->move(4, 4);
  PlanImage->SetImageSize(DesignWidth - kImageGapW, DesignHeight - kImageGapH);
  PlanImage->OnMouseDown = [this](Qt::MouseButton b, int x, int y) { PlanImageMouseDown(b, x, y); };
  PlanImage->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
    PlanImageMouseMove(b, m, x, y);
  };
  PlanImage->OnWheel = [this](int delta) { OnMouseWheel(delta); };
}

PlanWindow::~PlanWindow() {
  if (TheNetwork && AttachedBitmap(TheNetwork->Points) == PlanImage->Bitmap())
    SetBitmap(TheNetwork->Points, nullptr);
}

SurveyNetwork &PlanWindow::Net() const {
  static SurveyNetwork detached; // only before the main window made the network
  return TheNetwork ? *TheNetwork : detached;
}

bool PlanWindow::OwnsSurface() const {
  return AttachedBitmap(Net().Points) == PlanImage->Bitmap();
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

QTableWidget *PlanWindow::MakeTable(int height) {
  Table = new QTableWidget(this);
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
  connect(Table, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (row >= 0)
      LastSelectedRow = row + 1;
  });

  TableMenu = new QMenu(this);
  connect(Table, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    TableMenu->popup(Table->viewport()->mapToGlobal(pos));
  });
  return Table;
}

void PlanWindow::MakeNavPanel(QPushButton *&all, QPushButton *&redraw, QPushButton *&zoomIn,
                             QPushButton *&zoomOut, QPushButton *&left, QPushButton *&right,
                             QPushButton *&up, QPushButton *&down) {
  NavigationPanel = new QFrame(this);
  NavigationPanel->setFrameShape(QFrame::StyledPanel);
  NavigationPanel->setGeometry(ColumnX(), 532, kColumnWidth, 73);
  all = NewButton(NavigationPanel, Txt(32), 8, 8, 80, 26);
  redraw = NewButton(NavigationPanel, Txt(33), 8, 39, 80, 26);
  zoomIn = NewButton(NavigationPanel, QStringLiteral("+"), 100, 8, 36, 26);
  zoomOut = NewButton(NavigationPanel, QStringLiteral("--"), 100, 39, 36, 26);
  up = NewButton(NavigationPanel, QStringLiteral("^"), 196, 8, 36, 26);
  left = NewButton(NavigationPanel, QStringLiteral("<"), 156, 39, 36, 26);
  down = NewButton(NavigationPanel, QStringLiteral("v"), 196, 39, 36, 26);
  right = NewButton(NavigationPanel, QStringLiteral(">"), 236, 39, 36, 26);
}

void PlanWindow::ShowSelection() {
  const QSignalBlocker block(Table);
  const int row = LastSelectedRow - 1;
  if (row >= 0 && row < Table->rowCount())
    Table->selectRow(row);
  else
    Table->clearSelection();
}

// ---- caption ----

void PlanWindow::ApplyCaption() {
  const QString caption = windowTitle();
  const int at = caption.indexOf(QStringLiteral(" - ["));
  setWindowTitle(Txt(CaptionText) + (at >= 0 ? caption.mid(at) : QString()));
}

void PlanWindow::ShowPathInCaption(const QString &path) {
  setWindowTitle(Txt(CaptionText) + QStringLiteral(" - [") + path + QStringLiteral("]"));
}

// ---- view ----

void PlanWindow::ViewFitAll() {
  FitAll(Net().Points);
  Redraw();
}

void PlanWindow::ViewZoom(double factor) {
  Zoom(Net().Points, factor);
  Redraw();
}

void PlanWindow::ViewZoomIn() { ViewZoom(Net().Points.ZoomStep); }

void PlanWindow::ViewPan(int dx, int dy) {
  Pan(Net().Points, dx, dy);
  Redraw();
}

void PlanWindow::ViewClearMark() {
  Net().Points.Marked = false;
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
  if (buttons != Qt::MiddleButton || modifiers != Qt::NoModifier)
    return;
  ViewPan(x - DragX, y - DragY);
  DragX = x;
  DragY = y;
}

void PlanWindow::OnMouseWheel(int delta) {
  const double step = Net().Points.ZoomStep;
  ViewZoom(delta > 0 ? step : 1.0 / step);
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
  return w;
}
