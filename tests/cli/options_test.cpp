// Command-line parsing and the aligned table of the batch command.
#include "cli/batch_run.h"
#include "cli/batch_options.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ParseOutcome Parse(std::vector<std::string> args, BatchOptions &o, std::string &err) {
  return ParseBatchOptions(args, o, err);
}

} // namespace

TEST(BatchOptions, AllOptionsAreRead) {
  BatchOptions o;
  std::string err;
  ASSERT_EQ(Parse({"--simple", "--mode", "2", "--workdir", "w", "--table=t.txt", "--cov", "c.txt",
                   "--distance", "1", "2.5", "horizontal", "--distance", "3", "4,5", "vertical",
                   "k.txt", "m.txt"},
                  o, err),
            ParseOutcome::Run)
      << err;
  EXPECT_TRUE(o.Simple);
  EXPECT_EQ(o.Mode, 2);
  EXPECT_EQ(o.WorkDir, "w");
  EXPECT_EQ(o.TableFile, "t.txt");
  EXPECT_EQ(o.CovFile, "c.txt");
  ASSERT_EQ(o.Distances.size(), 2u);
  EXPECT_EQ(o.Distances[0].From, 1.0);
  EXPECT_EQ(o.Distances[0].To, 2.5);
  EXPECT_EQ(o.Distances[0].Kind, DistanceKind::Horizontal);
  EXPECT_EQ(o.Distances[1].To, 4.5); // a decimal comma is taken in point numbers
  EXPECT_EQ(o.Distances[1].Kind, DistanceKind::Vertical);
  EXPECT_EQ(o.CoordFile, "k.txt");
  EXPECT_EQ(o.MeasFile, "m.txt");
}

TEST(BatchOptions, ReportTitleBlockAndPlotAxes) {
  BatchOptions o;
  std::string err;
  ASSERT_EQ(Parse({"a", "b"}, o, err), ParseOutcome::Run) << err;
  EXPECT_FALSE(o.PlotAxesXRight); // X up, Y right
  ASSERT_EQ(Parse({"--title", "Tunnel A", "--author=J. Nov\xC3\xA1k", "--plot-axes", "x-right", "a", "b"}, o,
                  err),
            ParseOutcome::Run)
      << err;
  EXPECT_EQ(o.ReportTitle, "Tunnel A");
  EXPECT_EQ(o.ReportAuthor, "J. Nov\xC3\xA1k");
  EXPECT_TRUE(o.PlotAxesXRight);
}

TEST(BatchOptions, DefaultsAndPositionalAfterDoubleDash) {
  BatchOptions o;
  std::string err;
  ASSERT_EQ(Parse({"--", "-coords.txt", "--meas.txt"}, o, err), ParseOutcome::Run) << err;
  EXPECT_FALSE(o.Simple);
  EXPECT_EQ(o.Mode, -1); // taken from the settings later
  EXPECT_TRUE(o.WorkDir.empty());
  EXPECT_EQ(o.CoordFile, "-coords.txt");
  EXPECT_EQ(o.MeasFile, "--meas.txt");
}

TEST(BatchOptions, HelpWinsOverEverythingElse) {
  BatchOptions o;
  std::string err;
  EXPECT_EQ(Parse({"--help"}, o, err), ParseOutcome::Help);
  EXPECT_EQ(Parse({"a", "--bogus", "-h"}, o, err), ParseOutcome::Error); // bad option first
  EXPECT_EQ(Parse({"a", "b", "-h"}, o, err), ParseOutcome::Help);
  EXPECT_NE(BatchUsage("korvadimensio3d-batch").find("--distance FROM TO"), std::string::npos);
}

TEST(BatchOptions, RelativeTakesAnOptionalBearing) {
  BatchOptions o;
  std::string err;
  // A bearing is taken only when the next argument is a number.
  ASSERT_EQ(Parse({"--relative", "1", "2", "100,5", "--relative", "3", "4", "c.txt", "m.txt"}, o,
                  err),
            ParseOutcome::Run)
      << err;
  ASSERT_EQ(o.Relatives.size(), 2u);
  EXPECT_TRUE(o.Relatives[0].HasBearing);
  EXPECT_EQ(o.Relatives[0].BearingGon, 100.5L);
  EXPECT_EQ(o.Relatives[1].From, 3.0);
  EXPECT_FALSE(o.Relatives[1].HasBearing);
  EXPECT_EQ(o.CoordFile, "c.txt");
  // Bearings are reduced to [0, 400) gon, up to ten turns either way.
  struct {
    const char *Text;
    long double Gon;
  } bearings[] = {{"400", 0}, {"-100", 300}, {"4000", 0}, {"-4000", 0}, {"1234.5", 34.5L}, {"-0", 0}};
  for (const auto &b : bearings) {
    ASSERT_EQ(Parse({"--relative", "1", "2", b.Text, "c.txt", "m.txt"}, o, err), ParseOutcome::Run) << err;
    EXPECT_EQ(o.Relatives[0].BearingGon, b.Gon) << b.Text;
    EXPECT_FALSE(std::signbit(o.Relatives[0].BearingGon)) << b.Text;
  }
  // A file name that starts with digits is no bearing.
  ASSERT_EQ(Parse({"--relative", "1", "2", "2024.txt", "m.txt"}, o, err), ParseOutcome::Run) << err;
  EXPECT_FALSE(o.Relatives[0].HasBearing);
  EXPECT_EQ(o.CoordFile, "2024.txt");
  // After "--" a numeric file name stays a file name.
  ASSERT_EQ(Parse({"--relative", "1", "2", "--", "5", "m.txt"}, o, err), ParseOutcome::Run) << err;
  EXPECT_FALSE(o.Relatives[0].HasBearing);
  EXPECT_EQ(o.CoordFile, "5");
}

TEST(BatchOptions, BadCommandLinesSayWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    std::string expected; // part of the message
  } cases[] = {
      {{}, "missing arguments"},
      {{"coords.txt"}, "missing argument: MEASUREMENTS"},
      {{"a", "b", "c"}, "unexpected argument 'c'"},
      {{"--frobnicate", "a", "b"}, "unknown option '--frobnicate'"},
      {{"a", "b", "--mode"}, "--mode needs a value"},
      {{"--mode", "3", "a", "b"}, "0, 1 or 2"},
      {{"--mode=", "a", "b"}, "--mode needs a value"},
      {{"--mode", "1", "--mode", "2", "a", "b"}, "given twice"},
      {{"a", "b", "--distance", "1", "2"}, "three values"},
      {{"--distance", "1", "2", "diagonal", "a", "b"}, "slope, horizontal or vertical"},
      {{"--distance", "P1", "2", "slope", "a", "b"}, "'P1' is not a point number"},
      {{"--distance", "1", "", "slope", "a", "b"}, "'' is not a point number"},
      {{"--simple=1", "a", "b"}, "unknown option"},
      {{"a", "b", "--relative", "1"}, "two points"},
      {{"--relative", "1", "X", "a", "b"}, "'X' is not a point number"},
      {{"--relative", "7", "7.0", "a", "b"}, "the same point 7"},
      {{"--distance", "404", "404", "slope", "a", "b"}, "--distance: FROM and TO are the same point 404"},
      {{"--relative", "401", "404", "nan", "a", "b"}, "bad bearing 'nan'"},
      {{"--relative", "401", "404", "1e30", "a", "b"}, "bad bearing '1e30'"},
      {{"--relative", "401", "404", "1e400", "a", "b"}, "bad bearing '1e400'"},
      {{"--relative", "401", "404", "-inf", "a", "b"}, "bad bearing '-inf'"},
      {{"--relative", "401", "404", "4000.001", "a", "b"}, "from -4000 to 4000"},
      {{"--timeout", "0.0004", "a", "b"}, "at least 0.001 seconds, not '0.0004'"},
      {{"--plot-axes", "x-down", "a", "b"}, "x-up or x-right"},
      {{"--title", "line\nbreak", "a", "b"}, "one line"},
      {{"a", "b", "--author"}, "--author needs a value"},
  };
  for (const auto &c : cases) {
    BatchOptions o;
    std::string err;
    EXPECT_EQ(Parse(c.args, o, err), ParseOutcome::Error) << c.expected;
    EXPECT_NE(err.find(c.expected), std::string::npos) << "message: " << err;
  }
}

TEST(AlignedTable, ColumnsAreRightAlignedByCharactersNotBytes) {
  TextGrid g;
  g.Resize(3, 3);
  g.SetCell(0, 0, "Č.b."); // 4 characters, 5 bytes
  g.SetCell(0, 1, "X/m");
  g.SetCell(0, 2, "s(x)/mm");
  g.SetCell(1, 0, "12");
  g.SetCell(1, 1, "1000.000000");
  g.SetCell(1, 2, "1.5");
  g.SetCell(2, 0, "3");
  g.SetCell(2, 1, "5.000000");
  g.SetCell(2, 2, "");
  const auto lines = FormatAlignedTable(g);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Č.b.          X/m  s(x)/mm");
  EXPECT_EQ(lines[1], "  12  1000.000000      1.5");
  EXPECT_EQ(lines[2], "   3     5.000000"); // no trailing blanks
}

TEST(AlignedTable, EmptyGridGivesNoLines) {
  TextGrid g;
  EXPECT_TRUE(FormatAlignedTable(g).empty());
}
