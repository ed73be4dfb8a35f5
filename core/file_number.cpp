#include "core/file_number.h"

#include "core/number_text.h"

#include <cmath>

namespace kd {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSign(char c) { return c == '+' || c == '-'; }
bool IsNumberChar(char c) { return IsDigit(c) || c == '.' || IsSign(c); }
bool IsExponentMark(char c) { return c == 'e' || c == 'E'; }

} // namespace

NumberFault ReadFileNumber(std::string_view text, long double &value) {
  int digits = 0;
  int points = 0;
  bool comma = false, exponent = false, innerSign = false, other = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c))
      ++digits;
    else if (c == '.')
      ++points;
    else if (c == ',')
      comma = true;
    else if (IsExponentMark(c) && digits > 0)
      exponent = true;
    else if (IsSign(c))
      innerSign = innerSign || (i > 0 && !IsExponentMark(text[i - 1]));
    else
      other = true;
  }
  if (digits == 0 || other)
    return NumberFault::NotANumber;
  // A comma first: "1000,123" is the commonest of these and the one the user
  // can mend by name.
  if (comma)
    return NumberFault::DecimalComma;
  if (exponent)
    return NumberFault::Exponent;
  if (points > 1)
    return NumberFault::SecondPoint;
  if (innerSign)
    return NumberFault::InnerSign;
  long double v = 0;
  if (!TryTextToNum(text, v) || !std::isfinite(v))
    return NumberFault::OutOfRange;
  value = v;
  return NumberFault::None;
}

std::size_t NumberExtent(std::string_view line, std::size_t start, bool commasSeparate) {
  std::size_t i = start;
  const std::size_t n = line.size();
  auto runOfNumberChars = [&] {
    while (i < n && IsNumberChar(line[i]))
      ++i;
  };
  runOfNumberChars();
  while (i < n) {
    const char before = line[i - 1];
    if (!commasSeparate && line[i] == ',' && IsDigit(before) && i + 1 < n && IsDigit(line[i + 1])) {
      ++i;
      runOfNumberChars();
      continue;
    }
    if (IsExponentMark(line[i]) && (IsDigit(before) || before == '.')) {
      std::size_t k = i + 1;
      if (k < n && IsSign(line[k]))
        ++k;
      if (k < n && IsDigit(line[k])) {
        i = k;
        runOfNumberChars();
        continue;
      }
    }
    break;
  }
  return i;
}

bool CommasSeparateFields(std::string_view line) {
  if (line.find(',') == std::string_view::npos)
    return false;
  const std::size_t n = line.size();
  std::size_t i = 0;
  bool afterRun = false;
  while (i < n) {
    if (IsNumberChar(line[i])) {
      while (i < n && IsNumberChar(line[i]))
        ++i;
      afterRun = true;
      continue;
    }
    // A gap between two runs.
    const std::size_t gapStart = i;
    while (i < n && !IsNumberChar(line[i]))
      ++i;
    if (!afterRun || i >= n)
      continue;
    const std::string_view gap = line.substr(gapStart, i - gapStart);
    if (gap.find_first_not_of(" \t;") == std::string_view::npos)
      return false;
  }
  return true;
}

std::string NumberFaultText(NumberFault fault, int line) {
  const std::string at = " at line " + std::to_string(line);
  switch (fault) {
  case NumberFault::None: return std::string();
  case NumberFault::NotANumber: return "no number" + at;
  case NumberFault::SecondPoint: return "second decimal point in a number" + at;
  case NumberFault::DecimalComma: return "decimal comma" + at + ": use a decimal point";
  case NumberFault::Exponent: return "exponent in a number" + at + ": write the number out";
  case NumberFault::InnerSign: return "sign inside a number" + at;
  case NumberFault::OutOfRange: return "number out of range" + at;
  }
  return std::string();
}

} // namespace kd
