#pragma once
// Line scanner of the coordinate readers: finds the runs of number characters
// in a line, whatever separates them.
#include "core/file_number.h"

#include <string_view>
#include <vector>

class CoordinateLineParser {
public:
  std::vector<long double> Values; // numbers of the last line, in order
  char Flag = 'a';                 // 'f' when the last line holds an 'f'
  int ValueCount = 0;
  char NumberChars[13];            // "0".."9", ".", "+", "-"

  CoordinateLineParser();

  // The first number of the last line that is unreadable (see
  // core/file_number.h), and its index in Values; None and -1 when none.
  kd::NumberFault Fault = kd::NumberFault::None;
  int FaultIndex = -1;

  // Scans one line. Each maximal run of number characters is one value,
  // together with what plainly belongs to the same number (a comma between
  // digits unless commas separate the line's fields, an exponent); such a
  // number, or a run with two points or an inner sign, reads as 0, still
  // counts, and is noted in Fault. A lone sign or point reads as 0 and
  // counts, without a fault.
  void Parse(std::string_view line);

  // Converts one token as Parse does (0 for a malformed token).
  static long double TokenValue(std::string_view token);
};
