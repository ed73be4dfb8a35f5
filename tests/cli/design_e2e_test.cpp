// End-to-end runs of the measurement design options on the sample network:
// the optimised plan re-evaluated by the command, an unreachable
// requirement, and the refusals.
#include "batch_test_support.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

const std::string kBatch = std::string(KD_BIN_DIR) + "/korvadimensio3d-batch";
const std::string kCoords = std::string(KD_SOURCE_DIR) + "/data/shaft_coords.txt";
const std::string kMeas = std::string(KD_SOURCE_DIR) + "/data/shaft_meas.txt";

void Write(const std::string &path, const std::string &text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

// The value printed for the requirement line `req` (last occurrence).
double PrintedValue(const std::string &out, const std::string &req) {
  const std::regex re(std::regex_replace(req, std::regex(R"([.*+?^${}()|\[\]\\])"), R"(\$&)") +
                      R"(: ([0-9.]+) mm)");
  double v = -1;
  for (std::sregex_iterator it(out.begin(), out.end(), re), end; it != end; ++it)
    v = std::stod((*it)[1]);
  return v;
}

}  // namespace

TEST(DesignCommand, OptimisedSampleIsConfirmedByItsReEvaluation) {
  TempFolder dir;
  Write(dir / "shaft.req", "# breakthrough of the tunnel\nconfidence standard\nacross 401 404 81.29 2.5\n");
  const std::string proposed = dir / "proposed.txt";
  const RunResult r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "shaft.req", "--optimise", proposed,
                                          "--next-best", "3", "--critical"});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  EXPECT_NE(r.Out.find("3.756 mm, margin -1.256 mm, NOT MET"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("  added   gd "), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("  3. "), std::string::npos);
  EXPECT_EQ(r.Out.find("  4. "), std::string::npos);
  EXPECT_NE(r.Out.find("Critical measurements"), std::string::npos);
  EXPECT_NE(r.Out.find("Low-value measurements"), std::string::npos);
  const double predicted = PrintedValue(r.Out, "across 401 404 81.29 2.5");
  ASSERT_GT(predicted, 0);
  EXPECT_LE(predicted, 2.5);
  // The proposed file keeps the original lines and adds the new ones.
  const std::string text = ReadWholeFile(proposed);
  EXPECT_NE(text.find("gyrotheodolite"), std::string::npos);
  EXPECT_NE(text.find("# added by the optimisation:\r\n"), std::string::npos);

  const RunResult again = RunProgram(kBatch, {kCoords, proposed, "--require", dir / "shaft.req", "--relative",
                                              "401", "404", "81.29"});
  ASSERT_EQ(again.Code, 0) << again.Out << again.Err;
  EXPECT_NEAR(PrintedValue(again.Out, "across 401 404 81.29 2.5"), predicted, 0.0005);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(again.Out, m, std::regex(R"(across ([0-9.]+) mm)"))) << again.Out;
  EXPECT_NEAR(std::stod(m[1]), predicted, 0.0015);
}

TEST(DesignCommand, UnreachableRequirementEndsWithThreeAndTheBestValue) {
  TempFolder dir;
  Write(dir / "tight.req", "across 401 404 81.29 0.01\n");
  const RunResult r =
      RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "tight.req", "--optimise", dir / "out.txt"});
  EXPECT_EQ(r.Code, 3) << r.Out << r.Err;
  EXPECT_TRUE(std::regex_search(r.Err, std::regex(R"(requirement not met: across 401 404 81\.29 0\.01 \(line 1\): best value reached [0-9.]+ mm)")))
      << r.Err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
  // Checking alone: not met, exit 3 as well.
  const RunResult check = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "tight.req"});
  EXPECT_EQ(check.Code, 3);
}

TEST(DesignCommand, RefusesBadRequestsAndKeepsTheInputs) {
  TempFolder dir;
  Write(dir / "ok.req", "across 401 404 81.29 2.5\n");
  Write(dir / "bad.req", "ellipse * 2\nacross 401 404 2.5\n");
  Write(dir / "missing.req", "\nrelative 401 999 2\n");
  Write(dir / "meas.txt", ReadWholeFile(kMeas));
  const std::string before = ReadWholeFile(dir / "meas.txt");

  RunResult r = RunProgram(kBatch, {kCoords, dir / "meas.txt", "--require", dir / "ok.req", "--optimise", dir / "meas.txt"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("the output file " + (dir / "meas.txt") + " is one of the input files"), std::string::npos) << r.Err;
  EXPECT_EQ(ReadWholeFile(dir / "meas.txt"), before);

  r = RunProgram(kBatch, {kCoords, kMeas, "--optimise", dir / "x.txt"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("--optimise needs --require FILE"), std::string::npos) << r.Err;

  r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "bad.req"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find(dir / "bad.req" + ":2: 'across' takes FROM TO BEARING_GON LIMIT_MM"), std::string::npos) << r.Err;

  r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "missing.req"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find(dir / "missing.req" + ":2: point 999 is not in the coordinate file"), std::string::npos) << r.Err;

  r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "ok.req", "--max-sight", "-3"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("--max-sight: '-3' is not a positive number of metres"), std::string::npos) << r.Err;
}
