#include "report/relative_precision_text.h"

#include "core/number_text.h"
#include "settings/text_catalogue.h"

namespace {

std::string Mm(long double value) { return NumToTextFixed(value, 15, 3) + " mm"; }
std::string Gon(long double value) { return NumToTextFixed(value, 15, 4) + " gon"; }

} // namespace

std::string RelativeEllipseText(const LanguagePack &lang, const RelativeFigures &figures) {
  const ErrorEllipse &e = figures.Precision.Ellipse;
  return "a " + Mm(e.SemiMajor) + ", b " + Mm(e.SemiMinor) + ", " + Tr(lang, Text::BearingOfSemiMajor) +
         " " + Gon(e.Bearing) + ", s(Z) " + Mm(figures.Precision.SigmaZ);
}

std::string AlongAcrossText(const LanguagePack &lang, const RelativeFigures &figures) {
  if (!figures.HasBearing)
    return "";
  return Tr(lang, Text::Along) + " " + Gon(figures.BearingGon) + " " + Mm(figures.Split.Along) + ", " +
         Tr(lang, Text::Across) + " " + Mm(figures.Split.Across);
}

std::string RelativePrecisionLine(const LanguagePack &lang, double from, double to,
                                  const RelativeFigures &figures) {
  std::string line = Tr(lang, Text::RelativePrecision) + " " + NumToText(from) + " - " +
                     NumToText(to) + ": " + RelativeEllipseText(lang, figures);
  if (figures.HasBearing)
    line += "; " + AlongAcrossText(lang, figures);
  return line;
}
