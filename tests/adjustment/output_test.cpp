#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <pugixml.hpp>
#include <random>
#include <sstream>

#include "adjustment/output.h"
#include "adjustment/run.h"
#include "core/text_file.h"
#include "net_builder.h"

using namespace kd::adj;
using kd::adj::test::NetBuilder;
using kd::adj::test::ReadText;

namespace {

// The desktop's reading of a results document: children by position, a
// child with four attributes is a point, the last child is the covariance
// whose text is split at every character outside "1234567890+-eE,.".
struct DesktopView {
  std::vector<std::vector<std::string>> points;
  int dim = -1;
  std::vector<double> cov;
  bool ok = true;
};

bool IsNumberChar(char c) { return std::string("1234567890+-eE,.").find(c) != std::string::npos; }

DesktopView ReadLikeTheDesktop(const std::string &xml) {
  DesktopView v;
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str())) return v.ok = false, v;
  std::vector<pugi::xml_node> children;
  for (pugi::xml_node c : doc.document_element().children())
    if (c.type() == pugi::node_element) children.push_back(c);
  if (children.empty()) return v.ok = false, v;
  for (size_t k = 0; k + 1 < children.size(); ++k) {
    std::vector<std::string> attrs;
    for (pugi::xml_attribute a : children[k].attributes()) attrs.push_back(a.value());
    double num;
    // Every child needs an attribute, and the first one must read as a number.
    if (attrs.empty() || !ParseNumber(attrs[0], num)) return v.ok = false, v;
    if (attrs.size() == 4) v.points.push_back(attrs);
  }
  const pugi::xml_node last = children.back();
  v.dim = std::atoi(last.first_attribute().value());
  const std::string text = last.text().get();
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !IsNumberChar(text[i])) ++i;
    size_t j = i;
    while (j < text.size() && IsNumberChar(text[j])) ++j;
    if (j > i) {
      double x;
      if (!ParseNumber(text.substr(i, j - i), x)) return v.ok = false, v;
      v.cov.push_back(x);
    }
    i = j;
  }
  return v;
}

NetBuilder Small() {
  NetBuilder b;
  b.Point("1", 0, 0, 0, "fix=\"XYZ\"");
  b.Point("2", 120, 10, 3, "adj=\"XYZ\"");
  b.Point("3", 40, 90, -2, "fix=\"XY\" adj=\"Z\"");
  b.Point("4", 100, 100, 5, "adj=\"XYZ\"");
  b.Point("5", -50, 80, 1, "fix=\"XYZ\"");
  for (const char *s : {"1", "5"}) {
    b.Set(s);
    for (const char *t : {"2", "3", "4"}) {
      b.Dir(t, 3);
      b.SDist(t, 2);
      b.Zen(t, 5);
    }
    b.EndSet();
  }
  return b;
}

TEST(ResultsXml, LayoutIsWhatTheDesktopReads) {
  const Network net = Small().Net();
  const AdjustmentResult r = Adjust(net);
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  const DesktopView v = ReadLikeTheDesktop(ResultsXml(net, r));
  ASSERT_TRUE(v.ok);
  // Points with an adjusted coordinate, in input order, 3 rows each.
  ASSERT_EQ(v.points.size(), 3u);
  EXPECT_EQ(v.points[0][0], "2");
  EXPECT_EQ(v.points[1][0], "3");
  EXPECT_EQ(v.points[2][0], "4");
  EXPECT_NEAR(std::atof(v.points[2][1].c_str()), 100, 1e-6);
  ASSERT_EQ(v.dim, 9);
  ASSERT_EQ(v.cov.size(), 45u);
  // Upper triangle row by row; the constant X, Y of point 3 have zero rows.
  size_t k = 0;
  for (int i = 0; i < 9; ++i)
    for (int j = i; j < 9; ++j, ++k) {
      const double want = kd::adj::test::Cov(r, 1 + i / 3, i % 3, 1 + j / 3, j % 3);
      EXPECT_NEAR(v.cov[k], want, 1e-11 * (1 + std::fabs(want))) << i << "," << j;
    }
  EXPECT_EQ(v.cov[9 * 0 + 3], 0.0);  // row 0, column 3: X of point 3
}

TEST(ResultsXml, IdsAreEscapedToAscii) {
  // Point "2" renamed to "A&š<" (UTF-8 inside the engine).
  std::string xml = Small().Xml();
  for (size_t p = 0; (p = xml.find("\"2\"", p)) != std::string::npos;)
    xml.replace(p, 3, "\"A&amp;\xC5\xA1&lt;\"");
  const Network net = ReadNetwork(xml);
  ASSERT_EQ(net.points[1].id, "A&\xC5\xA1<");
  const std::string out = ResultsXml(net, Adjust(net));
  for (char c : out) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
  EXPECT_NE(out.find("id=\"A&amp;&#353;&lt;\""), std::string::npos);
}

TEST(ResultsXml, CovarianceNumbersKeepTwelveDigits) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> mant(-10, 10);
  for (int i = 0; i < 20000; ++i) {
    const double v = mant(rng) * std::pow(10.0, static_cast<int>(rng() % 40) - 20);
    const std::string s = FormatCovarianceEntry(v);
    double back;
    ASSERT_TRUE(ParseNumber(s, back)) << s;
    EXPECT_NEAR(back, v, 6e-12 * std::fabs(v)) << s;
    for (char c : s) EXPECT_TRUE(IsNumberChar(c)) << s;
  }
  EXPECT_EQ(FormatCovarianceEntry(0), "0");
  EXPECT_EQ(FormatCovarianceEntry(4), "4");
  EXPECT_EQ(FormatCovarianceEntry(-0.0025), "-0.0025");
  EXPECT_EQ(FormatCovarianceEntry(123456.5), "123456.5");
  EXPECT_EQ(FormatCovarianceEntry(1e-7), "1e-7");
  EXPECT_EQ(FormatCovarianceEntry(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatCovarianceEntry(999999999999.9), "1e12");
}

TEST(Protocol, FitsAHundredColumnsAndReportsTheEssentials) {
  const Network net = Small().Net();
  const AdjustmentResult r = Adjust(net);
  RunInfo info{"in.gfk", "cp-1250", "en", {}};
  const std::vector<std::string> lines = ProtocolLines(info, net, r);
  std::string all;
  for (const auto &l : lines) {
    EXPECT_LE(l.size(), 100u) << l;
    all += l + "\n";
  }
  for (const char *s : {"Redundancy", "Adjusted coordinates", "Error ellipses", "Orientations",
                        "MDB", "Weakest parts", "Datum", "axes-xy"})
    EXPECT_NE(all.find(s), std::string::npos) << s;
  // Long messages of failed runs are wrapped, nothing is lost.
  const std::string longWhy = "element <direction>: attribute \"stdev\" is not a number: " +
                              std::string(150, 'x') + " and more words after it";
  std::string joined;
  for (const auto &l : ErrorProtocolLines(info, longWhy, 12)) {
    EXPECT_LE(l.size(), 100u) << l;
    joined += l;
  }
  EXPECT_NE(joined.find("and more words after it"), std::string::npos);
  EXPECT_NE(joined.find("line 12"), std::string::npos);
}

// End-to-end runs in a scratch folder.
class EngineRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kd_engine_testXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    for (const char *f : {"in.gfk", "out.txt", "out.xml", "out.obs.csv"}) std::remove((dir_ + "/" + f).c_str());
    rmdir(dir_.c_str());
  }
  int Run(const std::string &doc, std::vector<std::string> args = {}) {
    kd::WriteFileAtomic(In(), doc);
    if (args.empty()) args = {"--encoding", "cp-1250", "--language", "en", In(), Prefix()};
    std::ostringstream err;
    return RunEngine(args, err);
  }
  std::string In() const { return dir_ + "/in.gfk"; }
  std::string Prefix() const { return dir_ + "/out."; }
  bool Exists(const char *ext) const { return access((Prefix() + ext).c_str(), F_OK) == 0; }
  std::string dir_;
};

TEST_F(EngineRun, SuccessWritesProtocolAndResults) {
  EXPECT_EQ(Run(Small().Xml(), {"--language", "en", In(), Prefix(), "--encoding", "cp-1250"}), 0);
  EXPECT_TRUE(Exists("txt"));
  EXPECT_TRUE(Exists("xml"));
  const std::string txt = ReadText(Prefix() + "txt");
  EXPECT_NE(txt.find("\r\n"), std::string::npos);
  EXPECT_EQ(ReadLikeTheDesktop(ReadText(Prefix() + "xml")).dim, 9);
}

TEST_F(EngineRun, FailureLeavesOnlyTheProtocolAndRemovesStaleResults) {
  kd::WriteFileAtomic(Prefix() + "xml", "<old/>");
  EXPECT_EQ(Run("<gama-xml><network>"), kExitInput);
  EXPECT_TRUE(Exists("txt"));
  EXPECT_FALSE(Exists("xml"));
  EXPECT_NE(ReadText(Prefix() + "txt").find("not well-formed"), std::string::npos);

  const std::string worked = ReadText(KD_SOURCE_DIR "/tests/adjustment/data/worked.gfk");
  EXPECT_EQ(Run(worked), kExitAdjust);
  EXPECT_FALSE(Exists("xml"));
  const std::string txt = ReadText(Prefix() + "txt");
  EXPECT_NE(txt.find("point 2.00"), std::string::npos) << txt;
}

TEST_F(EngineRun, MissingInputAndFaultyCommandLines) {
  std::ostringstream err;
  EXPECT_EQ(RunEngine({dir_ + "/absent.gfk", Prefix()}, err), kExitInput);
  EXPECT_NE(ReadText(Prefix() + "txt").find("cannot be read"), std::string::npos);
  std::remove((Prefix() + "txt").c_str());
  EXPECT_EQ(RunEngine({In()}, err), kExitUsage);
  EXPECT_EQ(RunEngine({"--encoding"}, err), kExitUsage);
  EXPECT_EQ(RunEngine({"--encoding", "koi8", In(), Prefix()}, err), kExitUsage);
  EXPECT_EQ(RunEngine({"--frobnicate", In(), Prefix()}, err), kExitUsage);
  EXPECT_FALSE(Exists("txt"));
}

TEST_F(EngineRun, UnwritableOutputFolderFailsCleanly) {
  std::ostringstream err;
  kd::WriteFileAtomic(In(), Small().Xml());
  EXPECT_EQ(RunEngine({In(), dir_ + "/no/such/folder/out."}, err), kExitSystem);
  EXPECT_FALSE(err.str().empty());
}

}  // namespace
