// Random small networks, many of them with coincident points, duplicate
// numbers or measurements to missing points: the writer either produces a
// well-formed document whose references all resolve, or refuses for a reason
// that really is in the network and leaves the older document alone.
#include "core/survey_network.h"
#include "evaluation/input_document.h"
#include "tests/support/scratch.h"
#include "core/text_file.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const NetworkPoint *Find(const SurveyNetwork &net, double number) {
  for (const NetworkPoint &p : net.Points.List.Items)
    if (p.Number == number)
      return &p;
  return nullptr;
}

// Whether the writer must refuse this measurement: a point is missing, or
// the geometry leaves the value or its sensitivity undefined.
bool IsBad(const SurveyNetwork &net, const Measurement &m) {
  const NetworkPoint *s = Find(net, m.Station);
  const NetworkPoint *t = Find(net, m.Target);
  if (!s || !t)
    return true;
  const bool samePlan = s->X == t->X && s->Y == t->Y;
  switch (m.MeasType) {
  case mtSd:
    return samePlan && s->Z == t->Z;
  case mtHd:
  case mtDi:
  case mtGd:
  case mtZu:
    return samePlan;
  default:
    return false;
  }
}

bool HasDuplicateIds(const SurveyNetwork &net) {
  std::set<long long> ids; // numbers are whole or halves here
  for (const NetworkPoint &p : net.Points.List.Items)
    if (!ids.insert(std::llround(p.Number * 100)).second)
      return true;
  return false;
}

} // namespace

TEST(InputDocRandom, WritesValidDocumentsOrRefusesForARealReason) {
  const ScratchDir scratch;
  const fs::path dir = scratch.Path;
  const std::string file = (dir / "net.gfk").string();
  const std::string old = "older document\r\n";

  std::mt19937 rng(31337);
  auto uni = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const std::uint8_t types[] = {mtSd, mtHd, mtZu, mtDi, mtVd, mtPr, mtGd};
  int written = 0, refused = 0;

  bool oldInPlace = false;
  for (int run = 0; run < 250; ++run) {
    SurveyNetwork net;
    net.Points.ScSvpMode = static_cast<ScSvpMode>(uni(0, 2));
    const int nPoints = uni(2, 8);
    for (int i = 0; i < nPoints; ++i) {
      NetworkPoint p;
      p.Number = uni(0, 30) == 0 ? 1 : 1 + i + (uni(0, 3) == 0 ? 0.5 : 0.0);
      p.X = 10 * uni(0, 2); // a coarse grid: coincident plan positions are common
      p.Y = 10 * uni(0, 2);
      p.Z = 5 * uni(0, 1);
      p.Fixed = uni(0, 3) == 0;
      p.Sc = 0.001 * uni(0, 2);
      p.Svp = 0.001 * uni(0, 2);
      net.Points.List.Append(p);
    }
    const int nMeas = uni(0, 20);
    for (int k = 0; k < nMeas; ++k) {
      const std::uint8_t type = types[uni(0, 6)];
      // Mostly existing numbers; sometimes a number that has no point.
      auto pointNumber = [&]() {
        return uni(0, 25) == 0 ? 99.0 : net.Points.List.Items[static_cast<std::size_t>(uni(0, nPoints - 1))].Number;
      };
      net.Measurements.AddMeasurement(type, 0.001 * uni(1, 3), pointNumber(), pointNumber());
    }
    int gd = 0, pr = 0, ordinary = 0;
    bool anyBad = false;
    for (const Measurement &m : net.Measurements.Items) {
      gd += m.MeasType == mtGd;
      pr += m.MeasType == mtPr;
      ordinary += m.MeasType != mtGd && m.MeasType != mtPr;
      anyBad = anyBad || IsBad(net, m);
    }
    const bool dup = HasDuplicateIds(net);

    if (!oldInPlace) { // saving is slow (flushed to disk): only when needed
      ASSERT_TRUE(kd::WriteFileAtomic(file, old));
    }
    const bool ok = WriteEngineInput(net, file);
    oldInPlace = !ok;
    ASSERT_EQ(ok, !anyBad && !dup) << "run " << run;
    std::string bytes;
    ASSERT_TRUE(kd::ReadFileBytes(file, bytes));
    if (!ok) {
      ++refused;
      EXPECT_EQ(bytes, old);
      const FailedMeasurement &f = net.LastWriteFailure;
      EXPECT_FALSE(f.Reason.empty());
      if (f.Valid) {
        ASSERT_GE(f.Index, 0);
        ASSERT_LT(f.Index, net.Measurements.Count());
        const Measurement &m = net.Measurements.Items[static_cast<std::size_t>(f.Index)];
        EXPECT_EQ(m.Station, f.Station);
        EXPECT_EQ(m.Target, f.Target);
        EXPECT_EQ(m.MeasType, f.MeasType);
        EXPECT_TRUE(IsBad(net, m)) << f.Reason;
      } else {
        EXPECT_TRUE(dup) << f.Reason;
      }
      continue;
    }
    ++written;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(bytes.data(), bytes.size())) << "run " << run;
    const pugi::xml_node po = doc.child("gama-xml").child("network").child("points-observations");
    ASSERT_TRUE(po);
    std::set<std::string> ids;
    int points = 0;
    for (pugi::xml_node p : po.children("point")) {
      ++points;
      EXPECT_TRUE(ids.insert(p.attribute("id").value()).second);
      EXPECT_NE(p.attribute("fix").empty(), p.attribute("adj").empty());
    }
    EXPECT_EQ(points, nPoints + gd);
    int observations = 0;
    for (pugi::xml_node obs : po.children("obs")) {
      EXPECT_TRUE(ids.count(obs.attribute("from").value()));
      for (pugi::xml_node o : obs.children()) {
        ++observations;
        EXPECT_TRUE(ids.count(o.attribute("to").value())) << o.attribute("to").value();
        const double stdev = o.attribute("stdev").as_double(-1);
        EXPECT_GT(stdev, 0);
        EXPECT_TRUE(std::isfinite(o.attribute("val").as_double(NAN)));
      }
    }
    EXPECT_EQ(observations, ordinary + 2 * gd);
    int vectors = 0;
    for (pugi::xml_node v : po.children("vectors")) {
      const pugi::xml_node vec = v.child("vec");
      EXPECT_TRUE(ids.count(vec.attribute("from").value()));
      EXPECT_TRUE(ids.count(vec.attribute("to").value()));
      EXPECT_EQ(std::string(v.child("cov-mat").attribute("dim").value()), "3");
      ++vectors;
    }
    EXPECT_EQ(vectors, pr);
  }
  // The generator must exercise both outcomes.
  EXPECT_GT(written, 40);
  EXPECT_GT(refused, 40);
  std::printf("random networks: %d written, %d refused\n", written, refused);
}

TEST(InputDocRandom, DuplicatePointIdsAreRefused) {
  const ScratchDir scratch;
  const fs::path dir = scratch.Path;
  const std::string file = (dir / "net.gfk").string();
  for (double second : {1.0, 1.004}) { // the same number, or the same id
    SurveyNetwork net;
    NetworkPoint p;
    p.Number = 1.001;
    net.Points.List.Append(p);
    p.Number = second == 1.0 ? 1.001 : second;
    p.X = 100;
    net.Points.List.Append(p);
    EXPECT_FALSE(WriteEngineInput(net, file));
    EXPECT_FALSE(net.LastWriteFailure.Valid);
    EXPECT_NE(net.LastWriteFailure.Reason.find("1.001"), std::string::npos)
        << net.LastWriteFailure.Reason;
    EXPECT_FALSE(fs::exists(file));
  }
}
