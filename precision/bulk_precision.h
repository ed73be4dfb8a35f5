#pragma once
// Precision of many measurements at once, for the precision guide and the
// precision dialogs. Standard deviations in the units of the measurement
// list (metres, gons); distances in metres.
#include "core/survey_network.h"

#include <cstdint>

// StdDev := value for every measurement of that type code.
void SetStdDevOfType(SurveyNetwork &net, std::uint8_t type, double value);

// Mean distance between the points of all sd (slope), hd (horizontal) or
// vd (horizontal) measurements; 0 when there is none.
long double AverageLengthSd(const SurveyNetwork &net);
long double AverageLengthHd(const SurveyNetwork &net);
long double AverageLengthVd(const SurveyNetwork &net);

// StdDev of every sd / hd from its own length: (a + b*D/1000)/sqrt(n);
// of every vd: sigmaKm*sqrt(k*D/1000)/sqrt(n). False and nothing changed
// for a count below 1.
bool ApplyOneByOneSd(SurveyNetwork &net, int n, long double a, long double b);
bool ApplyOneByOneHd(SurveyNetwork &net, int n, long double a, long double b);
bool ApplyOneByOneVd(SurveyNetwork &net, int n, long double sigmaKm, long double k);
