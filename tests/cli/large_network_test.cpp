// A network larger than the memory the command may take is refused at once,
// naming the memory it would need, and leaves nothing behind: the command
// runs under an address-space limit (prlimit --as) smaller than the
// network's covariance and normal matrices.
#include "batch_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bench/generated_network.h"

namespace {

const std::string kBatch = std::string(KD_BIN_DIR) + "/korvadimensio3d-batch";
const std::string kPrlimit = "/usr/bin/prlimit";

} // namespace

TEST(BatchLargeNetwork, RefusedAtOnceWithTheMemoryItWouldNeed) {
  if (!std::filesystem::exists(kPrlimit))
    GTEST_SKIP() << "no " << kPrlimit;
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer reserves terabytes of shadow address space at start, so
  // no instrumented program can start under an address-space limit.
  GTEST_SKIP() << "an address-space limit cannot hold an AddressSanitizer build";
#endif
  TempFolder dir;
  // 2500 points, three of them fixed: 7491 coordinate unknowns, whose
  // 7491 × 7491 matrix of doubles with the rest of the run needs about
  // 0.5 GiB; the command may take 0.4 GiB of address space in all, of which
  // its program and libraries already hold some.
  SurveyNetwork net = GeneratedNetwork(2500, 7);
  net.Points.List.FileName = dir / "c.txt";
  ASSERT_EQ(net.Points.List.Save(), 2500);
  ASSERT_EQ(net.Measurements.SaveToFile(dir / "m.txt"), net.Measurements.Count());
  const std::string table = dir / "table.txt";

  const RunResult r = RunProgram(kPrlimit, {"--as=400000000", kBatch, "--table", table, dir / "c.txt", dir / "m.txt"});
  EXPECT_EQ(r.Code, 2) << r.Out << r.Err;
  const std::string all = r.Out + r.Err;
  EXPECT_NE(all.find("7491 coordinate unknowns"), std::string::npos) << all;
  EXPECT_NE(all.find("need about 0.5 GiB"), std::string::npos) << all;
  EXPECT_NE(all.find("GiB of memory available on this computer"), std::string::npos) << all;
  EXPECT_EQ(all.find("Evaluation acomplished"), std::string::npos) << all;
  EXPECT_FALSE(std::filesystem::exists(table));
}
