#include "engine/docnum.h"

#include "core/numtext.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int kPrecision = 14;
constexpr std::uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// Digits of the document numbers, written without any locale involvement.
void AppendUnsigned(std::string &out, std::uint64_t v) {
  char buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0)
    out += buf[--n];
}

} // namespace

void AppendDocNumber(std::string &out, long double value, int decimals) {
  const long double a = std::fabs(value);
  if (!(a < 1e13L) || decimals < 0 || decimals > 6) {
    out += NumToTextFixed(value, kPrecision, decimals);
    return;
  }
  // Integer digits of |value|; the significant-digit limit can cut decimals.
  int intDigits = 0;
  for (long double p = 1; intDigits < 14 && a >= p; p *= 10)
    ++intDigits;
  const int kept = std::min(decimals, kPrecision - intDigits);

  // |value| = m · 2^-s exactly, with a 64-bit integer m. The value scaled by
  // 10^kept is m · 10^kept / 2^s, rounded half away from zero on the exact
  // quotient, as the general conversion rounds.
  std::uint64_t q = 0;
  if (a != 0) {
    int exp2 = 0;
    const long double f = std::frexp(a, &exp2); // a = f · 2^exp2, f in [0.5, 1)
    const auto m = static_cast<std::uint64_t>(std::ldexp(f, 64));
    const int s = 64 - exp2; // > 20, since a < 2^44
    const unsigned __int128 p = static_cast<unsigned __int128>(m) * kPow10[kept];
    if (s < 128) {
      const unsigned __int128 whole = p >> s;
      const unsigned __int128 rest = p - (whole << s);
      const unsigned __int128 half = static_cast<unsigned __int128>(1) << (s - 1);
      q = static_cast<std::uint64_t>(whole) + (rest >= half ? 1 : 0);
    } // else below 2^-47 after scaling: rounds to 0
  }

  if (q != 0 && value < 0)
    out += '-';
  AppendUnsigned(out, q / kPow10[kept]);
  if (decimals > 0) {
    out += '.';
    const std::uint64_t frac = q % kPow10[kept];
    for (int k = kept - 1; k >= 0; --k)
      out += static_cast<char>('0' + frac / kPow10[k] % 10);
    out.append(static_cast<std::size_t>(decimals - kept), '0');
  }
}

std::string DocNumber(long double value, int decimals) {
  std::string s;
  AppendDocNumber(s, value, decimals);
  return s;
}
