#include "core/number_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

NumberFormatError::NumberFormatError(const std::string &text)
    : std::runtime_error("'" + text + "' is not a valid number"), TextValue(text) {}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Converts a validated plain decimal text ("-12.5e3", no blanks, point as
// separator) with the C locale, whatever locale the program runs under.
bool ConvertDecimal(const std::string &text, long double &value) {
  static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  errno = 0;
  char *end = nullptr;
  long double v = cLocale ? strtold_l(text.c_str(), &end, cLocale) : std::strtold(text.c_str(), &end);
  if (end != text.c_str() + text.size())
    return false;
  if (!std::isfinite(v))
    return false; // out of range
  value = v;
  return true;
}

// Decimal digits of |value| correctly rounded to `count` significant digits:
// value = 0.D * 10^(exp10 + 1), i.e. exp10 is the exponent of the first digit.
struct DecimalDigits {
  std::string Digits;
  int Exp10 = 0;
};

// The first 41 significant digits of |value| (value finite and non-zero).
DecimalDigits Decompose(long double value) {
  char buf[128];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 40);
  std::string s(buf, res.ptr);
  DecimalDigits d;
  std::size_t e = s.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (IsDigit(s[i]))
      d.Digits += s[i];
  d.Exp10 = std::atoi(s.c_str() + e + 1);
  return d;
}

// Keeps `keep` significant digits, rounding half away from zero. keep may be
// 0 (the result is then 0 or one unit at the next higher position) or
// negative (the result is 0). An empty Digits means zero.
void RoundDigits(DecimalDigits &d, int keep) {
  if (keep < 0) {
    d.Digits.clear();
    return;
  }
  if (keep >= static_cast<int>(d.Digits.size()))
    return;
  bool up = d.Digits[keep] >= '5';
  d.Digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[i] == '9') {
      d.Digits[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++d.Digits[i];
    } else {
      d.Digits.insert(d.Digits.begin(), '1');
      d.Exp10 += 1;
    }
  }
  // Strip trailing zeros; all zeros means zero.
  while (!d.Digits.empty() && d.Digits.back() == '0')
    d.Digits.pop_back();
}

std::string NonFinite(long double value) {
  if (std::isnan(value))
    return "NAN";
  return value < 0 ? "-INF" : "INF";
}

// Exact fixed-form conversion for the common case: |value| * 10^digits well
// inside 64 bits. The value is m * 2^e with a 64-bit m, so value * 10^d =
// m * 5^d * 2^(e+d) is computed exactly in 128 bits and rounded half away
// from zero, first to `precision` significant digits, then to `digits`
// decimals. False when the value is outside that range (the caller then
// takes the general decimal route, which gives the same result).
bool FastFixed(long double value, int precision, int digits, std::string &out) {
  if (digits > 27)
    return false;
  long double a = std::fabs(value);
  static const long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                       1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                       1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
  if (!(a * kPow10[digits] < 1e18L))
    return false;
  int exp2 = 0;
  long double f = std::frexp(a, &exp2); // a = f * 2^exp2, f in [0.5, 1)
  const unsigned long long m = static_cast<unsigned long long>(std::ldexp(f, 64));
  const int e = exp2 - 64;
  // q = trunc(a * 10^d), up = whether the dropped part is at least a half.
  auto scaled = [&](int d, unsigned long long &q, bool &up) {
    unsigned __int128 p = m;
    for (int k = 0; k < d; ++k)
      p *= 5;
    int shift = e + d;
    if (shift >= 0) {
      q = static_cast<unsigned long long>(p << shift);
      up = false;
    } else if (-shift >= 128) {
      q = 0;
      up = false;
    } else {
      int s = -shift;
      q = static_cast<unsigned long long>(p >> s);
      up = ((p >> (s - 1)) & 1) != 0;
    }
  };
  auto decimalLength = [](unsigned long long x) {
    int n = 0;
    while (x) {
      ++n;
      x /= 10;
    }
    return n;
  };
  unsigned long long q = 0;
  bool up = false;
  int d = digits;
  scaled(d, q, up);
  int len = decimalLength(q);
  unsigned long long n = 0;
  if (len > precision) {
    d -= len - precision; // round within the significant digits
    if (d < 0)
      return false;
    scaled(d, q, up);
    n = q + (up ? 1 : 0);
  } else if (len < precision) {
    // Round to the significant digits first (more of them than decimals),
    // then to the decimals. Below one unit of the last decimal the leading
    // digit is not known here; the digit route takes those.
    if (len == 0 || precision > 18)
      return false;
    const int extra = precision - len;
    if (digits + extra > 27)
      return false;
    unsigned long long fine = 0;
    scaled(digits + extra, fine, up);
    fine += up ? 1 : 0;
    unsigned long long unit = 1;
    for (int k = 0; k < extra; ++k)
      unit *= 10;
    n = fine / unit + (fine % unit >= unit / 2 ? 1 : 0);
  } else {
    n = q + (up ? 1 : 0);
  }
  // Digits of n, at least d + 1 of them so that an integer digit exists.
  char buf[64];
  int len2 = 0;
  for (unsigned long long x = n; x; x /= 10)
    buf[len2++] = static_cast<char>('0' + x % 10);
  while (len2 < d + 1)
    buf[len2++] = '0';
  out.clear();
  out.reserve(static_cast<std::size_t>(len2 + digits - d + 2));
  if (n != 0 && value < 0)
    out += '-';
  for (int i = len2 - 1; i >= d; --i)
    out += buf[i];
  if (digits > 0) {
    out += '.';
    for (int i = d - 1; i >= 0; --i)
      out += buf[i];
    out.append(static_cast<std::size_t>(digits - d), '0');
  }
  return true;
}

} // namespace

bool TryTextToNum(std::string_view text, long double &value) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b]))
    ++b;
  while (e > b && IsBlank(text[e - 1]))
    --e;
  std::string s;
  s.reserve(e - b);
  std::size_t i = b;
  bool negative = false;
  if (i < e && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (negative)
    s += '-';
  int mantissaDigits = 0;
  bool point = false;
  for (; i < e; ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      ++mantissaDigits;
      s += c;
    } else if (c == '.' || c == ',') {
      if (point)
        return false;
      point = true;
      s += '.';
    } else {
      break;
    }
  }
  if (mantissaDigits == 0)
    return false;
  if (i < e) {
    if (text[i] != 'e' && text[i] != 'E')
      return false;
    s += 'e';
    ++i;
    if (i < e && (text[i] == '+' || text[i] == '-'))
      s += text[i++];
    int expDigits = 0;
    for (; i < e && IsDigit(text[i]); ++i, ++expDigits)
      s += text[i];
    if (expDigits == 0 || i != e)
      return false;
  }
  return ConvertDecimal(s, value);
}

long double TextToNum(std::string_view text) {
  long double v = 0;
  if (!TryTextToNum(text, v))
    throw NumberFormatError(std::string(text));
  return v;
}

std::string NumToTextGeneral(long double value, int precision) {
  if (!std::isfinite(value))
    return NonFinite(value);
  if (value == 0)
    return "0";
  precision = std::clamp(precision, 1, 40);
  DecimalDigits d = Decompose(value);
  RoundDigits(d, precision);
  if (d.Digits.empty())
    return "0";
  std::string out = value < 0 ? "-" : "";
  // Plain notation for magnitudes of at least 0.0001 whose integer part has
  // at most `precision` digits.
  if (d.Exp10 >= -4 && d.Exp10 < precision) {
    if (d.Exp10 < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-d.Exp10 - 1), '0');
      out += d.Digits;
    } else {
      int intDigits = d.Exp10 + 1;
      for (int k = 0; k < intDigits; ++k)
        out += k < static_cast<int>(d.Digits.size()) ? d.Digits[k] : '0';
      if (static_cast<int>(d.Digits.size()) > intDigits) {
        out += '.';
        out += d.Digits.substr(intDigits);
      }
    }
    return out;
  }
  out += d.Digits[0];
  if (d.Digits.size() > 1) {
    out += '.';
    out += d.Digits.substr(1);
  }
  out += 'E';
  out += std::to_string(d.Exp10);
  return out;
}

std::string NumToText(long double value) { return NumToTextGeneral(value, 15); }

std::string NumToTextFixed(long double value, int precision, int digits) {
  if (!std::isfinite(value))
    return NonFinite(value);
  precision = std::clamp(precision, 1, 40);
  digits = std::max(digits, 0);
  if (std::string fast; FastFixed(value, precision, digits, fast))
    return fast;
  return NumToTextFixedByDigits(value, precision, digits);
}

std::string NumToTextFixedByDigits(long double value, int precision, int digits) {
  if (!std::isfinite(value))
    return NonFinite(value);
  precision = std::clamp(precision, 1, 40);
  digits = std::max(digits, 0);
  DecimalDigits d;
  if (value != 0) {
    d = Decompose(value);
    if (d.Exp10 + 1 > precision)
      return NumToTextGeneral(value, precision);
    // Two roundings: to the significant digits, then to the decimals. At a
    // tie hidden below the precision (…4999999 written as …5) the second
    // rounding goes away from zero, as the shorter decimal text says.
    RoundDigits(d, precision);
    if (!d.Digits.empty())
      RoundDigits(d, d.Exp10 + 1 + digits);
  }
  const int n = static_cast<int>(d.Digits.size());
  auto digitAt = [&](int pos) { // pos = power of ten position index from the first digit
    return pos >= 0 && pos < n ? d.Digits[pos] : '0';
  };
  std::string out;
  if (!d.Digits.empty() && value < 0)
    out += '-';
  if (d.Digits.empty() || d.Exp10 < 0) {
    out += '0';
  } else {
    for (int k = 0; k <= d.Exp10; ++k)
      out += digitAt(k);
  }
  if (digits > 0) {
    out += '.';
    for (int k = 1; k <= digits; ++k)
      out += d.Digits.empty() ? '0' : digitAt(d.Exp10 + k);
  }
  return out;
}
