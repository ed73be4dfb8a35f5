#include "ui/desktop_application.h"

#include "app/network_document.h"
#include "app/settings_store.h"
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
#include "ui/point_properties_dialog.h"
#include "ui/precision_guide_dialog.h"
#include "ui/ui_text.h"
#include "core/version.h"

#include <QApplication>
#include <QCheckBox>

DesktopApplication::DesktopApplication(std::unique_ptr<PlatformServices> platform)
    : Platform_(std::move(platform)) {}

DesktopApplication::~DesktopApplication() { DestroyWindows(); }

QString DesktopApplication::Txt(Text id) const { return ::Txt(Language_, id); }

void DesktopApplication::CreateWindows() {
  Settings_ = new kd::app::SettingsStore();
  Document_ = new kd::app::NetworkDocument();
  Network_ = &Document_->Workspace();
  Main_ = new MainWindow(*this);
  CoordinatePlan_ = new CoordinatePlanWindow(*this);
  MeasurementPlan_ = new MeasurementPlanWindow(*this);
  AddMeasurement_ = new AddMeasurementWindow(*this);
  Protocol_ = new ProtocolWindow(*this);
  Results_ = new ResultsWindow(*this);
  ChangePrecision_ = new ChangePrecisionDialog(*this);
  PointProperties_ = new PointPropertiesDialog(*this);
  AllPointsScSvp_ = new AllPointsScSvpDialog(*this);
  SettingsWindow_ = new SettingsDialog(*this);
  PrecisionGuide_ = new PrecisionGuideDialog(*this);
  // One background evaluation serves both plans: every edit in a plan with
  // "live precision" on evaluates a copy of the network again, and ticking
  // the option evaluates at once.
  Live_ = new LivePrecision(*Platform_, Language_);
  SurveyNetwork *const network = Network_;
  LivePrecision *const live = Live_;
  const auto current = [network]() -> const SurveyNetwork * { return network; };
  ConnectLivePrecision<PlanWindow>(*Live_, *CoordinatePlan_, current);
  ConnectLivePrecision<PlanWindow>(*Live_, *MeasurementPlan_, current);
  for (PlanWindow *plan : {static_cast<PlanWindow *>(CoordinatePlan_),
                           static_cast<PlanWindow *>(MeasurementPlan_)}) {
    QObject::connect(plan->LivePrecisionCheck, &QCheckBox::toggled, Live_,
                     [network, live](bool on) {
                       if (on)
                         live->Request(*network);
                     });
    // The plan tells while it waits, then what the edit changed (connected
    // after ConnectLivePrecision: the new precision is already on the plan).
    QObject::connect(Live_, &LivePrecision::Started, plan, [plan] {
      if (plan->LivePrecisionEnabled())
        plan->ShowLiveComputing();
    });
    QObject::connect(Live_, &LivePrecision::PrecisionReady, plan, [plan] {
      if (plan->LivePrecisionEnabled())
        plan->ShowLiveChange();
    });
    QObject::connect(Live_, &LivePrecision::PrecisionFailed, plan,
                     [plan] { plan->ShowLiveFailed(); });
  }
}

namespace {

template <class T> void Free(T *&p) {
  delete p;
  p = nullptr;
}

} // namespace

void DesktopApplication::DestroyWindows() {
  // Stops a running background engine and removes its folder.
  Free(Live_);
  Free(PrecisionGuide_);
  Free(SettingsWindow_);
  Free(AllPointsScSvp_);
  Free(PointProperties_);
  Free(ChangePrecision_);
  Free(Results_);
  Free(Protocol_);
  Free(AddMeasurement_);
  Free(MeasurementPlan_);
  Free(CoordinatePlan_);
  Free(Main_);
  // The document last: the windows refer to it while they close.
  Network_ = nullptr;
  Free(Document_);
  Free(Settings_);
}

void DesktopApplication::ApplyTextsToAllWindows() {
  if (Main_) Main_->ApplyTexts();
  if (CoordinatePlan_) CoordinatePlan_->ApplyTexts();
  if (MeasurementPlan_) MeasurementPlan_->ApplyTexts();
  if (AddMeasurement_) AddMeasurement_->ApplyTexts();
  if (Protocol_) Protocol_->ApplyTexts();
  if (Results_) Results_->ApplyTexts();
  if (ChangePrecision_) ChangePrecision_->ApplyTexts();
  if (PointProperties_) PointProperties_->ApplyTexts();
  if (AllPointsScSvp_) AllPointsScSvp_->ApplyTexts();
  if (SettingsWindow_) SettingsWindow_->ApplyTexts();
  if (PrecisionGuide_) PrecisionGuide_->ApplyTexts();
}

void DesktopApplication::StartUp() {
  CreateWindows();
  // The language starts with the built-in English texts; the pack named in
  // the settings replaces them when it is sound.
  Language_.LoadBuiltIn();
  LoadStartupPack(Language_, DataFolders(*Platform_), LangPackFile_);
  ApplyTextsToAllWindows();
  SettingsWindow_->FillLanguageList();
}

void NameApplication() { QApplication::setApplicationName(QString::fromUtf8(kd::ApplicationTitle)); }
