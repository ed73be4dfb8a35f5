// Generated networks written to their files and read back, and files of
// random bytes that must neither crash nor hang the readers.
#include "core/survey_network.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST(RoundTrip, GeneratedPointsSurviveSaveAndLoad) {
  ScratchDir dir;
  std::mt19937_64 rng(4242);
  for (int round = 0; round < 20; ++round) {
    PointList l;
    int n = 1 + static_cast<int>(rng() % 300);
    for (int i = 0; i < n; ++i) {
      NetworkPoint p;
      // Values that the file holds exactly: one decimal for the number, five
      // for the rest, at most ten significant digits.
      p.Number = static_cast<double>(static_cast<long double>(static_cast<long long>(rng() % 2000000) - 1000000) / 10.0L);
      p.X = static_cast<long double>(static_cast<long long>(rng() % 10000000000ULL) - 5000000000LL) / 100000.0L;
      p.Y = static_cast<long double>(static_cast<long long>(rng() % 1000000000ULL)) / 100000.0L;
      p.Z = static_cast<long double>(static_cast<long long>(rng() % 100000000ULL) - 5000000) / 100000.0L;
      p.Sc = static_cast<double>(static_cast<long double>(rng() % 1000) / 100000.0L);
      p.Svp = static_cast<double>(static_cast<long double>(rng() % 1000) / 100000.0L);
      p.Fixed = rng() % 3 == 0;
      l.Append(p);
    }
    l.FileName = dir.File("p.txt");
    ASSERT_EQ(l.Save(), n);
    PointList back;
    ASSERT_EQ(back.LoadFull(l.FileName), n);
    for (int i = 0; i < n; ++i) {
      const NetworkPoint &a = l.Items[static_cast<std::size_t>(i)], &b = back.Items[static_cast<std::size_t>(i)];
      ASSERT_EQ(a.Number, b.Number) << i;
      ASSERT_EQ(a.X, b.X) << PointList::FullFormatLine(a);
      ASSERT_EQ(a.Y, b.Y);
      ASSERT_EQ(a.Z, b.Z);
      ASSERT_EQ(a.Sc, b.Sc);
      ASSERT_EQ(a.Svp, b.Svp);
      ASSERT_EQ(a.Fixed, b.Fixed);
    }
    PointList simple;
    ASSERT_EQ(simple.LoadSimple(l.FileName), n);
    EXPECT_EQ(simple.Items.back().X, l.Items.back().X);
  }
}

TEST(RoundTrip, ArbitraryValuesSettleAfterOneSave) {
  ScratchDir dir;
  std::mt19937_64 rng(77);
  std::uniform_real_distribution<double> mag(-6, 7);
  PointList l;
  MeasurementList m;
  for (int i = 0; i < 500; ++i) {
    auto any = [&] { return std::pow(10.0L, mag(rng)) * ((rng() & 1) ? 1 : -1); };
    NetworkPoint p;
    p.Number = static_cast<double>(any());
    p.X = any();
    p.Y = any();
    p.Z = any();
    p.Sc = static_cast<double>(std::fabs(any()));
    p.Svp = static_cast<double>(std::fabs(any()));
    l.Append(p);
    static const std::uint8_t types[] = {mtSd, mtHd, mtZu, mtDi, mtVd, mtPr, mtGd};
    m.AddMeasurement(types[rng() % 7], static_cast<double>(std::fabs(any())), static_cast<double>(any()),
                     static_cast<double>(any()));
  }
  // The first save rounds; reading it back and saving again changes nothing.
  l.FileName = dir.File("p1.txt");
  ASSERT_EQ(l.Save(), 500);
  PointList l2;
  ASSERT_EQ(l2.LoadFull(l.FileName), 500);
  l2.FileName = dir.File("p2.txt");
  ASSERT_EQ(l2.Save(), 500);
  EXPECT_EQ(ReadRaw(l.FileName), ReadRaw(l2.FileName));

  // Measurements whose two numbers become equal at two decimals are dropped
  // by the first read; from then on the file is stable.
  ASSERT_EQ(m.SaveToFile(dir.File("m1.txt")), m.Count());
  MeasurementList m2, m3;
  int n2 = m2.LoadFromFile(dir.File("m1.txt"));
  ASSERT_GT(n2, 400);
  ASSERT_EQ(m2.SaveToFile(dir.File("m2.txt")), n2);
  ASSERT_EQ(m3.LoadFromFile(dir.File("m2.txt")), n2);
  ASSERT_EQ(m3.SaveToFile(dir.File("m3.txt")), n2);
  EXPECT_EQ(ReadRaw(dir.File("m2.txt")), ReadRaw(dir.File("m3.txt")));
}

TEST(RoundTrip, GeneratedMeasurementsSurviveSaveAndLoad) {
  ScratchDir dir;
  std::mt19937_64 rng(31337);
  static const std::uint8_t types[] = {mtSd, mtHd, mtZu, mtDi, mtVd, mtPr, mtGd};
  for (int round = 0; round < 20; ++round) {
    MeasurementList m;
    int n = static_cast<int>(rng() % 500);
    auto number = [&] {
      return static_cast<double>(static_cast<long double>(static_cast<long long>(rng() % 20000000) - 100000) / 100.0L);
    };
    for (int i = 0; i < n; ++i)
      m.AddMeasurement(types[rng() % 7], static_cast<double>(static_cast<long double>(rng() % 100000) / 100000.0L),
                       number(), number());
    std::string f = dir.File("m.txt");
    ASSERT_EQ(m.SaveToFile(f), m.Count());
    MeasurementList back;
    ASSERT_EQ(back.LoadFromFile(f), m.Count());
    for (int i = 0; i < m.Count(); ++i) {
      const Measurement &a = m.Items[static_cast<std::size_t>(i)], &b = back.Items[static_cast<std::size_t>(i)];
      ASSERT_EQ(a.MeasType, b.MeasType);
      ASSERT_EQ(a.Station, b.Station) << MeasurementList::FileLine(a);
      ASSERT_EQ(a.Target, b.Target);
      ASSERT_EQ(a.StdDev, b.StdDev);
    }
  }
}

TEST(BadInput, RandomBytesNeverCrashTheReaders) {
  ScratchDir dir;
  std::mt19937_64 rng(2026);
  const std::string alphabet = "sdhzuivprg0123456789.,+-eE \t\r\nf;x\x9A\xFF";
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    std::size_t len = rng() % 3000;
    bool pure = round % 2 == 0;
    for (std::size_t i = 0; i < len; ++i)
      bytes += pure ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    std::string f = dir.File("r" + std::to_string(round) + ".txt");
    WriteRaw(f, bytes);
    MeasurementList m;
    int n = m.LoadFromFile(f);
    ASSERT_TRUE(n == m.Count() || (n == 0 && m.LoadResult == MeasurementList::lfFormatError));
    for (const Measurement &x : m.Items) {
      ASSERT_TRUE(MeasurementList::IsFileTypeCode(MeasurementList::TypeName(x.MeasType)));
      ASSERT_NE(x.Station, x.Target);
      ASSERT_TRUE(std::isfinite(x.Station) && std::isfinite(x.Target) && std::isfinite(x.StdDev));
    }
    PointList l;
    int full = l.LoadFull(f);
    ASSERT_EQ(full, l.Count());
    int simple = l.LoadSimple(f);
    ASSERT_EQ(simple, l.Count());
    ASSERT_GE(simple, full);
  }
}

TEST(BadInput, HugeMeasurementLines) {
  ScratchDir dir;
  std::string f = dir.File("big.txt");
  // A code, megabytes of blanks and line ends, then the numbers; then a line
  // of megabytes of text after the numbers; then a giant number token.
  std::string bytes = "sd" + std::string(2000000, ' ') + std::string(1000, '\n') + "1 2 0.002 " +
                      std::string(2000000, 'x') + "\nhd 1 2 0.003\n" + "vd 1 2 " + std::string(1000000, '7') + "\n";
  WriteRaw(f, bytes);
  MeasurementList m;
  EXPECT_EQ(m.LoadFromFile(f), 0) << "a number beyond the float range is a format error";
  EXPECT_EQ(m.LoadResult, MeasurementList::lfFormatError);
  EXPECT_EQ(m.LoadErrorLine, 1003);
  ASSERT_EQ(m.Count(), 2);
  EXPECT_EQ(m.Items[0].StdDev, 0.002);
  EXPECT_EQ(m.Items[1].MeasType, mtHd);
}
