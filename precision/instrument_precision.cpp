#include "precision/instrument_precision.h"

#include <cfenv>
#include <cmath>

long double RoundDecimals(long double value, int decimals) {
  if (!std::isfinite(value))
    return value;
  long double factor = 1.0L;
  for (int i = 0; i < decimals; ++i)
    factor *= 10.0L; // exact in extended precision up to 10^27
  // nearbyintl honours the current rounding mode; the default mode rounds
  // halves to even, which is what the guide promises.
  const int mode = std::fegetround();
  if (mode != FE_TONEAREST)
    std::fesetround(FE_TONEAREST);
  const long double r = std::nearbyint(value * factor) / factor;
  if (mode != FE_TONEAREST)
    std::fesetround(mode);
  return r;
}

long double AngleStdDev(long double n, long double sigma1) {
  return RoundDecimals(sigma1 / std::sqrt(n), 5);
}

long double DistStdDev(long double n, long double a, long double b,
                       long double D) {
  return RoundDecimals((a + b * D / 1000.0L) / std::sqrt(n), 5);
}

long double LevelStdDev(long double n, long double sigmaKm, long double k,
                        long double D) {
  return RoundDecimals(sigmaKm * std::sqrt(k * D / 1000.0L) / std::sqrt(n), 6);
}
