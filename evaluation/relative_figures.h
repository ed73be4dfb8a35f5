#pragma once
// The relative precision of two points as the results window, the headless
// command and the report give it: the relative error ellipse (semi-axes and
// bearing of the major axis), the standard deviation of the height
// difference and, for a given bearing, the standard deviations along and
// across it. Millimetres and gons; the wording is in
// report/relative_precision_text.h.
#include <string>

#include "evaluation/network_precision.h"

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

// Largest magnitude of a typed bearing, gon (ten full turns).
inline constexpr long double kMaxBearingGon = 4000;
// Reads a bearing typed in gons (decimal point or comma) and reduces it to
// [0, 400). False for an empty or non-numeric text and for a value that is
// not finite or beyond +-kMaxBearingGon.
bool ParseBearingGon(const std::string &text, long double &bearingGon);
