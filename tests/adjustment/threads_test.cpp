// The dense kernels: results independent of the number of threads (bit for
// bit), alike for every instruction set the processor runs (to rounding),
// and the engine's --threads / --kernels options.
#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <sstream>

#include "adjustment/adjust.h"
#include "adjustment/dense.h"
#include "adjustment/output.h"
#include "adjustment/reader.h"
#include "adjustment/run.h"
#include "core/text_file.h"
#include "net_builder.h"
#include "tests/support/scratch.h"

using namespace kd::adj;
using kd::adj::test::NetBuilder;

namespace {

// Restores the default threads and kernels after each test.
class Kernels : public ::testing::Test {
protected:
  void TearDown() override {
    SetThreadCount(0);
    UseKernels(DefaultKernels());
  }
  static std::string DefaultKernels() {
    static const std::string name = KernelName();
    return name;
  }
  void SetUp() override { DefaultKernels(); }
};

// A grid network of 12 × 12 points (about 430 unknowns: several column
// blocks of the kernels, a real envelope), three fixed points, directions,
// zenith angles and slope distances to the neighbours, values with errors.
NetBuilder GridNetwork(int side = 12) {
  NetBuilder b;
  std::mt19937 rng(17);
  std::normal_distribution<double> noise(0, 1);
  auto id = [&](int i, int j) { return std::to_string(i * side + j + 1); };
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      const bool fixed = (i == 0 && j == 0) || (i == 0 && j == side - 1) || (i == side - 1 && j == 0);
      b.Point(id(i, j), 1000 + 100 * i + 7 * noise(rng), 2000 + 100 * j + 7 * noise(rng),
              200 + 10 * noise(rng), fixed ? "fix=\"XYZ\"" : "adj=\"XYZ\"");
    }
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      b.Set(id(i, j));
      for (auto [di, dj] : {std::pair{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}}) {
        const int a = i + di, c = j + dj;
        if (a < 0 || c < 0 || a >= side || c >= side) continue;
        b.Dir(id(a, c), 3, 0.0003 * noise(rng));    // gon
        b.Zen(id(a, c), 5, 0.0005 * noise(rng));
        b.SDist(id(a, c), 2, 0.002 * noise(rng));   // m
      }
      b.EndSet();
    }
  return b;
}

AdjustmentResult AdjustWith(const Network &net, int threads) {
  SetThreadCount(threads);
  return Adjust(net);
}

TEST_F(Kernels, OneAndTwoThreadsGiveTheSameBits) {
  const Network net = ReadNetwork(GridNetwork().Xml());
  const AdjustmentResult one = AdjustWith(net, 1);
  const AdjustmentResult two = AdjustWith(net, 2);
  const AdjustmentResult three = AdjustWith(net, 3);
  ASSERT_EQ(one.outcome, Outcome::Adjusted) << one.failure << " line " << one.failureLine;
  ASSERT_GT(one.cov.rows(), 3 * 128);  // more than three column blocks
  ASSERT_EQ(two.outcome, Outcome::Adjusted);
  EXPECT_TRUE(one.cov == two.cov);
  EXPECT_TRUE(one.cov == three.cov);
  EXPECT_EQ(one.pvv, two.pvv);
  for (size_t i = 0; i < one.obs.size(); ++i) {
    EXPECT_EQ(one.obs[i].redundancy, two.obs[i].redundancy) << i;
    EXPECT_EQ(one.obs[i].residual, two.obs[i].residual) << i;
  }
}

// The results text is formatted in pieces on the engine's threads and
// handed over in order: the same text for any number of threads, the first
// failed write stops it, and a failure while formatting reaches the caller,
// without a thread left waiting.
TEST_F(Kernels, ResultsTextIsTheSameForAnyThreadsAndStopsAtAFailedWrite) {
  const Network net = ReadNetwork(GridNetwork(22).Xml());
  const AdjustmentResult res = AdjustWith(net, 0);
  ASSERT_EQ(res.outcome, Outcome::Adjusted) << res.failure;
  ASSERT_GT(res.cov.rows(), 1400);  // several pieces per thread
  std::vector<std::string> texts;
  std::vector<size_t> pieceCounts;
  for (int threads : {1, 2, 3}) {
    SetThreadCount(threads);
    std::string text;
    size_t pieces = 0;
    EXPECT_EQ(WriteResultsXml(net, res, [&](std::string_view piece) {
                text += piece;
                ++pieces;
                return 0;
              }),
              0);
    texts.push_back(text);
    pieceCounts.push_back(pieces);
  }
  EXPECT_GT(pieceCounts[0], 4u);
  EXPECT_EQ(texts[0], texts[1]);
  EXPECT_EQ(texts[0], texts[2]);
  EXPECT_EQ(texts[0], ResultsXml(net, res));

  for (int threads : {1, 2}) {
    SetThreadCount(threads);
    size_t pieces = 0;
    EXPECT_EQ(WriteResultsXml(net, res, [&](std::string_view) { return ++pieces == 3 ? 28 : 0; }),
              28);
    EXPECT_EQ(pieces, 3u) << "pieces were written after the failed one";
    pieces = 0;
    EXPECT_THROW(WriteResultsXml(net, res,
                                 [&](std::string_view) -> int {
                                   if (++pieces == 2) throw std::bad_alloc();
                                   return 0;
                                 }),
                 std::bad_alloc);
  }
}

TEST_F(Kernels, EveryInstructionSetAgreesToRounding) {
  const Network net = ReadNetwork(GridNetwork().Xml());
  ASSERT_TRUE(UseKernels("generic"));
  const AdjustmentResult generic = AdjustWith(net, 2);
  ASSERT_EQ(generic.outcome, Outcome::Adjusted);
  const double scale = generic.cov.diagonal().maxCoeff();
  int compared = 0;
  for (const char *name : {"avx2", "avx512"}) {
    if (!UseKernels(name)) continue;  // the processor cannot run them
    ++compared;
    const AdjustmentResult wide = AdjustWith(net, 2);
    ASSERT_EQ(wide.outcome, Outcome::Adjusted);
    EXPECT_LE((wide.cov - generic.cov).cwiseAbs().maxCoeff(), 1e-12 * scale) << name;
    EXPECT_NEAR(wide.pvv, generic.pvv, 1e-10 * generic.pvv) << name;
  }
  if (compared == 0) GTEST_SKIP() << "this processor runs only the generic kernels";
}

TEST_F(Kernels, DependentColumnsAreFoundWithAnyThreads) {
  // A matrix of rank n - 2 over several blocks: two columns repeat others.
  const int n = 300;
  std::mt19937 rng(3);
  std::normal_distribution<double> g(0, 1);
  Matrix b(n, n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) b(i, j) = g(rng);
  b.col(140) = b.col(3);
  b.col(290) = b.col(200);
  const Matrix a = b.transpose() * b;
  const Vector diag = a.diagonal();
  std::vector<int> deps[2];
  Matrix factor[2];
  for (int t = 0; t < 2; ++t) {
    SetThreadCount(t + 1);
    factor[t] = a;
    deps[t] = FactorInPlace(factor[t], diag, 1e-10, Envelope(factor[t]));
  }
  EXPECT_EQ(deps[0], (std::vector<int>{140, 290}));
  EXPECT_EQ(deps[0], deps[1]);
  EXPECT_TRUE(factor[0] == factor[1]);
}

TEST_F(Kernels, InverseFromTheFactorIsTheInverse) {
  const int n = 333;  // not a multiple of the block width
  std::mt19937 rng(5);
  std::normal_distribution<double> g(0, 1);
  Matrix b = Matrix::Zero(n, n);
  for (int j = 0; j < n; ++j)
    for (int i = std::max(0, j - 40); i < std::min(n, j + 40); ++i) b(i, j) = g(rng);
  const Matrix a = b.transpose() * b + Matrix::Identity(n, n);
  for (int threads : {1, 2}) {
    SetThreadCount(threads);
    Matrix f = a;
    const std::vector<int> env = Envelope(f);
    ASSERT_TRUE(FactorInPlace(f, a.diagonal(), 1e-12, env).empty());
    InvertFromFactorInPlace(f, env);
    EXPECT_LE((f * a - Matrix::Identity(n, n)).cwiseAbs().maxCoeff(), 1e-9) << threads;
  }
}

class EngineThreads : public Kernels {
protected:
  ScratchDir Scratch;
  std::string Run(const std::vector<std::string> &extra, const std::string &prefix, int &code,
                  int side = 8) {
    const std::string in = (Scratch.Path / "net.xml").string();
    kd::WriteFileAtomic(in, GridNetwork(side).Xml());
    std::vector<std::string> args = extra;
    args.push_back("--encoding");
    args.push_back("utf-8");
    args.push_back(in);
    args.push_back((Scratch.Path / prefix).string());
    std::ostringstream err;
    code = RunEngine(args, err);
    std::string xml;
    kd::ReadFileBytes((Scratch.Path / (prefix + "xml")).string(), xml);
    return xml;
  }
};

TEST_F(EngineThreads, ResultsFileIsTheSameForOneAndTwoThreads) {
  int c1 = -1, c2 = -1;
  const std::string one = Run({"--threads", "1"}, "one.", c1);
  const std::string two = Run({"--threads", "2"}, "two.", c2);
  ASSERT_EQ(c1, kExitOk);
  ASSERT_EQ(c2, kExitOk);
  ASSERT_GT(one.size(), 1000u);
  EXPECT_TRUE(one == two);
}

// 144 points: the covariance text is formatted in parts side by side, one
// per thread, and joined; the file must not depend on how it was cut.
TEST_F(EngineThreads, ResultsFileFormattedInPartsIsTheSameForAnyThreads) {
  int c1 = -1, c2 = -1, c3 = -1;
  const std::string one = Run({"--threads", "1"}, "one.", c1, 12);
  const std::string two = Run({"--threads", "2"}, "two.", c2, 12);
  const std::string three = Run({"--threads", "3"}, "three.", c3, 12);
  ASSERT_EQ(c1, kExitOk);
  ASSERT_EQ(c2, kExitOk);
  ASSERT_EQ(c3, kExitOk);
  ASSERT_GT(one.size(), 100000u);
  EXPECT_TRUE(one == two);
  EXPECT_TRUE(one == three);
  // Every row of the upper triangle is there once, in order.
  const auto start = one.find("<covariance");
  ASSERT_NE(start, std::string::npos);
  const int dim = std::stoi(one.substr(one.find("dim=\"", start) + 5));
  EXPECT_GT(dim, 400);
  const auto body = one.find('\n', start) + 1;
  const auto end = one.find("</covariance>");
  EXPECT_EQ(std::count(one.begin() + static_cast<long>(body), one.begin() + static_cast<long>(end), '\n'),
            dim);
}

TEST_F(EngineThreads, FaultyOptionValuesAreUsageErrors) {
  for (const std::vector<std::string> &bad :
       {std::vector<std::string>{"--threads", "0"}, {"--threads", "two"}, {"--threads", "2x"},
        {"--threads", "-1"}, {"--kernels", "sse9"}, {"--threads"}}) {
    int code = -1;
    const std::string xml = Run(bad, "bad.", code);
    EXPECT_EQ(code, kExitUsage) << bad[0];
    EXPECT_TRUE(xml.empty());
  }
}

}  // namespace
