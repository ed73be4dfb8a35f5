#pragma once
// The frame both plan windows share: the plan image on the left with its
// mouse and wheel hooks, a right-hand column holding the table and the zoom /
// pan panel, drag-pan with the middle button, wheel zoom over the plan and
// over the table, the remembered table row, the resize rules and the caption
// that shows the file last saved. Each plan adds its own controls, drawing
// and clicks.
#include <QDialog>

#include "settings/text_catalogue.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "plot/plan_painter.h"
#include "plot/plan_view.h"
#include "plot/precision_plan.h"

class DesktopApplication;
class QAction;
class QCheckBox;
class QDoubleSpinBox;
class NetworkPrecision;

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QAbstractItemModel;
class QTableView;
class PlanImageWidget;
class SurveyNetwork;

class PlanWindow : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this plan belongs to
  ~PlanWindow() override;

  // Draws the plan again.
  virtual void Redraw() = 0;
  // What the plan shows (scale, centre, pan, mark) and how it looks
  // (colours and font of the settings, symbol sizes).
  const kd::plot::PlanView &View() const { return ViewState; }
  kd::plot::PlanStyle Style() const;
  // The images of the labels drawn so far, kept between redraws.
  kd::plot::TextMasks LabelImages;
  // The precision drawn on the plan (null: none). A non-empty failure
  // reason is shown in the plan instead of the ellipses. Redraws.
  void SetPrecision(std::shared_ptr<const NetworkPrecision> precision,
                    const std::string &failureReason);
  // The same network's precision computed afresh (live precision's
  // evaluation after its update): replaces the drawn one, which does not
  // become the state before the edit. Redraws.
  void ReplacePrecision(std::shared_ptr<const NetworkPrecision> precision);
  const std::shared_ptr<const NetworkPrecision> &Precision() const { return CurrentPrecision; }
  const std::string &PrecisionFailure() const { return CurrentFailure; }
  // Live precision started an evaluation / delivered the precision now on
  // show (compared with the one shown before) / failed.
  void ShowLiveComputing();
  void ShowLiveChange();
  void ShowLiveFailed();
  // Whether the user wants the precision re-evaluated after every edit.
  bool LivePrecisionEnabled() const;
  // How the precision is drawn, from the controls under the plan.
  virtual PlotOptions PrecisionOptions() const;
  // Adjusted points beyond the tolerances, as listed under the plan.
  std::vector<double> PointsOutsideTolerance() const;

  // The table row last selected (data rows start at 1; 0 before any).
  int SelectedRow() const { return LastSelectedRow; }

  PlanImageWidget *PlanImage = nullptr;
  QFrame *NavigationPanel = nullptr; // zoom / pan
  QPushButton *FitAllButton = nullptr;
  QPushButton *RedrawButton = nullptr;
  QPushButton *ZoomInButton = nullptr;
  QPushButton *ZoomOutButton = nullptr;
  QPushButton *PanLeftButton = nullptr;
  QPushButton *PanRightButton = nullptr;
  QPushButton *PanUpButton = nullptr;
  QPushButton *PanDownButton = nullptr;
  QMenu *TableMenu = nullptr;
  // Undo and redo of the network document's steps (Ctrl+Z, Ctrl+Shift+Z,
  // and the first items of the table's menu).
  QAction *UndoAction = nullptr;
  QAction *RedoAction = nullptr;

  // Precision controls under the plan.
  QFrame *PrecisionBar = nullptr;
  QCheckBox *EllipsesCheck = nullptr;
  QCheckBox *HeightBarsCheck = nullptr;
  QCheckBox *RelativeCheck = nullptr; // measurement plan only (hidden otherwise)
  QCheckBox *Level95Check = nullptr;
  QCheckBox *LivePrecisionCheck = nullptr;
  QDoubleSpinBox *MagnificationSpin = nullptr; // 0: automatic
  QDoubleSpinBox *ToleranceSemiMajorSpin = nullptr;
  QDoubleSpinBox *ToleranceSigmaZSpin = nullptr;
  QLabel *ToleranceListLabel = nullptr;
  QPushButton *ExportDxfButton = nullptr; // "Export DXF…"
  // What live precision is doing: "computing…", then what the last edit
  // changed (largest ellipse before → after, the points that changed most).
  QLabel *LiveStatusLabel = nullptr;

  // Design size; the window is never smaller.
  static constexpr int DesignWidth = 892;
  static constexpr int DesignHeight = 618;

public slots:
  // The view buttons.
  void ShowAllPoints();
  void RedrawPlan();
  void ZoomIn();
  virtual void ZoomOut() = 0; // each plan has its own step
  void PanLeft();
  void PanRight();
  void PanUp();
  void PanDown();
  // The wheel over the plan's table zooms the plan about its middle.
  void WheelZoomIn();
  void WheelZoomOut();
  // "Export DXF…": the plan with the precision shown, as a DXF drawing.
  void ExportDxf();

  // A press on the plan: the middle button starts a drag, then the plan
  // handles the press itself.
  void PlanImageMouseDown(Qt::MouseButton button, int x, int y);
  // A move with only the middle button held pans the plan by the drag.
  void PlanImageMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  // Wheel delta above 0 zooms in, otherwise out, about the middle of the
  // plan / about the pixel (x, y) under the cursor.
  void OnMouseWheel(int delta);
  void OnMouseWheelAt(int delta, int x, int y);
  // Places the controls for the current size and redraws.
  virtual void OnResize() = 0;
  // Runs when the window closes (the automatic save).
  virtual void OnClose() = 0;

  void done(int result) override;

  // Takes back / does again the last step on the network and shows the
  // outcome (table, plan, live precision).
  void UndoEdit();
  void RedoEdit();

signals:
  // After every edit of the network made in the plan.
  void NetworkEdited();

protected:
  // Puts the program's texts on the precision controls.
  void ApplyPrecisionBarTexts();
  // `captionText` is the text of the window's name.
  PlanWindow(DesktopApplication &app, Text captionText, QWidget *parent);

  // The right-hand column.
  static constexpr int kColumnWidth = 289;
  static constexpr int kRightGap = 19; // from the column to the window's right edge
  static constexpr int kImageGapW = kColumnWidth + 27;
  static constexpr int kImageGapH = 45;
  static constexpr int ColumnX() { return DesignWidth - kColumnWidth - kRightGap; }

  static QPushButton *NewButton(QWidget *parent, const QString &text, int x, int y, int w,
                                int h);
  static QLabel *NewLabel(QWidget *parent, const QString &text, int x, int y, int w, int h);

  // Makes the column's table (`height` pixels high below the heading), a
  // view of `model` (a model of the document): whole rows selected,
  // read-only, the wheel zooming the plan instead of scrolling, a right
  // click opening TableMenu (created here, with undo and redo).
  QTableView *MakeTable(int height, QAbstractItemModel *model);
  // Makes NavigationPanel at the foot of the column with the fit-all,
  // redraw, zoom and pan buttons, connected to the view handlers.
  void MakeNavPanel();

  // The view buttons' work.
  void ViewFitAll();
  void ViewZoom(double factor);
  void ViewZoomIn();
  void ViewPan(int dx, int dy);
  void ViewClearMark();

  // Moves NavigationPanel, the table and `column` to the column's place for the
  // current size and fits the plan image; returns the width laid out for.
  int PlaceColumn(std::initializer_list<QWidget *> column);

  // The window's name in the program's language; the " - [path]" part of the
  // caption stays.
  void ApplyCaption();
  // The window's name followed by " - [path]".
  void ShowPathInCaption(const QString &path);

  SurveyNetwork &Net() const;
  // Shows the remembered row in the table again, without counting as a new
  // selection.
  void ShowSelection();

  // Draws the precision (or the reason there is none) over the plan just
  // drawn, and refreshes the tolerance list.
  void DrawPrecisionLayer();
  // Tells that the network was edited: without live precision the shown
  // precision no longer belongs to the network and is dropped.
  void NotifyNetworkEdited();
  // Creates the precision controls (called by each plan's constructor).
  void MakePrecisionBar(bool withRelative);
  // Places the check boxes, the DXF button and the live status side by side
  // in the width their texts take.
  void PlaceBarChecks();

  // Fills the table again from the network.
  virtual void RefreshTable() = 0;
  // Keeps the undo and redo items in step with the document's history.
  void UpdateUndoActions();

  // The plan's own part of a press on the image.
  virtual void PlanMouseDown(Qt::MouseButton button, int x, int y) = 0;
  // The mouse moved over the plan with no button held.
  virtual void PlanHover(int x, int y) { (void)x; (void)y; }
  // The wheel turned over the table.
  void TableWheel(bool up);

  void wheelEvent(QWheelEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

  int LastSelectedRow = 0;
  kd::plot::PlanView ViewState; // sized like the plan image

private:
  void PrecisionControlsChanged();
  // Shows the preferences of the store on the controls (after the other
  // plan changed them).
  void FollowPreferences();
  void PlacePrecisionBar(int w, int h);

  std::shared_ptr<const NetworkPrecision> CurrentPrecision;
  std::shared_ptr<const NetworkPrecision> PreviousPrecision; // the one shown before
  std::string CurrentFailure;
  Text CaptionText;
  QTableView *Table = nullptr;
  int DragX = 0;
  int DragY = 0;
};
