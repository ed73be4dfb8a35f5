#include "engine/docnum.h"

#include "core/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

// The document's fast number texts must be exactly those of the general
// fixed-form conversion, ties and carries included.
TEST(DocNumber, AgreesWithTheGeneralConversion) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> exp10(-9, 14), dec(0, 6), frac(0, 1 << 20);
  long mismatches = 0;
  for (int i = 0; i < 60000; ++i) {
    long double v = static_cast<long double>(mant(rng)) * std::pow(10.0L, exp10(rng));
    if (i % 3 == 0) // binary-exact values, many of them exact decimal ties
      v = std::floor(v) + static_cast<long double>(frac(rng)) / (1 << 20);
    if (i % 2)
      v = -v;
    const int d = dec(rng);
    if (DocNumber(v, d) != NumToTextFixed(v, 14, d) && ++mismatches < 10)
      ADD_FAILURE() << static_cast<double>(v) << " " << d << ": " << DocNumber(v, d)
                    << " vs " << NumToTextFixed(v, 14, d);
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(DocNumber, EdgeValues) {
  const long double values[] = {0.0L, -0.0L, 0.5L, -0.5L, 0.125L, 0.00005L, -0.000004L,
                                0.000006L, 9.999995L, 99999.999995L, 9999999999.999996L,
                                123456789012.34567L, 9999999999999.5L, 1e13L, -1e13L,
                                12345678901234567.0L, 1e-30L, 400.0L - 1e-12L,
                                std::numeric_limits<long double>::infinity()};
  for (long double v : values)
    for (int d = 0; d <= 7; ++d)
      EXPECT_EQ(DocNumber(v, d), NumToTextFixed(v, 14, d))
          << static_cast<double>(v) << " " << d;
  EXPECT_EQ(DocNumber(-60, 5), "-60.00000");
  EXPECT_EQ(DocNumber(7, 2), "7.00");
  EXPECT_EQ(DocNumber(-0.000004L, 5), "0.00000"); // rounds to zero: no sign
  EXPECT_EQ(DocNumber(-0.125L, 2), "-0.13");     // exact halves go away from zero
}
