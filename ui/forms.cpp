// The windows of the program and the objects that live for the whole run.
#include "core/container.h"
#include "engine/xmlreader.h"
#include "settings/inifile.h"
#include "settings/langpack.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/form8.h"
#include "ui/form9.h"
#include "ui/globals.h"
#include "ui/pointprop.h"
#include "ui/precguide.h"
#include "ui/startup.h"
#include "ui/uitext.h"

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
SurveyNetwork *TheNetwork = nullptr;
ResultsReader *TheResultsReader = nullptr;

void CreateAllWindows() {
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
}

void DestroyAllWindows() {
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
  // The main window last: its OnDestroy frees the container, which the
  // other windows may still refer to while they close.
  delete TheMainWindow;
  TheMainWindow = nullptr;
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
  LoadStartupPack(Lang(), S(ProgramFolder()), LangPackFile);
  ApplyTextsToAllWindows();
  TheSettingsDialog->FillLanguageList();
}
