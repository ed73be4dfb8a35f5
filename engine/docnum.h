#pragma once
// Number texts of the engine input document.
#include <string>

// The text of NumToTextFixed(value, 14, decimals): the value rounded to at
// most 14 significant digits and written with exactly `decimals` decimals.
// Values below 1e13 in magnitude with at most 6 decimals (every number of a
// planned network) are converted with exact integer arithmetic, many times
// faster than the general conversion; all others go through NumToTextFixed.
std::string DocNumber(long double value, int decimals);

// Appends DocNumber(value, decimals) to `out`.
void AppendDocNumber(std::string &out, long double value, int decimals);
