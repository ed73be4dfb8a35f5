#include "ui/form2.h"

#include "core/container.h"
#include "core/grid.h"
#include "core/numtext.h"
#include "ui/form8.h"
#include "ui/globals.h"
#include "ui/planrender.h"
#include "ui/planwidgets.h"
#include "ui/platform.h"
#include "ui/pointprop.h"
#include "ui/uitext.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QWheelEvent>

namespace {

constexpr int kColumnWidth = 289; // width of the right-hand column
constexpr int kRightGap = 19;     // from the column to the window's right edge
constexpr int kImageGapW = kColumnWidth + 27;
constexpr int kImageGapH = 45;

QPushButton *Button(QWidget *parent, const QString &text, int x, int y, int w, int h) {
  auto *b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setDefault(false);
  b->setGeometry(x, y, w, h);
  return b;
}

QLabel *Label(QWidget *parent, const QString &text, int x, int y, int w, int h) {
  auto *l = new QLabel(text, parent);
  l->setGeometry(x, y, w, h);
  return l;
}

// The caption part after the window's name (" - [path]"), kept when the
// language changes.
QString CaptionSuffix(const QString &caption) {
  const int at = caption.indexOf(QStringLiteral(" - ["));
  return at >= 0 ? caption.mid(at) : QString();
}

} // namespace

TForm2::TForm2(QWidget *parent) : QDialog(parent) {
  setWindowTitle(Txt(5));
  setMinimumSize(DesignWidth, DesignHeight);
  setSizeGripEnabled(true);

  // FormCreate: the plan image with a 24-bit bitmap of its size.
  Image1 = new TPlanImage(this);
  Image1->move(4, 4);
  Image1->SetImageSize(DesignWidth - kImageGapW, DesignHeight - kImageGapH);
  Image1->OnMouseDown = [this](Qt::MouseButton b, int x, int y) { Image1MouseDown(b, x, y); };
  Image1->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
    Image1MouseMove(b, m, x, y);
  };
  Image1->OnWheel = [this](int delta) { FormMouseWheel(delta); };

  const int colX = DesignWidth - kColumnWidth - kRightGap;
  Label1 = Label(this, Txt(25), colX, 4, kColumnWidth, 18);

  StringGrid1 = new QTableWidget(this);
  StringGrid1->setGeometry(colX, 24, kColumnWidth, 345);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->verticalHeader()->setVisible(false);
  StringGrid1->verticalHeader()->setDefaultSectionSize(20);
  // The four columns share the table's width: no sideways scrolling.
  StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  StringGrid1->viewport()->installEventFilter(this);
  connect(StringGrid1, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) {
            if (row >= 0)
              StringGrid1SelectCell(row + 1);
          });

  BitBtn12 = Button(this, Txt(26), colX, 374, 120, 28);
  BitBtn11 = Button(this, Txt(27), 0, 374, 120, 28);
  BitBtn11->move(DesignWidth - BitBtn11->width() - kRightGap, 374);

  Panel2 = new QFrame(this);
  Panel2->setFrameShape(QFrame::StyledPanel);
  Panel2->setGeometry(colX, 408, kColumnWidth, 118);
  Label2 = Label(Panel2, Txt(28), 8, 6, 130, 18);
  Edit1 = new QLineEdit(Panel2);
  Edit1->setGeometry(8, 26, 130, 24);
  Label3 = Label(Panel2, Txt(29), 150, 6, 130, 18);
  Edit2 = new QLineEdit(Panel2);
  Edit2->setGeometry(150, 26, 130, 24);
  BitBtn8 = Button(Panel2, Txt(31), 8, 58, 130, 28);
  BitBtn10 = Button(Panel2, Txt(30), 150, 58, 130, 28);

  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setGeometry(colX, 532, kColumnWidth, 73);
  BitBtn1 = Button(Panel1, Txt(32), 8, 8, 80, 26);
  BitBtn9 = Button(Panel1, Txt(33), 8, 39, 80, 26);
  BitBtn2 = Button(Panel1, QStringLiteral("+"), 100, 8, 36, 26);
  BitBtn3 = Button(Panel1, QStringLiteral("--"), 100, 39, 36, 26);
  BitBtn5 = Button(Panel1, QStringLiteral("^"), 196, 8, 36, 26);
  BitBtn4 = Button(Panel1, QStringLiteral("<"), 156, 39, 36, 26);
  BitBtn6 = Button(Panel1, QStringLiteral("v"), 196, 39, 36, 26);
  BitBtn7 = Button(Panel1, QStringLiteral(">"), 236, 39, 36, 26);

  PopupMenu1 = new QMenu(this);
  Vechnyvyrovnvan1 = PopupMenu1->addAction(Txt(72));
  Vechnyfixn1 = PopupMenu1->addAction(Txt(73));
  ZmnitvechnySc1 = PopupMenu1->addAction(Txt(74) + QStringLiteral(" Sc/Svp"));
  Vlastnosti1 = PopupMenu1->addAction(Txt(75));
  connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(pos));
  });

  connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm2::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
  connect(BitBtn7, &QPushButton::clicked, this, &TForm2::BitBtn7Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TForm2::BitBtn5Click);
  connect(BitBtn6, &QPushButton::clicked, this, &TForm2::BitBtn6Click);
  connect(BitBtn9, &QPushButton::clicked, this, &TForm2::BitBtn9Click);
  connect(BitBtn8, &QPushButton::clicked, this, &TForm2::BitBtn8Click);
  connect(BitBtn10, &QPushButton::clicked, this, &TForm2::BitBtn10Click);
  connect(BitBtn11, &QPushButton::clicked, this, &TForm2::BitBtn11Click);
  connect(BitBtn12, &QPushButton::clicked, this, &TForm2::BitBtn12Click);
  connect(Vechnyvyrovnvan1, &QAction::triggered, this, &TForm2::Vechnyvyrovnvan1Click);
  connect(Vechnyfixn1, &QAction::triggered, this, &TForm2::Vechnyfixn1Click);
  connect(ZmnitvechnySc1, &QAction::triggered, this, &TForm2::ZmnitvechnySc1Click);
  connect(Vlastnosti1, &QAction::triggered, this, &TForm2::Vlastnosti1Click);
  connect(Edit1, &QLineEdit::textChanged, this, &TForm2::Edit1Change);
  connect(Edit2, &QLineEdit::textChanged, this, &TForm2::Edit2Change);

  resize(DesignWidth, DesignHeight);
}

TForm2::~TForm2() {
  if (Container && AttachedBitmap(Container->Points) == Image1->Bitmap())
    SetBitmap(Container->Points, nullptr);
}

TContainer &TForm2::Net() const {
  static TContainer detached; // only before the main window made the network
  return Container ? *Container : detached;
}

void TForm2::ApplyTexts() {
  setWindowTitle(Txt(5) + CaptionSuffix(windowTitle()));
  Label1->setText(Txt(25));
  BitBtn12->setText(Txt(26));
  BitBtn11->setText(Txt(27));
  Label2->setText(Txt(28));
  Label3->setText(Txt(29));
  BitBtn10->setText(Txt(30));
  BitBtn8->setText(Txt(31));
  BitBtn1->setText(Txt(32));
  BitBtn9->setText(Txt(33));
  Vechnyvyrovnvan1->setText(Txt(72));
  Vechnyfixn1->setText(Txt(73));
  ZmnitvechnySc1->setText(Txt(74) + QStringLiteral(" Sc/Svp"));
  Vlastnosti1->setText(Txt(75));
  if (StringGrid1->columnCount() > 0)
    StringGrid1->setHorizontalHeaderItem(0, new QTableWidgetItem(Txt(97)));
}

void TForm2::PreparePlan() {
  TPoints &pts = Net().Points;
  SetBitmap(pts, Image1->Bitmap());
  RefillGrid();
  FitAll(pts);
  Redraw();
}

void TForm2::Redraw() {
  // Only while the plan owns the drawing surface: the measurement plan may
  // have it.
  if (AttachedBitmap(Net().Points) != Image1->Bitmap())
    return;
  ClearPlan(Net().Points);
  DrawPoints(Net().Points);
  Image1->update();
}

void TForm2::RefillGrid() {
  TGrid grid;
  FillPointGrid(Net().Points, grid);
  CopyGridToTable(grid, StringGrid1);
  ShowSelection();
}

void TForm2::ShowSelection() {
  // The table shows the remembered row again after a refill, without
  // counting as a new selection.
  const QSignalBlocker block(StringGrid1);
  const int row = FSelectedRow - 1;
  if (row >= 0 && row < StringGrid1->rowCount())
    StringGrid1->selectRow(row);
  else
    StringGrid1->clearSelection();
}

// ---- view buttons ----

void TForm2::BitBtn1Click() {
  FitAll(Net().Points);
  Redraw();
}

void TForm2::BitBtn2Click() {
  Zoom(Net().Points, Net().Points.ZoomStep);
  Redraw();
}

void TForm2::BitBtn3Click() {
  Zoom(Net().Points, 1.0 / Net().Points.ZoomStep);
  Redraw();
}

void TForm2::BitBtn4Click() {
  Pan(Net().Points, -10, 0);
  Redraw();
}

void TForm2::BitBtn7Click() {
  Pan(Net().Points, 10, 0);
  Redraw();
}

void TForm2::BitBtn5Click() {
  Pan(Net().Points, 0, -10);
  Redraw();
}

void TForm2::BitBtn6Click() {
  Pan(Net().Points, 0, 10);
  Redraw();
}

void TForm2::BitBtn9Click() {
  Net().Points.Marked = false;
  Redraw();
}

// ---- mouse ----

void TForm2::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  TPoints &pts = Net().Points;
  if (button == Qt::LeftButton) {
    pts.MarkX = x;
    pts.MarkY = y;
    pts.Marked = true;
    Redraw();
  } else if (button == Qt::RightButton) {
    const int i = NearestPoint(pts, x, y);
    if (i >= 0 && TPointProp) {
      TPointProp->Fill(pts.List.Items[i], i);
      Platform().ShowModal(TPointProp);
    }
  } else if (button == Qt::MiddleButton) {
    FDragX = x;
    FDragY = y;
  }
}

void TForm2::Image1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                             int x, int y) {
  if (buttons != Qt::MiddleButton || modifiers != Qt::NoModifier)
    return;
  Pan(Net().Points, x - FDragX, y - FDragY);
  Redraw();
  FDragX = x;
  FDragY = y;
}

void TForm2::FormMouseWheel(int delta) {
  const double step = Net().Points.ZoomStep;
  Zoom(Net().Points, delta > 0 ? step : 1.0 / step);
  Redraw();
}

void TForm2::StringGrid1MouseWheelUp() {
  if (AttachedBitmap(Net().Points) != Image1->Bitmap())
    return;
  WheelZoomInCoordPlan(Net());
  Image1->update();
}

void TForm2::StringGrid1MouseWheelDown() {
  if (AttachedBitmap(Net().Points) != Image1->Bitmap())
    return;
  WheelZoomOutCoordPlan(Net());
  Image1->update();
}

void TForm2::wheelEvent(QWheelEvent *event) {
  FormMouseWheel(event->angleDelta().y());
  event->accept();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event) {
  if (watched == StringGrid1->viewport() && event->type() == QEvent::Wheel) {
    // The table never scrolls by the wheel: the wheel zooms the plan.
    if (static_cast<QWheelEvent *>(event)->angleDelta().y() > 0)
      StringGrid1MouseWheelUp();
    else
      StringGrid1MouseWheelDown();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- table ----

void TForm2::StringGrid1SelectCell(int row) { FSelectedRow = row; }

// ---- add and delete ----

void TForm2::Edit1Change() {
  long double v;
  if (!Edit1->text().isEmpty() && !TryTextToNum(S(Edit1->text()), v))
    Edit1->clear();
}

void TForm2::Edit2Change() {
  long double v;
  if (!Edit2->text().isEmpty() && !TryTextToNum(S(Edit2->text()), v))
    Edit2->clear();
}

void TForm2::BitBtn8Click() {
  long double number = 0, height = 0;
  if (!TryTextToNum(S(Edit1->text()), number) || !TryTextToNum(S(Edit2->text()), height))
    return;
  TPoints &pts = Net().Points;
  const bool added = AddPointAtMark(pts, height, double(number));
  pts.Marked = false;
  RefillGrid();
  Redraw();
  if (added)
    Edit1->setText(Q(NumToText(double(number) + 1)));
}

void TForm2::BitBtn10Click() {
  TContainer &net = Net();
  if (net.Points.List.Count() < 3) {
    Platform().Message(this, Txt(34));
    return;
  }
  net.Points.List.Delete(FSelectedRow - 1);
  net.Points.Marked = false;
  RefillGrid();
  Redraw();
  const int before = net.Measurements.Count();
  const bool removed = net.CheckConsistency(true);
  const int after = net.Measurements.Count();
  if (removed)
    Platform().Message(this, Txt(17) + QStringLiteral(" (") + QString::number(before - after) +
                                 QStringLiteral(")."));
  StringGrid1->setFocus();
}

// ---- files ----

bool TForm2::SaveTo(const QString &path) {
  TSeznam3D &list = Net().Points.List;
  const std::string previous = list.FileName;
  list.FileName = S(path);
  if (list.Save() > 0)
    return true;
  list.FileName = previous;
  Platform().Message(this, QStringLiteral("Cannot write the file \"%1\".").arg(path));
  return false;
}

void TForm2::BitBtn11Click() {
  const QString path = Q(Net().Points.List.FileName);
  if (path.isEmpty()) {
    BitBtn12Click();
    return;
  }
  SaveTo(path);
}

void TForm2::BitBtn12Click() {
  const QString path = Platform().SaveFileName(this, Txt(35));
  if (path.isEmpty())
    return;
  if (SaveTo(path))
    setWindowTitle(Txt(5) + QStringLiteral(" - [") + path + QStringLiteral("]"));
}

void TForm2::FormClose() {
  TContainer &net = Net();
  if (!net.Points.AutoSave || net.Points.List.Count() == 0)
    return;
  BitBtn11Click();
}

void TForm2::done(int result) {
  if (isVisible())
    FormClose();
  QDialog::done(result);
}

// ---- menu ----

void TForm2::Vechnyvyrovnvan1Click() {
  Net().Points.SetAllFixed(false);
  Redraw();
}

void TForm2::Vechnyfixn1Click() {
  Net().Points.SetAllFixed(true);
  Redraw();
}

void TForm2::ZmnitvechnySc1Click() {
  if (Form8)
    Platform().ShowModal(Form8);
}

void TForm2::Vlastnosti1Click() {
  TPoints &pts = Net().Points;
  const int i = FSelectedRow - 1;
  if (i < 0 || i >= pts.List.Count() || !TPointProp)
    return;
  TPointProp->Fill(pts.List.Items[i], i);
  Platform().ShowModal(TPointProp);
}

// ---- size ----

void TForm2::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TForm2::FormResize() {
  const int w = std::max(width(), DesignWidth);
  const int h = std::max(height(), DesignHeight);
  const int colX = w - kColumnWidth - kRightGap;
  Panel1->move(colX, Panel1->y());
  Panel2->move(colX, Panel2->y());
  StringGrid1->move(colX, StringGrid1->y());
  Label1->move(colX, Label1->y());
  BitBtn12->move(colX, BitBtn12->y());
  BitBtn11->move(w - BitBtn11->width() - kRightGap, BitBtn11->y());
  Image1->SetImageSize(w - kImageGapW, h - kImageGapH);
  Redraw();
}
