// The engine's command line, its refusal of values that make no adjustment,
// its output files under write failures, and the observation table.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "adjustment/outfile.h"
#include "adjustment/run.h"
#include "core/survey_network.h"
#include "core/text_file.h"
#include "net_builder.h"
#include "tests/support/scratch.h"

using namespace kd::adj;
using kd::adj::test::NetBuilder;
using kd::adj::test::ReadText;

namespace {

bool Exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

// Observations of every kind with errors of a few standard deviations, one
// gross error for the absolute-term test, and ids that need quoting in CSV.
NetBuilder Measured() {
  NetBuilder b;
  b.params = "sigma-apr=\"1\" conf-pr=\"0.95\" tol-abs=\"200\" sigma-act=\"apriori\"";
  b.Point("A,1", 0, 0, 100, "fix=\"XYZ\"");
  b.Point("B", 300, 20, 103, "fix=\"XYZ\"");
  b.Point("C&quot;east&quot;", 150, 210, 97, "adj=\"XYZ\"");
  b.Point("D", 260, 180, 108, "adj=\"XYZ\"");
  b.Point("E", 90, 120, 101, "adj=\"XYZ\"");
  const double err[] = {2.1, -3.4, 1.2, 4.0, -2.6, 0.7, -1.9, 3.3, -4.2, 2.8};
  int k = 0;
  for (const char *s : {"A,1", "B"}) {
    b.Set(s);
    for (const char *t : {"C&quot;east&quot;", "D", "E"}) {
      b.Dir(t, 3, err[k++ % 10] * 3 / 1e4);
      b.SDist(t, 2, err[k++ % 10] * 2 / 1000);
      b.Zen(t, 5, err[k++ % 10] * 5 / 1e4);
      b.Dist(t, 2, err[k++ % 10] * 2 / 1000);
    }
    b.EndSet();
  }
  b.Set("E");
  b.SDist("D", 2, 0.5);  // 500 mm off: left out by tol-abs
  b.EndSet();
  b.Dh("A,1", "E", 1, 0.0021);
  b.Dh("E", "D", 1, -0.0013);
  const double cov[6] = {4, 0.5, 0.2, 4, 0.3, 9};
  b.Vec("B", "D", cov);
  return b;
}

class Engine : public ::testing::Test {
 protected:
  void TearDown() override { SetWriteFaultHook(nullptr); }
  int Run(const std::string &doc, const std::string &prefix) {
    kd::WriteFileAtomic(In(), doc);
    err_.str("");
    return RunEngine({"--encoding", "utf-8", In(), prefix}, err_);
  }
  std::string In() const { return dir_ / "net.gfk"; }
  std::string Prefix() const { return dir_ / "net."; }
  ScratchDir dir_;
  std::ostringstream err_;
};

TEST_F(Engine, OutputsThatWouldReplaceTheInputAreRefused) {
  const std::string doc = Measured().Xml();
  std::ostringstream err;
  const std::string sub = dir_ / "sub";
  std::filesystem::create_directory(sub);
  std::filesystem::create_directory_symlink(dir_.Path, dir_ / "link");
  for (const char *name : {"net.xml", "net.txt", "net.obs.csv"}) {
    const std::string input = dir_ / name;
    kd::WriteFileAtomic(input, doc);
    for (const std::string &prefix :
         {dir_ / "net.", sub + "/../net.", dir_.Path.string() + "/./net.", dir_ / "link/net."}) {
      EXPECT_EQ(RunEngine({input, prefix}, err), kExitUsage) << name << " " << prefix;
      EXPECT_EQ(ReadText(input), doc) << name << " " << prefix;
    }
    // Through the working folder, spelled differently on each side.
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(sub.c_str()), 0);
    EXPECT_EQ(RunEngine({std::string("../") + name, "../sub/../net."}, err), kExitUsage);
    ASSERT_EQ(chdir(dir_.Path.c_str()), 0);
    EXPECT_EQ(RunEngine({std::string("./") + name, "net."}, err), kExitUsage);
    ASSERT_EQ(chdir(cwd.c_str()), 0);
    EXPECT_EQ(ReadText(input), doc) << name;
    std::filesystem::remove(input);
  }
  EXPECT_NE(err.str().find("would overwrite the input file"), std::string::npos) << err.str();
  EXPECT_FALSE(Exists(dir_ / "net.txt"));
  // A prefix that only resembles the input's name is fine.
  kd::WriteFileAtomic(dir_ / "net.xml", doc);
  EXPECT_EQ(RunEngine({dir_ / "net.xml", dir_ / "net.xml."}, err), kExitOk) << err.str();
}

TEST_F(Engine, OptionLikeArgumentsAreNeverTakenAsNames) {
  kd::WriteFileAtomic(In(), Measured().Xml());
  const std::string cwd = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(dir_.Path.c_str()), 0);
  std::ostringstream err;
  EXPECT_EQ(RunEngine({In(), "-o"}, err), kExitUsage);
  EXPECT_EQ(RunEngine({In(), "--out"}, err), kExitUsage);
  EXPECT_EQ(RunEngine({In(), Prefix(), "-v"}, err), kExitUsage);
  EXPECT_EQ(RunEngine({In(), Prefix(), "--verbose"}, err), kExitUsage);
  EXPECT_EQ(RunEngine({"-", In(), Prefix()}, err), kExitUsage);
  ASSERT_EQ(chdir(cwd.c_str()), 0);
  for (const auto &e : std::filesystem::directory_iterator(dir_.Path))
    EXPECT_EQ(e.path().filename(), "net.gfk") << "stray output " << e.path();
  EXPECT_NE(err.str().find("unknown option -o"), std::string::npos) << err.str();
}

// Values that make a weight or a dimension meaningless are named with their
// line as the input faults they are.
TEST_F(Engine, ValuesThatCannotBeComputedWithAreNamed) {
  struct Case {
    std::string params, extra, expect;
  };
  const std::string p = "conf-pr=\"0.95\" tol-abs=\"1000\" sigma-act=\"apriori\"";
  const Case cases[] = {
      {"sigma-apr=\"1\" " + p, "<obs from=\"1\"><distance to=\"3\" val=\"100\" stdev=\"1e-200\"/></obs>",
       "\"1e-200\" is too small"},
      {"sigma-apr=\"1e-170\" " + p, "", "\"sigma-apr\" \"1e-170\" is too small"},
      {"sigma-apr=\"1e90\" " + p, "", "\"sigma-apr\" \"1e90\" is too large"},
      {"sigma-apr=\"1e40\" " + p, "<obs from=\"1\"><distance to=\"3\" val=\"100\" stdev=\"1e-61\"/></obs>",
       "\"1e-61\" is too small for the"},
      {"sigma-apr=\"1\" " + p,
       "<vectors><vec from=\"1\" to=\"2\" dx=\"1\" dy=\"1\" dz=\"1\"/>"
       "<cov-mat dim=\"1e30\" band=\"0\">1 1 1</cov-mat></vectors>",
       "\"dim\" \"1e30\" is not a whole number"},
      {"sigma-apr=\"1\" " + p,
       "<vectors><vec from=\"1\" to=\"2\" dx=\"1\" dy=\"1\" dz=\"1\"/>"
       "<cov-mat dim=\"3\" band=\"1e300\">1 1 1</cov-mat></vectors>",
       "\"band\" \"1e300\" is not a whole number"},
      {"sigma-apr=\"1\" " + p,
       "<vectors><vec from=\"1\" to=\"2\" dx=\"1\" dy=\"1\" dz=\"1\"/>"
       "<cov-mat dim=\"3\" band=\"0\">1e-160 1e-160 1e-160</cov-mat></vectors>",
       "the variance 1e-160 of component 1 is too small"},
  };
  for (const Case &c : cases) {
    NetBuilder b;
    b.params = c.params;
    b.Point("1", 0, 0, 0, "fix=\"XYZ\"");
    b.Point("2", 100, 0, 1, "fix=\"XYZ\"");
    b.Point("3", 60, 80, 2, "adj=\"XYZ\"");
    b.Set("1");
    b.SDist("3", 1);
    b.Zen("3", 1);
    b.EndSet();
    b.Set("2");
    b.SDist("3", 1);
    b.Dir("3", 1);
    b.Dir("1", 1);
    b.EndSet();
    b.Raw(c.extra + "\n");
    const std::string doc = b.Xml();
    EXPECT_EQ(Run(doc, Prefix()), kExitInput) << c.expect;
    const std::string txt = ReadText(Prefix() + "txt");
    EXPECT_NE(txt.find(c.expect), std::string::npos) << txt;
    EXPECT_NE(txt.find("Error on line"), std::string::npos) << txt;
    EXPECT_EQ(txt.find("singular"), std::string::npos) << txt;
  }
  // A tolerance that leaves out most observations is the fault, on its line.
  NetBuilder b = Measured();
  b.params = "sigma-apr=\"1\" conf-pr=\"0.95\" tol-abs=\"0.01\" sigma-act=\"apriori\"";
  EXPECT_EQ(Run(b.Xml(), Prefix()), kExitInput);
  const std::string txt = ReadText(Prefix() + "txt");
  EXPECT_NE(txt.find("Error on line 4: \"tol-abs\" 0.01 mm leaves out"), std::string::npos) << txt;
  EXPECT_FALSE(Exists(Prefix() + "xml"));
}

// Full disk: every failure names the system's reason, and no protocol is
// left that reports a success.
TEST_F(Engine, WriteFailuresNameTheReasonAndLeaveNoFalseProtocol) {
  const std::string doc = Measured().Xml();
  std::vector<std::string> order;
  SetWriteFaultHook([&](const std::string &path) {
    order.push_back(path.substr(Prefix().size()));
    return 0;
  });
  ASSERT_EQ(Run(doc, Prefix()), kExitOk) << err_.str();
  EXPECT_EQ(order, (std::vector<std::string>{"txt", "obs.csv", "xml"}));

  for (const char *failing : {"obs.csv", "xml"}) {
    // The file fails, the protocol can still say so.
    SetWriteFaultHook([&](const std::string &path) { return path.ends_with(failing) ? ENOSPC : 0; });
    EXPECT_EQ(Run(doc, Prefix()), kExitSystem) << failing;
    EXPECT_NE(err_.str().find("No space left on device"), std::string::npos) << err_.str();
    const std::string txt = ReadText(Prefix() + "txt");
    EXPECT_NE(txt.find("could not be written (No space left on device)"), std::string::npos) << txt;
    EXPECT_FALSE(Exists(Prefix() + "xml"));
    EXPECT_FALSE(Exists(Prefix() + "obs.csv"));

    // Everything after the protocol fails: the protocol is removed.
    int writes = 0;
    SetWriteFaultHook([&](const std::string &) { return ++writes > 1 ? ENOSPC : 0; });
    EXPECT_EQ(Run(doc, Prefix()), kExitSystem);
    EXPECT_NE(err_.str().find("No space left on device"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("was removed"), std::string::npos) << err_.str();
    EXPECT_FALSE(Exists(Prefix() + "txt"));
    EXPECT_FALSE(Exists(Prefix() + "xml"));
    EXPECT_FALSE(Exists(Prefix() + "obs.csv"));
  }
  // Nothing can be written: a protocol of an earlier run does not survive.
  kd::WriteFileAtomic(Prefix() + "txt", "an earlier, successful run");
  SetWriteFaultHook([](const std::string &) { return EIO; });
  EXPECT_EQ(Run("<gama-xml><network>", Prefix()), kExitSystem);
  EXPECT_NE(err_.str().find(std::strerror(EIO)), std::string::npos) << err_.str();
  EXPECT_FALSE(Exists(Prefix() + "txt"));
  for (const auto &e : std::filesystem::directory_iterator(dir_.Path))
    EXPECT_EQ(e.path().filename(), "net.gfk") << "left behind: " << e.path();
}

// Splits one CSV record (no line ends inside fields in this table).
std::vector<std::string> CsvFields(const std::string &line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') out.back() += '"', ++i;
      else if (c == '"') quoted = false;
      else out.back() += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

// The observation table against the protocol's observation rows: same
// observations in the same order, the same numbers to the protocol's
// decimals. Returns the number of rejected rows; `types` collects the
// element names seen.
int CompareTableWithProtocol(const Network &net, const std::string &prefix,
                             std::set<std::string> &types) {
  const std::vector<std::string> csv = kd::SplitLines(ReadText(prefix + "obs.csv"));
  const std::vector<std::string> txt = kd::SplitLines(ReadText(prefix + "txt"));
  EXPECT_EQ(csv.size(), net.observations.size() + 1);
  if (csv.size() != net.observations.size() + 1) return -1;
  EXPECT_EQ(csv[0], "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected");
  size_t row = 0;
  while (row < txt.size() && txt[row].rfind("Station    Target     Type", 0) != 0) ++row;
  EXPECT_LT(row + net.observations.size(), txt.size());
  if (row + net.observations.size() >= txt.size()) return -1;
  const std::map<std::string, std::string> elementOf = {
      {"dir", "direction"}, {"hdist", "distance"}, {"sdist", "s-distance"}, {"zenith", "z-angle"},
      {"dh", "dh"},         {"vec dx", "dx"},      {"vec dy", "dy"},        {"vec dz", "dz"}};
  int rejected = 0;
  for (size_t i = 0; i < net.observations.size(); ++i) {
    const std::string &line = txt[row + 1 + i];
    const std::vector<std::string> f = CsvFields(csv[i + 1]);
    EXPECT_EQ(f.size(), 9u) << csv[i + 1];
    if (f.size() != 9) continue;
    const Observation &o = net.observations[i];
    // The protocol's fixed columns: ids, the kind, then the numbers.
    EXPECT_EQ(line.substr(0, f[1].size()), f[1]) << line;
    EXPECT_EQ(f[1], net.points[o.from].id);
    EXPECT_EQ(f[2], net.points[o.to].id);
    const std::string kind = line.substr(22, 7);
    EXPECT_EQ(f[0], elementOf.at(kind.substr(0, kind.find_last_not_of(' ') + 1))) << line;
    types.insert(f[0]);
    std::istringstream rest(line.substr(30));
    double observed = 0;
    rest >> observed;
    EXPECT_NEAR(std::stod(f[3]), observed, 0.6e-4) << line;
    EXPECT_EQ(f[3], o.valueText);
    if (line.find("rejected") != std::string::npos) {
      ++rejected;
      EXPECT_EQ(f[8], "1");
      EXPECT_EQ(f[5] + f[6] + f[7], "");
      continue;
    }
    EXPECT_EQ(f[8], "0");
    double resid, sapr, sadj, r;
    std::string mdb;
    rest >> resid >> sapr >> sadj >> r >> mdb;
    EXPECT_NEAR(std::stod(f[4]), sapr, 0.006) << line;
    EXPECT_NEAR(std::stod(f[5]), sadj, 0.006) << line;
    EXPECT_NEAR(std::stod(f[6]), r, 0.0006) << line;
    EXPECT_GE(std::stod(f[6]), 0);
    EXPECT_LE(std::stod(f[6]), 1);
    if (mdb == "unchecked") EXPECT_EQ(f[7], "") << line;
    else EXPECT_NEAR(std::stod(f[7]), std::stod(mdb), 0.006) << line;
  }
  return rejected;
}

TEST_F(Engine, ObservationTableAgreesWithTheProtocol) {
  const NetBuilder b = Measured();
  ASSERT_EQ(Run(b.Xml(), Prefix()), kExitOk) << err_.str();
  std::set<std::string> types;
  EXPECT_EQ(CompareTableWithProtocol(b.Net(), Prefix(), types), 1);
  EXPECT_EQ(types.size(), 8u);  // every element name appears
  // A value is the document's text, whatever its form.
  EXPECT_NE(ReadText(Prefix() + "obs.csv").find("s-distance,E,D,"), std::string::npos);
}

// The bundled sample network through the desktop's document writer.
TEST_F(Engine, ObservationTableOfTheSampleNetwork) {
  SurveyNetwork c;
  ASSERT_GT(c.Points.List.LoadFull(KD_SOURCE_DIR "/data/shaft_coords.txt"), 0);
  ASSERT_GT(c.Measurements.LoadFromFile(KD_SOURCE_DIR "/data/shaft_meas.txt"), 0);
  c.CheckConsistency(true);
  c.Measurements.Sort();
  ASSERT_TRUE(c.WriteEngineInput(In()));
  std::ostringstream err;
  ASSERT_EQ(RunEngine({"--encoding", "cp-1250", "--language", "en", In(), Prefix()}, err), kExitOk)
      << err.str();
  std::string bytes;
  ASSERT_TRUE(kd::ReadFileBytes(In(), bytes));
  const Network net = ReadNetwork(kd::Cp1250ToUtf8(bytes));
  std::set<std::string> types;
  EXPECT_EQ(CompareTableWithProtocol(net, Prefix(), types), 0);
  EXPECT_GE(types.size(), 5u);
}

}  // namespace

TEST_F(Engine, ANamedPipeAsInputIsRefusedWithoutWaiting) {
  const std::string fifo = dir_ / "pipe.gfk";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::ostringstream err;
  // Were the pipe opened, the run would wait for a writer for ever.
  EXPECT_EQ(RunEngine({"--encoding", "utf-8", fifo, Prefix()}, err), kExitInput);
  EXPECT_NE(ReadText(Prefix() + "txt").find("not a regular file"), std::string::npos);
}
