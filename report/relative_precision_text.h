#pragma once
// The wording of the relative precision of two points (figures from
// evaluation/relative_figures.h) as the results window and the headless
// command show it. The English texts of these figures live here and nowhere
// else.
#include <string>

#include "evaluation/relative_figures.h"

namespace RelativeTexts {
inline constexpr const char *BearingField = "Bearing/gon";       // input field of the window
inline constexpr const char *EllipseCaption = "Relative ellipse"; // caption of the ellipse figures
inline constexpr const char *AlongAcrossCaption = "Along/across"; // caption of the along/across figures
inline constexpr const char *Relative = "Relative precision";     // start of a printed line
inline constexpr const char *SemiMajor = "a";
inline constexpr const char *SemiMinor = "b";
inline constexpr const char *BearingOfMajor = "bearing of a";
inline constexpr const char *SigmaZ = "s(Z)";
inline constexpr const char *Along = "along";
inline constexpr const char *Across = "across";
} // namespace RelativeTexts

// "a 1.234 mm, b 0.567 mm, bearing of a 123.4567 gon, s(Z) 0.890 mm"
// (millimetres with 3 decimals, gons with 4).
std::string RelativeEllipseText(const RelativeFigures &figures);
// "along 100.0000 gon 1.234 mm, across 0.567 mm"; "" without a bearing.
std::string AlongAcrossText(const RelativeFigures &figures);
// The headless command's line: "Relative precision 104 - 404: " followed
// by the ellipse text and, with a bearing, "; " and the along/across text.
std::string RelativePrecisionLine(double from, double to, const RelativeFigures &figures);
