#pragma once
// The main window: one button per workflow step and a status bar that
// reports the outcome of the last step. It creates the network container,
// loads the files into it, runs the evaluation (engine start and poll) and
// opens the other windows.
#include "app/evaluator.h"
#include "evaluation/evaluation.h"
#include "ui/platform.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class DesktopApplication;
class PlatformServices;
class NetworkPrecision;
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
  bool Execute(PlatformServices &platform, QWidget *parent);
};

class MainWindow : public QWidget {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  MainWindow(DesktopApplication &app, QWidget *parent = nullptr);
  ~MainWindow() override;

  void ApplyTexts();

  // The simple text of the status bar.
  QString StatusText() const;
  void SetStatusText(const QString &text);

  // Files of a run, in the own-files folder and named after the program.
  EngineRunFiles RunFiles() const;

  // The precision of the last completed evaluation while it still belongs
  // to the network (null when there is none; `reason` says why when the
  // results exist but cannot be read).
  std::shared_ptr<const NetworkPrecision> CurrentResultsPrecision(std::string &reason);
  // The results of the last completed evaluation (null before one, and
  // from the start of the next run); they may describe an older network
  // (ResultsOutdated).
  std::shared_ptr<EvaluationResults> LastResults() const;

  QPushButton *LoadFullCoordinatesButton = nullptr; // load coordinates (full format)
  QPushButton *LoadSimpleCoordinatesButton = nullptr; // load coordinates (simple format)
  QPushButton *CoordinatePlanButton = nullptr;
  QPushButton *LoadMeasurementsButton = nullptr;
  QPushButton *MeasurementPlanButton = nullptr;
  QPushButton *SettingsButton = nullptr;
  QFrame *SeparatorLine = nullptr;
  QPushButton *EvaluateButton = nullptr; // evaluation
  QPushButton *ProtocolButton = nullptr;
  QPushButton *CalculationsButton = nullptr;
  QPushButton *ReportButton = nullptr; // pre-analysis report (PDF or HTML)
  QStatusBar *StatusBar = nullptr;
  FileOpenDialog OpenDialog;
  std::unique_ptr<RepeatingTimer> PollTimer; // the evaluator's poll
  int32_t PollCount = 0; // waiting ticks of the current run
  // The engine through the platform, and the evaluator that runs it.
  PlatformEngineProcess EngineSeam;
  std::unique_ptr<kd::app::Evaluator> Evaluation;

  // True while a run is being waited for.
  bool RunInProgress() const { return Evaluation && Evaluation->Running(); }
  // True when an evaluation has completed and the network (points,
  // measurements, precisions or the Sc/Svp mode) changed after it: the
  // results on show describe another network.
  bool ResultsOutdated() const;
  // Compares the network with the last evaluation and, when results just
  // went out of date, says so in the status line and emits
  // ResultsOutdatedChanged. Called after every step that may change the
  // network.
  void CheckResultsFreshness();

signals:
  // The results went out of date (true) or a new evaluation completed (false).
  void ResultsOutdatedChanged(bool outdated);

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
  // One tick of the evaluation's poll.
  void PollEngine();
  // Stops a running evaluation: the engine is stopped and its outputs removed.
  void StopEvaluation();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  // Hands the current precision to both plans before one is shown.
  void GivePrecisionToPlans();

  void OnCreate();
  void OnDestroy();
  void LoadCoordinates(bool full);
  void LoadProgramSettings();
  // Consistency check with removal; plumbing warnings go to message boxes.
  bool CheckConsistency();
  WarningCallback WarningSink();
  // The evaluator's outcomes.
  void RunStarted();
  void RunWaiting(int count);
  void RunFinished();
  void RunFailed(const kd::app::EvaluationFailure &failure);
  void RunStopped();
  // Ends a watched run: complete (both outputs there) or failed.
  void EndRun(bool complete);
  // Ends a run whose engine ended without results: "Evaluation fails."
  // followed by the protocol's reason; the protocol can be read.
  void EndFailedRun(const EngineFailureReason &protocol);
  // Reports in the status line a backup made by a plan's save.
  void ReportBackups();

  NetworkRevision EvaluatedRevision; // the network as the last run saw it
  bool HaveResults = false;          // a run completed since the start
  bool ReportedOutdated = false;     // the status line said so already
  QPushButton *MakeButton(int left, int top, int width, int height, const QString &caption);

  QLabel *StatusLabel = nullptr;
};
