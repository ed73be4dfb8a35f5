// Reading engine results, the results table, distance precision and the
// exports, driven by hand-written results files.
#include <gtest/gtest.h>
#include "tests/support/scratch.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>

#include "core/number_text.h"

#include "core/text_file.h"
#include "evaluation/results_reader.h"

namespace fs = std::filesystem;

namespace {

struct Pt {
  const char *number, *x, *y, *z;
};

// A results document: point children, then the covariance element.
std::string ResultsXml(const std::vector<Pt> &points, const std::string &dim,
                       const std::string &covText, const std::string &extraChildren = "") {
  std::string s = "<?xml version=\"1.0\"?>\n<results>\n" + extraChildren;
  for (const Pt &p : points)
    s += std::string("  <point n=\"") + p.number + "\" x=\"" + p.x + "\" y=\"" + p.y +
         "\" z=\"" + p.z + "\"/>\n";
  s += "  <covariance dim=\"" + dim + "\">" + covText + "</covariance>\n</results>\n";
  return s;
}

// Upper triangle, row by row, of a symmetric matrix given in full.
std::string Triangle(const std::vector<std::vector<double>> &m) {
  std::ostringstream o;
  o.precision(17);
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = i; j < m.size(); ++j)
      o << m[i][j] << ' ';
  return o.str();
}

class ReaderTest : public ::testing::Test {
protected:
  fs::path Dir;
  ScratchDir Scratch;
  void SetUp() override { Dir = Scratch.Path; }

  std::string Write(const std::string &content, const std::string &name = "r.xml") {
    const std::string path = (Dir / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  static std::string Slurp(const std::string &path) {
    std::string bytes;
    kd::ReadFileBytes(path, bytes);
    return bytes;
  }

  // Runs the whole reading with an empty network in mode 0.
  ResultsOutcome Read(ResultsReader &r, const std::string &xml) {
    PointList network;
    r.PointNumberHeading = "P.No."; // text 97 of the built-in set
    return ReadResults(r, Write(xml), ScSvpMode::None, network, Grid, From, To);
  }

  TextGrid Grid;
  std::vector<std::string> From, To;
};

// Two uncorrelated points: first diag(4, 9, 1), second diag(1, 1, 1).
const std::vector<std::vector<double>> kTwoPoints = {
    {4, 0, 0, 0, 0, 0}, {0, 9, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0},
    {0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 1}};

} // namespace

TEST(NumberTokens, RunsOfNumberCharacters) {
  for (char c : std::string("1234567890+-eE,."))
    EXPECT_TRUE(ResultsReader::IsNumberChar(c)) << c;
  for (char c : std::string(" \t\r\nxaf;/_"))
    EXPECT_FALSE(ResultsReader::IsNumberChar(c)) << c;

  const std::string text = "  1,5\t-2e-3\n\n7";
  std::size_t pos = 0;
  EXPECT_EQ(ResultsReader::NextNumberToken(text, pos), "1,5");
  EXPECT_EQ(ResultsReader::NextNumberToken(text, pos), "-2e-3");
  EXPECT_EQ(ResultsReader::NextNumberToken(text, pos), "7"); // ends at the very end
  EXPECT_EQ(pos, text.size());
  EXPECT_EQ(ResultsReader::NextNumberToken(text, pos), "");
  EXPECT_EQ(ResultsReader::NextNumberToken(text, pos), "");
}

TEST_F(ReaderTest, TableFromPointChildrenByPosition) {
  // A two-attribute child before the points is skipped; the last number of
  // the covariance text ends the text.
  std::string tri = Triangle(kTwoPoints);
  tri.pop_back();
  const std::string xml = ResultsXml({{"101", "1000.5", "2000.25", "300"},
                                      {"102.5", "1003.5", "2004.25", "300"}},
                                     "6", tri, "  <info a=\"1\" b=\"2\"/>\n");
  ResultsReader r;
  ASSERT_EQ(Read(r, xml), ResultsOutcome::Shown) << r.Error;
  ASSERT_EQ(Grid.RowCount(), 3);
  ASSERT_EQ(Grid.ColCount, 16);
  EXPECT_EQ(Grid.FixedRows, 1);
  EXPECT_EQ(Grid.Cell(0, 0), "P.No.");
  EXPECT_EQ(Grid.Cell(0, 4), "s(x)/mm");
  EXPECT_EQ(Grid.Cell(0, 15), "z(c)/gon");
  EXPECT_EQ(Grid.Cell(1, 0), "101");
  EXPECT_EQ(Grid.Cell(1, 1), "1000.500000");
  EXPECT_EQ(Grid.Cell(1, 2), "2000.250000");
  EXPECT_EQ(Grid.Cell(1, 4), "2.000");
  EXPECT_EQ(Grid.Cell(1, 5), "3.000");
  EXPECT_EQ(Grid.Cell(1, 6), "1.000");
  // Ellipsoid of diag(4, 9, 1): axes in diagonal order, Z axis vertical.
  EXPECT_EQ(Grid.Cell(1, 7), "2.000");
  EXPECT_EQ(Grid.Cell(1, 8), "3.000");
  EXPECT_EQ(Grid.Cell(1, 9), "1.000");
  EXPECT_EQ(Grid.Cell(1, 13), "100.0000");
  EXPECT_EQ(Grid.Cell(1, 14), "100.0000");
  EXPECT_EQ(Grid.Cell(1, 15), "200.0000");
  EXPECT_EQ(Grid.Cell(2, 0), "102.5");
  EXPECT_EQ(From, (std::vector<std::string>{"101", "102.5"}));
  EXPECT_EQ(To, From);
  EXPECT_EQ(r.Grid, &Grid);
  EXPECT_EQ(r.Dim, 6);
}

TEST_F(ReaderTest, SeparatorsDecimalCommasAndExponentsReadAlike) {
  const std::string plain = Triangle(kTwoPoints);
  // The same values: line ends, tabs, runs of blanks, commas, exponents.
  // Text split by a comment, a CDATA section and a nested element counts as
  // one text.
  const std::string odd = "4,0\n\n0\t\t0   0 0 0\r\n9E0;0 0 0 0 1.0e+0 0,0 <!-- x -->0 0 1 "
                          "0 0 <![CDATA[0,01e2]]> <r>0</r> 1";
  ResultsReader a, b;
  TextGrid ga, gb;
  std::vector<std::string> c1, c2;
  PointList none;
  const std::vector<Pt> pts = {{"1", "0,5", "1", "2"}, {"2", "3", "4e1", "5"}};
  ASSERT_EQ(ReadResults(a, Write(ResultsXml(pts, "6", plain), "a.xml"), ScSvpMode::None, none, ga, c1, c2),
            ResultsOutcome::Shown);
  ASSERT_EQ(ReadResults(b, Write(ResultsXml(pts, " 6 ", odd), "b.xml"), ScSvpMode::None, none, gb, c1, c2),
            ResultsOutcome::Shown)
      << b.Error;
  EXPECT_EQ(ga.Rows, gb.Rows);
  EXPECT_EQ(a.Results.Items[0].X, 0.5L);
  EXPECT_EQ(a.Results.Items[1].Y, 40.0L);
}

TEST_F(ReaderTest, FailuresGiveText23AndNoTable) {
  const std::vector<Pt> two = {{"1", "0", "0", "0"}, {"2", "10", "0", "0"}};
  std::string tri20 = Triangle(kTwoPoints);
  tri20 = tri20.substr(0, tri20.rfind(' ', tri20.size() - 2)); // drop the 21st
  struct Case {
    const char *what;
    std::string xml;
  };
  const std::vector<Case> cases = {
      {"20 numbers for dimension 6", ResultsXml(two, "6", tri20)},
      {"dimension not 3 per point", ResultsXml({two[0]}, "6", Triangle(kTwoPoints))},
      {"dimension not an integer", ResultsXml(two, "6.0", Triangle(kTwoPoints))},
      {"negative dimension", ResultsXml(two, "-6", Triangle(kTwoPoints))},
      {"dimension text", ResultsXml(two, "six", Triangle(kTwoPoints))},
      {"empty dimension", ResultsXml(two, "", Triangle(kTwoPoints))},
      {"enormous dimension", ResultsXml(two, "99999999999999999999", Triangle(kTwoPoints))},
      {"letters in the matrix", ResultsXml(two, "6", "4 0 0 0 0 0 9 x 0 0 0 1 0 0 0 1 0 0 1 0 1")},
      {"two separators", ResultsXml(two, "6", "4 0 0 0 0 0 9 0 0 0 0 1.2.3 0 0 0 1 0 0 1 0 1")},
      {"infinite number", ResultsXml(two, "6", "4 0 0 0 0 0 9 0 0 0 0 1e99999 0 0 0 1 0 0 1 0 1")},
      {"negative variance", ResultsXml(two, "6", "4 0 0 0 0 0 -9 0 0 0 0 1 0 0 0 1 0 0 1 0 1")},
      {"coordinate not a number", ResultsXml({{"1", "0", "abc", "0"}, two[1]}, "6", Triangle(kTwoPoints))},
      {"coordinate NaN", ResultsXml({{"1", "0", "nan", "0"}, two[1]}, "6", Triangle(kTwoPoints))},
      {"point number empty", ResultsXml({{"", "0", "0", "0"}, two[1]}, "6", Triangle(kTwoPoints))},
      {"child without attributes", ResultsXml(two, "6", Triangle(kTwoPoints), "  <note/>\n")},
      {"no points", ResultsXml({}, "0", "")},
      {"no covariance element", "<results/>"},
  };
  for (const Case &c : cases) {
    ResultsReader r;
    Grid = TextGrid();
    Grid.Resize(1, 1);
    Grid.SetCell(0, 0, "old");
    From = {"old"};
    EXPECT_EQ(Read(r, c.xml), ResultsOutcome::Not3d) << c.what;
    EXPECT_FALSE(r.Error.empty()) << c.what;
    EXPECT_EQ(Grid.Cell(0, 0), "old") << c.what;
    EXPECT_EQ(From, std::vector<std::string>{"old"}) << c.what;
    EXPECT_EQ(r.Grid, nullptr) << c.what;
  }
}

TEST_F(ReaderTest, HugeDimensionIsRefusedWithoutAllocating) {
  // 60000 x 60000 extended values would need some 57 GB; the text cannot
  // hold the triangle, so the reading stops before any allocation.
  ResultsReader r;
  ASSERT_TRUE(r.Bind(Write(ResultsXml({}, "60000", "1 2 3"))));
  EXPECT_TRUE(r.ReadCoordinates());
  EXPECT_FALSE(r.CoordsOk);
  EXPECT_FALSE(r.ReadCovariance());
  EXPECT_FALSE(r.CovOk);
  EXPECT_EQ(r.Cov.Rows(), 0);
  EXPECT_NE(r.Error.find("too short"), std::string::npos) << r.Error;

  ASSERT_TRUE(r.Bind(Write(ResultsXml({}, "65536", "1"), "b.xml")));
  EXPECT_FALSE(r.ReadCovariance());
  EXPECT_NE(r.Error.find("too large"), std::string::npos) << r.Error;
}

TEST_F(ReaderTest, UnreadableOrBrokenFileNamesTheCause) {
  ResultsReader r;
  EXPECT_FALSE(r.Bind((Dir / "missing.xml").string()));
  EXPECT_NE(r.Error.find("cannot be read"), std::string::npos);
  EXPECT_FALSE(r.ReadCoordinates());
  EXPECT_FALSE(r.ReadCovariance());

  // Truncated in the middle of the covariance element.
  std::string xml = ResultsXml({{"1", "0", "0", "0"}}, "3", "1 0 0 1 0 1");
  xml.resize(xml.find("0 1 0 1"));
  PointList none;
  EXPECT_EQ(ReadResults(r, Write(xml), ScSvpMode::None, none, Grid, From, To), ResultsOutcome::LoadFailed);
  EXPECT_NE(r.Error.find("line 4"), std::string::npos) << r.Error;
  EXPECT_EQ(Grid.RowCount(), 0);

  EXPECT_EQ(ReadResults(r, Write("", "empty.xml"), ScSvpMode::None, none, Grid, From, To),
            ResultsOutcome::LoadFailed);
  EXPECT_EQ(ReadResults(r, Write("not xml at all", "t.xml"), ScSvpMode::None, none, Grid, From, To),
            ResultsOutcome::LoadFailed);
}

TEST_F(ReaderTest, WholeNetworkCentringAddsToTheDiagonalOnly) {
  const std::vector<std::vector<double>> cov = {
      {16, 2, 1, 0.5, 0, 0}, {2, 16, 0, 0, 0, 0}, {1, 0, 4, 0, 0, 0},
      {0.5, 0, 0, 10, 0, 0}, {0, 0, 0, 0, 10, 0}, {0, 0, 0, 0, 0, 10}};
  const std::string xml =
      ResultsXml({{"1", "0", "0", "0"}, {"7", "5", "5", "5"}}, "6", Triangle(cov));
  PointList network;
  network.Append({7, 5, 5, 5, true, 0.002, 0.001});
  network.Append({1, 0, 0, 0, false, 0.003, 0.0});
  network.Append({1, 0, 0, 0, false, 0.5, 0.5}); // duplicate: the first counts

  ResultsReader r;
  ASSERT_EQ(ReadResults(r, Write(xml), ScSvpMode::WholeNetwork, network, Grid, From, To), ResultsOutcome::Shown);
  EXPECT_EQ(Grid.Cell(1, 4), "5.000");
  EXPECT_EQ(Grid.Cell(1, 5), "5.000");
  EXPECT_EQ(Grid.Cell(1, 6), "2.000");
  EXPECT_NEAR(static_cast<double>(r.Cov.Row(3)[3]), 14.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(r.Cov.Row(4)[4]), 14.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(r.Cov.Row(5)[5]), 11.0, 1e-12);
  EXPECT_EQ(r.Cov.Row(0)[1], 2.0L);
  EXPECT_EQ(r.Cov.Row(0)[3], 0.5L);
  EXPECT_EQ(r.Results.Items[1].Sc, 0.002);
  EXPECT_EQ(r.Results.Items[1].Svp, 0.001);

  // Other modes change nothing; a point unknown to the network keeps its
  // variances and is counted.
  ResultsReader m0;
  ASSERT_EQ(ReadResults(m0, Write(xml, "b.xml"), ScSvpMode::PerMeasurement, network, Grid, From, To),
            ResultsOutcome::Shown);
  EXPECT_EQ(Grid.Cell(1, 4), "4.000");
  PointList partial;
  partial.Append({7, 5, 5, 5, true, 0.002, 0.001});
  ResultsReader m2;
  ASSERT_TRUE(m2.Bind(Write(xml, "c.xml")));
  m2.ReadCoordinates();
  m2.ReadCovariance();
  EXPECT_EQ(m2.AddNetworkCentring(partial), 1);
  EXPECT_EQ(m2.Cov.Row(0)[0], 16.0L);

  // The table's blocks get the centring too, in extended precision.
  ASSERT_EQ(r.PointBlocks.size(), 12u);
  EXPECT_EQ(r.PointBlocks[static_cast<std::size_t>(ResultsReader::PointBlockIndex(3, 3))], 14.0L);
  EXPECT_EQ(r.PointBlocks[static_cast<std::size_t>(ResultsReader::PointBlockIndex(5, 5))], 11.0L);
  EXPECT_EQ(r.PointBlocks[static_cast<std::size_t>(ResultsReader::PointBlockIndex(1, 0))], 2.0L);
}

TEST_F(ReaderTest, PointBlocksHoldTheTextsNumbersInExtendedPrecision) {
  // Numbers a double cannot hold exactly: the matrix has the nearest
  // double, the points' blocks the number as read, for the table.
  std::vector<std::vector<double>> zero(6, std::vector<double>(6, 0));
  std::string text;
  const char *numbers[] = {"1.23456789012", "0.1", "0.3", "7", "8", "9",
                           "2.71828182846", "0.7", "0", "0", "0",
                           "3.14159265359", "0", "0", "0",
                           "4.1", "0.2", "0.3",
                           "5.9", "0.4",
                           "6.000000000001"};
  for (const char *n : numbers)
    text += std::string(n) + " ";
  ResultsReader r;
  ASSERT_EQ(ReadResults(r, Write(ResultsXml({{"1", "0", "0", "0"}, {"2", "1", "1", "1"}}, "6", text)),
                        ScSvpMode::None, PointList(), Grid, From, To),
            ResultsOutcome::Shown)
      << r.Error;
  auto block = [&r](std::size_t i, std::size_t j) {
    return r.PointBlocks[static_cast<std::size_t>(ResultsReader::PointBlockIndex(i, j))];
  };
  EXPECT_EQ(block(0, 0), TextToNum("1.23456789012"));
  EXPECT_EQ(block(1, 0), TextToNum("0.1"));
  EXPECT_EQ(block(2, 2), TextToNum("3.14159265359"));
  EXPECT_EQ(block(5, 5), TextToNum("6.000000000001"));
  EXPECT_EQ(ResultsReader::PointBlockIndex(2, 3), -1);
  EXPECT_EQ(r.Cov.At(1, 1), 1.23456789012);
  EXPECT_EQ(r.Cov.At(2, 1), 0.1);
  // The table's deviation comes from the block.
  EXPECT_EQ(Grid.Cell(1, 4), NumToTextFixed(std::sqrt(TextToNum("1.23456789012")), 8, 3));
}

TEST_F(ReaderTest, NonCovarianceBlockGivesAClearMessage) {
  // Correlation above 1 between X and Y of the only point.
  const std::vector<std::vector<double>> bad = {{1, 2, 0}, {2, 1, 0}, {0, 0, 1}};
  ResultsReader r;
  Grid.Resize(1, 1);
  EXPECT_EQ(Read(r, ResultsXml({{"5", "0", "0", "0"}}, "3", Triangle(bad))),
            ResultsOutcome::TableFailed);
  EXPECT_NE(r.Error.find("point 5"), std::string::npos) << r.Error;
  EXPECT_EQ(Grid.RowCount(), 1);
}

TEST_F(ReaderTest, DistancePrecisionByPropagation) {
  // F = (0, 0, 0), T = (3, 4, 12): slope 13, horizontal 5, vertical 12.
  const std::vector<std::vector<double>> cov = {
      {4, 1, 0, 1.5, 0, 0}, {1, 9, 0, 0, 0, 0},   {0, 0, 1, 0, 0, 0.5},
      {1.5, 0, 0, 2, 0, 0}, {0, 0, 0, 0, 3, 0.2}, {0, 0, 0.5, 0, 0.2, 2}};
  const std::string xml =
      ResultsXml({{"1", "0", "0", "0"}, {"2", "3", "4", "12"}}, "6", Triangle(cov));
  ResultsReader r;
  ASSERT_EQ(Read(r, xml), ResultsOutcome::Shown);
  EXPECT_EQ(r.ResultSlopeDist(0, 1), 13.0L);
  EXPECT_EQ(r.ResultHorizDist(0, 1), 5.0L);
  EXPECT_EQ(r.ResultVertDist(0, 1), 12.0L);

  // Vertical: var ZF + var ZT - 2 cov(ZF, ZT).
  EXPECT_NEAR(static_cast<double>(r.RelPrecision(0, 1, 12, 2)), std::sqrt(1 + 2 - 1.0), 1e-15);
  // Slope against an independent evaluation of J^T D J.
  const double j[6] = {-3 / 13.0, -4 / 13.0, -12 / 13.0, 3 / 13.0, 4 / 13.0, 12 / 13.0};
  double var = 0;
  for (int a = 0; a < 6; ++a)
    for (int b = 0; b < 6; ++b)
      var += j[a] * cov[a][b] * j[b];
  EXPECT_NEAR(static_cast<double>(r.RelPrecision(0, 1, 13, 0)), std::sqrt(var), 1e-14);
  // PairCov holds the joint block of the last pair.
  EXPECT_EQ(r.PairCov.At(1, 4), 1.5L);
  EXPECT_EQ(r.PairCov.At(3, 6), 0.5L);

  // Swapping the points changes nothing.
  EXPECT_NEAR(static_cast<double>(r.RelPrecision(1, 0, 13, 0)), std::sqrt(var), 1e-14);
  std::string d1, s1, d2, s2;
  ASSERT_TRUE(r.CalculateDistance(0, 1, 1, d1, s1));
  ASSERT_TRUE(r.CalculateDistance(1, 0, 1, d2, s2));
  EXPECT_EQ(d1, "5.000000 m");
  EXPECT_EQ(d1, d2);
  EXPECT_EQ(s1, s2);

  // The same point twice, or no kind chosen: zero distance, zero sigma.
  ASSERT_TRUE(r.CalculateDistance(1, 1, 0, d1, s1));
  EXPECT_EQ(d1, "0.000000 m");
  EXPECT_EQ(s1, "0.000000 mm");
  ASSERT_TRUE(r.CalculateDistance(0, 1, -1, d1, s1));
  EXPECT_EQ(s1, "0.000000 mm");
  // No chosen point: refused, texts untouched.
  d1 = "keep";
  EXPECT_FALSE(r.CalculateDistance(-1, 1, 0, d1, s1));
  EXPECT_FALSE(r.CalculateDistance(0, 2, 0, d1, s1));
  EXPECT_EQ(d1, "keep");
  EXPECT_TRUE(std::isnan(r.RelPrecision(0, 5, 13, 0)));

  // The exported matrix holds every element, both triangles, in the
  // general number form.
  const std::string covFile = (Dir / "cov.txt").string();
  ASSERT_TRUE(r.SaveCov(covFile));
  const auto lines = kd::SplitLines(Slurp(covFile));
  ASSERT_EQ(lines.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    std::string expect;
    for (std::size_t k = 0; k < 6; ++k)
      expect += NumToText(cov[i][k]) + " ";
    EXPECT_EQ(lines[i], expect);
  }
}

TEST_F(ReaderTest, HorizontalPrecisionAlongX) {
  // Points differing only in X: var XF + var XT - 2 cov(XF, XT).
  const std::vector<std::vector<double>> cov = {
      {4, 0, 0, 1, 0, 0}, {0, 9, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0},
      {1, 0, 0, 3, 0, 0}, {0, 0, 0, 0, 5, 0}, {0, 0, 0, 0, 0, 1}};
  ResultsReader r;
  ASSERT_EQ(Read(r, ResultsXml({{"1", "10", "0", "0"}, {"2", "0", "0", "0"}}, "6",
                               Triangle(cov))),
            ResultsOutcome::Shown);
  EXPECT_NEAR(static_cast<double>(r.RelPrecision(0, 1, r.ResultHorizDist(0, 1), 1)),
              std::sqrt(4 + 3 - 2.0), 1e-15);
  // Perfectly correlated points: the variance vanishes up to rounding and
  // must give 0, not NaN.
  const std::vector<std::vector<double>> same = {
      {2, 0, 0, 2, 0, 0}, {0, 2, 0, 0, 2, 0}, {0, 0, 2, 0, 0, 2},
      {2, 0, 0, 2, 0, 0}, {0, 2, 0, 0, 2, 0}, {0, 0, 2, 0, 0, 2}};
  ResultsReader s;
  ASSERT_EQ(Read(s, ResultsXml({{"1", "0.1", "0.2", "0.3"}, {"2", "0", "0", "0"}}, "6",
                               Triangle(same))),
            ResultsOutcome::Shown);
  const long double sigma = s.RelPrecision(0, 1, s.ResultSlopeDist(0, 1), 0);
  EXPECT_FALSE(std::isnan(sigma));
  EXPECT_NEAR(static_cast<double>(sigma), 0.0, 1e-9);
}

TEST_F(ReaderTest, SavedTableAndCovarianceLayout) {
  const std::string xml = ResultsXml({{"1", "0", "0", "0"}, {"2", "3", "4", "12"}}, "6",
                                     Triangle(kTwoPoints));
  ResultsReader r;
  ASSERT_EQ(Read(r, xml), ResultsOutcome::Shown);

  const std::string table = (Dir / "table.txt").string();
  ASSERT_TRUE(r.SaveTable(table));
  const std::string t = Slurp(table);
  const auto lines = kd::SplitLines(t);
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string &line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 16);
    EXPECT_EQ(line.back(), '\t');
  }
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 3);
  EXPECT_EQ(t.substr(t.size() - 3), "\t\r\n");
  EXPECT_EQ(lines[0].substr(0, 10), "P.No.\tX/m\t");

  const std::string covFile = (Dir / "cov.txt").string();
  ASSERT_TRUE(r.SaveCov(covFile));
  const std::string c = Slurp(covFile);
  const auto rows = kd::SplitLines(c);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], "4 0 0 0 0 0 ");
  EXPECT_EQ(rows[1], "0 9 0 0 0 0 ");
  EXPECT_EQ(c.substr(c.size() - 3), " \r\n");

  // A failed write leaves the existing file exactly as it was.
  const std::string blocked = (Dir / "no_such_folder" / "cov.txt").string();
  EXPECT_FALSE(r.SaveCov(blocked));
  EXPECT_FALSE(fs::exists(blocked));
  EXPECT_FALSE(r.SaveTable(blocked));

  // Without a covariance matrix the export does nothing.
  ResultsReader empty;
  EXPECT_FALSE(empty.SaveCov(covFile));
  EXPECT_FALSE(empty.SaveTable(table));
  EXPECT_EQ(Slurp(covFile), c);
}

TEST_F(ReaderTest, CovarianceNumbersEqualTextToNumExactly) {
  // Many written forms of numbers; each must read exactly as TextToNum reads
  // it, whatever path the conversion takes.
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> mant(0.0, 10.0);
  std::uniform_int_distribution<int> expo(-40, 40), form(0, 7);
  const int dim = 30;
  std::vector<std::string> tokens;
  std::string text;
  char buf[64];
  for (int i = 0; i < dim; ++i)
    for (int j = i; j < dim; ++j) {
      const double v = mant(gen) * std::pow(10.0, expo(gen) / 4);
      switch (form(gen)) {
      case 0: std::snprintf(buf, sizeof buf, "%.17g", v); break;
      case 1: std::snprintf(buf, sizeof buf, "%.19Le", static_cast<long double>(v) / 3); break;
      case 2: std::snprintf(buf, sizeof buf, "%.25Lf", static_cast<long double>(v) / 7); break;
      case 3: std::snprintf(buf, sizeof buf, "+%.6E", v * 1e-35); break;
      case 4: std::snprintf(buf, sizeof buf, "000%.3f", v); break;
      case 5: std::snprintf(buf, sizeof buf, "%.0f.", v); break;
      case 6: std::snprintf(buf, sizeof buf, "%.9fe-05", v); break;
      default: std::snprintf(buf, sizeof buf, "%.20g", v * 1e22); break;
      }
      std::string tok = buf;
      if (gen() % 3 == 0)
        std::replace(tok.begin(), tok.end(), '.', ',');
      if (i == j && tok[0] == '-')
        tok.erase(0, 1);
      tokens.push_back(tok);
      text += tok + (gen() % 2 ? "\n" : " \t");
    }
  std::vector<Pt> pts;
  std::vector<std::string> ids;
  for (int k = 0; k < dim / 3; ++k)
    ids.push_back(std::to_string(k + 1));
  for (const auto &id : ids)
    pts.push_back({id.c_str(), "0", "0", "0"});
  ResultsReader r;
  ASSERT_TRUE(r.Bind(Write(ResultsXml(pts, std::to_string(dim), text))));
  ASSERT_TRUE(r.ReadCoordinates());
  ASSERT_TRUE(r.ReadCovariance()) << r.Error;
  std::size_t t = 0;
  for (int i = 0; i < dim; ++i)
    for (int j = i; j < dim; ++j, ++t) {
      // Held in double: the nearest double of the number.
      const double expect = static_cast<double>(TextToNum(tokens[t]));
      EXPECT_EQ(r.Cov.Row(i)[j], expect) << tokens[t];
      EXPECT_EQ(r.Cov.Row(j)[i], expect) << tokens[t];
    }
}

TEST_F(ReaderTest, StreamedAndParsedDocumentsReadAlike) {
  // A document of several buffers (numbers cross the buffer ends), read as
  // the engine writes it (streamed), and the same content in forms only the
  // full parser reads (a comment splitting the covariance text, a CDATA
  // section): points and every number alike. CR LF line ends, character
  // references in the points and comments between the elements, too.
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const int dim = 510;  // 130 305 numbers, about 2.4 MB
  std::string text, first, second;
  char buf[64];
  for (int i = 0; i < dim; ++i)
    for (int j = i; j < dim; ++j) {
      std::snprintf(buf, sizeof buf, "%.12g", i == j ? 5 + u(gen) : u(gen) * 1e-3);
      (i < dim / 2 ? first : second) += std::string(buf) + (j + 1 == dim ? "\r\n" : " ");
    }
  text = first + second;
  std::vector<std::string> ids;
  std::vector<Pt> pts;
  for (int k = 0; k < dim / 3; ++k)
    ids.push_back(std::to_string(k + 1) + ".5");
  for (const auto &id : ids)
    pts.push_back({id.c_str(), "1000.1234567", "-2000.5", "3e2"});
  std::string plain = ResultsXml(pts, std::to_string(dim), text,
                                 "  <!-- engine 1.0 -->\r\n  <summary points=\"&#49;7\" a=\"&lt;&amp;&gt;\" "
                                 "b=\"&quot;\" c=\"&apos;\" d=\"&#x41;\"/>\r\n");
  const std::string split = ResultsXml(pts, std::to_string(dim), first + "<!-- half -->" + second);
  const std::string cdata =
      ResultsXml(pts, std::to_string(dim), first + "<![CDATA[" + second + "]]>");

  ResultsReader streamed;
  ASSERT_TRUE(streamed.Bind(Write(plain, "plain.xml"))) << streamed.Error;
  ASSERT_TRUE(streamed.ReadCoordinates()) << streamed.Error;
  ASSERT_TRUE(streamed.ReadCovariance()) << streamed.Error;
  EXPECT_TRUE(streamed.CovText.empty()); // never held in memory
  ASSERT_EQ(streamed.Results.Count(), dim / 3);
  EXPECT_EQ(streamed.Results.Items[5].Number, 6.5);
  EXPECT_EQ(streamed.Results.Items[5].X, TextToNum("1000.1234567"));
  EXPECT_EQ(streamed.Results.Items[5].Z, 300.0L);
  for (const std::string &other : {split, cdata}) {
    ResultsReader parsed;
    ASSERT_TRUE(parsed.Bind(Write(other, "other.xml"))) << parsed.Error;
    ASSERT_TRUE(parsed.ReadCoordinates());
    ASSERT_TRUE(parsed.ReadCovariance()) << parsed.Error;
    ASSERT_EQ(parsed.Cov.Rows(), streamed.Cov.Rows());
    int differing = 0;
    for (int i = 0; i < dim; ++i)
      for (int j = 0; j < dim; ++j)
        differing += parsed.Cov.Row(i)[j] != streamed.Cov.Row(i)[j];
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(parsed.Results.Items.back().X, streamed.Results.Items.back().X);
  }
  // A streamed text that runs out of numbers, or holds a bad one far into
  // the file, is named as the parsed one is.
  const std::string shortText = ResultsXml(pts, std::to_string(dim), first);
  ResultsReader shortReader;
  ASSERT_TRUE(shortReader.Bind(Write(shortText, "short.xml")));
  ASSERT_TRUE(shortReader.ReadCoordinates());
  EXPECT_FALSE(shortReader.ReadCovariance());
  EXPECT_NE(shortReader.Error.find("ends after 97665 of the 130305 numbers"), std::string::npos)
      << shortReader.Error;
  std::string bad = plain;
  const std::size_t lastEnd = bad.rfind("\r\n</covariance>");
  const std::size_t lastBegin = bad.rfind('\n', lastEnd - 1) + 1;
  bad.replace(lastBegin, lastEnd - lastBegin, "1-2");
  ResultsReader badReader;
  ASSERT_TRUE(badReader.Bind(Write(bad, "bad.xml")));
  ASSERT_TRUE(badReader.ReadCoordinates());
  EXPECT_FALSE(badReader.ReadCovariance());
  EXPECT_NE(badReader.Error.find("is not a valid number"), std::string::npos) << badReader.Error;
  EXPECT_EQ(badReader.Cov.Rows(), 0);
}

TEST_F(ReaderTest, FileReplacedAfterBindingIsNotMixedIn) {
  // The engine replaces its results atomically: a reader bound to the old
  // file reads the old numbers to the end.
  const std::string path = Write(ResultsXml({{"1", "0", "0", "0"}, {"2", "1", "1", "1"}}, "6",
                                            Triangle(kTwoPoints)));
  ResultsReader r;
  ASSERT_TRUE(r.Bind(path));
  std::vector<std::vector<double>> other = kTwoPoints;
  other[0][0] = 7;
  const std::string replacement = (Dir / "new.xml").string();
  std::ofstream(replacement, std::ios::binary)
      << ResultsXml({{"1", "0", "0", "0"}, {"2", "1", "1", "1"}}, "6", Triangle(other));
  fs::rename(replacement, path);
  ASSERT_TRUE(r.ReadCoordinates());
  ASSERT_TRUE(r.ReadCovariance()) << r.Error;
  EXPECT_EQ(r.Cov.Row(0)[0], 4.0L);
}

TEST_F(ReaderTest, MutatedFilesFailCleanlyOrRead) {
  // Truncations, byte changes and insertions of a valid file: every outcome
  // is either a full table or a failure with a reason and nothing filled.
  const std::vector<std::vector<double>> cov = {
      {4, 1, 0, 0, 0, 0, 0, 0, 0}, {1, 9, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 2, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 2, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 3, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 3, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 3}};
  const std::string good = ResultsXml(
      {{"1", "10.5", "20", "3"}, {"2", "11", "21", "4"}, {"3", "12", "22", "5"}}, "9",
      Triangle(cov));
  std::mt19937 gen(2024);
  const std::string alphabet = "<>/=\"' 0123456789.,-+eEx\n\t&;!?[]";
  PointList network;
  network.Append({2, 0, 0, 0, false, 0.001, 0.001});
  for (int round = 0; round < 250; ++round) {
    std::string xml = good;
    const int edits = 1 + static_cast<int>(gen() % 3);
    for (int e = 0; e < edits && !xml.empty(); ++e) {
      const std::size_t at = gen() % xml.size();
      switch (gen() % 4) {
      case 0: xml.resize(at); break;
      case 1: xml[at] = alphabet[gen() % alphabet.size()]; break;
      case 2: xml.insert(at, 1, alphabet[gen() % alphabet.size()]); break;
      default: xml.erase(at, 1 + gen() % 8); break;
      }
    }
    ResultsReader r;
    TextGrid grid;
    std::vector<std::string> c1, c2;
    const ResultsOutcome out =
        ReadResults(r, Write(xml, "m.xml"), ScSvpMode::WholeNetwork, network, grid, c1, c2);
    if (out == ResultsOutcome::Shown) {
      EXPECT_EQ(grid.RowCount(), r.Results.Count() + 1);
      EXPECT_EQ(static_cast<int>(c1.size()), r.Results.Count());
      for (std::size_t row = 1; row < grid.Rows.size(); ++row)
        for (const auto &cell : grid.Rows[row])
          EXPECT_EQ(cell.find_first_of("NnIi"), std::string::npos) << cell << "\n" << xml;
    } else {
      EXPECT_FALSE(r.Error.empty()) << xml;
      EXPECT_EQ(grid.RowCount(), 0);
      EXPECT_TRUE(c1.empty());
    }
  }
}

TEST_F(ReaderTest, ExportedNumbersAreTheGeneralForm) {
  // Values of every magnitude, including ones next to rounding and notation
  // boundaries, are written exactly as NumToText writes them.
  std::mt19937_64 gen(99);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> expo(-8, 16);
  const long double edges[] = {0, 1e-3L, 9.99999999999999e-4L, 0.00099999999999999999L,
                               9.999999999999995L, 99999999999999.95L, 1e13L, 123456789012.3456L,
                               0.5L, -2.5e-7L, 1e15L, 0.1L};
  const std::size_t n = 60;
  ResultsReader r;
  r.Cov = CovarianceMatrix(n, n);
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i; j < n; ++j, ++k) {
      long double v = k < std::size(edges)
                          ? edges[k]
                          : static_cast<long double>(mant(gen)) * std::pow(10.0L, expo(gen)) / 3;
      if (gen() % 4 == 0)
        v = -v;
      r.Cov.Set(i + 1, j + 1, static_cast<double>(v));
      r.Cov.Set(j + 1, i + 1, static_cast<double>(v));
    }
  r.CoordsOk = r.CovOk = true;
  const std::string file = (Dir / "cov.txt").string();
  ASSERT_TRUE(r.SaveCov(file));
  const auto lines = kd::SplitLines(Slurp(file));
  ASSERT_EQ(lines.size(), n);
  for (std::size_t i = 0; i < n; ++i) {
    std::string expect;
    for (std::size_t j = 0; j < n; ++j)
      expect += NumToText(r.Cov.Row(i)[j]) + " ";
    EXPECT_EQ(lines[i], expect) << "row " << i;
  }
}
