// End-to-end runs of korvadimensio3d-batch with malformed inputs, special
// files, outputs that would meet, interrupts at every stage and resources:
// none of them may end as a plausible wrong answer or leave anything behind.
#include "batch_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const std::string kBuiltBatch = std::string(KD_BIN_DIR) + "/korvadimensio3d-batch";
const std::string kEngine = std::string(KD_BIN_DIR) + "/gama.exe";
const std::string kCoords = std::string(KD_SOURCE_DIR) + "/data/shaft_coords.txt";
const std::string kMeas = std::string(KD_SOURCE_DIR) + "/data/shaft_meas.txt";

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

bool Contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

// The command beside our engine (or a stand-in script) in a folder of its
// own, so that no settings file of the build folder applies.
struct Command {
  TempFolder Folder;
  std::string Batch;
  explicit Command(const std::string &engineScript = "") {
    Batch = Folder / "korvadimensio3d-batch";
    fs::copy_file(kBuiltBatch, Batch);
    if (engineScript.empty()) {
      fs::copy_file(kEngine, Folder / "gama.exe");
    } else {
      WriteText(Folder / "gama.exe", "#!/bin/sh\n" + engineScript);
      fs::permissions(Folder / "gama.exe", fs::perms::owner_all);
    }
  }
};

// The sample's coordinates with line `line` (1-based) replaced.
std::string SampleWithLine(int line, const std::string &text) {
  std::istringstream in(ReadWholeFile(kCoords));
  std::string out, l;
  for (int n = 1; std::getline(in, l); ++n)
    out += (n == line ? text + "\r" : l) + "\n";
  return out;
}

} // namespace

TEST(BatchInputs, MalformedNumbersAreNamedAndNeverMoveAPoint) {
  Command cmd;
  TempFolder tmp;
  struct Case {
    int Line;
    std::string Text;
    std::string Fault;
  } cases[] = {
      {2, "102.0 5412..30500 2155.87000 291.06600 0.00020 0.00050 f", "second decimal point in a number at line 2"},
      {2, "102.0 5.41230500e3 2155.87000 291.06600 0.00020 0.00050 f", "exponent in a number at line 2"},
      {2, "102.0 5412,30500 2155,87000 291,06600 0,00020 0,00050 f", "decimal comma at line 2: use a decimal point"},
      {12, "404.0 5247..03600 2601.16100 224.12100 0.00050 0.00080 a", "second decimal point in a number at line 12"},
      {12, "404.0 5247.03600 2.60116100E3 224.12100 0.00050 0.00080 a", "exponent in a number at line 12"},
      {12, "404.0 5247,03600 2601,16100 224,12100 0,00050 0,00080 a", "decimal comma at line 12: use a decimal point"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Text);
    const std::string coords = tmp / "coords.txt";
    WriteText(coords, SampleWithLine(c.Line, c.Text));
    const RunResult r = RunProgram(cmd.Batch, {coords, kMeas});
    EXPECT_TRUE(Contains(r.Err, coords + ":" + std::to_string(c.Line) + ": " + c.Fault)) << r.Err;
    EXPECT_TRUE(Contains(r.Out, "Number of loaded points: 11")) << r.Out;
    // The point is left out, never read at other coordinates.
    const std::string number = c.Line == 2 ? "102" : "404";
    EXPECT_FALSE(Contains(r.Out, "\n" + number + "  ")) << r.Out;
    const RunResult strict = RunProgram(cmd.Batch, {"--strict", coords, kMeas});
    EXPECT_EQ(strict.Code, 1) << strict.Err;
    EXPECT_TRUE(Contains(strict.Err, c.Fault)) << strict.Err;
  }
}

TEST(BatchInputs, ByteOrderMarksAndNamedPipes) {
  Command cmd;
  TempFolder tmp;
  WriteText(tmp / "meas.txt", "\xEF\xBB\xBF" + ReadWholeFile(kMeas));
  WriteText(tmp / "coords.txt", "\xEF\xBB\xBF" + ReadWholeFile(kCoords));
  const RunResult plain = RunProgram(cmd.Batch, {kCoords, kMeas});
  const RunResult marked = RunProgram(cmd.Batch, {tmp / "coords.txt", tmp / "meas.txt"});
  EXPECT_EQ(marked.Code, 0) << marked.Err;
  EXPECT_EQ(marked.Out, plain.Out);
  EXPECT_FALSE(Contains(marked.Err, "unknown type code")) << marked.Err;

  const std::string fifo = tmp / "pipe.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{fifo, kMeas}, std::vector<std::string>{kCoords, fifo}}) {
    // Were the pipe opened, the command would wait for a writer for ever.
    const RunResult r = RunProgram(cmd.Batch, args, {}, {}, std::chrono::seconds(20));
    EXPECT_EQ(r.Code, 1) << r.Err;
    EXPECT_TRUE(Contains(r.Err, fifo + ": it is not a regular file")) << r.Err;
  }
}

TEST(BatchInputs, UpperCaseMarksAreNamedWhenTheNetworkIsSingular) {
  Command cmd;
  TempFolder tmp;
  std::string coords = ReadWholeFile(kCoords);
  for (std::size_t p = coords.find(" f\r"); p != std::string::npos; p = coords.find(" f\r", p))
    coords[p + 1] = 'F';
  WriteText(tmp / "coords.txt", coords);
  const RunResult r = RunProgram(cmd.Batch, {tmp / "coords.txt", kMeas});
  EXPECT_NE(r.Code, 0);
  EXPECT_TRUE(Contains(r.Err, tmp / "coords.txt:1: 3 lines carry 'F'; fixed points are marked with a lower-case f"))
      << r.Err;
  // A network that can be adjusted needs no such hint.
  const RunResult fine = RunProgram(cmd.Batch, {kCoords, kMeas});
  EXPECT_FALSE(Contains(fine.Err, "carry 'F'"));
}

TEST(BatchInputs, AnyTwoOutputsNamingTheSameFileAreRefusedBeforeTheRun) {
  Command cmd;
  TempFolder tmp;
  fs::create_directory(tmp / "sub");
  fs::create_symlink(tmp / "a.pdf", tmp / "link.pdf"); // a link to a file yet to be written
  struct Case {
    std::vector<std::string> Args;
    std::string Message;
  } cases[] = {
      {{"--plot", tmp / "a.pdf", "--report", tmp / "a.pdf"}, "--plot " + tmp / "a.pdf" + " and --report"},
      {{"--plot", tmp / "t.png", "--table", tmp / "sub/../t.png"}, "and --plot " + tmp / "t.png" + " name the same file"},
      {{"--cov", tmp / "c.txt", "--table", tmp / "./c.txt"}, "name the same file"},
      {{"--plot", tmp / "link.pdf", "--report", tmp / "a.pdf"}, "name the same file"},
      {{"--report", tmp / "r.html", "--report", tmp / "sub/../r.html"}, "name the same file"},
      {{"--plot", tmp / "p.svg", "--plot", tmp / "p.svg"}, "name the same file"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> args = c.Args;
    args.push_back(kCoords);
    args.push_back(kMeas);
    const RunResult r = RunProgram(cmd.Batch, args);
    EXPECT_EQ(r.Code, 1) << r.Err;
    EXPECT_TRUE(Contains(r.Err, c.Message)) << r.Err;
    EXPECT_FALSE(Contains(r.Out, "Number of loaded points")) << "refused before the run";
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()), 2)
      << "nothing written beside the folder and the link";
}

TEST(BatchInputs, RasterPlotsAreBoundAndQtLeavesNoRuntimeFolder) {
  Command cmd;
  TempFolder tmp, out;
  const RunResult big = RunProgram(cmd.Batch, {"--plot-size", "20000", "20000", "--plot", out / "p.png", kCoords, kMeas});
  EXPECT_EQ(big.Code, 1);
  EXPECT_TRUE(Contains(big.Err, "at most 50000000 pixels")) << big.Err;
  EXPECT_TRUE(fs::is_empty(out.Path()));

  // Vector plots are not bound; no run leaves Qt's runtime folder behind.
  const RunResult r = RunProgram(cmd.Batch,
                                 {"--plot-size", "20000", "20000", "--plot", out / "p.svg", "--report",
                                  out / "r.html", kCoords, kMeas},
                                 {"TMPDIR=" + tmp.Path(), "XDG_RUNTIME_DIR="});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(fs::exists(out / "p.svg"));
  EXPECT_TRUE(fs::exists(out / "r.html"));
  for (const auto &e : fs::directory_iterator(tmp.Path()))
    ADD_FAILURE() << "left behind: " << e.path();
}

TEST(BatchInputs, ASignalWhilePlotsAndReportsAreWrittenLeavesNoFile) {
  Command cmd;
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    TempFolder tmp, out;
    // Once the results table is printed the command draws: a large plot
    // keeps it busy long enough.
    const RunResult r = RunProgram(
        cmd.Batch,
        {"--plot-size", "5000", "5000", "--plot", out / "p.png", "--report", out / "r.pdf", kCoords, kMeas},
        {"TMPDIR=" + tmp.Path()}, {}, std::chrono::seconds(120),
        [](const std::string &sofar) { return Contains(sofar, "P.No."); }, sig);
    EXPECT_EQ(r.Code, 130) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "interrupted")) << r.Err;
    for (const auto &e : fs::directory_iterator(out.Path()))
      ADD_FAILURE() << "left behind: " << e.path();
    for (const auto &e : fs::directory_iterator(tmp.Path()))
      ADD_FAILURE() << "left behind: " << e.path();
  }
}

TEST(BatchInputs, ATimedOutEngineGetsTermAndThenKill) {
  TempFolder tmp;
  // The stand-in notes the request to end and ignores it.
  Command cmd("trap 'echo term >> \"" + tmp / "signals" + "\"' TERM\nwhile :; do sleep 0.05; done\n");
  const auto start = std::chrono::steady_clock::now();
  const RunResult r = RunProgram(cmd.Batch, {"--timeout", "0.5", kCoords, kMeas});
  EXPECT_EQ(r.Code, 2) << r.Err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(Contains(ReadWholeFile(tmp / "signals"), "term"));
}
