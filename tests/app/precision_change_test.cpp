#include "app/precision_change.h"
#include "settings/language_pack.h"

#include <gtest/gtest.h>

namespace {

NetworkPrecision Of(std::initializer_list<std::pair<double, long double>> points) {
  NetworkPrecision p;
  for (const auto &[number, a] : points) {
    PointPrecision pp;
    pp.Number = number;
    pp.Ellipse.SemiMajor = a;
    pp.Ellipse.SemiMinor = a / 2;
    p.Points.push_back(pp);
  }
  return p;
}

} // namespace

TEST(PrecisionChange, LargestEllipseAndTheMostChangedPointsFirst) {
  const NetworkPrecision before = Of({{1, 2.0L}, {5, 4.0L}, {7, 3.0L}, {9, 1.0L}});
  // 5 shrinks by 10 %, 9 grows by 50 %, 7 by 1 %, 1 stays.
  const NetworkPrecision after = Of({{1, 2.0L}, {5, 3.6L}, {7, 3.03L}, {9, 1.5L}});
  const kd::app::PrecisionChange c = kd::app::ComparePrecision(before, after, 2);
  ASSERT_TRUE(c.Comparable);
  EXPECT_EQ(c.LargestBeforePoint, 5);
  EXPECT_DOUBLE_EQ(double(c.LargestBefore), 4.0);
  EXPECT_EQ(c.LargestAfterPoint, 5);
  EXPECT_DOUBLE_EQ(double(c.LargestAfter), 3.6);
  ASSERT_EQ(c.MostChanged.size(), 2u);
  EXPECT_EQ(c.MostChanged[0].Number, 9);
  EXPECT_NEAR(double(c.MostChanged[0].Percent), 50.0, 1e-9);
  EXPECT_EQ(c.MostChanged[1].Number, 5);
  EXPECT_NEAR(double(c.MostChanged[1].Percent), -10.0, 1e-9);
  EXPECT_EQ(kd::app::PrecisionChangeText(LanguagePack(), c),
            "largest ellipse 4.00 mm (5) \u2192 3.60 mm (5); most changed: 9 +50.0 %, 5 \u221210.0 %");
}

TEST(PrecisionChange, ASmallChangeIsStillTold) {
  // Every direction from 3 cc to 1 cc may change an ellipse by only 1.4 %:
  // too little to see on the plan, so it must show in the text.
  const kd::app::PrecisionChange c =
      kd::app::ComparePrecision(Of({{3, 5.000L}}), Of({{3, 4.930L}}));
  ASSERT_EQ(c.MostChanged.size(), 1u);
  EXPECT_EQ(kd::app::PrecisionChangeText(LanguagePack(), c),
            "largest ellipse 5.00 mm (3) \u2192 4.93 mm (3); most changed: 3 \u22121.4 %");
}

TEST(PrecisionChange, PointsInOneSideOnlyAndNoChangeAtAll) {
  // Point 4 became adjusted, 2 became fixed: neither can be compared.
  const kd::app::PrecisionChange c =
      kd::app::ComparePrecision(Of({{1, 2.0L}, {2, 3.0L}}), Of({{1, 2.0L}, {4, 8.0L}}));
  ASSERT_TRUE(c.Comparable);
  EXPECT_EQ(c.LargestAfterPoint, 4);
  EXPECT_TRUE(c.MostChanged.empty());
  EXPECT_EQ(kd::app::PrecisionChangeText(LanguagePack(), c),
            "largest ellipse 3.00 mm (2) \u2192 8.00 mm (4); no point changed");
  // Nothing adjusted on one side: nothing to say.
  EXPECT_FALSE(kd::app::ComparePrecision(NetworkPrecision(), Of({{1, 2.0L}})).Comparable);
  EXPECT_EQ(kd::app::PrecisionChangeText(LanguagePack(),
                                         kd::app::ComparePrecision(Of({{1, 1.0L}}), NetworkPrecision())),
            "");
}
