#pragma once
// Coordinate plan window: the points on a plan drawn to scale and in a
// table. A left click marks a position where "Add point" puts a new point;
// a right click near a point opens its properties; the middle button drags
// the view; the wheel zooms. The table's menu makes all points fixed or
// adjusted, changes all Sc/Svp and opens a point's properties.
#include "ui/planform.h"

class QAction;
class QLineEdit;

class TForm2 : public TPlanForm {
  Q_OBJECT
public:
  explicit TForm2(QWidget *parent = nullptr);
  ~TForm2() override;

  // Puts the active language's texts on the window's controls; a file path
  // shown in the caption stays.
  void ApplyTexts();
  // Attaches the plan to the point set, fills the point table, fits all
  // points and draws the plan; the main window then shows it modally.
  void PreparePlan();

  // Clears the plan and draws the points again.
  void Redraw() override;
  // Refills the point table from the point list.
  void RefillGrid();

  QLabel *Label1 = nullptr;
  QTableWidget *StringGrid1 = nullptr;
  QPushButton *BitBtn12 = nullptr; // save as
  QPushButton *BitBtn11 = nullptr; // save
  QFrame *Panel2 = nullptr;        // add / delete
  QLabel *Label2 = nullptr;
  QLineEdit *Edit1 = nullptr;      // number of a point to add
  QLabel *Label3 = nullptr;
  QLineEdit *Edit2 = nullptr;      // height of a point to add
  QPushButton *BitBtn10 = nullptr; // delete point
  QPushButton *BitBtn8 = nullptr;  // add point
  QPushButton *BitBtn1 = nullptr;  // fit all
  QPushButton *BitBtn9 = nullptr;  // redraw
  QPushButton *BitBtn2 = nullptr;  // zoom in
  QPushButton *BitBtn3 = nullptr;  // zoom out
  QPushButton *BitBtn4 = nullptr;  // pan left
  QPushButton *BitBtn7 = nullptr;  // pan right
  QPushButton *BitBtn5 = nullptr;  // pan up
  QPushButton *BitBtn6 = nullptr;  // pan down
  QAction *Vechnyvyrovnvan1 = nullptr; // all points adjusted
  QAction *Vechnyfixn1 = nullptr;      // all points fixed
  QAction *ZmnitvechnySc1 = nullptr;   // change all Sc/Svp
  QAction *Vlastnosti1 = nullptr;      // properties

public slots:
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn7Click();
  void BitBtn5Click();
  void BitBtn6Click();
  void BitBtn9Click();
  void BitBtn8Click();
  void BitBtn10Click();
  void BitBtn11Click();
  void BitBtn12Click();
  void Vechnyvyrovnvan1Click();
  void Vechnyfixn1Click();
  void ZmnitvechnySc1Click();
  void Vlastnosti1Click();
  void Edit1Change();
  void Edit2Change();
  void StringGrid1SelectCell(int row);
  void StringGrid1MouseWheelUp();
  void StringGrid1MouseWheelDown();
  // Places the controls for the current size and redraws.
  void FormResize() override;
  // Runs when the window closes: saves the point list when the
  // automatic-save setting is on.
  void FormClose() override;

protected:
  // Left click: marks the position for a new point; right click near a
  // point: its properties.
  void PlanMouseDown(Qt::MouseButton button, int x, int y) override;
  void TableWheel(bool up) override;

private:
  // Saves the point list to `path`; reports a failure to the user.
  bool SaveTo(const QString &path);
};
