#pragma once
// Small rules of the precision guide that need no window: reading a
// repetition count and the standard deviation of an angle observed in
// several sets.
#include <string_view>

// Reads a repetition count: an optional sign and decimal digits, blanks
// around them allowed. Empty text, decimals, exponents, other characters
// and values beyond the range of int are refused (false, `n` untouched).
bool ReadCount(std::string_view text, int &n);

// Standard deviation of the mean of n sets of an angle observed with
// sigma1 per set: sigma1 / sqrt(n), rounded to 0.00001 gon. Needs n > 0.
long double AngleStdDev(long double sigma1, int n);
