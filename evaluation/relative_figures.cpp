#include "evaluation/relative_figures.h"

#include <cmath>

#include "core/number_text.h"

bool ComputeRelativeFigures(const NetworkPrecision &precision, double from, double to,
                            bool hasBearing, long double bearingGon, RelativeFigures &out) {
  RelativeFigures f;
  if (!precision.Relative(from, to, f.Precision))
    return false;
  f.HasBearing = hasBearing;
  if (hasBearing) {
    f.BearingGon = bearingGon;
    f.Split = AlongAcrossOf(f.Precision.Covariance.Horizontal, bearingGon);
  }
  out = f;
  return true;
}

bool ParseBearingGon(const std::string &text, long double &bearingGon) {
  long double v = 0;
  if (text.empty() || !TryTextToNum(text, v) || !std::isfinite(v) || std::fabs(v) > kMaxBearingGon)
    return false;
  v = std::fmod(v, 400.0L);
  if (v < 0)
    v += 400;
  // A tiny negative bearing rounds up to a full turn.
  bearingGon = v >= 400 ? 0 : v + 0.0L;
  return true;
}
