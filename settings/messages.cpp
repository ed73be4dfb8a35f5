#include "settings/messages.h"

#include "core/number_text.h"
#include "settings/text_catalogue.h"

std::string PlumbingWarningText(const PlumbingWarning &warning) {
  return Tr(Text::PlumbingOffVertical) + " (" + NumToTextFixed(warning.Station, 14, 2) + "-" +
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

std::string StartedStatusText(bool dropped) {
  std::string s = Tr(Text::EvaluationStarted);
  if (dropped)
    s += Tr(Text::MeasurementsWithoutCoordinatesDropped) + ".";
  return s;
}

std::string WaitingStatusText(int checks) { return Tr(Text::ReadingFile) + std::to_string(checks); }
