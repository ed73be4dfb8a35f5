// The report's model: summary figures gathered from a hand-made network,
// results document and observation table, compared with the figures the
// results themselves give.
#include <gtest/gtest.h>
#include "tests/support/scratch.h"

#include <cmath>

#include "core/survey_network.h"
#include "core/text_file.h"
#include "evaluation/report_data.h"
#include "evaluation/results_reader.h"

namespace {

// Points 1 (fixed), 2 and 3 (adjusted); 3 is the weaker in position, 2 in
// height. Covariance blocks: point 2 diag(4, 1, 9), point 3 diag(16, 4, 1)
// with a small correlation between the two points.
const char *kResults =
    "<?xml version=\"1.0\"?>\n<results>\n"
    "<point n=\"2\" x=\"100\" y=\"0\" z=\"10\"/>\n"
    "<point n=\"3\" x=\"100\" y=\"100\" z=\"12\"/>\n"
    "<covariance dim=\"6\">4 0 0 1 0 0  1 0 0 0.5 0  9 0 0 0.2  16 0 0  4 0  1</covariance>\n"
    "</results>\n";

const char *kObservations =
    "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected\r\n"
    "direction,1,2,0,3.0,2.0,0.5556,16.6,0\r\n"
    "direction,1,3,50,3.0,2.9,0.0656,48.4,0\r\n"
    "s-distance,1,2,100,2.0,1.0,0.75,9.5,0\r\n"
    "s-distance,2,3,100,2.0,1.0,0.75,9.5,0\r\n"
    "dh,1,2,10,1.0,1.0,0.0,,0\r\n"
    "distance,1,3,141,2.0,,0,,1\r\n";

struct Fixture {
  ScratchDir dir;
  SurveyNetwork net;
  ResultsReader reader;
  TextGrid grid;
  std::vector<ObservationRow> rows;

  Fixture() {
    net.Points.List.Items = {{1, 0, 0, 5, true, 0, 0},
                             {2, 100, 0, 10, false, 0.001, 0.001},
                             {3, 100, 100, 12, false, 0.001, 0.001}};
    net.Points.List.FileName = "/some/folder/net_coords.txt";
    for (auto [type, from, to] : {std::tuple{mtDi, 1, 2}, {mtDi, 1, 3}, {mtSd, 1, 2},
                                  {mtSd, 2, 3}, {mtVd, 1, 2}, {mtHd, 1, 3}})
      net.Measurements.Items.push_back({double(from), double(to), type, 0.001, 0, 0});
    EXPECT_TRUE(kd::WriteFileAtomic(dir / "r.xml", kResults));
    std::vector<std::string> c1, c2;
    EXPECT_EQ(ReadResults(reader, dir / "r.xml", 1, net.Points.List, grid, c1, c2),
              ResultsOutcome::Shown)
        << reader.Error;
    std::string error;
    EXPECT_TRUE(ParseObservationTable(kObservations, rows, error)) << error;
  }
};

} // namespace

TEST(ReportData, SummaryFiguresFollowTheResults) {
  Fixture f;
  ReportOptions o;
  o.Date = "2024-05-01 10:00";
  const ReportData r = GatherReport(f.net, f.reader, f.grid, f.rows, o);
  const ReportSummary &s = r.Summary;

  EXPECT_EQ(r.NetworkName, "net_coords.txt"); // the coordinate file's name
  EXPECT_EQ(r.Date, "2024-05-01 10:00");
  EXPECT_EQ(r.ScSvpMode, 1);
  EXPECT_EQ(s.FixedPoints, 1);
  EXPECT_EQ(s.AdjustedPoints, 2);
  EXPECT_EQ(s.Measurements, 6);
  ASSERT_EQ(s.ByType.size(), 4u); // sd 2, hd 1, di 2, vd 1 in type code order
  EXPECT_EQ(s.ByType[0].Type, mtSd);
  EXPECT_EQ(s.ByType[0].Count, 2);
  EXPECT_EQ(s.ByType[2].Type, mtDi);
  EXPECT_EQ(s.ByType[3].Type, mtVd);

  // The rejected row counts neither as an observation nor for redundancy.
  EXPECT_EQ(s.Observations, 5);
  EXPECT_EQ(s.Redundancy, 2); // 0.5556 + 0.0656 + 0.75 + 0.75 + 0 = 2.12
  ASSERT_GE(s.WeakestObservation, 0);
  EXPECT_EQ(r.Precision.Observations[static_cast<size_t>(s.WeakestObservation)].Type, "dh");
  EXPECT_EQ(s.Uncontrolled, 2); // r = 0.0656 and r = 0

  // Weakest points agree with the results table's columns: the largest
  // semi-axis a/b (columns 7, 8) and the largest s(z) (column 6).
  ASSERT_GE(s.WeakestHorizontal, 0);
  ASSERT_GE(s.WeakestVertical, 0);
  double bestAxis = 0, bestZ = 0;
  std::string axisPoint, zPoint;
  for (int row = 1; row < f.grid.RowCount(); ++row) {
    const double axis = std::max(std::stod(f.grid.Cell(row, 7)), std::stod(f.grid.Cell(row, 8)));
    if (axis > bestAxis)
      bestAxis = axis, axisPoint = f.grid.Cell(row, 0);
    if (std::stod(f.grid.Cell(row, 6)) > bestZ)
      bestZ = std::stod(f.grid.Cell(row, 6)), zPoint = f.grid.Cell(row, 0);
  }
  const PointPrecision &h = r.Precision.Points[static_cast<size_t>(s.WeakestHorizontal)];
  const PointPrecision &v = r.Precision.Points[static_cast<size_t>(s.WeakestVertical)];
  EXPECT_EQ(axisPoint, "3");
  EXPECT_EQ(h.Number, 3);
  EXPECT_NEAR(static_cast<double>(h.Ellipse.SemiMajor), bestAxis, 0.0005);
  EXPECT_EQ(zPoint, "2");
  EXPECT_EQ(v.Number, 2);
  EXPECT_NEAR(static_cast<double>(v.SigmaZ), bestZ, 0.0005);
  EXPECT_TRUE(s.Exceeded.empty()); // no tolerances set

  // The results table is the one of the results window, unchanged.
  EXPECT_EQ(r.ResultsTable.Rows, f.grid.Rows);
}

TEST(ReportData, TolerancesAtTheConfidenceLevel) {
  Fixture f;
  ReportOptions o;
  o.Tolerance.Horizontal = 5.0; // mm; point 3 has a = 4 (standard), 9.79 at 95 %
  o.Tolerance.Vertical = 5.0;   // point 2 has s(z) = 3, 5.88 at 95 %
  ReportData r = GatherReport(f.net, f.reader, f.grid, f.rows, o);
  EXPECT_TRUE(r.Summary.Exceeded.empty());

  o.Confidence = ConfidenceLevel::Percent95;
  r = GatherReport(f.net, f.reader, f.grid, f.rows, o);
  ASSERT_EQ(r.Summary.Exceeded.size(), 2u);
  EXPECT_EQ(r.Summary.Exceeded[0].Number, 2);
  EXPECT_FALSE(r.Summary.Exceeded[0].HorizontalExceeded);
  EXPECT_TRUE(r.Summary.Exceeded[0].VerticalExceeded);
  EXPECT_NEAR(static_cast<double>(r.Summary.Exceeded[0].Vertical), 3 * 1.96, 1e-3);
  EXPECT_EQ(r.Summary.Exceeded[1].Number, 3);
  EXPECT_TRUE(r.Summary.Exceeded[1].HorizontalExceeded);
  EXPECT_NEAR(static_cast<double>(r.Summary.Exceeded[1].Horizontal), 4 * 2.4477, 1e-3);

  // Only the height limit set: positions are not judged.
  o.Tolerance.Horizontal = 0;
  r = GatherReport(f.net, f.reader, f.grid, f.rows, o);
  ASSERT_EQ(r.Summary.Exceeded.size(), 1u);
  EXPECT_EQ(r.Summary.Exceeded[0].Number, 2);
}

TEST(ReportData, RelativePairsAndTheirDistances) {
  Fixture f;
  ReportOptions o;
  o.Relatives = {{2, 3, 0}, {2, 3, -1}, {1, 3, 1}, {1, 9, -1}, {2, 2, 0}};
  const ReportData r = GatherReport(f.net, f.reader, f.grid, f.rows, o);
  // An unknown point and the same point twice give no line but a warning.
  ASSERT_EQ(r.Relatives.size(), 3u);
  EXPECT_EQ(r.Warnings.size(), 2u);

  // 2 -> 3: Q = Q33 + Q22 - Q23 - Q32 = diag(16 + 4 - 2, 4 + 1 - 1, 1 + 9 - 0.4).
  const RelativeLine &a = r.Relatives[0];
  EXPECT_NEAR(static_cast<double>(a.Precision.Ellipse.SemiMajor), std::sqrt(18.0), 1e-9);
  EXPECT_NEAR(static_cast<double>(a.Precision.SigmaZ), std::sqrt(9.6), 1e-9);
  EXPECT_NEAR(static_cast<double>(a.Distance), std::sqrt(100.0 * 100.0 + 4.0), 1e-9);
  std::string d, sigma;
  ASSERT_TRUE(f.reader.CalculateDistance(0, 1, 0, d, sigma));
  EXPECT_NEAR(static_cast<double>(a.DistanceSigma), std::stod(sigma), 1e-6);
  EXPECT_EQ(r.Relatives[1].Request.Kind, -1);
  EXPECT_EQ(r.Relatives[1].Distance, 0);

  // From a fixed point: the precision of the other point alone, no distance.
  const RelativeLine &c = r.Relatives[2];
  EXPECT_NEAR(static_cast<double>(c.Precision.Ellipse.SemiMajor), 4.0, 1e-9);
  EXPECT_EQ(c.Request.Kind, -1);
}

TEST(ReportData, WithoutObservationTableTheReliabilityIsUnknown) {
  Fixture f;
  const ReportData r = GatherReport(f.net, f.reader, f.grid, {}, ReportOptions{});
  EXPECT_EQ(r.Summary.Observations, 0);
  EXPECT_EQ(r.Summary.Redundancy, -1);
  EXPECT_EQ(r.Summary.WeakestObservation, -1);
  EXPECT_EQ(r.Summary.WeakestHorizontal, 1); // still from the results
}

TEST(ReportData, UnitsOfStandardDeviations) {
  EXPECT_STREQ(InputSigmaUnit(mtDi), "gon");
  EXPECT_STREQ(InputSigmaUnit(mtGd), "gon");
  EXPECT_STREQ(InputSigmaUnit(mtPr), "m");
  EXPECT_STREQ(EngineSigmaUnit("z-angle"), "cc");
  EXPECT_STREQ(EngineSigmaUnit("dx"), "mm");
}
