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
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

TForm2::TForm2(QWidget *parent) : TPlanForm(5, parent) {
  const int colX = ColumnX();
  Label1 = NewLabel(this, Txt(25), colX, 4, kColumnWidth, 18);

  StringGrid1 = MakeTable(345);

  BitBtn12 = NewButton(this, Txt(26), colX, 374, 120, 28);
  BitBtn11 = NewButton(this, Txt(27), 0, 374, 120, 28);
  BitBtn11->move(DesignWidth - BitBtn11->width() - kRightGap, 374);

  Panel2 = new QFrame(this);
  Panel2->setFrameShape(QFrame::StyledPanel);
  Panel2->setGeometry(colX, 408, kColumnWidth, 118);
  Label2 = NewLabel(Panel2, Txt(28), 8, 6, 130, 18);
  Edit1 = new QLineEdit(Panel2);
  Edit1->setGeometry(8, 26, 130, 24);
  Label3 = NewLabel(Panel2, Txt(29), 150, 6, 130, 18);
  Edit2 = new QLineEdit(Panel2);
  Edit2->setGeometry(150, 26, 130, 24);
  BitBtn8 = NewButton(Panel2, Txt(31), 8, 58, 130, 28);
  BitBtn10 = NewButton(Panel2, Txt(30), 150, 58, 130, 28);

  MakeNavPanel(BitBtn1, BitBtn9, BitBtn2, BitBtn3, BitBtn4, BitBtn7, BitBtn5, BitBtn6);

  Vechnyvyrovnvan1 = PopupMenu1->addAction(Txt(72));
  Vechnyfixn1 = PopupMenu1->addAction(Txt(73));
  ZmnitvechnySc1 = PopupMenu1->addAction(Txt(74) + QStringLiteral(" Sc/Svp"));
  Vlastnosti1 = PopupMenu1->addAction(Txt(75));

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

TForm2::~TForm2() = default;

void TForm2::ApplyTexts() {
  ApplyCaption();
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
  if (!OwnsSurface())
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

// ---- view buttons ----

void TForm2::BitBtn1Click() { ViewFitAll(); }
void TForm2::BitBtn2Click() { ViewZoomIn(); }
void TForm2::BitBtn3Click() { ViewZoom(1.0 / Net().Points.ZoomStep); }
void TForm2::BitBtn4Click() { ViewPan(-10, 0); }
void TForm2::BitBtn7Click() { ViewPan(10, 0); }
void TForm2::BitBtn5Click() { ViewPan(0, -10); }
void TForm2::BitBtn6Click() { ViewPan(0, 10); }
void TForm2::BitBtn9Click() { ViewClearMark(); }

// ---- mouse ----

void TForm2::PlanMouseDown(Qt::MouseButton button, int x, int y) {
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
  }
}

void TForm2::StringGrid1MouseWheelUp() {
  if (!OwnsSurface())
    return;
  WheelZoomInCoordPlan(Net());
  Image1->update();
}

void TForm2::StringGrid1MouseWheelDown() {
  if (!OwnsSurface())
    return;
  WheelZoomOutCoordPlan(Net());
  Image1->update();
}

void TForm2::TableWheel(bool up) {
  if (up)
    StringGrid1MouseWheelUp();
  else
    StringGrid1MouseWheelDown();
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
    ShowPathInCaption(path);
}

void TForm2::FormClose() {
  TContainer &net = Net();
  if (!net.Points.AutoSave || net.Points.List.Count() == 0)
    return;
  BitBtn11Click();
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

void TForm2::FormResize() {
  const int w = PlaceColumn({Panel2, Label1, BitBtn12});
  BitBtn11->move(w - BitBtn11->width() - kRightGap, BitBtn11->y());
  Redraw();
}
