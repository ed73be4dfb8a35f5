#include "report/relative_precision_text.h"

#include "core/number_text.h"

namespace {

std::string Mm(long double value) { return NumToTextFixed(value, 15, 3) + " mm"; }
std::string Gon(long double value) { return NumToTextFixed(value, 15, 4) + " gon"; }

} // namespace

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
