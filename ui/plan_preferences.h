#pragma once
// What the plans show of the precision, kept between runs in the program's
// preference store (QSettings, INI format in the user's configuration
// folder), apart from the ten-line settings file.
#include "plot/precision_plan.h"

struct PlanPreferences {
  bool Ellipses = true;
  bool HeightBars = true;
  bool RelativeEllipses = false;
  bool Percent95 = false;
  bool LivePrecision = false;
  double Magnification = 0;    // 0: automatic
  double ToleranceSemiMajorMm = 0; // 0: none
  double ToleranceSigmaZMm = 0;    // 0: none
};

// Reads the stored preferences; missing or unusable values keep their
// defaults.
PlanPreferences LoadPlanPreferences();
void SavePlanPreferences(const PlanPreferences &preferences);

// The title block fields of the last report, offered again in the next.
struct ReportPreferences {
  QString Title;
  QString Author;
};
ReportPreferences LoadReportPreferences();
void SaveReportPreferences(const ReportPreferences &preferences);
