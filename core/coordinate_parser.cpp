#include "core/coordinate_parser.h"

#include <string>

namespace {

// Membership table of the number characters, built once.
struct NumberCharTable {
  bool In[256] = {};
  NumberCharTable() {
    for (char c : std::string_view("0123456789.+-"))
      In[static_cast<unsigned char>(c)] = true;
  }
};
const NumberCharTable kNumberCharTable;

} // namespace

CoordinateLineParser::CoordinateLineParser() {
  const char chars[13] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '.', '+', '-'};
  for (int i = 0; i < 13; ++i)
    NumberChars[i] = chars[i];
}

long double CoordinateLineParser::TokenValue(std::string_view token) {
  long double v = 0;
  return kd::ReadFileNumber(token, v) == kd::NumberFault::None ? v : 0;
}

void CoordinateLineParser::Parse(std::string_view line) {
  Values.clear();
  Fault = kd::NumberFault::None;
  FaultIndex = -1;
  const bool commasSeparate = kd::CommasSeparateFields(line);
  bool hasF = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (!kNumberCharTable.In[c]) {
      if (c == 'f')
        hasF = true;
      ++i;
      continue;
    }
    const std::size_t end = kd::NumberExtent(line, i, commasSeparate);
    long double v = 0;
    const kd::NumberFault fault = kd::ReadFileNumber(line.substr(i, end - i), v);
    if (fault != kd::NumberFault::None && fault != kd::NumberFault::NotANumber &&
        Fault == kd::NumberFault::None) {
      Fault = fault;
      FaultIndex = static_cast<int>(Values.size());
    }
    Values.push_back(fault == kd::NumberFault::None ? v : 0);
    i = end;
  }
  Flag = hasF ? 'f' : 'a';
  ValueCount = static_cast<int>(Values.size());
}
