#pragma once
// Line scanner of the coordinate readers: finds the runs of number characters
// in a line, whatever separates them.
#include <string_view>
#include <vector>

class CoordinateLineParser {
public:
  std::vector<long double> Values; // numbers of the last line, in order
  char Flag = 'a';                 // 'f' when the last line holds an 'f'
  int ValueCount = 0;
  char NumberChars[13];            // "0".."9", ".", "+", "-"

  CoordinateLineParser();

  // Scans one line. Each maximal run of number characters is one value; a
  // run that is not a well-formed decimal number (lone sign or point, two
  // points, a sign after the first character) reads as 0 and still counts.
  void Parse(std::string_view line);

  // Converts one token as Parse does (0 for a malformed token).
  static long double TokenValue(std::string_view token);
};
