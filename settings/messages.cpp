#include "settings/messages.h"

#include "core/number_text.h"
#include "settings/text_catalogue.h"

std::string PlumbingWarningText(const LanguagePack &lang, const PlumbingWarning &warning) {
  return Tr(lang, Text::PlumbingOffVertical) + " (" + NumToTextFixed(warning.Station, 14, 2) + "-" +
         NumToTextFixed(warning.Target, 14, 2) + ": " + NumToTextFixed(warning.Offset, 14, 3) +
         " m).";
}

std::string FailedMeasurementText(const FailedMeasurement &failed) {
  if (!failed.Valid)
    return "";
  std::string s = MeasurementList::TypeName(failed.MeasType);
  s += " " + NumToTextFixed(failed.Station, 14, 2);
  s += " -> " + NumToTextFixed(failed.Target, 14, 2);
  if (!failed.Reason.empty())
    s += " (" + failed.Reason + ")";
  return s;
}

std::string StartedStatusText(const LanguagePack &lang, bool dropped) {
  std::string s = Tr(lang, Text::EvaluationStarted);
  if (dropped)
    s += Tr(lang, Text::MeasurementsWithoutCoordinatesDropped) + ".";
  return s;
}

std::string WaitingStatusText(const LanguagePack &lang, int checks) {
  return Tr(lang, Text::ReadingFile) + std::to_string(checks);
}
