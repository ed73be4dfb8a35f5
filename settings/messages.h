#pragma once
// Sentences built from the data of the layers below, in the language of the
// pack passed (UTF-8). The layers that find things out (core, precision,
// evaluation) return data and codes; the windows and the headless command
// word them here, so both say the same.
#include <string>

#include "core/survey_network.h"

class LanguagePack;

// "Position transmition/plumbing is beyond vertical! (1.00-3.00: 0.011 m)."
// (text 122, point numbers with 2 decimals, offset with 3).
std::string PlumbingWarningText(const LanguagePack &lang, const PlumbingWarning &warning);

// The measurement that made the engine input fail: type, station and target,
// e.g. "zu 1.00 -> 2.00", with the technical reason in parentheses when one
// is known. "" when no measurement was the cause.
std::string FailedMeasurementText(const FailedMeasurement &failed);

// The status after the engine was started: text 18, followed directly by
// text 17 and a point when measurements were dropped.
std::string StartedStatusText(const LanguagePack &lang, bool dropped);

// The status while the engine's outputs are waited for: text 22 followed by
// the number of checks made so far.
std::string WaitingStatusText(const LanguagePack &lang, int checks);
