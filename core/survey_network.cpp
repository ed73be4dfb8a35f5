#include "core/survey_network.h"

#include <cmath>

namespace {
// Largest horizontal offset of a plumbing's two points that passes without a
// warning. The small allowance keeps an offset of exactly one centimetre, as
// typed in the coordinates, from warning because of binary rounding.
constexpr long double kPlumbLimit = 0.01L + 1e-12L;
} // namespace

bool SurveyNetwork::CheckConsistency(bool removeInvalid) { return CheckConsistency(removeInvalid, WarningSink); }

bool SurveyNetwork::CheckConsistency(bool removeInvalid, const WarningCallback &sink) {
  const WarningCallback &out = sink ? sink : WarningSink;
  // One lookup table for the whole check: the same answers as looking every
  // number up in the list, in linear time for large networks.
  PointNumberIndex index(Points.List);
  std::vector<Measurement> &items = Measurements.Items;
  std::vector<char> bad(items.size(), 0);
  int badCount = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (index.IndexOf(items[i].Station) < 0 || index.IndexOf(items[i].Target) < 0) {
      bad[i] = 1;
      ++badCount;
    }
  }
  LastInvalidCount = badCount;
  if (removeInvalid && badCount > 0) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < items.size(); ++i)
      if (!bad[i])
        items[w++] = items[i];
    items.resize(w);
    Measurements.MarkChanged();
    bad.assign(items.size(), 0);
  }
  // Plumbing transfers a position along the vertical: warn when the
  // approximate coordinates put its points more than a centimetre apart.
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Measurement &m = items[i];
    if (m.MeasType != mtPr)
      continue;
    int s = index.IndexOf(m.Station), t = index.IndexOf(m.Target);
    if (s < 0 || t < 0)
      continue;
    long double d = Points.List.HorizDist(s, t);
    if (d > kPlumbLimit && out)
      out(PlumbingWarning{m.Station, m.Target, d});
  }
  return badCount > 0;
}
