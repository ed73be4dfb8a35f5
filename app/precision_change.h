#pragma once
// What an edit did to the precision of the network: the largest standard
// ellipse before and after, and the points whose ellipse changed most. Live
// precision shows it after every background evaluation, so that a change
// too small to see on the plan (1 % of an ellipse) is still told.
//
// Semi-axes in mm (standard ellipses, 1 sigma); changes in per cent of the
// semi-major axis before the edit.
#include "evaluation/network_precision.h"

#include <string>
#include <vector>

class LanguagePack;

namespace kd::app {

struct PointPrecisionChange {
  double Number = 0;
  long double SemiMajorBefore = 0; // mm
  long double SemiMajorAfter = 0;  // mm
  long double Percent = 0;         // (after - before) / before * 100
};

struct PrecisionChange {
  bool Comparable = false;          // both sides have adjusted points
  double LargestBeforePoint = 0;
  long double LargestBefore = 0;    // mm, largest semi-major axis
  double LargestAfterPoint = 0;
  long double LargestAfter = 0;     // mm
  // Points in both evaluations, the largest relative changes first; at most
  // `keep` of them, and only those that changed at all.
  std::vector<PointPrecisionChange> MostChanged;
};

// Compares two evaluations of (versions of) the same network. Points that
// are adjusted in only one of them are left out of MostChanged.
PrecisionChange ComparePrecision(const NetworkPrecision &before, const NetworkPrecision &after,
                                 int keep = 3);

// One line for the user (UTF-8) in the language of `lang`, e.g.
// "largest ellipse 4.12 mm (7) → 3.98 mm (7); most changed: 5 −6.1 %, 9 −4.0 %".
// "no change" when nothing moved; "" when the two cannot be compared.
std::string PrecisionChangeText(const LanguagePack &lang, const PrecisionChange &change);

} // namespace kd::app
