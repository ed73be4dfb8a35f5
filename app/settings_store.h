#pragma once
// The one settings store: every setting of the desktop program as a typed
// value with a change signal. Windows read the store and write to it; none
// hands a setting to another window through a file.
//
// Two kinds of settings, kept apart on disk:
//   - the ten-line settings file (plan colours and font, Sc/Svp mode,
//     automatic save, language pack; settings/settings_file.h), read and
//     written byte for byte as it always was;
//   - the newer preferences (what the plans show of the precision, the
//     confidence level, the tolerances, the magnification, live precision,
//     the report's title block), kept in an INI file of the user's
//     configuration folder (QSettings) under [Plans] and [Report].
#include <QObject>
#include <QString>
#include <string>

#include "analysis/error_ellipse.h"
#include "evaluation/network_precision.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"

namespace kd::app {

// What the plans show of the precision.
struct PlanPreferences {
  bool Ellipses = true;
  bool HeightBars = true;
  bool RelativeEllipses = false;
  bool Percent95 = false;
  bool LivePrecision = false;
  double Magnification = 0;        // 0: automatic
  double ToleranceSemiMajorMm = 0; // 0: none
  double ToleranceSigmaZMm = 0;    // 0: none

  ConfidenceLevel Level() const {
    return Percent95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
  }
  PrecisionTolerance Tolerance() const {
    return {static_cast<long double>(ToleranceSemiMajorMm),
            static_cast<long double>(ToleranceSigmaZMm)};
  }
  bool operator==(const PlanPreferences &) const = default;
};

// The title block of the last report, offered again in the next.
struct ReportFields {
  QString Title;
  QString Author;
  bool operator==(const ReportFields &) const = default;
};

class SettingsStore : public QObject {
  Q_OBJECT
public:
  // The newer preferences live in the user's configuration folder
  // (QSettings, INI format) and are read at once; missing or unusable
  // values keep their defaults.
  explicit SettingsStore(QObject *parent = nullptr);

  // ---- the ten-line settings file ----
  const kd::Settings &Program() const { return ProgramSettings; }
  // Takes new values; ProgramChanged when any differs.
  void SetProgram(const kd::Settings &settings);
  // Reads the file (see IniFile::LoadSettings: a missing file changes
  // nothing, a faulty one gives every value its default).
  SettingsLoad LoadProgramFile(const std::string &fileName);
  // Writes the ten lines, atomically; false when that failed (the old file
  // then stays).
  bool SaveProgramFile(const std::string &fileName) const;

  // ---- the newer preferences ----
  const PlanPreferences &Plans() const { return PlanValues; }
  // Takes and keeps new values; the signals of what changed follow.
  void SetPlans(const PlanPreferences &preferences);
  ConfidenceLevel Confidence() const { return PlanValues.Level(); }
  PrecisionTolerance Tolerance() const { return PlanValues.Tolerance(); }
  double Magnification() const { return PlanValues.Magnification; }
  bool LivePrecision() const { return PlanValues.LivePrecision; }

  const ReportFields &Report() const { return ReportValues; }
  void SetReport(const ReportFields &fields);

signals:
  void ProgramChanged();
  void PlansChanged();
  void ConfidenceChanged(ConfidenceLevel level);
  void ToleranceChanged();
  void MagnificationChanged(double magnification);
  void LivePrecisionChanged(bool on);
  void ReportChanged();

private:
  void LoadPreferences();

  kd::Settings ProgramSettings;
  PlanPreferences PlanValues;
  ReportFields ReportValues;
};

} // namespace kd::app
