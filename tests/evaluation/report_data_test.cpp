// The report's model: summary figures, point table and relative rows
// gathered from a hand-made network, results document and observation
// table, recomputed here from the covariance at both confidence levels.
#include <gtest/gtest.h>
#include "tests/support/scratch.h"

#include <cmath>

#include "core/survey_network.h"
#include "core/text_file.h"
#include "evaluation/report_data.h"
#include "evaluation/results_reader.h"

namespace {

// Points 1 (fixed), 2 and 3 (adjusted); 3 is the weaker in position, 2 in
// height. Covariance blocks (mm^2): point 2 [[4, 1, 0.5], [1, 3, -0.3],
// [0.5, -0.3, 9]], point 3 [[16, 0, 0], [0, 4, 0], [0, 0, 1]], with a small
// correlation between the two points.
const char *kResults =
    "<?xml version=\"1.0\"?>\n<results>\n"
    "<point n=\"2\" x=\"100\" y=\"0\" z=\"10\"/>\n"
    "<point n=\"3\" x=\"100\" y=\"100\" z=\"12\"/>\n"
    "<covariance dim=\"6\">4 1 0.5 1 0 0  3 -0.3 0 0.5 0  9 0 0 0.2  16 0 0  4 0  1</covariance>\n"
    "</results>\n";

// The covariance above, whole.
double Q(int r, int c) {
  static const double q[6][6] = {{4, 1, 0.5, 1, 0, 0},   {1, 3, -0.3, 0, 0.5, 0},
                                 {0.5, -0.3, 9, 0, 0, 0.2}, {1, 0, 0, 16, 0, 0},
                                 {0, 0.5, 0, 0, 4, 0},    {0, 0, 0.2, 0, 0, 1}};
  return q[r][c];
}

constexpr double kGon = 3.14159265358979323846 / 200;

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
    EXPECT_EQ(ReadResults(reader, dir / "r.xml", ScSvpMode::PerMeasurement, net.Points.List, grid, c1, c2),
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
  const ReportData r = GatherReport(f.net, f.reader, f.rows, o);
  const ReportSummary &s = r.Summary;

  EXPECT_EQ(r.NetworkName, "net_coords.txt"); // the coordinate file's name
  EXPECT_EQ(r.Date, "2024-05-01 10:00");
  EXPECT_EQ(r.ScSvpMode, ScSvpMode::PerMeasurement);
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
  // The weakest observation is a planned measurement: the height difference.
  ASSERT_GE(s.WeakestMeasurement, 0);
  EXPECT_EQ(r.Planned[static_cast<size_t>(s.WeakestMeasurement)].Type, mtVd);
  EXPECT_EQ(s.Uncontrolled, 2); // r = 0.0656 and r = 0; the rejected row is not judged

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

  // The datum: the fixed point by number.
  EXPECT_EQ(r.Datum.FixedPoints, std::vector<double>{1});
  EXPECT_EQ(r.Datum.FreePoints, 0);
}

// Every figure of the point table and of the relative rows, recomputed from
// the covariance: 1 sigma, and at 95 % with 2.4477 (2D), 1.96 (1D) and
// 2.7955 (3D).
TEST(ReportData, PointTableAndRelativeRowsAtBothLevels) {
  Fixture f;
  for (const bool percent95 : {false, true}) {
    SCOPED_TRACE(percent95 ? "95 %" : "1 sigma");
    const double k2 = percent95 ? 2.447747 : 1, k1 = percent95 ? 1.959964 : 1, k3 = percent95 ? 2.795483 : 1;
    ReportOptions o;
    o.Confidence = percent95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
    o.Relatives = {{2, 3, -1, true, 50}};
    const ReportData r = GatherReport(f.net, f.reader, f.rows, o);
    ASSERT_EQ(r.PointRows.size(), 2u);
    for (int k = 0; k < 2; ++k) {
      SCOPED_TRACE(k);
      const ReportPointRow &p = r.PointRows[static_cast<size_t>(k)];
      const int o3 = 3 * k;
      // Horizontal ellipse: the eigen-equation of the 2 x 2 block.
      const double xx = Q(o3, o3), xy = Q(o3, o3 + 1), yy = Q(o3 + 1, o3 + 1);
      const double l1 = (xx + yy) / 2 + std::sqrt((xx - yy) * (xx - yy) / 4 + xy * xy);
      const double l2 = xx + yy - l1;
      const double a = static_cast<double>(p.Horizontal.SemiMajor);
      EXPECT_NEAR(a, k2 * std::sqrt(l1), 2e-4 * a);
      EXPECT_NEAR(static_cast<double>(p.Horizontal.SemiMinor), k2 * std::sqrt(l2), 2e-4 * a);
      const double t = static_cast<double>(p.Horizontal.Bearing);
      EXPECT_GE(t, 0);
      EXPECT_LT(t, 400);
      EXPECT_NEAR(xx * std::cos(t * kGon) + xy * std::sin(t * kGon), l1 * std::cos(t * kGon), 1e-9);
      EXPECT_NEAR(static_cast<double>(p.SigmaZ), k1 * std::sqrt(Q(o3 + 2, o3 + 2)), 1e-4);
      // Ellipsoid: largest first, each axis an eigenvector of the block
      // pointing upwards, the squares summing to the trace.
      ASSERT_TRUE(p.EllipsoidValid);
      double trace = 0;
      for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const double s = static_cast<double>(p.Axes[static_cast<size_t>(i)]) / k3;
        if (i > 0) {
          EXPECT_LE(p.Axes[static_cast<size_t>(i)], p.Axes[static_cast<size_t>(i - 1)]);
        }
        const double w = static_cast<double>(p.AxisBearings[static_cast<size_t>(i)]);
        const double z = static_cast<double>(p.AxisZeniths[static_cast<size_t>(i)]);
        EXPECT_GE(w, 0);
        EXPECT_LT(w, 400);
        EXPECT_GE(z, 0);
        EXPECT_LE(z, 100 + 1e-9);
        const double u[3] = {std::sin(z * kGon) * std::cos(w * kGon), std::sin(z * kGon) * std::sin(w * kGon),
                             std::cos(z * kGon)};
        for (int row = 0; row < 3; ++row) {
          double qu = 0;
          for (int c = 0; c < 3; ++c)
            qu += Q(o3 + row, o3 + c) * u[c];
          EXPECT_NEAR(qu, s * s * u[row], 1e-4 * s * s);
        }
        trace += s * s;
      }
      EXPECT_NEAR(trace, Q(o3, o3) + Q(o3 + 1, o3 + 1) + Q(o3 + 2, o3 + 2), 1e-4 * trace);
    }
    // The weakest points of the summary carry the table's figures.
    EXPECT_EQ(r.PointRows[static_cast<size_t>(r.Summary.WeakestHorizontal)].Number, 3);
    EXPECT_NEAR(static_cast<double>(r.PointRows[1].Horizontal.SemiMajor), 4 * k2, 1e-3);

    // 2 -> 3: the vector's covariance Q33 + Q22 - Q23 - Q32.
    ASSERT_EQ(r.Relatives.size(), 1u);
    const RelativeLine &l = r.Relatives[0];
    const double xx = Q(3, 3) + Q(0, 0) - 2 * Q(0, 3), yy = Q(4, 4) + Q(1, 1) - 2 * Q(1, 4);
    const double xy = Q(3, 4) + Q(0, 1) - Q(0, 4) - Q(1, 3), zz = Q(5, 5) + Q(2, 2) - 2 * Q(2, 5);
    const double l1 = (xx + yy) / 2 + std::sqrt((xx - yy) * (xx - yy) / 4 + xy * xy);
    EXPECT_NEAR(static_cast<double>(l.Precision.Ellipse.SemiMajor), k2 * std::sqrt(l1), 1e-3);
    EXPECT_NEAR(static_cast<double>(l.Precision.Ellipse.SemiMinor), k2 * std::sqrt(xx + yy - l1), 1e-3);
    EXPECT_NEAR(static_cast<double>(l.Precision.SigmaZ), k1 * std::sqrt(zz), 1e-4);
    // Along and across 50 gon.
    const double c = std::cos(50 * kGon), s = std::sin(50 * kGon);
    EXPECT_NEAR(static_cast<double>(l.Split.Along), k1 * std::sqrt(c * c * xx + 2 * c * s * xy + s * s * yy), 1e-4);
    EXPECT_NEAR(static_cast<double>(l.Split.Across), k1 * std::sqrt(s * s * xx - 2 * c * s * xy + c * c * yy), 1e-4);
    EXPECT_EQ(r.Summary.LargestAcross, 0);
  }
}

TEST(ReportData, TolerancesAtTheConfidenceLevel) {
  Fixture f;
  ReportOptions o;
  o.Tolerance.Horizontal = 6.0; // mm; point 3 has a = 4 (standard), 9.79 at 95 %; point 2 5.26
  o.Tolerance.Vertical = 5.0;   // point 2 has s(z) = 3, 5.88 at 95 %
  ReportData r = GatherReport(f.net, f.reader, f.rows, o);
  EXPECT_TRUE(r.Summary.Exceeded.empty());

  o.Confidence = ConfidenceLevel::Percent95;
  r = GatherReport(f.net, f.reader, f.rows, o);
  ASSERT_EQ(r.Summary.Exceeded.size(), 2u);
  EXPECT_EQ(r.Summary.Exceeded[0].Number, 2);
  EXPECT_FALSE(r.Summary.Exceeded[0].HorizontalExceeded);
  EXPECT_TRUE(r.Summary.Exceeded[0].VerticalExceeded);
  EXPECT_NEAR(static_cast<double>(r.Summary.Exceeded[0].Vertical), 3 * 1.96, 1e-3);
  EXPECT_NEAR(static_cast<double>(r.Summary.Exceeded[0].Horizontal), r.PointRows[0].Horizontal.SemiMajor, 1e-9);
  EXPECT_EQ(r.Summary.Exceeded[1].Number, 3);
  EXPECT_TRUE(r.Summary.Exceeded[1].HorizontalExceeded);
  EXPECT_NEAR(static_cast<double>(r.Summary.Exceeded[1].Horizontal), 4 * 2.4477, 1e-3);

  // Only the height limit set: positions are not judged.
  o.Tolerance.Horizontal = 0;
  r = GatherReport(f.net, f.reader, f.rows, o);
  ASSERT_EQ(r.Summary.Exceeded.size(), 1u);
  EXPECT_EQ(r.Summary.Exceeded[0].Number, 2);
}

TEST(ReportData, RelativePairsAndTheirDistances) {
  Fixture f;
  ReportOptions o;
  o.Relatives = {{2, 3, 0}, {3, 2, -1}, {1, 3, 1}, {1, 9, -1}, {2, 2, 0}, {2, 3, -1, true, 10},
                 {2, 3, 1}};
  const ReportData r = GatherReport(f.net, f.reader, f.rows, o);
  // An unknown point and the same point twice give no line but a warning;
  // the same pair again is given once, with what the requests add (the
  // bearing), unless it asks for another distance.
  ASSERT_EQ(r.Relatives.size(), 3u);
  EXPECT_EQ(r.Warnings.size(), 2u);

  const RelativeLine &a = r.Relatives[0];
  EXPECT_EQ(a.Request.Kind, 0);
  EXPECT_TRUE(a.Request.HasBearing);
  EXPECT_NEAR(static_cast<double>(a.Distance), std::sqrt(100.0 * 100.0 + 4.0), 1e-9);
  std::string d, sigma;
  ASSERT_TRUE(f.reader.CalculateDistance(0, 1, 0, d, sigma));
  EXPECT_NEAR(static_cast<double>(a.DistanceSigma), std::stod(sigma), 1e-6);
  EXPECT_FALSE(a.FromFixed || a.ToFixed);
  EXPECT_EQ(r.Relatives[2].Request.Kind, 1);

  // From a fixed point: the precision of the other point alone, no
  // distance, and the row says the point is fixed.
  const RelativeLine &c = r.Relatives[1];
  EXPECT_NEAR(static_cast<double>(c.Precision.Ellipse.SemiMajor), 4.0, 1e-9);
  EXPECT_EQ(c.Request.Kind, -1);
  EXPECT_TRUE(c.FromFixed);
}

TEST(ReportData, FreeNetworkAndPlannedMeasurements) {
  Fixture f;
  f.net.Points.List.Items[0].Fixed = false;
  // A gyro direction and a plumbing: their engine observations (a reference
  // direction to a helper point, three vector parts) belong to them.
  f.net.Measurements.Items.push_back({2, 3, mtGd, 0.001, 0, 0});
  f.net.Measurements.Items.push_back({2, 3, mtPr, 0.002, 0, 0});
  f.rows.clear();
  std::string error;
  ASSERT_TRUE(ParseObservationTable(
      "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected\r\n"
      "direction,1,2,0,3.0,2.0,0.5556,16.6,0\r\n"
      "direction,1,3,50,3.0,2.9,0.0656,48.4,0\r\n"
      "s-distance,1,2,100,2.0,1.0,0.75,9.5,0\r\n"
      "s-distance,2,3,100,2.0,1.0,0.75,9.5,0\r\n"
      "dh,1,2,10,1.0,1.0,0.3,5,0\r\n"
      "distance,1,3,141,2.0,1.0,0.4,5,0\r\n"
      "direction,2,0906,0,0.01,0.01,0.0,,0\r\n"
      "direction,2,3,50,10.0,5.0,0.7,40,0\r\n"
      "dx,2,3,0,2.0,1.0,0.5,8,0\r\n"
      "dy,2,3,0,2.0,1.0,0.5,8,0\r\n"
      "dz,2,3,0,5.0,5.0,0.01,200,0\r\n",
      f.rows, error))
      << error;
  const ReportData r = GatherReport(f.net, f.reader, f.rows, ReportOptions{});
  EXPECT_TRUE(r.Datum.FixedPoints.empty());
  EXPECT_EQ(r.Datum.FreePoints, 3);

  ASSERT_EQ(r.Planned.size(), 8u);
  EXPECT_EQ(r.Summary.Measurements, 8);
  EXPECT_EQ(r.Summary.Observations, 11);
  const PlannedMeasurement &gyro = r.Planned[6];
  EXPECT_EQ(gyro.Type, mtGd);
  ASSERT_EQ(gyro.Parts.size(), 1u);
  EXPECT_EQ(r.Precision.Observations[static_cast<size_t>(gyro.Parts[0].Observation)].Redundancy, 0.7L);
  // MDB 40 cc over the 100 m from 2 to 3: 40e-4 gon = 6.283 mm sideways.
  EXPECT_NEAR(static_cast<double>(gyro.Parts[0].MdbShift), 40e-4 * kGon * 100 * 1000, 1e-9);
  const PlannedMeasurement &plumb = r.Planned[7];
  ASSERT_EQ(plumb.Parts.size(), 3u);
  EXPECT_EQ(plumb.Parts[2].Part, "dz");
  // No planned measurement holds the helper direction.
  for (const PlannedMeasurement &m : r.Planned)
    for (const ObservationPart &p : m.Parts)
      EXPECT_NE(p.Observation, 6);
  // The weakest observation is the plumbing's height part, not the helper
  // direction (r = 0).
  ASSERT_GE(r.Summary.WeakestMeasurement, 0);
  EXPECT_EQ(r.Summary.WeakestMeasurement, 7);
  EXPECT_EQ(r.Summary.WeakestPart, 2);
  // The plumbing's height sigma is named as an assumption.
  bool plumbAssumed = false;
  for (const ModellingAssumption &a : r.Assumptions)
    plumbAssumed = plumbAssumed || (a.Kind == AssumptionKind::PlumbHeight && std::fabs(static_cast<double>(a.Max) - 5.0) < 1e-9);
  EXPECT_TRUE(plumbAssumed);
}

TEST(ReportData, WithoutObservationTableTheReliabilityIsUnknown) {
  Fixture f;
  const ReportData r = GatherReport(f.net, f.reader, {}, ReportOptions{});
  EXPECT_EQ(r.Summary.Observations, 0);
  EXPECT_EQ(r.Summary.Redundancy, -1);
  EXPECT_EQ(r.Summary.WeakestMeasurement, -1);
  EXPECT_EQ(r.Summary.WeakestHorizontal, 1); // still from the results
}

TEST(ReportData, UnitsOfStandardDeviations) {
  EXPECT_STREQ(InputSigmaUnit(mtDi), "gon");
  EXPECT_STREQ(InputSigmaUnit(mtGd), "gon");
  EXPECT_STREQ(InputSigmaUnit(mtPr), "m");
  EXPECT_STREQ(EngineSigmaUnit("z-angle"), "cc");
  EXPECT_STREQ(EngineSigmaUnit("dx"), "mm");
}
