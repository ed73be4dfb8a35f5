#include "core/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>

TEST(TextToNum, AcceptsPointOrCommaAndBlanks) {
  EXPECT_EQ(TextToNum("1,5"), 1.5L);
  EXPECT_EQ(TextToNum("1.5"), 1.5L);
  EXPECT_EQ(TextToNum("  2.5 \t"), 2.5L);
  EXPECT_EQ(TextToNum("2e-3"), TextToNum("0.002"));
  EXPECT_EQ(TextToNum("-7"), -7.0L);
  EXPECT_EQ(TextToNum("+.5"), 0.5L);
  EXPECT_EQ(TextToNum("5."), 5.0L);
  EXPECT_EQ(TextToNum("1E+2"), 100.0L);
}

TEST(TextToNum, RejectsWhatIsNoNumber) {
  for (const char *bad : {"", "   ", "abc", "1,234.5", "1..2", "1.2.3", "1e", "e5", "--1", "+", ".", "1 2",
                          "0x10", "inf", "nan", "1e99999", "12a", "1,5,"}) {
    EXPECT_THROW(TextToNum(bad), NumberFormatError) << bad;
    long double v = 42;
    EXPECT_FALSE(TryTextToNum(bad, v)) << bad;
    EXPECT_EQ(v, 42) << "value must be left untouched for " << bad;
  }
}

TEST(TextToNum, DoesNotFollowTheRegionalSettings) {
  const char *old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  // A locale with a decimal comma, when the machine has one.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "cs_CZ.UTF-8")) {
    EXPECT_EQ(TextToNum("1.25"), 1.25L);
    EXPECT_EQ(NumToTextFixed(1.5L, 10, 5), "1.50000");
    EXPECT_EQ(NumToText(0.25L), "0.25");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumToTextFixed, RoundsToPrecisionThenPadsDecimals) {
  EXPECT_EQ(NumToTextFixed(1, 10, 1), "1.0");
  EXPECT_EQ(NumToTextFixed(-0.0025L, 10, 5), "-0.00250");
  EXPECT_EQ(NumToTextFixed(0.001234L, 3, 5), "0.00123");
  EXPECT_EQ(NumToTextFixed(0.00123456L, 3, 5), "0.00123");
  EXPECT_EQ(NumToTextFixed(0.002L, 3, 5), "0.00200");
  EXPECT_EQ(NumToTextFixed(1.5L, 10, 5), "1.50000");
  EXPECT_EQ(NumToTextFixed(1.26L, 10, 1), "1.3");
  EXPECT_EQ(NumToTextFixed(12, 10, 2), "12.00");
  EXPECT_EQ(NumToTextFixed(0, 10, 5), "0.00000");
  EXPECT_EQ(NumToTextFixed(0, 10, 0), "0");
  EXPECT_EQ(NumToTextFixed(7, 14, 0), "7");
  // Six integer digits keep four decimals, seven keep three.
  EXPECT_EQ(NumToTextFixed(123456.123456L, 10, 5), "123456.12350");
  EXPECT_EQ(NumToTextFixed(1234567.123456L, 10, 5), "1234567.12300");
  // Halves go away from zero.
  EXPECT_EQ(NumToTextFixed(0.125L, 10, 2), "0.13");
  EXPECT_EQ(NumToTextFixed(-0.125L, 10, 2), "-0.13");
  EXPECT_EQ(NumToTextFixed(2.5L, 10, 0), "3");
  // Carries through all digits.
  EXPECT_EQ(NumToTextFixed(9.9999999L, 10, 3), "10.000");
  EXPECT_EQ(NumToTextFixed(0.00006L, 10, 4), "0.0001");
  EXPECT_EQ(NumToTextFixed(0.00004L, 10, 4), "0.0000");
  // A value that rounds to zero carries no sign.
  EXPECT_EQ(NumToTextFixed(-0.000001L, 10, 3), "0.000");
  EXPECT_EQ(NumToTextFixed(-1e-30L, 10, 2), "0.00");
}

// Ties that only the rounding to the significant digits makes: the value is
// a hair below the half, and its shorter text is the half itself.
TEST(NumToTextFixed, RoundsToThePrecisionBeforeTheDecimals) {
  // A height difference of two coordinates with five decimals: in 80 bits it
  // is -28.99374999999999999944, a hair short of the tie.
  const long double dh = 214.86278L - 243.85653L;
  EXPECT_EQ(NumToTextFixed(dh, 14, 4), "-28.9938");
  EXPECT_EQ(NumToTextFixed(243.85653L - 214.86278L, 14, 4), "28.9938");
  // Just below a half by less than the precision resolves: up.
  EXPECT_EQ(NumToTextFixed(1.2344999999999999L, 14, 3), "1.235");
  EXPECT_EQ(NumToTextFixed(-0.0004999999999999L, 10, 3), "-0.001");
  EXPECT_EQ(NumToTextFixed(2.4999999999L, 10, 0), "3");
  EXPECT_EQ(NumToTextFixed(99.9949999999999L, 14, 2), "100.00");
  EXPECT_EQ(NumToTextFixed(0.000124999999L, 8, 6), "0.000125");
  EXPECT_EQ(NumToTextFixed(0.00001249999999L, 8, 6), "0.000013");
  // Below a half by more than the precision resolves: down, as before.
  EXPECT_EQ(NumToTextFixed(1.2344999L, 14, 3), "1.234");
  EXPECT_EQ(NumToTextFixed(-28.993749L, 14, 4), "-28.9937");
  EXPECT_EQ(NumToTextFixed(2.4999999999L, 11, 0), "2");
  for (long double v : {dh, 1.2344999999999999L, -0.0004999999999999L, 0.00001249999999L})
    for (int p : {8, 10, 14, 15})
      for (int d : {0, 2, 3, 4, 6})
        EXPECT_EQ(NumToTextFixed(v, p, d), NumToTextFixedByDigits(v, p, d))
            << static_cast<double>(v) << " " << p << " " << d;
}

TEST(NumToTextFixed, FallsBackToGeneralFormForLongIntegers) {
  EXPECT_EQ(NumToTextFixed(12345678901.0L, 10, 2), "1.23456789E10");
  EXPECT_EQ(NumToTextFixed(123456789, 8, 2), "1.2345679E8");
  EXPECT_EQ(NumToTextFixed(1234567890, 10, 2), "1234567890.00");
}

TEST(NumToText, GeneralForm) {
  EXPECT_EQ(NumToText(0), "0");
  EXPECT_EQ(NumToText(1.5L), "1.5");
  EXPECT_EQ(NumToText(-12), "-12");
  EXPECT_EQ(NumToText(0.0001L), "0.0001");
  EXPECT_EQ(NumToText(0.00001L), "1E-5");
  EXPECT_EQ(NumToText(1.0L / 3), "0.333333333333333");
  EXPECT_EQ(NumToText(123456789012345.0L), "123456789012345");
  EXPECT_EQ(NumToText(1234567890123456.0L), "1.23456789012346E15");
  EXPECT_EQ(NumToText(0.1L + 0.2L), "0.3");
  EXPECT_EQ(NumToText(NAN), "NAN");
  EXPECT_EQ(NumToText(-INFINITY), "-INF");
}

// The exact integer route and the decimal-digit route must agree everywhere,
// ties and carries included.
TEST(NumToTextFixed, BothRoutesAgree) {
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> mag(-9, 12);
  std::uniform_int_distribution<int> prec(1, 18), dig(0, 8);
  auto check = [](long double v, int p, int d) {
    ASSERT_EQ(NumToTextFixed(v, p, d), NumToTextFixedByDigits(v, p, d)) << static_cast<double>(v) << " " << p << " " << d;
  };
  for (int i = 0; i < 30000; ++i) {
    long double v = std::pow(10.0L, mag(rng)) * ((rng() & 1) ? 1 : -1);
    check(v, prec(rng), dig(rng));
  }
  // Exact halves, decimal fractions with few digits, and carries.
  for (int i = -2000; i <= 2000; ++i) {
    for (int d = 0; d <= 4; ++d) {
      check(i / 8.0L, 10, d);
      check(i / 1000.0L, 10, d);
      check(i * 1.005L, 3, d);
      check(9.5L + i * 1e-6L, 2, d);
    }
  }
}
