// Live precision's updates against full evaluations: after a measurement is
// added, deleted or given another standard deviation, the updated precision
// (points, covariance, every observation's reliability) must agree to 1e-9
// with a new build of the edited network and with the engine's adjustment
// of its document, both at the planned coordinates. The engine program
// itself adjusts the document's observed values, which are written to
// 0.1 mm and 1 cc: its coordinates move by up to about 0.1 mm and its
// covariance differs by about 1e-6 relative, far below any printed figure
// of the plans. On the sample network (modes 0, 1 and 2, direction sets with
// orientation unknowns, gyro directions, plumbings) and on a free network.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>
#include <tuple>

#include "adjustment/adjust.h"
#include "adjustment/output.h"
#include "adjustment/reader.h"
#include "adjustment/run.h"
#include "core/text_file.h"
#include "app/updatable_precision.h"
#include "design/generated_network.h"
#include "evaluation/evaluation.h"
#include "evaluation/input_document.h"
#include "evaluation/evaluation_results.h"

using kd::app::FindMeasurementEdit;
using kd::app::MeasurementEditKind;
using kd::app::UpdatablePrecision;

namespace {

SurveyNetwork SampleNetwork(int mode) {
  SurveyNetwork net;
  EXPECT_GT(net.Points.List.LoadFull(std::string(KD_BIN_DIR) + "/shaft_coords.txt"), 2);
  EXPECT_GT(net.Measurements.LoadFromFile(std::string(KD_BIN_DIR) + "/shaft_meas.txt"), 2);
  net.Points.ScSvpMode = static_cast<ScSvpMode>(mode);
  return net;
}

Measurement Meas(std::uint8_t type, double station, double target, double sigma) {
  Measurement m;
  m.MeasType = type;
  m.Station = station;
  m.Target = target;
  m.StdDev = sigma;
  return m;
}

int IndexOf(const SurveyNetwork &net, std::uint8_t type, double station, double target) {
  const auto &items = net.Measurements.Items;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].MeasType == type && items[i].Station == station && items[i].Target == target)
      return static_cast<int>(i);
  ADD_FAILURE() << "no such measurement " << station << " -> " << target;
  return 0;
}

// The network as an evaluation by the engine program sees it; `exact`: the
// engine's adjustment of the document with every observed value as
// computed from the coordinates (no rounding to the document's digits),
// written by the engine's own output code.
NetworkPrecision EnginePrecision(const SurveyNetwork &network, bool exact = false) {
  SurveyNetwork net = network;
  // One folder a test: the tests run in parallel processes.
  const std::string folder = ::testing::TempDir() + "/updatable_precision_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::create_directories(folder);
  const EngineRunFiles files = RunFilesInFolder(folder, "run");
  CheckBeforeEvaluation(net, [](const PlumbingWarning &) {});
  EXPECT_TRUE(WriteEngineInput(net, files.Input)) << net.LastWriteFailure.Reason;
  if (exact) {
    kd::adj::Network eng = kd::adj::ReadNetwork(kd::JoinLinesCrLf(net.Document));
    for (kd::adj::Observation &o : eng.observations) {
      double d[3];
      EXPECT_TRUE(kd::adj::ObservationGeometry(o.kind, eng.points[static_cast<std::size_t>(o.from)].coord,
                                               eng.points[static_cast<std::size_t>(o.to)].coord, o.value, d));
    }
    const kd::adj::AdjustmentResult res = kd::adj::Adjust(eng);
    EXPECT_EQ(res.outcome, kd::adj::Outcome::Adjusted) << res.failure;
    EXPECT_TRUE(kd::WriteFileAtomic(files.Results, kd::adj::ResultsXml(eng, res)));
    EXPECT_TRUE(kd::WriteFileAtomic(files.ObservationTable, kd::adj::ObservationTableCsv(eng, res)));
  } else {
    std::ostringstream err;
    EXPECT_EQ(kd::adj::RunEngine(EngineArguments(files), err), 0) << err.str();
  }
  const std::shared_ptr<EvaluationResults> results =
      ReadEvaluationResults(files, net.Points.ScSvpMode, net.Points.List, "P.No.");
  EXPECT_TRUE(results->Usable()) << results->Error;
  EXPECT_TRUE(results->ObservationError.empty()) << results->ObservationError;
  return results->Usable() ? *results->Precision : NetworkPrecision();
}

NetworkPrecision BuiltPrecision(const SurveyNetwork &net) {
  UpdatablePrecision full;
  std::string error;
  EXPECT_TRUE(full.Build(net, error)) << error;
  return full.Precision();
}

// Observations in a canonical order (the added one is last in an updated
// precision, in its sorted place in a new evaluation).
std::vector<ObservationReliability> Sorted(std::vector<ObservationReliability> obs) {
  auto key = [](const ObservationReliability &o) {
    return std::make_tuple(o.Type, std::isnan(o.From) ? -1.0 : o.From, std::isnan(o.To) ? -1.0 : o.To,
                           static_cast<double>(o.StdevApriori), static_cast<double>(o.Redundancy));
  };
  std::stable_sort(obs.begin(), obs.end(),
                   [&](const auto &a, const auto &b) { return key(a) < key(b); });
  return obs;
}

// `covTolerance` relative to the largest variance; observation figures
// to `obsTolerance` (absolute for redundancy numbers, relative otherwise).
// Coordinates to `coordTolerance` metres.
void ExpectSame(const NetworkPrecision &got, const NetworkPrecision &want, double covTolerance,
                double obsTolerance, const std::string &what, double coordTolerance = 1e-6) {
  SCOPED_TRACE(what);
  ASSERT_EQ(got.Points.size(), want.Points.size());
  ASSERT_TRUE(got.Covariance && want.Covariance);
  ASSERT_EQ(got.Covariance->Rows(), want.Covariance->Rows());
  for (std::size_t k = 0; k < got.Points.size(); ++k) {
    EXPECT_EQ(got.Points[k].Number, want.Points[k].Number);
    EXPECT_NEAR(static_cast<double>(got.Points[k].X), static_cast<double>(want.Points[k].X),
                coordTolerance);
  }
  const std::size_t dim = got.Covariance->Rows();
  long double scale = 0;
  for (std::size_t i = 1; i <= dim; ++i)
    scale = std::max(scale, static_cast<long double>(want.Covariance->At(i, i)));
  long double worst = 0;
  for (std::size_t i = 1; i <= dim; ++i)
    for (std::size_t j = 1; j <= dim; ++j)
      worst = std::max(worst, std::fabs(static_cast<long double>(got.Covariance->At(i, j)) - want.Covariance->At(i, j)) / scale);
  EXPECT_LE(static_cast<double>(worst), covTolerance);

  const auto a = Sorted(got.Observations), b = Sorted(want.Observations);
  ASSERT_EQ(a.size(), b.size());
  auto rel = [](long double x, long double y) {
    return static_cast<double>(std::fabs(x - y) / std::max(std::fabs(y), 1e-12L));
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(a[i].Type + " " + std::to_string(a[i].From) + " -> " + std::to_string(a[i].To));
    EXPECT_EQ(a[i].Type, b[i].Type);
    EXPECT_LE(rel(a[i].StdevApriori, b[i].StdevApriori), obsTolerance);
    EXPECT_LE(rel(a[i].StdevAdjusted, b[i].StdevAdjusted), obsTolerance);
    EXPECT_NEAR(static_cast<double>(a[i].Redundancy), static_cast<double>(b[i].Redundancy),
                obsTolerance);
    EXPECT_EQ(std::isnan(a[i].Mdb), std::isnan(b[i].Mdb));
    if (!std::isnan(a[i].Mdb) && !std::isnan(b[i].Mdb)) {
      EXPECT_LE(rel(a[i].Mdb, b[i].Mdb), obsTolerance);
    }
  }
}

// Applies the edit to a precision built for `before`, and compares the
// result with a new build and with the engine program on `after`.
void ExpectUpdateAgrees(const SurveyNetwork &before, const SurveyNetwork &after,
                        const std::string &what) {
  UpdatablePrecision live;
  std::string error;
  ASSERT_TRUE(live.Build(before, error)) << error;
  ASSERT_TRUE(live.Apply(after)) << what;
  EXPECT_EQ(live.Updates(), 1);
  const NetworkPrecision updated = live.Precision();
  ExpectSame(updated, BuiltPrecision(after), 1e-9, 1e-9, what + ", against a new build");
  // The engine's results: covariance to 12 significant digits, the
  // observation table to 6 decimals.
  ExpectSame(updated, EnginePrecision(after, true), 1e-9, 2e-6, what + ", against the engine");
  ExpectSame(updated, EnginePrecision(after), 1e-5, 1e-4, what + ", against the engine program", 1e-3);
}

// The three kinds of edit, one after the other on one precision, each
// checked against a new build.
void ExpectChainAgrees(SurveyNetwork net, const std::vector<std::function<void(SurveyNetwork &)>> &edits) {
  UpdatablePrecision live;
  std::string error;
  ASSERT_TRUE(live.Build(net, error)) << error;
  for (std::size_t k = 0; k < edits.size(); ++k) {
    edits[k](net);
    ASSERT_TRUE(live.Apply(net)) << "edit " << k;
    ExpectSame(live.Precision(), BuiltPrecision(net), 1e-9, 1e-9, "edit " + std::to_string(k));
  }
  EXPECT_EQ(live.Updates(), static_cast<int>(edits.size()));
}

} // namespace

TEST(UpdatablePrecision, FindsTheSingleEdit) {
  const SurveyNetwork net = SampleNetwork(1);
  SurveyNetwork added = net;
  auto &items = added.Measurements.Items;
  items.insert(items.begin() + 10, Meas(mtSd, 402, 404, 0.002));
  auto e = FindMeasurementEdit(net, added);
  EXPECT_EQ(e.Kind, MeasurementEditKind::Added);
  EXPECT_EQ(e.After.Target, 404);
  EXPECT_EQ(FindMeasurementEdit(added, net).Kind, MeasurementEditKind::Deleted);
  EXPECT_EQ(FindMeasurementEdit(net, net).Kind, MeasurementEditKind::None);

  // A repeated measurement deleted: either copy is the same edit.
  SurveyNetwork twice = net;
  twice.Measurements.Items.push_back(net.Measurements.Items.back());
  EXPECT_EQ(FindMeasurementEdit(twice, net).Kind, MeasurementEditKind::Deleted);

  SurveyNetwork sigma = net;
  sigma.Measurements.Items[5].StdDev *= 2;
  e = FindMeasurementEdit(net, sigma);
  EXPECT_EQ(e.Kind, MeasurementEditKind::SigmaChanged);
  EXPECT_EQ(e.Before.StdDev * 2, e.After.StdDev);

  SurveyNetwork other = sigma;
  other.Measurements.Items[7].StdDev *= 2;
  EXPECT_EQ(FindMeasurementEdit(net, other).Kind, MeasurementEditKind::Other);
  other = net;
  other.Measurements.Items[5].Target = 999;
  EXPECT_EQ(FindMeasurementEdit(net, other).Kind, MeasurementEditKind::Other);
  other = net;
  other.Points.List.Items[4].X += 0.001L;
  EXPECT_EQ(FindMeasurementEdit(net, other).Kind, MeasurementEditKind::Other);
  other = net;
  other.Points.List.Items[4].Sc = 0.002;
  EXPECT_EQ(FindMeasurementEdit(net, other).Kind, MeasurementEditKind::Other);
  other = net;
  other.Points.ScSvpMode = ScSvpMode::WholeNetwork;
  EXPECT_EQ(FindMeasurementEdit(net, other).Kind, MeasurementEditKind::Other);
}

TEST(UpdatablePrecision, SampleNetworkAgreesWithTheEngine) {
  for (int mode : {1, 2, 0}) {
    const SurveyNetwork net = SampleNetwork(mode);
    const std::string in = " (mode " + std::to_string(mode) + ")";
    ASSERT_NO_FATAL_FAILURE(ExpectSame(BuiltPrecision(net), EnginePrecision(net, true), 1e-9, 2e-6, "built" + in));

    SurveyNetwork added = net; // a direction into the set of 402, and a new distance
    added.Measurements.Items.insert(added.Measurements.Items.begin() + 50, Meas(mtDi, 402, 404, 0.0003));
    ExpectUpdateAgrees(net, added, "direction added" + in);
    added = net;
    added.Measurements.Items.push_back(Meas(mtSd, 402, 404, 0.002));
    ExpectUpdateAgrees(net, added, "distance added" + in);

    SurveyNetwork deleted = net;
    auto &items = deleted.Measurements.Items;
    items.erase(items.begin() + IndexOf(net, mtSd, 403, 404));
    ExpectUpdateAgrees(net, deleted, "distance deleted" + in);
    deleted = net;
    deleted.Measurements.Items.erase(deleted.Measurements.Items.begin() + IndexOf(net, mtGd, 401, 402));
    ExpectUpdateAgrees(net, deleted, "gyro direction deleted" + in);

    SurveyNetwork sigma = net;
    sigma.Measurements.Items[static_cast<std::size_t>(IndexOf(net, mtDi, 402, 403))].StdDev = 0.0006;
    ExpectUpdateAgrees(net, sigma, "direction's sigma changed" + in);
    sigma = net;
    sigma.Measurements.Items[static_cast<std::size_t>(IndexOf(net, mtVd, 104, 401))].StdDev = 0.001;
    ExpectUpdateAgrees(net, sigma, "height difference's sigma changed" + in);
  }
}

TEST(UpdatablePrecision, FreeNetworkAgreesWithTheEngine) {
  const SurveyNetwork net = kd::design::test::GeneratedNetwork(3, 4, false);
  ASSERT_NO_FATAL_FAILURE(ExpectSame(BuiltPrecision(net), EnginePrecision(net, true), 1e-9, 2e-6, "built"));
  SurveyNetwork added = net;
  added.Measurements.Items.push_back(Meas(mtSd, 1000, 1011, 0.002));
  ExpectUpdateAgrees(net, added, "distance added");
  added = net;
  added.Measurements.Items.push_back(Meas(mtDi, 1005, 1000, 0.0003));
  ExpectUpdateAgrees(net, added, "direction added");
  SurveyNetwork deleted = net;
  deleted.Measurements.Items.erase(deleted.Measurements.Items.begin() + IndexOf(net, mtZu, 1005, 1009));
  ExpectUpdateAgrees(net, deleted, "zenith angle deleted");
  SurveyNetwork sigma = net;
  sigma.Measurements.Items[static_cast<std::size_t>(IndexOf(net, mtSd, 1005, 1006))].StdDev = 0.005;
  ExpectUpdateAgrees(net, sigma, "distance's sigma changed");
}

TEST(UpdatablePrecision, EditsOneAfterAnother) {
  ExpectChainAgrees(SampleNetwork(1),
                    {[](SurveyNetwork &n) { n.Measurements.Items.push_back(Meas(mtSd, 402, 404, 0.002)); },
                     [](SurveyNetwork &n) { n.Measurements.Items[12].StdDev = 0.0009; },
                     [](SurveyNetwork &n) { n.Measurements.Items.erase(n.Measurements.Items.begin() + 3); },
                     [](SurveyNetwork &n) { n.Measurements.Items.pop_back(); }});
}

TEST(UpdatablePrecision, AShownPrecisionKeepsItsFiguresThroughLaterUpdates) {
  // The storage of a handed-out covariance is used again only once no
  // precision holds it.
  SurveyNetwork net = SampleNetwork(1);
  UpdatablePrecision live;
  std::string error;
  ASSERT_TRUE(live.Build(net, error)) << error;
  auto shown = std::make_shared<const NetworkPrecision>(live.Precision());
  ASSERT_TRUE(shown->Covariance);
  const std::vector<double> figures(shown->Covariance->Row(0),
                                    shown->Covariance->Row(0) + shown->Covariance->Rows() * shown->Covariance->Cols());
  const double *storage = shown->Covariance->Storage().get();
  std::vector<std::size_t> distances;
  for (std::size_t i = 0; i < net.Measurements.Items.size(); ++i)
    if (net.Measurements.Items[i].MeasType == mtSd)
      distances.push_back(i);
  ASSERT_GE(distances.size(), 4u);
  for (std::size_t edit = 0; edit < 3; ++edit) {
    net.Measurements.Items[distances[edit]].StdDev *= 2;
    ASSERT_TRUE(live.Apply(net));
    const NetworkPrecision next = live.Precision();
    EXPECT_NE(next.Covariance->Storage().get(), storage);
  }
  EXPECT_TRUE(std::equal(figures.begin(), figures.end(), shown->Covariance->Row(0)));
  // Released, it serves the next precision.
  shown.reset();
  net.Measurements.Items[distances[3]].StdDev *= 2;
  ASSERT_TRUE(live.Apply(net));
  const NetworkPrecision again = live.Precision();
  EXPECT_EQ(again.Covariance->Storage().get(), storage);
}

TEST(UpdatablePrecision, EditsThatNeedANewBuildChangeNothing) {
  const SurveyNetwork net = SampleNetwork(1);
  UpdatablePrecision live;
  std::string error;
  ASSERT_TRUE(live.Build(net, error)) << error;
  const NetworkPrecision before = live.Precision();
  auto refused = [&](const SurveyNetwork &edited, const char *what) {
    EXPECT_FALSE(live.Apply(edited)) << what;
    EXPECT_EQ(FindMeasurementEdit(live.Network(), net).Kind, MeasurementEditKind::None) << what;
  };
  SurveyNetwork e = net;
  e.Measurements.Items.push_back(Meas(mtGd, 402, 403, 0.001));
  refused(e, "a gyro direction added");
  e = net;
  e.Measurements.Items.push_back(Meas(mtPr, 402, 403, 0.001));
  refused(e, "a plumbing added");
  e = net;
  e.Measurements.Items.push_back(Meas(mtDi, 404, 403, 0.0003));
  refused(e, "a direction from a station without a set");
  e = net;
  e.Measurements.Items.push_back(Meas(mtSd, 402, 999, 0.002));
  refused(e, "a distance to a point that does not exist");
  e = net;
  // 404's only height difference: without it the height of 404 still
  // follows from the zenith angles, but the plumbing's is the only
  // link of 301 in height.
  e.Measurements.Items.erase(e.Measurements.Items.begin() + IndexOf(net, mtPr, 201, 301));
  refused(e, "the only link of a point deleted");
  e = net;
  e.Points.List.Items[5].Z += 0.01L;
  refused(e, "a point moved");
  EXPECT_EQ(live.Updates(), 0);
  ExpectSame(live.Precision(), before, 0, 0, "unchanged");
}
