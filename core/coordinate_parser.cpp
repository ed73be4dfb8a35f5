#include "core/coordinate_parser.h"

#include "core/number_text.h"

#include <cmath>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
  // Well formed: optional sign, then digits with at most one point and at
  // least one digit.
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-'))
    ++i;
  int digitCount = 0;
  bool point = false;
  for (; i < token.size(); ++i) {
    char c = token[i];
    if (IsDigit(c)) {
      ++digitCount;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return 0; // second point or a sign inside the token
    }
  }
  if (digitCount == 0)
    return 0;
  long double v = 0;
  if (!TryTextToNum(token, v) || !std::isfinite(v))
    return 0;
  return v;
}

void CoordinateLineParser::Parse(std::string_view line) {
  Values.clear();
  bool hasF = false;
  std::size_t start = 0;
  bool inside = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (kNumberCharTable.In[c]) {
      if (!inside) {
        inside = true;
        start = i;
      }
    } else {
      if (c == 'f')
        hasF = true;
      if (inside) {
        Values.push_back(TokenValue(line.substr(start, i - start)));
        inside = false;
      }
    }
  }
  if (inside)
    Values.push_back(TokenValue(line.substr(start)));
  Flag = hasF ? 'f' : 'a';
  ValueCount = static_cast<int>(Values.size());
}
