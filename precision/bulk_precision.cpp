// The container's bulk precision operations used by the precision guide and
// the precision dialogs.
#include "precision/bulk_precision.h"
#include "precision/observation_sigma.h"
#include "precision/instrument_precision.h"

#include <cmath>
#include <vector>

void SetStdDevOfType(SurveyNetwork &net, std::uint8_t type, double value) {
  for (Measurement &m : net.Measurements.Items)
    if (m.MeasType == type)
      m.StdDev = value;
  net.Measurements.MarkChanged();
}

namespace {

// Mean of the slope (or horizontal) distances of all measurements of one
// type, summed in list order. Measurements whose points are missing from
// the point list have no length and are left out of the mean.
long double AverageLength(const SurveyNetwork &net, std::uint8_t type, bool slope) {
  const PointList &list = net.Points.List;
  const PointNumberIndex index(list);
  long double sum = 0;
  long long count = 0;
  for (const Measurement &m : net.Measurements.Items) {
    if (m.MeasType != type)
      continue;
    const int si = index.IndexOf(m.Station);
    const int ti = index.IndexOf(m.Target);
    if (si < 0 || ti < 0)
      continue;
    sum += slope ? list.SlopeDist(si, ti) : list.HorizDist(si, ti);
    ++count;
  }
  return count == 0 ? 0.0L : sum / static_cast<long double>(count);
}

// Sets StdDev of every measurement of `type` from its own length. All new
// values are computed first; when any cannot be (a point missing, a result
// that is negative or not a number) nothing is changed.
template <typename F>
bool ApplyOneByOne(SurveyNetwork &net, std::uint8_t type, int n, bool slope, F formula) {
  if (n < 1)
    return false;
  const PointNumberIndex index(net.Points.List);
  std::vector<std::pair<std::size_t, double>> updates;
  for (std::size_t i = 0; i < net.Measurements.Items.size(); ++i) {
    if (net.Measurements.Items[i].MeasType != type)
      continue;
    ObservationGeometry g;
    if (!ObsGeometryOf(net, static_cast<int>(i), g, &index))
      return false;
    const long double sd = formula(static_cast<long double>(n), slope ? g.Sd : g.Hd);
    const double stored = static_cast<double>(sd);
    if (!std::isfinite(stored) || stored < 0)
      return false;
    updates.emplace_back(i, stored);
  }
  for (const auto &[i, sd] : updates)
    net.Measurements.Items[i].StdDev = sd;
  net.Measurements.MarkChanged();
  return true;
}

} // namespace

long double AverageLengthSd(const SurveyNetwork &net) { return AverageLength(net, mtSd, true); }
long double AverageLengthHd(const SurveyNetwork &net) { return AverageLength(net, mtHd, false); }
long double AverageLengthVd(const SurveyNetwork &net) { return AverageLength(net, mtVd, false); }

bool ApplyOneByOneSd(SurveyNetwork &net, int n, long double a, long double b) {
  return ApplyOneByOne(net, mtSd, n, true, [a, b](long double cnt, long double d) {
    return DistStdDev(cnt, a, b, d);
  });
}

bool ApplyOneByOneHd(SurveyNetwork &net, int n, long double a, long double b) {
  return ApplyOneByOne(net, mtHd, n, false, [a, b](long double cnt, long double d) {
    return DistStdDev(cnt, a, b, d);
  });
}

bool ApplyOneByOneVd(SurveyNetwork &net, int n, long double sigmaKm, long double k) {
  // The levelling route is the horizontal distance between the two points.
  return ApplyOneByOne(net, mtVd, n, false, [sigmaKm, k](long double cnt, long double d) {
    return LevelStdDev(cnt, sigmaKm, k, d);
  });
}
