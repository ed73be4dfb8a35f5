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
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

TForm3::TForm3(QWidget *parent) : TPlanForm(7, parent) {
  const int colX = ColumnX();
  Label4 = NewLabel(this, Txt(45), colX, 4, kColumnWidth, 18);

  StringGrid2 = MakeTable(318);

  Panel3 = new QFrame(this);
  Panel3->setFrameShape(QFrame::StyledPanel);
  Panel3->setGeometry(colX, 348, kColumnWidth, 176);
  const int bw = 89, bh = 26;
  BitBtn12 = NewButton(Panel3, Txt(41), 6, 6, bw, bh);
  BitBtn11 = NewButton(Panel3, Txt(39), 100, 6, bw, bh);
  BitBtn13 = NewButton(Panel3, Txt(40), 194, 6, bw, bh);
  BitBtn16 = NewButton(Panel3, Txt(37), 6, 36, bw, bh);
  BitBtn14 = NewButton(Panel3, Txt(36), 100, 36, bw, bh);
  BitBtn18 = NewButton(Panel3, Txt(38), 194, 36, bw, bh);
  BitBtn1 = NewButton(Panel3, Txt(42), 6, 66, bw, bh);
  BitBtn20 = NewButton(Panel3, QStringLiteral("-> GD"), 100, 66, bw, bh);
  BitBtn21 = NewButton(Panel3, QStringLiteral("-> PR"), 194, 66, bw, bh);
  BitBtn17 = NewButton(Panel3, Txt(43), 6, 104, 136, 28);
  BitBtn15 = NewButton(Panel3, Txt(44), 147, 104, 136, 28);
  BitBtn19 = NewButton(Panel3, Txt(26), 6, 140, 136, 28);
  BitBtn10 = NewButton(Panel3, Txt(27), 147, 140, 136, 28);

  MakeNavPanel(BitBtn2, BitBtn9, BitBtn3, BitBtn4, BitBtn5, BitBtn8, BitBtn6, BitBtn7);

  Zmnitpesnostmen1 = PopupMenu1->addAction(Txt(76));
  Zmnitpesnostvechmentohototypu1 = PopupMenu1->addAction(Txt(77));
  Prvodcepesnostmi1 = PopupMenu1->addAction(Txt(78));

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

TForm3::~TForm3() = default;

void TForm3::ApplyTexts() {
  ApplyCaption();
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

// ---- view ----

void TForm3::BitBtn2Click() { ViewFitAll(); }
void TForm3::BitBtn9Click() { ViewClearMark(); }
void TForm3::BitBtn3Click() { ViewZoomIn(); }
void TForm3::BitBtn4Click() { ViewZoom(0.8); }
void TForm3::BitBtn5Click() { ViewPan(-10, 0); }
void TForm3::BitBtn8Click() { ViewPan(10, 0); }
void TForm3::BitBtn6Click() { ViewPan(0, -10); }
void TForm3::BitBtn7Click() { ViewPan(0, 10); }

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

void TForm3::TableWheel(bool up) {
  if (up)
    StringGrid2MouseWheelUp();
  else
    StringGrid2MouseWheelDown();
}

// ---- mouse ----

void TForm3::PlanMouseDown(Qt::MouseButton button, int x, int y) {
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
    ShowPathInCaption(path);
}

void TForm3::FormClose() {
  TContainer &net = Net();
  if (!net.Points.AutoSave || net.Measurements.Count() == 0)
    return;
  BitBtn10Click();
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

void TForm3::FormResize() {
  PlaceColumn({Panel3, Label4});
  Redraw();
}
