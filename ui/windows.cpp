// The windows of the program and the objects that live for the whole run.
#include "app/network_document.h"
#include "core/survey_network.h"
#include "evaluation/results_reader.h"
#include "settings/ini_file.h"
#include "settings/language_pack.h"
#include "ui/main_window.h"
#include "ui/live_precision.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/add_measurement_window.h"
#include "ui/protocol_window.h"
#include "ui/results_window.h"
#include "ui/change_precision_dialog.h"
#include "ui/all_points_sc_svp_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/app_globals.h"
#include "ui/point_properties_dialog.h"
#include "ui/precision_guide_dialog.h"
#include "ui/startup.h"
#include "ui/ui_text.h"
#include "core/version.h"

#include <QApplication>
#include <QCheckBox>

MainWindow *TheMainWindow = nullptr;
CoordinatePlanWindow *TheCoordinatePlan = nullptr;
MeasurementPlanWindow *TheMeasurementPlan = nullptr;
AddMeasurementWindow *TheAddMeasurementWindow = nullptr;
ProtocolWindow *TheProtocolWindow = nullptr;
ResultsWindow *TheResultsWindow = nullptr;
ChangePrecisionDialog *TheChangePrecisionDialog = nullptr;
PointPropertiesDialog *ThePointPropertiesDialog = nullptr;
AllPointsScSvpDialog *TheAllPointsScSvpDialog = nullptr;
SettingsDialog *TheSettingsDialog = nullptr;
PrecisionGuideDialog *ThePrecisionGuide = nullptr;
kd::app::NetworkDocument *TheDocument = nullptr;
SurveyNetwork *TheNetwork = nullptr;
LivePrecision *TheLivePrecision = nullptr;

void CreateAllWindows() {
  TheDocument = new kd::app::NetworkDocument();
  TheNetwork = &TheDocument->Workspace();
  TheMainWindow = new MainWindow();
  TheCoordinatePlan = new CoordinatePlanWindow();
  TheMeasurementPlan = new MeasurementPlanWindow();
  TheAddMeasurementWindow = new AddMeasurementWindow();
  TheProtocolWindow = new ProtocolWindow();
  TheResultsWindow = new ResultsWindow();
  TheChangePrecisionDialog = new ChangePrecisionDialog();
  ThePointPropertiesDialog = new PointPropertiesDialog();
  TheAllPointsScSvpDialog = new AllPointsScSvpDialog();
  TheSettingsDialog = new SettingsDialog();
  ThePrecisionGuide = new PrecisionGuideDialog();
  // One background evaluation serves both plans: every edit in a plan with
  // "live precision" on evaluates a copy of the network again, and ticking
  // the option evaluates at once.
  TheLivePrecision = new LivePrecision();
  ConnectLivePrecision<PlanWindow>(*TheLivePrecision, *TheCoordinatePlan);
  ConnectLivePrecision<PlanWindow>(*TheLivePrecision, *TheMeasurementPlan);
  for (PlanWindow *plan : {static_cast<PlanWindow *>(TheCoordinatePlan),
                           static_cast<PlanWindow *>(TheMeasurementPlan)}) {
    QObject::connect(plan->LivePrecisionCheck, &QCheckBox::toggled, TheLivePrecision,
                     [](bool on) {
                       if (on && TheNetwork)
                         TheLivePrecision->Request(*TheNetwork);
                     });
    // The plan tells while it waits, then what the edit changed (connected
    // after ConnectLivePrecision: the new precision is already on the plan).
    QObject::connect(TheLivePrecision, &LivePrecision::Started, plan, [plan] {
      if (plan->LivePrecisionEnabled())
        plan->ShowLiveComputing();
    });
    QObject::connect(TheLivePrecision, &LivePrecision::PrecisionReady, plan, [plan] {
      if (plan->LivePrecisionEnabled())
        plan->ShowLiveChange();
    });
    QObject::connect(TheLivePrecision, &LivePrecision::PrecisionFailed, plan,
                     [plan] { plan->ShowLiveFailed(); });
  }
}

void DestroyAllWindows() {
  // Stops a running background engine and removes its folder.
  delete TheLivePrecision;
  TheLivePrecision = nullptr;
  delete ThePrecisionGuide;
  ThePrecisionGuide = nullptr;
  delete TheSettingsDialog;
  TheSettingsDialog = nullptr;
  delete TheAllPointsScSvpDialog;
  TheAllPointsScSvpDialog = nullptr;
  delete ThePointPropertiesDialog;
  ThePointPropertiesDialog = nullptr;
  delete TheChangePrecisionDialog;
  TheChangePrecisionDialog = nullptr;
  delete TheResultsWindow;
  TheResultsWindow = nullptr;
  delete TheProtocolWindow;
  TheProtocolWindow = nullptr;
  delete TheAddMeasurementWindow;
  TheAddMeasurementWindow = nullptr;
  delete TheMeasurementPlan;
  TheMeasurementPlan = nullptr;
  delete TheCoordinatePlan;
  TheCoordinatePlan = nullptr;
  delete TheMainWindow;
  TheMainWindow = nullptr;
  // The document last: the windows refer to it while they close.
  TheNetwork = nullptr;
  delete TheDocument;
  TheDocument = nullptr;
}

void ApplyTextsToAllWindows() {
  if (TheMainWindow) TheMainWindow->ApplyTexts();
  if (TheCoordinatePlan) TheCoordinatePlan->ApplyTexts();
  if (TheMeasurementPlan) TheMeasurementPlan->ApplyTexts();
  if (TheAddMeasurementWindow) TheAddMeasurementWindow->ApplyTexts();
  if (TheProtocolWindow) TheProtocolWindow->ApplyTexts();
  if (TheResultsWindow) TheResultsWindow->ApplyTexts();
  if (TheChangePrecisionDialog) TheChangePrecisionDialog->ApplyTexts();
  if (ThePointPropertiesDialog) ThePointPropertiesDialog->ApplyTexts();
  if (TheAllPointsScSvpDialog) TheAllPointsScSvpDialog->ApplyTexts();
  if (TheSettingsDialog) TheSettingsDialog->ApplyTexts();
  if (ThePrecisionGuide) ThePrecisionGuide->ApplyTexts();
}

void StartUp() {
  CreateAllWindows();
  // The language object starts with the built-in English texts; the pack
  // named in the settings replaces them when it is sound.
  Lang().LoadBuiltIn();
  LoadStartupPack(Lang(), DataFolders(), LangPackFile);
  ApplyTextsToAllWindows();
  TheSettingsDialog->FillLanguageList();
}

void NameApplication() { QApplication::setApplicationName(QString::fromUtf8(kd::ApplicationTitle)); }
