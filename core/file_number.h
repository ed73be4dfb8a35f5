#pragma once
// Numbers in the data files (coordinates and measurements): one rule for
// what is a number and for what makes a number unreadable.
//
// A number in a data file is written plainly: an optional sign, digits with
// at most one decimal point (".5" and "5." included). Text that plainly was
// meant as one number but breaks that form is never read as some other
// number: a second decimal point, a comma between digits (a decimal comma or
// a digit grouping), an exponent ("5.0e3"), a sign after the first character
// or a value beyond the range of an extended float make it unreadable, and
// the loaders say which fault it was.
#include <cstddef>
#include <string>
#include <string_view>

namespace kd {

enum class NumberFault {
  None,
  NotANumber,   // no digit, or characters that belong to no number
  SecondPoint,  // "5412..305", "1.2.3"
  DecimalComma, // "1000,123"
  Exponent,     // "5.0e3", "1E-3"
  InnerSign,    // "12-5"
  OutOfRange,   // well formed but too large for an extended float
};

// Checks the text of one number (no blanks around it) and converts it.
// On a fault `value` is left untouched.
NumberFault ReadFileNumber(std::string_view text, long double &value);

// The extent of what is plainly one number in `line`, starting at `start`,
// the first of a run of number characters ("0".."9", ".", "+", "-"). The
// extent takes in a comma between two digits (unless `commasSeparate`, i.e.
// the line's fields are separated by commas) and an exponent ("e" or "E",
// optional sign, digit) after a digit or point, with the number characters
// that follow them. Returns the index just past the extent.
std::size_t NumberExtent(std::string_view line, std::size_t start, bool commasSeparate);

// True when commas separate the fields of a coordinate line: the line has a
// comma, and no two runs of number characters in it are separated by
// blanks, tabs or semicolons alone (as in "12,1000.5,2000.5").
bool CommasSeparateFields(std::string_view line);

// The user's text for a fault at a 1-based line, e.g. "decimal comma at
// line 8: use a decimal point" (English); "" for NumberFault::None.
std::string NumberFaultText(NumberFault fault, int line);

} // namespace kd
