#include "ui/form3.h"

#include "core/container.h"
#include "core/grid.h"
#include "ui/form4.h"
#include "ui/form7.h"
#include "ui/globals.h"
#include "ui/planrender.h"
#include "ui/planwidgets.h"
#include "ui/platform.h"
#include "ui/precguide.h"
#include "ui/uitext.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QWheelEvent>

namespace {

constexpr int kColumnWidth = 289;
constexpr int kRightGap = 19;
constexpr int kImageGapW = kColumnWidth + 27;
constexpr int kImageGapH = 45;

QPushButton *Button(QWidget *parent, const QString &text, int x, int y, int w, int h) {
  auto *b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setDefault(false);
  b->setGeometry(x, y, w, h);
  return b;
}

QString CaptionSuffix(const QString &caption) {
  const int at = caption.indexOf(QStringLiteral(" - ["));
  return at >= 0 ? caption.mid(at) : QString();
}

} // namespace

TForm3::TForm3(QWidget *parent) : QDialog(parent) {
  setWindowTitle(Txt(7));
  setMinimumSize(DesignWidth, DesignHeight);
  setSizeGripEnabled(true);

  Image1 = new TPlanImage(this);
  Image1->move(4, 4);
  Image1->SetImageSize(DesignWidth - kImageGapW, DesignHeight - kImageGapH);
  Image1->OnMouseDown = [this](Qt::MouseButton b, int x, int y) { Image1MouseDown(b, x, y); };
  Image1->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
    Image1MouseMove(b, m, x, y);
  };
  Image1->OnWheel = [this](int delta) { FormMouseWheel(delta); };

  const int colX = DesignWidth - kColumnWidth - kRightGap;
  Label4 = new QLabel(Txt(45), this);
  Label4->setGeometry(colX, 4, kColumnWidth, 18);

  StringGrid2 = new QTableWidget(this);
  StringGrid2->setGeometry(colX, 24, kColumnWidth, 318);
  StringGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid2->verticalHeader()->setVisible(false);
  StringGrid2->verticalHeader()->setDefaultSectionSize(20);
  // The four columns share the table's width: no sideways scrolling.
  StringGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  StringGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
  StringGrid2->viewport()->installEventFilter(this);
  connect(StringGrid2, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) {
            if (row >= 0)
              StringGrid2SelectCell(row + 1);
          });

  Panel3 = new QFrame(this);
  Panel3->setFrameShape(QFrame::StyledPanel);
  Panel3->setGeometry(colX, 348, kColumnWidth, 176);
  const int bw = 89, bh = 26;
  BitBtn12 = Button(Panel3, Txt(41), 6, 6, bw, bh);
  BitBtn11 = Button(Panel3, Txt(39), 100, 6, bw, bh);
  BitBtn13 = Button(Panel3, Txt(40), 194, 6, bw, bh);
  BitBtn16 = Button(Panel3, Txt(37), 6, 36, bw, bh);
  BitBtn14 = Button(Panel3, Txt(36), 100, 36, bw, bh);
  BitBtn18 = Button(Panel3, Txt(38), 194, 36, bw, bh);
  BitBtn1 = Button(Panel3, Txt(42), 6, 66, bw, bh);
  BitBtn20 = Button(Panel3, QStringLiteral("-> GD"), 100, 66, bw, bh);
  BitBtn21 = Button(Panel3, QStringLiteral("-> PR"), 194, 66, bw, bh);
  BitBtn17 = Button(Panel3, Txt(43), 6, 104, 136, 28);
  BitBtn15 = Button(Panel3, Txt(44), 147, 104, 136, 28);
  BitBtn19 = Button(Panel3, Txt(26), 6, 140, 136, 28);
  BitBtn10 = Button(Panel3, Txt(27), 147, 140, 136, 28);

  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setGeometry(colX, 532, kColumnWidth, 73);
  BitBtn2 = Button(Panel1, Txt(32), 8, 8, 80, 26);
  BitBtn9 = Button(Panel1, Txt(33), 8, 39, 80, 26);
  BitBtn3 = Button(Panel1, QStringLiteral("+"), 100, 8, 36, 26);
  BitBtn4 = Button(Panel1, QStringLiteral("--"), 100, 39, 36, 26);
  BitBtn6 = Button(Panel1, QStringLiteral("^"), 196, 8, 36, 26);
  BitBtn5 = Button(Panel1, QStringLiteral("<"), 156, 39, 36, 26);
  BitBtn7 = Button(Panel1, QStringLiteral("v"), 196, 39, 36, 26);
  BitBtn8 = Button(Panel1, QStringLiteral(">"), 236, 39, 36, 26);

  PopupMenu1 = new QMenu(this);
  Zmnitpesnostmen1 = PopupMenu1->addAction(Txt(76));
  Zmnitpesnostvechmentohototypu1 = PopupMenu1->addAction(Txt(77));
  Prvodcepesnostmi1 = PopupMenu1->addAction(Txt(78));
  connect(StringGrid2, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    PopupMenu1->popup(StringGrid2->viewport()->mapToGlobal(pos));
  });

  connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
  connect(BitBtn9, &QPushButton::clicked, this, &TForm3::BitBtn9Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TForm3::BitBtn4Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TForm3::BitBtn5Click);
  connect(BitBtn8, &QPushButton::clicked, this, &TForm3::BitBtn8Click);
  connect(BitBtn6, &QPushButton::clicked, this, &TForm3::BitBtn6Click);
  connect(BitBtn7, &QPushButton::clicked, this, &TForm3::BitBtn7Click);
  connect(BitBtn12, &QPushButton::clicked, this, &TForm3::BitBtn12Click);
  connect(BitBtn11, &QPushButton::clicked, this, &TForm3::BitBtn11Click);
  connect(BitBtn13, &QPushButton::clicked, this, &TForm3::BitBtn13Click);
  connect(BitBtn16, &QPushButton::clicked, this, &TForm3::BitBtn16Click);
  connect(BitBtn14, &QPushButton::clicked, this, &TForm3::BitBtn14Click);
  connect(BitBtn18, &QPushButton::clicked, this, &TForm3::BitBtn18Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
  connect(BitBtn20, &QPushButton::clicked, this, &TForm3::BitBtn20Click);
  connect(BitBtn21, &QPushButton::clicked, this, &TForm3::BitBtn21Click);
  connect(BitBtn17, &QPushButton::clicked, this, &TForm3::BitBtn17Click);
  connect(BitBtn15, &QPushButton::clicked, this, &TForm3::BitBtn15Click);
  connect(BitBtn10, &QPushButton::clicked, this, &TForm3::BitBtn10Click);
  connect(BitBtn19, &QPushButton::clicked, this, &TForm3::BitBtn19Click);
  connect(Zmnitpesnostmen1, &QAction::triggered, this, &TForm3::Zmnitpesnostmen1Click);
  connect(Zmnitpesnostvechmentohototypu1, &QAction::triggered, this,
          &TForm3::Zmnitpesnostvechmentohototypu1Click);
  connect(Prvodcepesnostmi1, &QAction::triggered, this, &TForm3::Prvodcepesnostmi1Click);

  resize(DesignWidth, DesignHeight);
}

TForm3::~TForm3() {
  if (Container && AttachedBitmap(Container->Points) == Image1->Bitmap())
    SetBitmap(Container->Points, nullptr);
}

TContainer &TForm3::Net() const {
  static TContainer detached; // only before the main window made the network
  return Container ? *Container : detached;
}

bool TForm3::OwnsSurface() const {
  return AttachedBitmap(Net().Points) == Image1->Bitmap();
}

void TForm3::ApplyTexts() {
  setWindowTitle(Txt(7) + CaptionSuffix(windowTitle()));
  Label4->setText(Txt(45));
  BitBtn12->setText(Txt(41));
  BitBtn11->setText(Txt(39));
  BitBtn13->setText(Txt(40));
  BitBtn16->setText(Txt(37));
  BitBtn14->setText(Txt(36));
  BitBtn18->setText(Txt(38));
  BitBtn1->setText(Txt(42));
  BitBtn17->setText(Txt(43));
  BitBtn15->setText(Txt(44));
  BitBtn19->setText(Txt(26));
  BitBtn10->setText(Txt(27));
  BitBtn2->setText(Txt(32));
  BitBtn9->setText(Txt(33));
  Zmnitpesnostmen1->setText(Txt(76));
  Zmnitpesnostvechmentohototypu1->setText(Txt(77));
  Prvodcepesnostmi1->setText(Txt(78));
  if (StringGrid2->columnCount() == 4)
    RefreshGrid(); // the table headers are interface texts
}

void TForm3::PreparePlan() {
  // The add dialog is a tool window of this plan: as its child it stays on
  // top of it and takes input while the plan runs modally.
  if (Form4 && Form4->parentWidget() != this)
    Form4->setParent(this, Qt::Tool | Qt::WindowStaysOnTopHint);
  TPoints &pts = Net().Points;
  SetBitmap(pts, Image1->Bitmap());
  RefreshGrid();
  FitAll(pts);
  Redraw();
}

void TForm3::Redraw() {
  if (!OwnsSurface())
    return;
  DrawMeasurementPlan(Net());
  Image1->update();
}

void TForm3::RefreshGrid() {
  TGrid grid;
  Net().Measurements.FillGrid(grid);
  CopyGridToTable(grid, StringGrid2);
  ShowSelection();
}

void TForm3::ShowSelection() {
  const QSignalBlocker block(StringGrid2);
  const int row = FSelectedRow - 1;
  if (row >= 0 && row < StringGrid2->rowCount())
    StringGrid2->selectRow(row);
  else
    StringGrid2->clearSelection();
}

// ---- view ----

void TForm3::BitBtn2Click() {
  FitAll(Net().Points);
  Redraw();
}

void TForm3::BitBtn9Click() {
  Net().Points.Marked = false;
  Redraw();
}

void TForm3::BitBtn3Click() {
  Zoom(Net().Points, Net().Points.ZoomStep);
  Redraw();
}

void TForm3::BitBtn4Click() {
  Zoom(Net().Points, 0.8);
  Redraw();
}

void TForm3::BitBtn5Click() {
  Pan(Net().Points, -10, 0);
  Redraw();
}

void TForm3::BitBtn8Click() {
  Pan(Net().Points, 10, 0);
  Redraw();
}

void TForm3::BitBtn6Click() {
  Pan(Net().Points, 0, -10);
  Redraw();
}

void TForm3::BitBtn7Click() {
  Pan(Net().Points, 0, 10);
  Redraw();
}

void TForm3::FormMouseWheel(int delta) {
  const double step = Net().Points.ZoomStep;
  Zoom(Net().Points, delta > 0 ? step : 1.0 / step);
  Redraw();
}

void TForm3::StringGrid2MouseWheelUp() {
  if (!OwnsSurface())
    return;
  WheelZoomInMeasPlan(Net());
  Image1->update();
}

void TForm3::StringGrid2MouseWheelDown() {
  if (!OwnsSurface())
    return;
  WheelZoomOutMeasPlan(Net());
  Image1->update();
}

void TForm3::wheelEvent(QWheelEvent *event) {
  FormMouseWheel(event->angleDelta().y());
  event->accept();
}

bool TForm3::eventFilter(QObject *watched, QEvent *event) {
  if (watched == StringGrid2->viewport() && event->type() == QEvent::Wheel) {
    if (static_cast<QWheelEvent *>(event)->angleDelta().y() > 0)
      StringGrid2MouseWheelUp();
    else
      StringGrid2MouseWheelDown();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- mouse ----

void TForm3::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  if (button == Qt::MiddleButton) {
    FDragX = x;
    FDragY = y;
  }
  if (!Form4 || !Form4->isVisible())
    return;
  if (button == Qt::LeftButton) {
    const int i = NearestPoint(Net().Points, x, y);
    QComboBox *list = Form4->PickList();
    list->setCurrentIndex(i >= 0 && i < list->count() ? i : -1);
    Form4->TogglePickTarget();
  }
  Form4->raise();
  Form4->activateWindow();
}

void TForm3::Image1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                             int x, int y) {
  if (buttons != Qt::MiddleButton || modifiers != Qt::NoModifier)
    return;
  Pan(Net().Points, x - FDragX, y - FDragY);
  Redraw();
  FDragX = x;
  FDragY = y;
}

// ---- table ----

void TForm3::StringGrid2SelectCell(int row) { FSelectedRow = row; }

// ---- add dialog ----

void TForm3::OpenAddDialog(int typeItem, int precisionItem) {
  if (!Form4)
    return;
  if (Form4->parentWidget() != this)
    Form4->setParent(this, Qt::Tool | Qt::WindowStaysOnTopHint);
  // Every type button starts a new pick with the station.
  Form4->ActivateStationField();
  Form4->OpenFor(typeItem, precisionItem);
}

void TForm3::BitBtn12Click() { OpenAddDialog(0, 5); }
void TForm3::BitBtn11Click() { OpenAddDialog(1, 5); }
void TForm3::BitBtn13Click() { OpenAddDialog(2, 5); }
void TForm3::BitBtn16Click() { OpenAddDialog(3, 7); }
void TForm3::BitBtn14Click() { OpenAddDialog(4, 5); }
void TForm3::BitBtn1Click() { OpenAddDialog(5, 5); }
void TForm3::BitBtn18Click() { OpenAddDialog(6, 5); }
void TForm3::BitBtn20Click() { OpenAddDialog(7, 5); }
void TForm3::BitBtn21Click() { OpenAddDialog(8, 5); }

// ---- delete, sort, save ----

void TForm3::BitBtn17Click() {
  Net().Measurements.Delete(FSelectedRow - 1);
  RefreshGrid();
  Redraw();
  StringGrid2->setFocus();
}

void TForm3::BitBtn15Click() {
  Net().Measurements.Sort();
  RefreshGrid();
}

bool TForm3::SaveTo(const QString &path) {
  TMereni &meas = Net().Measurements;
  const std::string previous = meas.FileName;
  if (meas.SaveToFile(S(path)) == meas.Count() && (meas.Count() > 0 || QFile::exists(path))) {
    meas.FileName = S(path);
    return true;
  }
  meas.FileName = previous;
  Platform().Message(this, QStringLiteral("Cannot write the file \"%1\".").arg(path));
  return false;
}

void TForm3::BitBtn10Click() {
  const QString path = Q(Net().Measurements.FileName);
  if (path.isEmpty()) {
    BitBtn19Click();
    return;
  }
  SaveTo(path);
}

void TForm3::BitBtn19Click() {
  const QString path = Platform().SaveFileName(this, Txt(26));
  if (path.isEmpty())
    return;
  if (SaveTo(path))
    setWindowTitle(Txt(7) + QStringLiteral(" - [") + path + QStringLiteral("]"));
}

void TForm3::FormClose() {
  TContainer &net = Net();
  if (!net.Points.AutoSave || net.Measurements.Count() == 0)
    return;
  BitBtn10Click();
}

void TForm3::done(int result) {
  if (isVisible())
    FormClose();
  QDialog::done(result);
}

void TForm3::hideEvent(QHideEvent *event) {
  if (Form4)
    Form4->hide();
  QDialog::hideEvent(event);
}

// ---- menu ----

void TForm3::Zmnitpesnostmen1Click() {
  if (!Form7)
    return;
  Form7->ComboBox1->setCurrentIndex(0);
  Platform().ShowModal(Form7);
}

void TForm3::Zmnitpesnostvechmentohototypu1Click() {
  if (!Form7)
    return;
  Form7->ComboBox1->setCurrentIndex(1);
  Platform().ShowModal(Form7);
}

void TForm3::Prvodcepesnostmi1Click() {
  if (FPrecGuide)
    Platform().ShowModal(FPrecGuide);
}

// ---- size ----

void TForm3::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TForm3::FormResize() {
  const int w = std::max(width(), DesignWidth);
  const int h = std::max(height(), DesignHeight);
  const int colX = w - kColumnWidth - kRightGap;
  Panel1->move(colX, Panel1->y());
  Panel3->move(colX, Panel3->y());
  StringGrid2->move(colX, StringGrid2->y());
  Label4->move(colX, Label4->y());
  Image1->SetImageSize(w - kImageGapW, h - kImageGapH);
  Redraw();
}
