#pragma once
// Texts of the pre-analysis report that the numbered interface texts do not
// hold. They live in a table of their own, English and Czech, so that the
// language packs keep their 123 lines; the language is chosen by the code in
// the active pack's tag line ("[ver CZ]").
#include <string>

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
  Count_
};

// The text in the language of `code` ("EN", "CZ"); English for any other.
const std::string &ReportTextIn(const std::string &code, ReportText text);
// The language code of the active table: the tag of text 1 ("[ver CZ]" ->
// "CZ"); "EN" when the tag has another form.
std::string ActiveLanguageCode(const LanguagePack &lang);
// The text in the active language.
const std::string &RT(ReportText text);
