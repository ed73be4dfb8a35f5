#pragma once
// The main window: one button per workflow step and a status bar that
// reports the outcome of the last step. It creates the network container,
// loads the files into it, runs the evaluation (engine start and poll) and
// opens the other windows.
#include "engine/evaluation.h"
#include "ui/platform.h"

#include <QWidget>
#include <cstdint>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class QStatusBar;

// A file-open dialog as the main window designs it: a title, a filter and a
// default extension; Execute runs it through the platform.
struct TOpenDialog {
  QString Title;
  QString Filter;
  QString DefaultExt;
  QString FileName;
  bool Execute(QWidget *parent);
};

class TForm1 : public QWidget {
  Q_OBJECT
public:
  explicit TForm1(QWidget *parent = nullptr);
  ~TForm1() override;

  void ApplyTexts();

  // The simple text of the status bar.
  QString StatusText() const;
  void SetStatusText(const QString &text);

  // Files of a run, next to the program and named after it.
  static TRunFiles RunFiles();

  // Starts the engine on the written input document; true when it started.
  bool StartEngine();

  QPushButton *BitBtn1 = nullptr; // load coordinates (full format)
  QPushButton *BitBtn7 = nullptr; // load coordinates (simple format)
  QPushButton *BitBtn2 = nullptr; // coordinate plan
  QPushButton *BitBtn3 = nullptr; // load measurements
  QPushButton *BitBtn5 = nullptr; // measurement plan
  QPushButton *BitBtn6 = nullptr; // settings
  QFrame *Bevel1 = nullptr;
  QPushButton *BitBtn4 = nullptr; // evaluation
  QPushButton *BitBtn8 = nullptr; // protocol
  QPushButton *BitBtn9 = nullptr; // calculations
  QStatusBar *StatusBar1 = nullptr;
  TOpenDialog OpenDialog1;
  std::unique_ptr<TTimer> Timer1;
  int32_t PollCount = 0; // waiting ticks of the current run
  TEnginePoll Poll;

public slots:
  void BitBtn1Click();
  void BitBtn7Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn5Click();
  void BitBtn6Click();
  void BitBtn4Click();
  void BitBtn8Click();
  void BitBtn9Click();
  void Timer1Timer();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void FormCreate();
  void FormDestroy();
  void LoadCoordinates(bool full);
  void LoadProgramSettings();
  // Consistency check with removal; plumbing warnings go to message boxes.
  bool CheckConsistency();
  TWarningSink WarningSink();
  // Ends a watched run: complete (both outputs there) or failed.
  void EndRun(bool complete);
  QPushButton *MakeButton(int left, int top, int width, int height, const QString &caption);

  QLabel *StatusLabel = nullptr;
};
