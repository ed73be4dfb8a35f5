#pragma once
// Texts of the pre-analysis report that the numbered interface texts do not
// hold. They live in a table of their own, English and Czech, so that the
// language packs keep their 123 lines; the language is chosen by the code in
// the tag line of the pack passed ("[ver CZ]").
#include <string>
#include <vector>

class LanguagePack;

enum class ReportText {
  Title,               // document title
  NetworkName,
  Date,
  ScSvpMode,
  SigmaApriori,
  Confidence,
  ConfidenceStandard,  // "standard (1 sigma)"
  Confidence95,
  ProgramVersion,
  Summary,
  PointsFixedAdjusted,
  MeasurementsByType,
  ObservationsInAdjustment,
  Redundancy,
  WeakestHorizontal,
  WeakestVertical,
  WeakestObservation,
  UncontrolledObservations,
  TolerancesExceeded,
  ToleranceNone,
  ToleranceLimits,
  Plan,
  PlanLegend,
  PointsTable,
  RelativePrecision,
  RelativeNone,
  Observations,
  InputPoints,
  InputMeasurements,
  Fixed,
  Adjusted,
  Yes,
  Page,
  Of,
  ScaleEllipses,
  Controlled,
  Weak,
  Uncontrolled,
  NotChecked,
  Unknown,
  ReportCommand,       // the main window's button
  Project,
  Author,
  DatumLabel,
  DatumFixed,          // "fixed points: " + numbers
  DatumFree,           // %1 = number of points
  LevelStatement95,
  LevelStatementStandard,
  BearingStatement,
  Verdicts,
  VerdictAllMeet,      // %1 count, %2 limit text, %3 level
  VerdictExceed,       // %1 count, %2 of, %3 limit text, %4 level, %5 list
  LevelTag95,          // "95 %"
  LevelTagStandard,    // "1σ"
  CountsText,          // %1 measurements, %2 observations
  LargestAcross,
  AtBearing,           // "at"
  ReliabilityTest,
  ReliabilityParameters,
  Assumptions,
  AssumptionScSvp,     // %1 mode, %2 Sc, %3 Svp
  AssumptionPlumb,     // %1 count, %2 sigma
  AssumptionGyro,      // %1 count
  PointFixed,          // %1 number
  Measurements,
  MeasurementType,
  Station,
  Target,
  Part,
  MdbShift,
  Bearing,
  Along,
  Across,
  DistanceKind,
  Distance,
  Note,
  OverviewPlan,
  TypeSlopeDistance,
  TypeHorizontalDistance,
  TypeZenithAngle,
  TypeDirection,
  TypeHeightDifference,
  TypePlumbing,
  TypeGyroDirection,
  Slope,
  Horizontal,
  Vertical,
  PointNumber,
  PlanNorthNote,
  Rejected,
  ReportDialogTitle,
  MeasurementCount,
  Count_
};

// The text in the language of `code` ("EN", "CZ"); English for any other.
const std::string &ReportTextIn(const std::string &code, ReportText text);
// A text with %1, %2, ... replaced by the arguments in order.
std::string FillText(const std::string &text, const std::vector<std::string> &args);
// The text in the language of `lang` (by its code, LanguageCodeOf).
const std::string &RT(const LanguagePack &lang, ReportText text);
