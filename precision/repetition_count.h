#pragma once
// Reading a repetition count as the precision guide takes it.
#include <string_view>

// Reads a repetition count: an optional sign and decimal digits, blanks
// around them allowed. Empty text, decimals, exponents, other characters
// and values beyond the range of int are refused (false, `n` untouched).
bool ReadCount(std::string_view text, int &n);

