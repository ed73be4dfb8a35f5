// The requirements file: every form of line, and every refusal with its
// file and line.
#include <gtest/gtest.h>

#include "design/requirements.h"

using namespace kd::design;

TEST(Requirements, ReadsEveryForm) {
  const std::string text =
      "# tunnel breakthrough\n"
      "confidence 95\n"
      "ellipse * 5   # every point\n"
      "ellipse 401,402,403 2.5\n"
      "height 404 3\n"
      "\n"
      "relative 401 404 4\n"
      "across 401 404 81.29 2.5\n"
      "along 401 404 81.29 10\n"
      "distance 401 404 1.5\n"
      "redundancy * 0.3\n";
  RequirementSet set;
  std::string error;
  ASSERT_TRUE(ParseRequirements(text, "t.req", set, error)) << error;
  EXPECT_TRUE(set.confidence95);
  ASSERT_EQ(set.items.size(), 8u);
  EXPECT_TRUE(set.items[0].allPoints);
  EXPECT_EQ(set.items[0].line, 3);
  EXPECT_EQ(set.items[0].text, "ellipse * 5");
  EXPECT_EQ(set.items[1].points, (std::vector<double>{401, 402, 403}));
  EXPECT_EQ(set.items[4].kind, RequirementKind::Across);
  EXPECT_DOUBLE_EQ(set.items[4].bearingGon, 81.29);
  EXPECT_DOUBLE_EQ(set.items[4].limit, 2.5);
  EXPECT_EQ(set.items[7].kind, RequirementKind::Redundancy);
  EXPECT_DOUBLE_EQ(set.items[7].limit, 0.3);
  // The saved form reads back the same.
  RequirementSet again;
  ASSERT_TRUE(ParseRequirements(FormatRequirements(set), "t.req", again, error)) << error;
  EXPECT_EQ(again.items.size(), set.items.size());
  EXPECT_TRUE(again.confidence95);
}

TEST(Requirements, RefusesBadLinesNamingFileAndLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"ellipse 401\n", "t.req:1: 'ellipse' takes POINTS LIMIT_MM"},
      {"\n\nheight 401 -1\n", "t.req:3: the limit -1 must be greater than zero"},
      {"relative 401 401 2\n", "t.req:1: FROM and TO are the same point 401"},
      {"across 401 404 east 2\n", "t.req:1: 'east' is not a bearing in gon"},
      {"ellipse 401,,402 2\n", "t.req:1: the point list '401,,402' has an empty entry"},
      {"ellipse 401, 2\n", "t.req:1: the point list '401,' has an empty entry"},
      {"redundancy 401 0.3\n", "t.req:1: 'redundancy' applies to every measurement: write '*', not '401'"},
      {"redundancy * 1.5\n", "t.req:1: the least redundancy number 1.5 must lie between 0 and 1"},
      {"confidence 99\n", "t.req:1: the confidence must be standard or 95, not '99'"},
      {"confidence 95\nconfidence standard\n", "t.req:2: the confidence is given twice"},
      {"circle 401 2\n", "t.req:1: unknown requirement 'circle' (ellipse, height, relative, across, along, "
                         "distance, redundancy, confidence)"},
      {"distance 401 x 2\n", "t.req:1: 'x' is not a point number"},
      {"height 401 nan\n", "t.req:1: 'nan' is not a number"},
      {"# nothing\n", "t.req: the file holds no requirement"},
  };
  for (const auto &[text, expected] : cases) {
    RequirementSet set;
    std::string error;
    EXPECT_FALSE(ParseRequirements(text, "t.req", set, error)) << text;
    EXPECT_EQ(error, expected) << text;
  }
}
