#pragma once
// The wording of the relative precision of two points (figures from
// evaluation/relative_figures.h) as the results window and the headless
// command show it, in the language of the pack passed (settings/text_catalogue.h).
#include <string>

#include "evaluation/relative_figures.h"

class LanguagePack;

// "a 1.234 mm, b 0.567 mm, bearing of a 123.4567 gon, s(Z) 0.890 mm"
// (millimetres with 3 decimals, gons with 4).
std::string RelativeEllipseText(const LanguagePack &lang, const RelativeFigures &figures);
// "along 100.0000 gon 1.234 mm, across 0.567 mm"; "" without a bearing.
std::string AlongAcrossText(const LanguagePack &lang, const RelativeFigures &figures);
// The headless command's line: "Relative precision 104 - 404: " followed
// by the ellipse text and, with a bearing, "; " and the along/across text.
std::string RelativePrecisionLine(const LanguagePack &lang, double from, double to,
                                  const RelativeFigures &figures);
