#pragma once
// The relative precision of two points as the results window and the
// headless command show it: the relative error ellipse (semi-axes and
// bearing of the major axis), the standard deviation of the height
// difference and, for a given bearing, the standard deviations along and
// across it. The English texts of these figures live here and nowhere else.
#include <string>

#include "evaluation/network_precision.h"

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

// The figures of one request. HasBearing tells whether along/across were
// computed (a bearing was given).
struct RelativeFigures {
  RelativePrecision Precision;
  bool HasBearing = false;
  long double BearingGon = 0;
  AlongAcross Split;
};

// Computes the figures of the vector between two points of `precision`.
// False when NetworkPrecision::Relative refuses (the same point twice, or
// neither point adjusted).
bool ComputeRelativeFigures(const NetworkPrecision &precision, double from, double to,
                            bool hasBearing, long double bearingGon, RelativeFigures &out);

// "a 1.234 mm, b 0.567 mm, bearing of a 123.4567 gon, s(Z) 0.890 mm"
// (millimetres with 3 decimals, gons with 4).
std::string RelativeEllipseText(const RelativeFigures &figures);
// "along 100.0000 gon 1.234 mm, across 0.567 mm"; "" without a bearing.
std::string AlongAcrossText(const RelativeFigures &figures);
// The headless command's line: "Relative precision 104 - 404: " followed
// by the ellipse text and, with a bearing, "; " and the along/across text.
std::string RelativePrecisionLine(double from, double to, const RelativeFigures &figures);

// Largest magnitude of a typed bearing, gon (ten full turns).
inline constexpr long double kMaxBearingGon = 4000;
// Reads a bearing typed in gons (decimal point or comma) and reduces it to
// [0, 400). False for an empty or non-numeric text and for a value that is
// not finite or beyond +-kMaxBearingGon.
bool ParseBearingGon(const std::string &text, long double &bearingGon);
