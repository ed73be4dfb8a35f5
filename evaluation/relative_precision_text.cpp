#include "evaluation/relative_precision_text.h"

#include <cmath>

#include "core/number_text.h"

namespace {

std::string Mm(long double value) { return NumToTextFixed(value, 15, 3) + " mm"; }
std::string Gon(long double value) { return NumToTextFixed(value, 15, 4) + " gon"; }

} // namespace

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

std::string RelativeEllipseText(const RelativeFigures &figures) {
  using namespace RelativeTexts;
  const ErrorEllipse &e = figures.Precision.Ellipse;
  return std::string(SemiMajor) + " " + Mm(e.SemiMajor) + ", " + SemiMinor + " " +
         Mm(e.SemiMinor) + ", " + BearingOfMajor + " " + Gon(e.Bearing) + ", " + SigmaZ + " " +
         Mm(figures.Precision.SigmaZ);
}

std::string AlongAcrossText(const RelativeFigures &figures) {
  using namespace RelativeTexts;
  if (!figures.HasBearing)
    return "";
  return std::string(Along) + " " + Gon(figures.BearingGon) + " " + Mm(figures.Split.Along) +
         ", " + Across + " " + Mm(figures.Split.Across);
}

std::string RelativePrecisionLine(double from, double to, const RelativeFigures &figures) {
  std::string line = std::string(RelativeTexts::Relative) + " " + NumToText(from) + " - " +
                     NumToText(to) + ": " + RelativeEllipseText(figures);
  if (figures.HasBearing)
    line += "; " + AlongAcrossText(figures);
  return line;
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
