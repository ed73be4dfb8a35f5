#pragma once
// Coordinate plan window: the points on a plan drawn to scale and in a
// table. A left click marks a position where "Add point" puts a new point;
// a right click near a point opens its properties; the middle button drags
// the view; the wheel zooms. The table's menu makes all points fixed or
// adjusted, changes all Sc/Svp and opens a point's properties.
#include <QDialog>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class TPlanImage;
class TContainer;

class TForm2 : public QDialog {
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
  void Redraw();
  // Refills the point table from the point list.
  void RefillGrid();
  // The table row last selected (data rows start at 1; 0 before any).
  int SelectedRow() const { return FSelectedRow; }

  TPlanImage *Image1 = nullptr;
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
  QFrame *Panel1 = nullptr;        // zoom / pan
  QPushButton *BitBtn1 = nullptr;  // fit all
  QPushButton *BitBtn9 = nullptr;  // redraw
  QPushButton *BitBtn2 = nullptr;  // zoom in
  QPushButton *BitBtn3 = nullptr;  // zoom out
  QPushButton *BitBtn4 = nullptr;  // pan left
  QPushButton *BitBtn7 = nullptr;  // pan right
  QPushButton *BitBtn5 = nullptr;  // pan up
  QPushButton *BitBtn6 = nullptr;  // pan down
  QMenu *PopupMenu1 = nullptr;
  QAction *Vechnyvyrovnvan1 = nullptr; // all points adjusted
  QAction *Vechnyfixn1 = nullptr;      // all points fixed
  QAction *ZmnitvechnySc1 = nullptr;   // change all Sc/Svp
  QAction *Vlastnosti1 = nullptr;      // properties

  // Design size; the window is never smaller.
  static constexpr int DesignWidth = 892;
  static constexpr int DesignHeight = 618;

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
  void Image1MouseDown(Qt::MouseButton button, int x, int y);
  void Image1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  // Wheel delta above 0 zooms in, otherwise out.
  void FormMouseWheel(int delta);
  void StringGrid1MouseWheelUp();
  void StringGrid1MouseWheelDown();
  // Places the controls for the current size and redraws.
  void FormResize();
  // Runs when the window closes: saves the point list when the
  // automatic-save setting is on.
  void FormClose();

  void done(int result) override;

protected:
  void wheelEvent(QWheelEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  TContainer &Net() const;
  // Saves the point list to `path`; reports a failure to the user.
  bool SaveTo(const QString &path);
  void ShowSelection();

  int FSelectedRow = 0;
  int FDragX = 0;
  int FDragY = 0;
};
