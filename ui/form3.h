#pragma once
// Measurement plan window: the points and one labelled line per measured
// pair of points, and the measurement table. Type buttons open the
// add-measurement tool window, whose station and target are picked by
// clicking points on the plan; measurements are deleted, sorted, saved, and
// their precisions changed by hand or with the precision guide.
#include "ui/planform.h"

class QAction;

class TForm3 : public TPlanForm {
  Q_OBJECT
public:
  explicit TForm3(QWidget *parent = nullptr);
  ~TForm3() override;

  // Puts the active language's texts on the window's controls; a file path
  // shown in the caption stays.
  void ApplyTexts();
  // Attaches the plan to the point set, fills the measurement table, fits
  // all points and draws the plan; the main window then shows it modally.
  void PreparePlan();
  // Refills the measurement table from the measurement list.
  void RefreshGrid();
  // Draws the measurement plan again (when this window owns the surface).
  void Redraw() override;

  QLabel *Label4 = nullptr;
  QTableWidget *StringGrid2 = nullptr;
  QFrame *Panel3 = nullptr;        // type buttons, delete, sort, save
  QPushButton *BitBtn12 = nullptr; // -> sd
  QPushButton *BitBtn11 = nullptr; // -> hd
  QPushButton *BitBtn13 = nullptr; // -> vd
  QPushButton *BitBtn16 = nullptr; // -> zen.
  QPushButton *BitBtn14 = nullptr; // -> dir.
  QPushButton *BitBtn18 = nullptr; // -> angles
  QPushButton *BitBtn1 = nullptr;  // ->3d pol.
  QPushButton *BitBtn20 = nullptr; // -> GD
  QPushButton *BitBtn21 = nullptr; // -> PR
  QPushButton *BitBtn17 = nullptr; // delete measurement
  QPushButton *BitBtn15 = nullptr; // sort
  QPushButton *BitBtn19 = nullptr; // save as
  QPushButton *BitBtn10 = nullptr; // save
  QPushButton *BitBtn2 = nullptr;  // fit all
  QPushButton *BitBtn9 = nullptr;  // redraw
  QPushButton *BitBtn3 = nullptr;  // zoom in
  QPushButton *BitBtn4 = nullptr;  // zoom out
  QPushButton *BitBtn5 = nullptr;  // pan left
  QPushButton *BitBtn8 = nullptr;  // pan right
  QPushButton *BitBtn6 = nullptr;  // pan up
  QPushButton *BitBtn7 = nullptr;  // pan down
  QAction *Zmnitpesnostmen1 = nullptr;              // one measurement
  QAction *Zmnitpesnostvechmentohototypu1 = nullptr; // all of the type
  QAction *Prvodcepesnostmi1 = nullptr;             // precision guide

public slots:
  void BitBtn2Click();
  void BitBtn9Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn8Click();
  void BitBtn6Click();
  void BitBtn7Click();
  void BitBtn12Click();
  void BitBtn11Click();
  void BitBtn13Click();
  void BitBtn16Click();
  void BitBtn14Click();
  void BitBtn18Click();
  void BitBtn1Click();
  void BitBtn20Click();
  void BitBtn21Click();
  void BitBtn17Click();
  void BitBtn15Click();
  void BitBtn10Click();
  void BitBtn19Click();
  void Zmnitpesnostmen1Click();
  void Zmnitpesnostvechmentohototypu1Click();
  void Prvodcepesnostmi1Click();
  void StringGrid2SelectCell(int row);
  void StringGrid2MouseWheelUp();
  void StringGrid2MouseWheelDown();
  void FormResize() override;
  // Runs when the window closes: saves a non-empty measurement list when
  // the automatic-save setting is on.
  void FormClose() override;

protected:
  // While the add dialog is open, a left click picks the point nearest to
  // it for the dialog's station or target field.
  void PlanMouseDown(Qt::MouseButton button, int x, int y) override;
  void TableWheel(bool up) override;
  void hideEvent(QHideEvent *event) override;

private:
  // The type buttons: open the add dialog for one type.
  void OpenAddDialog(int typeItem, int precisionItem);
  bool SaveTo(const QString &path);
};
