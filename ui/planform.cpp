#include "ui/planform.h"

#include "core/container.h"
#include "ui/globals.h"
#include "ui/planrender.h"
#include "ui/planwidgets.h"
#include "ui/uitext.h"

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

TPlanForm::TPlanForm(int captionText, QWidget *parent)
    : QDialog(parent), FCaptionText(captionText) {
  setWindowTitle(Txt(captionText));
  setMinimumSize(DesignWidth, DesignHeight);
  setSizeGripEnabled(true);

  // The plan image with a 24-bit bitmap of its size.
  Image1 = new TPlanImage(this);
  Image1->move(4, 4);
  Image1->SetImageSize(DesignWidth - kImageGapW, DesignHeight - kImageGapH);
  Image1->OnMouseDown = [this](Qt::MouseButton b, int x, int y) { Image1MouseDown(b, x, y); };
  Image1->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
    Image1MouseMove(b, m, x, y);
  };
  Image1->OnWheel = [this](int delta) { FormMouseWheel(delta); };
}

TPlanForm::~TPlanForm() {
  if (Container && AttachedBitmap(Container->Points) == Image1->Bitmap())
    SetBitmap(Container->Points, nullptr);
}

TContainer &TPlanForm::Net() const {
  static TContainer detached; // only before the main window made the network
  return Container ? *Container : detached;
}

bool TPlanForm::OwnsSurface() const {
  return AttachedBitmap(Net().Points) == Image1->Bitmap();
}

// ---- controls ----

QPushButton *TPlanForm::NewButton(QWidget *parent, const QString &text, int x, int y, int w,
                                  int h) {
  auto *b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setDefault(false);
  b->setGeometry(x, y, w, h);
  return b;
}

QLabel *TPlanForm::NewLabel(QWidget *parent, const QString &text, int x, int y, int w, int h) {
  auto *l = new QLabel(text, parent);
  l->setGeometry(x, y, w, h);
  return l;
}

QTableWidget *TPlanForm::MakeTable(int height) {
  FTable = new QTableWidget(this);
  FTable->setGeometry(ColumnX(), 24, kColumnWidth, height);
  FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  FTable->setSelectionMode(QAbstractItemView::SingleSelection);
  FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FTable->verticalHeader()->setVisible(false);
  FTable->verticalHeader()->setDefaultSectionSize(20);
  // The four columns share the table's width: no sideways scrolling.
  FTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  FTable->setContextMenuPolicy(Qt::CustomContextMenu);
  FTable->viewport()->installEventFilter(this);
  connect(FTable, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (row >= 0)
      FSelectedRow = row + 1;
  });

  PopupMenu1 = new QMenu(this);
  connect(FTable, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    PopupMenu1->popup(FTable->viewport()->mapToGlobal(pos));
  });
  return FTable;
}

void TPlanForm::MakeNavPanel(QPushButton *&all, QPushButton *&redraw, QPushButton *&zoomIn,
                             QPushButton *&zoomOut, QPushButton *&left, QPushButton *&right,
                             QPushButton *&up, QPushButton *&down) {
  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setGeometry(ColumnX(), 532, kColumnWidth, 73);
  all = NewButton(Panel1, Txt(32), 8, 8, 80, 26);
  redraw = NewButton(Panel1, Txt(33), 8, 39, 80, 26);
  zoomIn = NewButton(Panel1, QStringLiteral("+"), 100, 8, 36, 26);
  zoomOut = NewButton(Panel1, QStringLiteral("--"), 100, 39, 36, 26);
  up = NewButton(Panel1, QStringLiteral("^"), 196, 8, 36, 26);
  left = NewButton(Panel1, QStringLiteral("<"), 156, 39, 36, 26);
  down = NewButton(Panel1, QStringLiteral("v"), 196, 39, 36, 26);
  right = NewButton(Panel1, QStringLiteral(">"), 236, 39, 36, 26);
}

void TPlanForm::ShowSelection() {
  const QSignalBlocker block(FTable);
  const int row = FSelectedRow - 1;
  if (row >= 0 && row < FTable->rowCount())
    FTable->selectRow(row);
  else
    FTable->clearSelection();
}

// ---- caption ----

void TPlanForm::ApplyCaption() {
  const QString caption = windowTitle();
  const int at = caption.indexOf(QStringLiteral(" - ["));
  setWindowTitle(Txt(FCaptionText) + (at >= 0 ? caption.mid(at) : QString()));
}

void TPlanForm::ShowPathInCaption(const QString &path) {
  setWindowTitle(Txt(FCaptionText) + QStringLiteral(" - [") + path + QStringLiteral("]"));
}

// ---- view ----

void TPlanForm::ViewFitAll() {
  FitAll(Net().Points);
  Redraw();
}

void TPlanForm::ViewZoom(double factor) {
  Zoom(Net().Points, factor);
  Redraw();
}

void TPlanForm::ViewZoomIn() { ViewZoom(Net().Points.ZoomStep); }

void TPlanForm::ViewPan(int dx, int dy) {
  Pan(Net().Points, dx, dy);
  Redraw();
}

void TPlanForm::ViewClearMark() {
  Net().Points.Marked = false;
  Redraw();
}

// ---- mouse and wheel ----

void TPlanForm::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  if (button == Qt::MiddleButton) {
    FDragX = x;
    FDragY = y;
  }
  PlanMouseDown(button, x, y);
}

void TPlanForm::Image1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                int x, int y) {
  if (buttons != Qt::MiddleButton || modifiers != Qt::NoModifier)
    return;
  ViewPan(x - FDragX, y - FDragY);
  FDragX = x;
  FDragY = y;
}

void TPlanForm::FormMouseWheel(int delta) {
  const double step = Net().Points.ZoomStep;
  ViewZoom(delta > 0 ? step : 1.0 / step);
}

void TPlanForm::wheelEvent(QWheelEvent *event) {
  FormMouseWheel(event->angleDelta().y());
  event->accept();
}

bool TPlanForm::eventFilter(QObject *watched, QEvent *event) {
  if (FTable && watched == FTable->viewport() && event->type() == QEvent::Wheel) {
    // The table never scrolls by the wheel: the wheel zooms the plan.
    TableWheel(static_cast<QWheelEvent *>(event)->angleDelta().y() > 0);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- closing and size ----

void TPlanForm::done(int result) {
  if (isVisible())
    FormClose();
  QDialog::done(result);
}

void TPlanForm::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  FormResize();
}

int TPlanForm::PlaceColumn(std::initializer_list<QWidget *> column) {
  const int w = std::max(width(), DesignWidth);
  const int h = std::max(height(), DesignHeight);
  const int colX = w - kColumnWidth - kRightGap;
  Panel1->move(colX, Panel1->y());
  FTable->move(colX, FTable->y());
  for (QWidget *widget : column)
    widget->move(colX, widget->y());
  Image1->SetImageSize(w - kImageGapW, h - kImageGapH);
  return w;
}
