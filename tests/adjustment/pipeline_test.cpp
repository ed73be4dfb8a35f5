// The whole chain: the desktop's document writer, the engine, and the
// desktop's results reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <sstream>

#include "adjustment/run.h"
#include "core/survey_network.h"
#include "evaluation/input_document.h"
#include "evaluation/network_precision.h"
#include "evaluation/results_reader.h"

namespace {

TEST(Pipeline, DesktopDocumentAdjustsAndItsResultsReadBack) {
  char tmpl[] = "/tmp/kd_pipelineXXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  SurveyNetwork net;
  const double xyz[6][3] = {{1000, 2000, 300}, {1100, 2000, 310}, {1000, 2100, 290},
                            {1100, 2000, 250}, {1080, 2130, 305}, {950, 2060, 296}};
  for (int i = 0; i < 6; ++i) {
    NetworkPoint p;
    p.Number = i + 1;
    p.X = xyz[i][0];
    p.Y = xyz[i][1];
    p.Z = xyz[i][2];
    p.Fixed = i == 0 || i == 5;
    net.Points.List.Append(p);
  }
  // Every planned kind: sd, hd, zu, di, vd, plumbing, gyro direction.
  const int pairs[][2] = {{1, 2}, {1, 3}, {1, 5}, {6, 2}, {6, 3}, {6, 5}, {2, 5}, {3, 5}};
  for (auto [s, t] : pairs) {
    net.Measurements.AddMeasurement(0, 0.002, t, s);
    net.Measurements.AddMeasurement(2, 0.0005, t, s);
    net.Measurements.AddMeasurement(3, 0.0003, t, s);
  }
  net.Measurements.AddMeasurement(1, 0.003, 3, 2);
  net.Measurements.AddMeasurement(4, 0.001, 3, 2);
  net.Measurements.AddMeasurement(7, 0.003, 4, 2);
  net.Measurements.AddMeasurement(8, 0.001, 3, 1);
  net.Measurements.Sort();
  const std::string in = dir + "/net.gfk", prefix = dir + "/net.";
  ASSERT_TRUE(WriteEngineInput(net, in));

  std::ostringstream err;
  ASSERT_EQ(kd::adj::RunEngine({"--encoding", "cp-1250", "--language", "en", in, prefix}, err), 0)
      << err.str();
  ResultsReader r;
  ASSERT_TRUE(r.Bind(prefix + "xml")) << r.Error;
  EXPECT_TRUE(r.ReadCoordinates()) << r.Error;
  EXPECT_TRUE(r.ReadCovariance()) << r.Error;
  EXPECT_TRUE(r.ResultsAre3d()) << r.Error;
  EXPECT_EQ(r.Dim, 12);
  ASSERT_EQ(r.Results.Items.size(), 4u);
  EXPECT_EQ(r.Results.Items[0].Number, 2);
  EXPECT_NEAR(static_cast<double>(r.Results.Items[3].Z), 305, 1e-4);

  // The precision the plans show, from the results and the observation table.
  std::vector<ObservationRow> rows;
  std::string error;
  ASSERT_TRUE(ReadObservationTable(prefix + "obs.csv", rows, error)) << error;
  const NetworkPrecision np = BuildNetworkPrecision(r, rows);
  ASSERT_EQ(np.Points.size(), 4u);
  for (const PointPrecision &p : np.Points) {
    const long double trace = p.Horizontal.XX + p.Horizontal.YY;
    EXPECT_NEAR(static_cast<double>(p.Ellipse.SemiMajor * p.Ellipse.SemiMajor +
                                    p.Ellipse.SemiMinor * p.Ellipse.SemiMinor),
                static_cast<double>(trace), 1e-9 * static_cast<double>(trace));
    EXPECT_GT(p.SigmaZ, 0);
  }
  long double redundancy = 0;
  for (const ObservationReliability &o : np.Observations) {
    EXPECT_FALSE(std::isnan(o.From)) << o.Type;
    redundancy += o.Redundancy;
  }
  // The redundancy numbers add up to the whole number of redundant
  // observations (each is written with six decimals).
  EXPECT_NEAR(static_cast<double>(redundancy), std::round(static_cast<double>(redundancy)),
              5e-7 * static_cast<double>(rows.size()));
  EXPECT_FALSE(np.ObservationsBetween(1, 2).empty());
  EXPECT_TRUE(np.ObservationsBetween(1, 4).empty());
  const long double weakest = np.WeakestRedundancyBetween(6, 5);
  EXPECT_TRUE(weakest >= 0 && weakest <= 1);
  RelativePrecision rel;
  EXPECT_FALSE(np.Relative(2, 2, rel));
  EXPECT_FALSE(np.Relative(1, 6, rel)) << "two fixed points";
  ASSERT_TRUE(np.Relative(1, 2, rel)) << "a fixed point counts as exact";
  EXPECT_EQ(rel.Ellipse.SemiMajor, np.Points[static_cast<std::size_t>(np.IndexOf(2))].Ellipse.SemiMajor);
  ASSERT_TRUE(np.Relative(2, 5, rel));
  RelativePrecision back;
  ASSERT_TRUE(np.Relative(5, 2, back));
  EXPECT_NEAR(static_cast<double>(rel.Ellipse.SemiMajor), static_cast<double>(back.Ellipse.SemiMajor), 1e-12);
  for (const char *f : {"net.gfk", "net.txt", "net.xml", "net.obs.csv"}) std::remove((dir + "/" + f).c_str());
  rmdir(dir.c_str());
}

}  // namespace
