#pragma once
// The desktop program as one object: it owns the platform seam, the language
// pack, the settings store, the network document, the background evaluation
// behind live precision and every window, and hands each window what it
// needs. Windows reach the others only through the application they were
// given.
//
// main.cpp creates one on the real desktop; the window tests create one on a
// FakePlatform, so dialogs, message boxes, program starts and the timer
// never block.
#include <QString>
#include <memory>
#include <string>

#include "settings/language_pack.h"
#include "settings/text_catalogue.h"

class AddMeasurementWindow;
class AllPointsScSvpDialog;
class ChangePrecisionDialog;
class CoordinatePlanWindow;
class LivePrecision;
class MainWindow;
class MeasurementPlanWindow;
class PlatformServices;
class PointPropertiesDialog;
class PrecisionGuideDialog;
class ProtocolWindow;
class ResultsWindow;
class SettingsDialog;
class SurveyNetwork;
namespace kd::app { class NetworkDocument; class SettingsStore; }

class DesktopApplication {
public:
  // Takes the platform every window goes through. Nothing else happens until
  // CreateWindows or StartUp.
  explicit DesktopApplication(std::unique_ptr<PlatformServices> platform);
  // Frees the windows (if any) in reverse order, then the platform.
  ~DesktopApplication();
  DesktopApplication(const DesktopApplication &) = delete;
  DesktopApplication &operator=(const DesktopApplication &) = delete;

  // Creates the settings store, the document and every window in start-up
  // order (the main window first, which loads the settings).
  void CreateWindows();
  // CreateWindows, then loads the language pack named in the settings (or
  // the built-in English texts) into Language(), puts it on every window
  // and fills the settings dialog's language list. The caller then shows
  // Main().
  void StartUp();
  // Frees every window, the document and the store, in reverse order of
  // creation. The platform stays.
  void DestroyWindows();
  // Puts the texts of Language() on every window that exists.
  void ApplyTextsToAllWindows();

  PlatformServices &Platform() { return *Platform_; }
  // The program's language (numbered pack texts; the catalogue's newer
  // texts follow its code). Built-in English until a pack is loaded into it;
  // the windows and the table models hold references to it, so after a
  // switch ApplyTextsToAllWindows puts the new texts everywhere.
  LanguagePack &Language() { return Language_; }
  const LanguagePack &Language() const { return Language_; }
  // The text `id` in the program's language.
  QString Txt(Text id) const;
  // File name (without folder) of the chosen language pack: empty until the
  // settings file is read, and empty again when the built-in English set is
  // chosen. The settings dialog saves it into the settings file.
  std::string &LangPackFile() { return LangPackFile_; }

  // Each is null before CreateWindows and after DestroyWindows.
  kd::app::NetworkDocument *Document() const { return Document_; }
  kd::app::SettingsStore *Settings() const { return Settings_; }
  // The network the document owns, for reading.
  SurveyNetwork *Network() const { return Network_; }
  LivePrecision *Live() const { return Live_; }
  MainWindow *Main() const { return Main_; }
  CoordinatePlanWindow *CoordinatePlan() const { return CoordinatePlan_; }
  MeasurementPlanWindow *MeasurementPlan() const { return MeasurementPlan_; }
  AddMeasurementWindow *AddMeasurement() const { return AddMeasurement_; }
  ProtocolWindow *Protocol() const { return Protocol_; }
  ResultsWindow *Results() const { return Results_; }
  ChangePrecisionDialog *ChangePrecision() const { return ChangePrecision_; }
  PointPropertiesDialog *PointProperties() const { return PointProperties_; }
  AllPointsScSvpDialog *AllPointsScSvp() const { return AllPointsScSvp_; }
  SettingsDialog *SettingsWindow() const { return SettingsWindow_; }
  PrecisionGuideDialog *PrecisionGuide() const { return PrecisionGuide_; }

private:
  std::unique_ptr<PlatformServices> Platform_;
  LanguagePack Language_;
  std::string LangPackFile_;
  kd::app::NetworkDocument *Document_ = nullptr;
  kd::app::SettingsStore *Settings_ = nullptr;
  SurveyNetwork *Network_ = nullptr;
  LivePrecision *Live_ = nullptr;
  MainWindow *Main_ = nullptr;
  CoordinatePlanWindow *CoordinatePlan_ = nullptr;
  MeasurementPlanWindow *MeasurementPlan_ = nullptr;
  AddMeasurementWindow *AddMeasurement_ = nullptr;
  ProtocolWindow *Protocol_ = nullptr;
  ResultsWindow *Results_ = nullptr;
  ChangePrecisionDialog *ChangePrecision_ = nullptr;
  PointPropertiesDialog *PointProperties_ = nullptr;
  AllPointsScSvpDialog *AllPointsScSvp_ = nullptr;
  SettingsDialog *SettingsWindow_ = nullptr;
  PrecisionGuideDialog *PrecisionGuide_ = nullptr;
};

// Names the application (the title of its message boxes) without setting a
// display name: the windowing system would append a display name to every
// window title, cutting short the dialogs' own titles.
void NameApplication();
