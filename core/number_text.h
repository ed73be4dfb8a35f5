#pragma once
// Numbers as text, independent of the computer's regional settings.
//
// The decimal separator written is always the point and digits are never
// grouped. When reading text typed by the user a comma is taken as a decimal
// separator too.
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by TextToNum for text that is not a number.
class NumberFormatError : public std::runtime_error {
public:
  explicit NumberFormatError(const std::string &text);
  // The offending text as it was given.
  const std::string &Text() const { return TextValue; }

private:
  std::string TextValue;
};

// Reads a decimal number: optional sign, digits with at most one decimal
// separator (point or comma), optional exponent "E"/"e" with optional sign.
// Blanks (spaces, tabs) around the number are ignored. Anything else, and
// values too large for an extended float, raise NumberFormatError.
long double TextToNum(std::string_view text);

// Same as TextToNum, but reports failure instead of raising; `value` is left
// untouched on failure.
bool TryTextToNum(std::string_view text, long double &value);

// General form: up to 15 significant digits, trailing zeros removed. Plain
// decimal notation for magnitudes of at least 0.0001 whose integer part has
// at most 15 digits, otherwise scientific ("1.5E-5", "1.23456789012346E20").
std::string NumToText(long double value);

// General form with `precision` significant digits instead of 15.
std::string NumToTextGeneral(long double value, int precision);

// Fixed form: the value rounded to `precision` significant digits, that
// result rounded to `digits` decimals (halves away from zero both times), and
// written with exactly `digits` decimals. Digits
// beyond the precision are written as 0. When the integer part has more
// digits than `precision`, the general form with `precision` digits is
// written instead. A value that rounds to zero is written without a sign.
std::string NumToTextFixed(long double value, int precision, int digits);

// NumToTextFixed through the decimal digits of the value, without the exact
// integer shortcut that NumToTextFixed takes for everyday magnitudes. Both
// give the same text; this one is kept for cross-checking.
std::string NumToTextFixedByDigits(long double value, int precision, int digits);
