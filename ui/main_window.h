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
struct FileOpenDialog {
  QString Title;
  QString Filter;
  QString DefaultExt;
  QString FileName;
  bool Execute(QWidget *parent);
};

class MainWindow : public QWidget {
  Q_OBJECT
public:
  explicit MainWindow(QWidget *parent = nullptr);
  ~MainWindow() override;

  void ApplyTexts();

  // The simple text of the status bar.
  QString StatusText() const;
  void SetStatusText(const QString &text);

  // Files of a run, next to the program and named after it.
  static EngineRunFiles RunFiles();

  // Starts the engine on the written input document; true when it started.
  bool StartEngine();

  QPushButton *LoadFullCoordinatesButton = nullptr; // load coordinates (full format)
  QPushButton *LoadSimpleCoordinatesButton = nullptr; // load coordinates (simple format)
  QPushButton *CoordinatePlanButton = nullptr; // coordinate plan
  QPushButton *LoadMeasurementsButton = nullptr; // load measurements
  QPushButton *MeasurementPlanButton = nullptr; // measurement plan
  QPushButton *SettingsButton = nullptr; // settings
  QFrame *SeparatorLine = nullptr;
  QPushButton *EvaluateButton = nullptr; // evaluation
  QPushButton *ProtocolButton = nullptr; // protocol
  QPushButton *CalculationsButton = nullptr; // calculations
  QPushButton *ReportButton = nullptr; // pre-analysis report (PDF or HTML)
  QStatusBar *StatusBar = nullptr;
  FileOpenDialog OpenDialog;
  std::unique_ptr<RepeatingTimer> PollTimer;
  int32_t PollCount = 0; // waiting ticks of the current run
  EnginePoll Poll;

public slots:
  void LoadFullCoordinates();
  void LoadSimpleCoordinates();
  void ShowCoordinatePlan();
  void LoadMeasurements();
  void ShowMeasurementPlan();
  void ShowSettings();
  void Evaluate();
  void ShowProtocol();
  void ShowCalculations();
  // Asks for a file (.pdf or .html) and writes the report of the last
  // evaluation, with the pairs calculated in the results window.
  void WriteReportFile();
  void PollEngine();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void OnCreate();
  void OnDestroy();
  void LoadCoordinates(bool full);
  void LoadProgramSettings();
  // Consistency check with removal; plumbing warnings go to message boxes.
  bool CheckConsistency();
  WarningCallback WarningSink();
  // Ends a watched run: complete (both outputs there) or failed.
  void EndRun(bool complete);
  QPushButton *MakeButton(int left, int top, int width, int height, const QString &caption);

  QLabel *StatusLabel = nullptr;
};
