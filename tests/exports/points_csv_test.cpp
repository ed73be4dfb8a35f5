// The points table for spreadsheets: quoting, the header with units and
// level, fixed points and points without results, and the 95 % figures.
#include <gtest/gtest.h>

#include <cmath>

#include "core/point_list.h"
#include "evaluation/network_precision.h"
#include "evaluation/points_csv.h"

TEST(PointsCsv, FieldsAreQuotedOnlyWhenNeeded) {
  EXPECT_EQ(CsvField("1012.5"), "1012.5");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"x\""), "\"say \"\"x\"\"\"");
  EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
  EXPECT_TRUE(IsCsvFileName("out/points.CSV"));
  EXPECT_FALSE(IsCsvFileName("points.csv.txt"));
  EXPECT_FALSE(IsCsvFileName("dir.csv/x"));
}

TEST(PointsCsv, RowsForFixedAdjustedAndMissingPoints) {
  PointList points;
  points.Items = {{101, 5000, 2000, 285.412, true},
                  {404.5, 5247.036, 2601.161, 224.121, false},
                  {9, 1, 2, 3, false}}; // adjusted, but not in the results
  NetworkPrecision precision;
  PointPrecision p;
  p.Number = 404.5;
  p.X = 5247.0361234567L, p.Y = 2601.161, p.Z = 224.121;
  p.Horizontal = {9, 0, 4}; // a = 3 mm along +X, b = 2 mm
  p.Ellipse = EllipseOf(p.Horizontal);
  p.SigmaZ = 1.5;
  precision.Points.push_back(p);

  EXPECT_EQ(PointsCsvText(points, precision, ConfidenceLevel::Standard),
            "number,X/m,Y/m,Z/m,fixed/adjusted,\u03c3X/mm (standard),\u03c3Y/mm (standard),"
            "\u03c3Z/mm (standard),a/mm (standard),b/mm (standard),bearing of a/gon\r\n"
            "101,5000.000000,2000.000000,285.412000,fixed,,,,,,\r\n"
            "404.5,5247.036123,2601.161000,224.121000,adjusted,3,2,1.5,3,2,0.0000\r\n"
            "9,1.000000,2.000000,3.000000,adjusted,,,,,,\r\n");

  // At 95 %: standard deviations times 1.96, semi-axes times 2.4477.
  const std::string t = PointsCsvText(points, precision, ConfidenceLevel::Percent95);
  EXPECT_NE(t.find("\u03c3Z/mm (95 %),a/mm (95 %)"), std::string::npos) << t;
  EXPECT_NE(t.find(",adjusted,5.87989195362016,3.91992796908011,2.93994597681008,"
                   "7.34324049204245,4.89549366136163,0.0000\r\n"),
            std::string::npos)
      << t;
}

TEST(PointsCsv, UnwritableFileLeavesNothing) {
  PointList points;
  NetworkPrecision precision;
  std::string error;
  EXPECT_FALSE(WritePointsCsv("/proc/no-such-place/p.csv", points, precision,
                              ConfidenceLevel::Standard, error));
  EXPECT_NE(error.find("cannot write the points file /proc/no-such-place/p.csv: "),
            std::string::npos)
      << error;
}
