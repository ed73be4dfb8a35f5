#pragma once
// The objects that live for the whole run and that every window reaches:
// the windows themselves, the one network container and the engine output
// reader of the latest "+Calculations+". main.cpp creates the windows in a
// fixed order (CreateAllWindows); the main window creates the container.
class MainWindow;
class CoordinatePlanWindow;
class MeasurementPlanWindow;
class AddMeasurementWindow;
class ProtocolWindow;
class ResultsWindow;
class ChangePrecisionDialog;
class PointPropertiesDialog;
class AllPointsScSvpDialog;
class SettingsDialog;
class PrecisionGuideDialog;
class SurveyNetwork;
class LivePrecision;
namespace kd::app { class NetworkDocument; }

extern MainWindow *TheMainWindow;
extern CoordinatePlanWindow *TheCoordinatePlan;
extern MeasurementPlanWindow *TheMeasurementPlan;
extern AddMeasurementWindow *TheAddMeasurementWindow;
extern ProtocolWindow *TheProtocolWindow;
extern ResultsWindow *TheResultsWindow;
extern ChangePrecisionDialog *TheChangePrecisionDialog;
extern PointPropertiesDialog *ThePointPropertiesDialog;
extern AllPointsScSvpDialog *TheAllPointsScSvpDialog;
extern SettingsDialog *TheSettingsDialog;
extern PrecisionGuideDialog *ThePrecisionGuide;

// The network document (the only way to change the network) and, for
// reading, the network it owns. Both live from CreateAllWindows to
// DestroyAllWindows.
extern kd::app::NetworkDocument *TheDocument;
extern SurveyNetwork *TheNetwork;
// The background evaluation behind the plans' "live precision" option.
extern LivePrecision *TheLivePrecision;

// Creates every window in start-up order (TheMainWindow first) and stores them in the
// globals above. DestroyAllWindows frees them in reverse order.
void CreateAllWindows();
void DestroyAllWindows();

// Puts the active language's texts on every window that exists.
void ApplyTextsToAllWindows();
