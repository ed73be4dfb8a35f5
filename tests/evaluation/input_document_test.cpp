#include "evaluation/input_document.h"
#include "tests/support/scratch.h"

#include "core/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

void AddPoint(SurveyNetwork &net, double number, long double x, long double y,
              long double z, bool fixed = false) {
  NetworkPoint p;
  p.Number = number;
  p.X = x;
  p.Y = y;
  p.Z = z;
  p.Fixed = fixed;
  net.Points.List.Append(p);
}

void AddMeas(SurveyNetwork &net, std::uint8_t type, double station, double target, double sd) {
  net.Measurements.AddMeasurement(type, sd, target, station);
}

// A fresh folder per test, removed afterwards.
class InputDoc : public ::testing::Test {
protected:
  void SetUp() override {
    dir = scratch.Path;
    file = (dir / "net.gfk").string();
  }
  ScratchDir scratch;
  std::string Read() const {
    std::string bytes;
    EXPECT_TRUE(kd::ReadFileBytes(file, bytes));
    return bytes;
  }
  fs::path dir;
  std::string file;
};

const std::vector<std::string> kHeader = {
    "<?xml version=\"1.0\" ?>",
    "<!DOCTYPE gama-xml SYSTEM \"gama-xml.dtd\">",
    "<gama-xml version=\"2.0\">",
    "<network axes-xy=\"sw\" angles=\"right-handed\">",
    "<description> korvadim </description>",
    "<parameters sigma-apr=\"1.00\" conf-pr=\"0.95\" ",
    "tol-abs=\"1000\" sigma-act=\"apriori\" />",
    "<points-observations >",
    "",
};
const std::vector<std::string> kFooter = {
    "</points-observations>", "</network>", "</gama-xml>"};

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto &p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The network of the worked example, in mode 0.
SurveyNetwork Example() {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::None;
  AddPoint(net, 1, 1000, 2000, 300, true);
  AddPoint(net, 2, 1100, 2000, 310);
  AddPoint(net, 3, 1000, 2100, 290);
  AddPoint(net, 4, 1100, 2000, 250);
  AddMeas(net, mtSd, 1, 2, 0.002);
  AddMeas(net, mtDi, 1, 2, 0.0003);
  AddMeas(net, mtDi, 1, 3, 0.0003);
  AddMeas(net, mtZu, 1, 3, 0.0005);
  AddMeas(net, mtGd, 1, 3, 0.001);
  AddMeas(net, mtVd, 2, 3, 0.001);
  AddMeas(net, mtPr, 2, 4, 0.003);
  return net;
}

} // namespace

TEST_F(InputDoc, WorkedExampleByteForByte) {
  SurveyNetwork net = Example();
  ASSERT_TRUE(WriteEngineInput(net, file));
  const std::vector<std::string> lines = Concat({kHeader, {
      "<point id= \"1.00\" x=\"1000.00000\" y=\"2000.00000\" z=\"300.00000\" fix=\"XYZ\" />",
      "<point id= \"2.00\" x=\"1100.00000\" y=\"2000.00000\" z=\"310.00000\" adj=\"XYZ\" />",
      "<point id= \"3.00\" x=\"1000.00000\" y=\"2100.00000\" z=\"290.00000\" adj=\"XYZ\" />",
      "<point id= \"4.00\" x=\"1100.00000\" y=\"2000.00000\" z=\"250.00000\" adj=\"XYZ\" />",
      "<point id= \"0904\" x=\"11000.00000\" y=\"2000.00000\" z=\"300.00000\" fix=\"XYZ\" />",
      "",
      "<obs from=\"1.00\">",
      "<s-distance to= \"2.00\" val= \"100.4988\" stdev=\"2.00\" />",
      "<direction to= \"2.00\" val= \"0.0000\" stdev=\"3.00\" />",
      "<direction to= \"3.00\" val= \"100.0000\" stdev=\"3.00\" />",
      "<z-angle to= \"3.00\" val= \"106.3451\" stdev=\"5.00\" />",
      "</obs>",
      "",
      "<obs from=\"2.00\">",
      "<dh from=\"2.00\" to=\"3.00\" val= \"-20.0000\" stdev=\"1.00\" />",
      "</obs>",
      "",
      "<obs from=\"1.00\">",
      "<direction to= \"0904\" val= \"0.0000\" stdev=\"0.01\" />",
      "<direction to= \"3.00\" val= \"100.0000\" stdev=\"10.00\" />",
      "</obs>",
      "",
      "<vectors>",
      "<vec from=\"2.00\" to=\"4.00\" dx=\"0.00001\" dy=\"0.00001\" dz=\"-60.00000\" />",
      "<cov-mat dim=\"3\" band=\"2\" >",
      "9.0000 0 0",
      "9.0000 0",
      "25.0000",
      "</cov-mat>",
      "</vectors>",
      "",
  }, kFooter});
  std::string expected;
  for (const std::string &l : lines)
    expected += l + "\r\n";
  EXPECT_EQ(Read(), expected);
  EXPECT_EQ(net.Document, lines); // the container keeps the document
  // No temporary file is left beside the document.
  int entries = 0;
  for ([[maybe_unused]] const auto &e : fs::directory_iterator(dir))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(InputDoc, SetsFollowSortedStationsWithHeightDifferencesInside) {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::None;
  AddPoint(net, 5, 0, 0, 0, true);
  AddPoint(net, 1001.5, 100, 0, 10);
  AddPoint(net, 7, 0, 100, 20);
  // Unsorted: station 7, then 5, then 7 again; equal stations keep order.
  AddMeas(net, mtHd, 7, 5, 0.003);
  AddMeas(net, mtSd, 5, 7, 0.002);
  AddMeas(net, mtVd, 7, 1001.5, 0.0015);
  AddMeas(net, mtDi, 5, 1001.5, 0.0003);
  AddMeas(net, mtDi, 1001.5, 5, 0.0003);
  ASSERT_TRUE(WriteEngineInput(net, file));
  const std::vector<std::string> body(net.Document.begin() + 9,
                                      net.Document.end() - 3);
  const std::vector<std::string> expected = {
      "<point id= \"5.00\" x=\"0.00000\" y=\"0.00000\" z=\"0.00000\" fix=\"XYZ\" />",
      "<point id= \"1001.50\" x=\"100.00000\" y=\"0.00000\" z=\"10.00000\" adj=\"XYZ\" />",
      "<point id= \"7.00\" x=\"0.00000\" y=\"100.00000\" z=\"20.00000\" adj=\"XYZ\" />",
      "",
      "<obs from=\"5.00\">",
      "<s-distance to= \"7.00\" val= \"101.9804\" stdev=\"2.00\" />",
      "<direction to= \"1001.50\" val= \"0.0000\" stdev=\"3.00\" />",
      "</obs>",
      "",
      "<obs from=\"7.00\">",
      "<distance to= \"5.00\" val= \"100.0000\" stdev=\"3.00\" />",
      "<dh from=\"7.00\" to=\"1001.50\" val= \"-10.0000\" stdev=\"1.50\" />",
      "</obs>",
      "",
      "<obs from=\"1001.50\">",
      "<direction to= \"5.00\" val= \"200.0000\" stdev=\"3.00\" />",
      "</obs>",
  };
  EXPECT_EQ(body, expected);
  // The list itself is left sorted, with values filled in.
  EXPECT_EQ(net.Measurements.Items[0].Station, 5.0);
  EXPECT_EQ(net.Measurements.Items[4].Station, 1001.5);
}

TEST_F(InputDoc, GyroDirectionsGetOwnReferencePointsAndSets) {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::None;
  AddPoint(net, 2, 10, 20, 5);
  AddPoint(net, 1, 0, 0, 0, true);
  AddPoint(net, 3, 10, 30, 5);
  // Sorted order (list positions): 0 gd 1-2, 1 gd 1-3, 2 gd 2-1, 3 sd 2-3.
  AddMeas(net, mtGd, 2, 1, 0.001);
  AddMeas(net, mtGd, 1, 2, 0.001);
  AddMeas(net, mtGd, 1, 3, 0.001);
  AddMeas(net, mtSd, 2, 3, 0.002);
  ASSERT_TRUE(WriteEngineInput(net, file));
  ASSERT_EQ(net.Measurements.Items[0].Station, 1.0); // the writer sorted
  const std::vector<std::string> &d = net.Document;
  const std::vector<std::string> points(d.begin() + 9, d.begin() + 15);
  const std::vector<std::string> expectedPoints = {
      "<point id= \"2.00\" x=\"10.00000\" y=\"20.00000\" z=\"5.00000\" adj=\"XYZ\" />",
      "<point id= \"1.00\" x=\"0.00000\" y=\"0.00000\" z=\"0.00000\" fix=\"XYZ\" />",
      "<point id= \"3.00\" x=\"10.00000\" y=\"30.00000\" z=\"5.00000\" adj=\"XYZ\" />",
      "<point id= \"0900\" x=\"10000.00000\" y=\"0.00000\" z=\"0.00000\" fix=\"XYZ\" />",
      "<point id= \"0901\" x=\"10000.00000\" y=\"0.00000\" z=\"0.00000\" fix=\"XYZ\" />",
      "<point id= \"0902\" x=\"10010.00000\" y=\"20.00000\" z=\"5.00000\" fix=\"XYZ\" />",
  };
  EXPECT_EQ(points, expectedPoints);
  const std::vector<std::string> rest(d.begin() + 15, d.end() - 3);
  const std::vector<std::string> expectedRest = {
      "",
      "<obs from=\"2.00\">",
      "<s-distance to= \"3.00\" val= \"10.0000\" stdev=\"2.00\" />",
      "</obs>",
      "",
      "<obs from=\"1.00\">",
      "<direction to= \"0900\" val= \"0.0000\" stdev=\"0.01\" />",
      "<direction to= \"2.00\" val= \"70.4833\" stdev=\"10.00\" />",
      "</obs>",
      "",
      "<obs from=\"1.00\">",
      "<direction to= \"0901\" val= \"0.0000\" stdev=\"0.01\" />",
      "<direction to= \"3.00\" val= \"79.5167\" stdev=\"10.00\" />",
      "</obs>",
      "",
      "<obs from=\"2.00\">",
      "<direction to= \"0902\" val= \"0.0000\" stdev=\"0.01\" />",
      "<direction to= \"1.00\" val= \"270.4833\" stdev=\"10.00\" />",
      "</obs>",
      "",
  };
  EXPECT_EQ(rest, expectedRest);
}

TEST_F(InputDoc, OnlySpecialMeasurementsOrNoneAtAll) {
  // Only plumbings: points, one empty line, then the first block with its own
  // empty line. A 2 mm plumbing has variance 4 mm².
  SurveyNetwork net;
  AddPoint(net, 1, 0, 0, 10);
  AddPoint(net, 2, 0.004, 0, -5.123456);
  AddMeas(net, mtPr, 1, 2, 0.002);
  ASSERT_TRUE(WriteEngineInput(net, file));
  const std::vector<std::string> expected = Concat({kHeader, {
      "<point id= \"1.00\" x=\"0.00000\" y=\"0.00000\" z=\"10.00000\" adj=\"XYZ\" />",
      "<point id= \"2.00\" x=\"0.00400\" y=\"0.00000\" z=\"-5.12346\" adj=\"XYZ\" />",
      "",
      "",
      "<vectors>",
      "<vec from=\"1.00\" to=\"2.00\" dx=\"0.00001\" dy=\"0.00001\" dz=\"-15.12346\" />",
      "<cov-mat dim=\"3\" band=\"2\" >",
      "4.0000 0 0",
      "4.0000 0",
      "25.0000",
      "</cov-mat>",
      "</vectors>",
      "",
  }, kFooter});
  EXPECT_EQ(net.Document, expected);

  // No measurement at all: header, points, one empty line, footer.
  SurveyNetwork none;
  AddPoint(none, 1, 0, 0, 0);
  ASSERT_TRUE(WriteEngineInput(none, file));
  EXPECT_EQ(none.Document, Concat({kHeader, {
      "<point id= \"1.00\" x=\"0.00000\" y=\"0.00000\" z=\"0.00000\" adj=\"XYZ\" />", ""},
      kFooter}));
}

// Whatever makes the document unusable leaves an older document exactly as
// it was, returns false and names the measurement.
TEST_F(InputDoc, FailuresKeepTheOldDocument) {
  ASSERT_TRUE(kd::WriteFileAtomic(file, "old document\r\n"));
  for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}}) {
    SurveyNetwork net = Example();
    net.Points.ScSvpMode = static_cast<ScSvpMode>(mode);
    AddPoint(net, 9, 1000, 2000, 350); // straight above point 1
    AddMeas(net, mtDi, 9, 1, 0.0003);
    EXPECT_FALSE(WriteEngineInput(net, file)) << int(mode);
    EXPECT_TRUE(net.LastWriteFailure.Valid);
    EXPECT_EQ(net.LastWriteFailure.Station, 9.0);
    EXPECT_EQ(net.LastWriteFailure.Target, 1.0);
    EXPECT_EQ(net.LastWriteFailure.MeasType, mtDi);
    EXPECT_EQ(Read(), "old document\r\n");
  }
  // A gyro direction from a station that is not in the point list.
  SurveyNetwork missing = Example();
  AddMeas(missing, mtGd, 42, 1, 0.001);
  EXPECT_FALSE(WriteEngineInput(missing, file));
  EXPECT_EQ(missing.LastWriteFailure.Station, 42.0);
  EXPECT_EQ(Read(), "old document\r\n");
  // A non-positive vertical sigma of plumbing gives a singular matrix.
  SurveyNetwork plumb = Example();
  plumb.PlumbSigma = 0;
  EXPECT_FALSE(WriteEngineInput(plumb, file));
  EXPECT_EQ(plumb.LastWriteFailure.MeasType, mtPr);
  EXPECT_EQ(Read(), "old document\r\n");
  // Standard deviations that the document would write as zero.
  for (std::uint8_t type : {mtSd, mtGd, mtPr}) {
    SurveyNetwork tiny = Example();
    for (Measurement &m : tiny.Measurements.Items)
      if (m.MeasType == type)
        m.StdDev = 0.0000004; // 0.0004 mm or 0.004 cc
    EXPECT_FALSE(WriteEngineInput(tiny, file)) << int(type);
    EXPECT_EQ(tiny.LastWriteFailure.MeasType, type);
  }
  EXPECT_EQ(Read(), "old document\r\n");
  // A later good write clears the failure.
  SurveyNetwork good = Example();
  good.LastWriteFailure.Valid = true;
  EXPECT_TRUE(WriteEngineInput(good, file));
  EXPECT_FALSE(good.LastWriteFailure.Valid);
}

TEST_F(InputDoc, UnwritableTargetFailsWithoutDamage) {
  ASSERT_TRUE(kd::WriteFileAtomic(file, "old"));
  SurveyNetwork net = Example();
  // A folder in place of the file.
  const std::string folder = (dir / "sub.gfk").string();
  fs::create_directories(folder);
  EXPECT_FALSE(WriteEngineInput(net, folder));
  EXPECT_FALSE(net.LastWriteFailure.Valid); // not a measurement's fault
  EXPECT_FALSE(net.LastWriteFailure.Reason.empty());
  EXPECT_FALSE(WriteEngineInput(net, (dir / "no" / "such" / "x.gfk").string()));
  if (::geteuid() != 0) { // root ignores permissions
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteEngineInput(net, file));
    fs::permissions(dir, fs::perms::owner_all);
  }
  EXPECT_EQ(Read(), "old");
}
