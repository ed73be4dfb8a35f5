// End-to-end runs of korvadimensio3d-batch: the bundled sample network with
// our engine, and bad input of every kind.
#include "batch_test_support.h"

#include "evaluation/network_precision.h"
#include "evaluation/results_reader.h"
#include "core/point_list.h"
#include "settings/language_pack.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <QColor>
#include <QImage>

#include "plot/precision_plan.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string kBuiltBatch = std::string(KD_BIN_DIR) + "/korvadimensio3d-batch";
const std::string kEngine = std::string(KD_BIN_DIR) + "/gama.exe";
const std::string kCoords = std::string(KD_SOURCE_DIR) + "/data/shaft_coords.txt";
const std::string kMeas = std::string(KD_SOURCE_DIR) + "/data/shaft_meas.txt";

// Number of adjusted points of the sample network.
constexpr int kSampleAdjusted = 9;

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    out.push_back(line);
  }
  return out;
}

bool Contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

// The table rows printed by the command: point number -> cells.
std::map<std::string, std::vector<std::string>> TableRows(const std::string &out) {
  std::map<std::string, std::vector<std::string>> rows;
  bool inTable = false;
  for (const auto &line : Lines(out)) {
    std::istringstream in(line);
    std::vector<std::string> cells;
    std::string c;
    while (in >> c)
      cells.push_back(c);
    if (!cells.empty() && cells[0] == "P.No.") {
      inTable = true;
      continue;
    }
    if (inTable && cells.size() == 16)
      rows[cells[0]] = cells;
    else if (inTable)
      inTable = false;
  }
  return rows;
}

// A folder holding a copy of the batch command and, as its engine, either our
// engine or a stand-in shell script; optionally the desktop settings file.
struct InstalledPrograms {
  TempFolder Folder;
  std::string Batch;
  explicit InstalledPrograms(const std::string &engineScript = "") {
    Batch = Folder / "korvadimensio3d-batch";
    fs::copy_file(kBuiltBatch, Batch);
    if (engineScript.empty()) {
      fs::copy_file(kEngine, Folder / "gama.exe");
    } else if (engineScript != "none") {
      WriteText(Folder / "gama.exe", "#!/bin/sh\n" + engineScript);
      fs::permissions(Folder / "gama.exe", fs::perms::owner_all);
    }
  }
  void Settings(int mode) {
    WriteText(Folder / "korvadimensio3d.ini", "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\n"
                                              "Times New Roman\r\n10\r\n" +
                                                  std::to_string(mode) + "\r\nT\r\nEN.pck\r\n");
  }
};

// The command with our engine in a folder of its own, so that a settings
// file left beside the built programs cannot change the mode or language.
const std::string &Batch() {
  static InstalledPrograms install;
  return install.Batch;
}

} // namespace

// ---- The sample network

TEST(BatchSample, EvaluatesWithStatusTextsTableAndDistances) {
  TempFolder tmp; // the command's temporary folder must be gone afterwards
  const RunResult r =
      RunProgram(Batch(),
                 {"--mode", "1", "--distance", "104", "404", "slope", "--distance", "404", "104",
                  "slope", "--distance", "301", "302",
                  "horizontal", kCoords, kMeas},
                 {"TMPDIR=" + tmp.Path()});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  EXPECT_TRUE(r.Err.empty()) << r.Err;
  const auto lines = Lines(r.Out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Number of loaded points: 12");
  EXPECT_EQ(lines[1], "Loaded measurements:60");
  EXPECT_EQ(lines[2], "Evaluation started.");
  EXPECT_TRUE(Contains(r.Out, "\nEvaluation acomplished.\n"));

  const auto rows = TableRows(r.Out);
  ASSERT_EQ(rows.size(), static_cast<size_t>(kSampleAdjusted)) << r.Out;
  for (const char *p : {"104", "201", "202", "301", "302", "401", "402", "403", "404"})
    EXPECT_EQ(rows.count(p), 1u) << p;
  EXPECT_EQ(rows.count("101"), 0u); // fixed points have no adjusted coordinates
  // Realistic figures: millimetres near the shaft, growing along the tunnel.
  const double sx104 = std::stod(rows.at("104")[4]);
  const double sy404 = std::stod(rows.at("404")[5]);
  EXPECT_GT(sx104, 0.05);
  EXPECT_LT(sx104, 5.0);
  EXPECT_GT(std::stod(rows.at("404")[7]), std::stod(rows.at("401")[7]));
  EXPECT_LT(sy404, 100.0);

  // Swapping the points gives the same distance and standard deviation (the
  // same point twice is refused before the run: see the options' tests).
  std::smatch m1, m2;
  const std::regex fwd(R"(Distance \(slope\) 104 - 404: (\S+) m, Std\. dev\. (\S+) mm)");
  const std::regex bwd(R"(Distance \(slope\) 404 - 104: (\S+) m, Std\. dev\. (\S+) mm)");
  ASSERT_TRUE(std::regex_search(r.Out, m1, fwd)) << r.Out;
  ASSERT_TRUE(std::regex_search(r.Out, m2, bwd)) << r.Out;
  EXPECT_EQ(m1[1], m2[1]);
  EXPECT_EQ(m1[2], m2[2]);
  EXPECT_NEAR(std::stod(m1[1]), 320.30, 0.05);
  EXPECT_GT(std::stod(m1[2]), 0.0);
  EXPECT_TRUE(std::regex_search(r.Out, std::regex(R"(Distance \(horizontal\) 301 - 302: 4\.48)")));

  EXPECT_TRUE(fs::is_empty(tmp.Path())) << "temporary run folder left behind";
}

TEST(BatchSample, KeepsRunFilesAndSavesTableAndMatrix) {
  TempFolder tmp;
  const std::string work = tmp / "run/deeper";
  const RunResult r = RunProgram(Batch(), {"--mode", "2", "--workdir", work, "--table",
                                           tmp / "table.txt", "--cov", tmp / "cov.txt", kCoords,
                                           kMeas});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  for (const char *f : {"network.gfk", "network.txt", "network.xml"})
    EXPECT_TRUE(fs::is_regular_file(work + "/" + f)) << f;
  EXPECT_TRUE(Contains(ReadWholeFile(work + "/network.gfk"), "<gama-xml version=\"2.0\">\r\n"));

  // The table: header + one line per adjusted point, 16 tab-ended cells, CR LF.
  const std::string table = ReadWholeFile(tmp / "table.txt");
  const auto tl = Lines(table);
  ASSERT_EQ(tl.size(), static_cast<size_t>(kSampleAdjusted + 1));
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'),
            std::count(table.begin(), table.end(), '\r'));
  for (const auto &l : tl) {
    EXPECT_EQ(std::count(l.begin(), l.end(), '\t'), 16) << l;
    EXPECT_EQ(l.back(), '\t');
  }
  EXPECT_EQ(tl[0].rfind("P.No.\tX/m\tY/m\tZ/m\ts(x)/mm", 0), 0u) << tl[0];

  // The matrix: 3n lines of 3n blank-ended numbers, symmetric.
  const auto cl = Lines(ReadWholeFile(tmp / "cov.txt"));
  const size_t dim = 3 * kSampleAdjusted;
  ASSERT_EQ(cl.size(), dim);
  std::vector<std::vector<double>> c;
  for (const auto &l : cl) {
    EXPECT_EQ(l.back(), ' ');
    std::istringstream in(l);
    std::vector<double> row;
    double v;
    while (in >> v)
      row.push_back(v);
    ASSERT_EQ(row.size(), dim);
    c.push_back(row);
  }
  for (size_t i = 0; i < dim; ++i) {
    EXPECT_GT(c[i][i], 0.0);
    for (size_t j = 0; j < i; ++j)
      EXPECT_NEAR(c[i][j], c[j][i], 1e-9 * (1 + std::abs(c[i][j])));
  }
}

TEST(BatchSample, EngineInThisProcessGivesTheEngineProgramsNumbers) {
  // Without --workdir the engine runs inside the command and no results
  // file is written; with it the engine program runs. Every printed figure
  // and both saved files must be the same, in each Sc/Svp mode.
  for (const char *mode : {"0", "2"}) {
    TempFolder tmp;
    auto run = [&](const std::string &name, bool program) {
      std::vector<std::string> args = {"--mode", mode, "--table", tmp / (name + ".table"),
                                       "--cov", tmp / (name + ".cov"), "--distance", "104", "404",
                                       "slope", "--relative", "401", "404", "81.29"};
      if (program) {
        args.push_back("--workdir");
        args.push_back(tmp / "work");
      }
      args.push_back(kCoords);
      args.push_back(kMeas);
      return RunProgram(Batch(), args, {"TMPDIR=" + tmp.Path()});
    };
    const RunResult here = run("here", false);
    const RunResult program = run("program", true);
    ASSERT_EQ(here.Code, 0) << here.Out << here.Err;
    ASSERT_EQ(program.Code, 0) << program.Out << program.Err;
    EXPECT_TRUE(fs::is_regular_file(tmp / "work/network.xml"));
    // The printed results: everything after the status lines.
    auto results = [](const std::string &out) {
      const auto at = out.find("Evaluation acomplished.\n");
      return at == std::string::npos ? std::string() : out.substr(at);
    };
    ASSERT_FALSE(results(here.Out).empty()) << here.Out;
    EXPECT_EQ(results(here.Out), results(program.Out));
    EXPECT_EQ(TableRows(here.Out).size(), static_cast<size_t>(kSampleAdjusted));
    EXPECT_EQ(ReadWholeFile(tmp / "here.table"), ReadWholeFile(tmp / "program.table"));
    const std::string cov = ReadWholeFile(tmp / "here.cov");
    EXPECT_GT(cov.size(), 1000u);
    EXPECT_EQ(cov, ReadWholeFile(tmp / "program.cov")) << mode;
  }
}

TEST(BatchSample, ModesChangeTheResultsAsTheirMeaningSays) {
  auto run = [](const std::string &mode) {
    const RunResult r = RunProgram(Batch(), {"--mode", mode, kCoords, kMeas});
    EXPECT_EQ(r.Code, 0) << r.Out << r.Err;
    return TableRows(r.Out);
  };
  const auto m0 = run("0"), m1 = run("1"), m2 = run("2");
  ASSERT_EQ(m0.size(), static_cast<size_t>(kSampleAdjusted));
  ASSERT_EQ(m2.size(), static_cast<size_t>(kSampleAdjusted));
  // Mode 2 adds Sc^2 to the X and Y variances and Svp^2 to Z of each point
  // (401: Sc 0.5 mm, Svp 0.8 mm); points without Sc/Svp keep mode 0 figures.
  auto col = [](const auto &rows, const char *p, int c) { return std::stod(rows.at(p)[c]); };
  for (int c = 4; c <= 6; ++c) {
    const double add = c == 6 ? 0.8 : 0.5;
    EXPECT_NEAR(col(m2, "401", c),
                std::sqrt(col(m0, "401", c) * col(m0, "401", c) + add * add), 0.0015)
        << "column " << c;
    EXPECT_EQ(m2.at("301")[c], m0.at("301")[c]);
  }
  // Mode 1 makes the observations less precise, so no point gets better.
  for (const auto &[p, cells] : m1)
    for (int c = 4; c <= 6; ++c)
      EXPECT_GE(std::stod(cells[c]) + 0.0005, col(m0, p.c_str(), c)) << p << " column " << c;
  EXPECT_GT(col(m1, "402", 4), col(m0, "402", 4));
}

TEST(BatchSample, ModeDefaultsToTheDesktopSettingsFile) {
  const auto explicitMode0 = RunProgram(Batch(), {"--mode", "0", kCoords, kMeas});
  const auto explicitMode1 = RunProgram(Batch(), {"--mode", "1", kCoords, kMeas});
  ASSERT_EQ(explicitMode0.Code, 0);
  InstalledPrograms inst;
  const auto noSettings = RunProgram(inst.Batch, {kCoords, kMeas});
  EXPECT_EQ(noSettings.Code, 0) << noSettings.Err;
  EXPECT_EQ(TableRows(noSettings.Out), TableRows(explicitMode1.Out)); // default 1
  inst.Settings(0);
  const auto fromSettings = RunProgram(inst.Batch, {kCoords, kMeas});
  EXPECT_EQ(TableRows(fromSettings.Out), TableRows(explicitMode0.Out));
  const auto overridden = RunProgram(inst.Batch, {"--mode", "1", kCoords, kMeas});
  EXPECT_EQ(TableRows(overridden.Out), TableRows(explicitMode1.Out));
}

TEST(BatchSample, SpeaksTheLanguageOfTheDesktopSettings) {
  // The pack named in the settings, beside the program, words the status
  // lines and the report; the numbers stay exactly as in English.
  InstalledPrograms inst;
  fs::copy_file(std::string(KD_SOURCE_DIR) + "/data/CZ.pck", inst.Folder / "CZ.pck");
  WriteText(inst.Folder / "korvadimensio3d.ini",
            "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\nTimes New Roman\r\n10\r\n1\r\nT\r\n"
            "CZ.pck\r\n");
  TempFolder tmp;
  const auto czech = RunProgram(inst.Batch, {"--report", tmp / "cz.html", kCoords, kMeas},
                                {"SOURCE_DATE_EPOCH=1700000000"});
  ASSERT_EQ(czech.Code, 0) << czech.Out << czech.Err;
  const auto lines = Lines(czech.Out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], "Výpočet zahájen.") << czech.Out;
  EXPECT_TRUE(Contains(czech.Out, "\nVýpočet dokončen.\n")) << czech.Out;
  const auto english = RunProgram(Batch(), {"--mode", "1", "--report", tmp / "en.html", kCoords, kMeas},
                                  {"SOURCE_DATE_EPOCH=1700000000"});
  ASSERT_EQ(english.Code, 0) << english.Err;
  // The table's heading is the pack's short point number, its rows as in English.
  LanguagePack pack;
  ASSERT_TRUE(pack.LoadPack(std::string(KD_SOURCE_DIR) + "/data/CZ.pck"));
  std::string table = czech.Out;
  const std::string heading = pack.Text(97);
  ASSERT_TRUE(Contains(table, "\n" + heading + " "));
  table.replace(table.find("\n" + heading + " "), heading.size() + 1, "\nP.No.");
  EXPECT_EQ(TableRows(table), TableRows(english.Out));
  const std::string cz = ReadWholeFile(tmp / "cz.html"), en = ReadWholeFile(tmp / "en.html");
  EXPECT_TRUE(Contains(cz, "<html lang=\"cs\">"));
  EXPECT_TRUE(Contains(cz, "Protokol předběžné analýzy přesnosti"));
  EXPECT_TRUE(Contains(en, "<html lang=\"en\">"));
  EXPECT_FALSE(Contains(en, "Protokol předběžné analýzy přesnosti"));
}

TEST(BatchSample, SimpleFormatReadsNumberAndCoordinatesOnly) {
  TempFolder tmp;
  // Labelled, comma-separated simple lines: every point adjusted, so with
  // the gyro directions left out the engine adjusts a free network.
  std::string simple, meas;
  for (const auto &l : Lines(ReadWholeFile(kCoords))) {
    std::istringstream in(l);
    std::string n, x, y, z;
    in >> n >> x >> y >> z;
    simple += "P" + n + ", " + x + ", " + y + ", " + z + "\r\n";
  }
  for (const auto &l : Lines(ReadWholeFile(kMeas)))
    if (l.rfind("gd", 0) != 0)
      meas += l + "\r\n";
  WriteText(tmp / "simple.txt", simple);
  WriteText(tmp / "meas.txt", meas);
  const RunResult free = RunProgram(Batch(), {"--simple", tmp / "simple.txt", tmp / "meas.txt"});
  ASSERT_EQ(free.Code, 0) << free.Out << free.Err;
  EXPECT_EQ(TableRows(free.Out).size(), 12u);

  // The full file read as simple loses the fixed marks; the gyro reference
  // points alone leave the network singular: the engine's reason is shown.
  const RunResult r = RunProgram(Batch(), {"--simple", kCoords, kMeas});
  EXPECT_EQ(r.Code, 2);
  EXPECT_TRUE(Contains(r.Out, "Number of loaded points: 12")) << r.Out;
  EXPECT_TRUE(Contains(r.Out, "Evaluation fails.")) << r.Out;
  EXPECT_TRUE(Contains(r.Err, "singular")) << r.Err;
}

// ---- Bad input: a clear message, exit status 1, nothing written

TEST(BatchBadInput, CommandLineErrors) {
  const auto unknown = RunProgram(Batch(), {"--verbose", kCoords, kMeas});
  EXPECT_EQ(unknown.Code, 1);
  EXPECT_TRUE(Contains(unknown.Err, "unknown option '--verbose'")) << unknown.Err;
  EXPECT_TRUE(Contains(unknown.Err, "--help"));
  EXPECT_TRUE(unknown.Out.empty());
  const auto missing = RunProgram(Batch(), {kCoords});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_TRUE(Contains(missing.Err, "missing argument")) << missing.Err;
  const auto help = RunProgram(Batch(), {"--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_TRUE(Contains(help.Out, "Usage: korvadimensio3d-batch [options] COORDS MEASUREMENTS"));
}

TEST(BatchBadInput, UnreadableOrTooSmallCoordinateFiles) {
  TempFolder tmp;
  const auto missing = RunProgram(Batch(), {tmp / "nope.txt", kMeas});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_TRUE(Contains(missing.Err, "cannot read the coordinate file")) << missing.Err;

  const auto folder = RunProgram(Batch(), {tmp.Path(), kMeas});
  EXPECT_EQ(folder.Code, 1);

  WriteText(tmp / "one.txt", "header without digits\r\n1 1000 2000 300 0.001 0.001 f\r\n");
  const auto one = RunProgram(Batch(), {tmp / "one.txt", kMeas});
  EXPECT_EQ(one.Code, 1);
  EXPECT_TRUE(Contains(one.Err, "At least two points are needed.")) << one.Err;
  EXPECT_FALSE(Contains(one.Out, "Number of loaded points"));
}

TEST(BatchBadInput, MeasurementFileProblems) {
  TempFolder tmp;
  const auto missing = RunProgram(Batch(), {kCoords, tmp / "nope.txt"});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_TRUE(Contains(missing.Err, "cannot read the measurement file")) << missing.Err;

  // A decimal comma stops the reading: the command refuses instead of going
  // on with a shortened list.
  WriteText(tmp / "comma.txt", "sd 101 104 0.002\r\nsd 104 201 0,002\r\nsd 104 202 0.002\r\n");
  const auto comma = RunProgram(Batch(), {kCoords, tmp / "comma.txt"});
  EXPECT_EQ(comma.Code, 1);
  EXPECT_TRUE(Contains(comma.Err, "line 2")) << comma.Err;

  // Every measurement refers to unknown points: reported, then too small.
  WriteText(tmp / "unknown.txt", "sd 1 2 0.002\r\nzu 1 3 0.0005\r\ndi 9 2 0.0003\r\n");
  const auto unknown = RunProgram(Batch(), {kCoords, tmp / "unknown.txt"});
  EXPECT_EQ(unknown.Code, 1);
  EXPECT_TRUE(Contains(unknown.Out,
                       "Loaded measurements:0 Measurements without coordinates thrown away (3).\n"))
      << unknown.Out;
  EXPECT_TRUE(Contains(unknown.Err, "Too few coordinates or measurements.")) << unknown.Err;
  EXPECT_TRUE(Contains(unknown.Out, "Evaluation fails.")) << unknown.Out;
}

TEST(BatchBadInput, PlumbingOffTheVerticalWarnsButEvaluates) {
  TempFolder tmp;
  std::string coords = ReadWholeFile(kCoords);
  // Move the bottom of wire 1 by 2 cm.
  const std::string from = "301.0 5153.51200";
  ASSERT_NE(coords.find(from), std::string::npos);
  coords.replace(coords.find(from), from.size(), "301.0 5153.53200");
  WriteText(tmp / "coords.txt", coords);
  const auto r = RunProgram(Batch(), {"--mode", "0", tmp / "coords.txt", kMeas});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(Contains(r.Err, "Position transmition/plumbing is beyond vertical! (201.00-301.00: 0.020 m)."))
      << r.Err;
}

TEST(BatchBadInput, UndefinedMeasurementIsNamed) {
  TempFolder tmp;
  WriteText(tmp / "c.txt", "1 1000 2000 300 0 0 f\r\n2 1100 2000 310 0 0 a\r\n"
                           "3 1000 2100 290 0 0 a\r\n4 1000 2000 300 0 0 a\r\n");
  WriteText(tmp / "m.txt", "sd 1 2 0.002\r\nsd 1 3 0.002\r\nzu 1 4 0.0005\r\nsd 2 3 0.002\r\n");
  const auto r = RunProgram(Batch(), {"--workdir", tmp / "w", tmp / "c.txt", tmp / "m.txt"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_TRUE(Contains(r.Out, "Evaluation fails.")) << r.Out;
  EXPECT_TRUE(Contains(r.Err, "zu 1.00 -> 4.00")) << r.Err;
  EXPECT_FALSE(fs::exists(tmp / "w/network.gfk")); // no half-written document
}

TEST(BatchBadInput, OutputsNeverReplaceInputs) {
  TempFolder tmp;
  fs::copy_file(kCoords, tmp / "coords.txt");
  fs::copy_file(kMeas, tmp / "meas.txt");
  const std::string before = ReadWholeFile(tmp / "coords.txt");
  const auto same = RunProgram(Batch(), {"--table", tmp / "coords.txt", tmp / "coords.txt",
                                        tmp / "meas.txt"});
  EXPECT_EQ(same.Code, 1);
  EXPECT_TRUE(Contains(same.Err, "is one of the input files")) << same.Err;
  EXPECT_EQ(ReadWholeFile(tmp / "coords.txt"), before);

  // The run's protocol would land on the coordinate file.
  fs::copy_file(kCoords, tmp / "network.txt");
  const auto clash = RunProgram(Batch(), {"--workdir", tmp.Path(), tmp / "network.txt",
                                         tmp / "meas.txt"});
  EXPECT_EQ(clash.Code, 1);
  EXPECT_EQ(ReadWholeFile(tmp / "network.txt"), before);

  const auto noFolder = RunProgram(Batch(), {"--cov", tmp / "no/such/cov.txt", kCoords, kMeas});
  EXPECT_EQ(noFolder.Code, 1);
  EXPECT_TRUE(Contains(noFolder.Err, "does not exist")) << noFolder.Err;
  EXPECT_FALSE(Contains(noFolder.Out, "Evaluation started.")); // refused before the run

  const auto both = RunProgram(Batch(), {"--cov", tmp / "x.txt", "--table", tmp / "x.txt",
                                        kCoords, kMeas});
  EXPECT_EQ(both.Code, 1);

  WriteText(tmp / "afile", "x");
  const auto workFile = RunProgram(Batch(), {"--workdir", tmp / "afile", kCoords, kMeas});
  EXPECT_EQ(workFile.Code, 1);
  EXPECT_TRUE(Contains(workFile.Err, "is not a folder")) << workFile.Err;
}

TEST(BatchBadInput, DistanceBetweenPointsThatAreNotAdjusted) {
  const auto fixed = RunProgram(Batch(), {"--distance", "101", "404", "slope", kCoords, kMeas});
  EXPECT_EQ(fixed.Code, 1);
  EXPECT_TRUE(Contains(fixed.Err, "point 101 is fixed")) << fixed.Err;
  const auto unknown = RunProgram(Batch(), {"--distance", "104", "999", "slope", kCoords, kMeas});
  EXPECT_EQ(unknown.Code, 1);
  EXPECT_TRUE(Contains(unknown.Err, "point 999 is not in the coordinate file")) << unknown.Err;
}

// The relative precision printed by --relative equals NetworkPrecision's,
// computed here from the kept results (mode 2: with the network centring).
TEST(BatchSample, RelativePrecisionEqualsTheNetworkPrecision) {
  TempFolder tmp;
  const std::string work = tmp / "run";
  const RunResult r = RunProgram(Batch(), {"--mode", "2", "--workdir", work, "--relative", "401",
                                           "404", "--relative", "104", "404", "80", "--relative",
                                           "101", "404", kCoords, kMeas});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;

  ResultsReader reader;
  ASSERT_TRUE(reader.Bind(work + "/network.xml"));
  ASSERT_TRUE(reader.ReadCoordinates());
  ASSERT_TRUE(reader.ReadCovariance());
  ASSERT_TRUE(reader.ResultsAre3d());
  PointList network;
  ASSERT_EQ(network.LoadFull(kCoords), 12);
  reader.AddNetworkCentring(network);
  const NetworkPrecision precision = BuildNetworkPrecision(reader, {});

  const std::string num = R"((-?[0-9.]+))";
  auto figures = [&](const std::string &from, const std::string &to, bool bearing) {
    std::string pattern = "Relative precision " + from + " - " + to + ": a " + num + " mm, b " +
                          num + " mm, bearing of a " + num + " gon, s\\(Z\\) " + num + " mm";
    if (bearing)
      pattern += "; along " + num + " gon " + num + " mm, across " + num + " mm";
    std::smatch m;
    std::vector<double> out;
    EXPECT_TRUE(std::regex_search(r.Out, m, std::regex(pattern + "\n"))) << pattern << "\n" << r.Out;
    for (size_t i = 1; i < m.size(); ++i)
      out.push_back(std::stod(m[i]));
    return out;
  };
  auto expectRelative = [&](double from, double to, const std::vector<double> &printed) {
    RelativePrecision rel;
    ASSERT_TRUE(precision.Relative(from, to, rel));
    ASSERT_GE(printed.size(), 4u);
    EXPECT_NEAR(printed[0], static_cast<double>(rel.Ellipse.SemiMajor), 0.0005);
    EXPECT_NEAR(printed[1], static_cast<double>(rel.Ellipse.SemiMinor), 0.0005);
    EXPECT_NEAR(printed[2], static_cast<double>(rel.Ellipse.Bearing), 0.00005);
    EXPECT_NEAR(printed[3], static_cast<double>(rel.SigmaZ), 0.0005);
    if (printed.size() == 7) {
      const AlongAcross split = AlongAcrossOf(rel.Covariance.Horizontal, printed[4]);
      EXPECT_NEAR(printed[5], static_cast<double>(split.Along), 0.0005);
      EXPECT_NEAR(printed[6], static_cast<double>(split.Across), 0.0005);
      // Along and across split the ellipse: their squares add up to a² + b².
      EXPECT_NEAR(printed[5] * printed[5] + printed[6] * printed[6],
                  printed[0] * printed[0] + printed[1] * printed[1], 0.01);
    }
  };
  const auto tunnel = figures("401", "404", false);
  expectRelative(401, 404, tunnel);
  const auto across = figures("104", "404", true);
  ASSERT_EQ(across.size(), 7u);
  EXPECT_EQ(across[4], 80.0);
  expectRelative(104, 404, across);
  // Relative to a fixed pillar: the point's own ellipse.
  const auto pillar = figures("101", "404", false);
  expectRelative(101, 404, pillar);
  const PointPrecision &p404 = precision.Points[static_cast<size_t>(precision.IndexOf(404))];
  EXPECT_NEAR(pillar[0], static_cast<double>(p404.Ellipse.SemiMajor), 0.0005);
}

TEST(BatchBadInput, RelativePrecisionOfUnknownOrFixedPoints) {
  const auto unknown = RunProgram(Batch(), {"--relative", "104", "999", kCoords, kMeas});
  EXPECT_EQ(unknown.Code, 1);
  EXPECT_TRUE(Contains(unknown.Err, "--relative: point 999 is not in the coordinate file"))
      << unknown.Err;
  EXPECT_FALSE(Contains(unknown.Out, "Evaluation started.")); // refused before the run
  const auto fixed = RunProgram(Batch(), {"--relative", "101", "102", "5", kCoords, kMeas});
  EXPECT_EQ(fixed.Code, 1);
  EXPECT_TRUE(Contains(fixed.Err, "both fixed")) << fixed.Err;
}

// ---- Engine failures: exit status 2

TEST(BatchEngineFails, MissingEngine) {
  InstalledPrograms inst("none");
  const auto r = RunProgram(inst.Batch, {kCoords, kMeas});
  EXPECT_EQ(r.Code, 2);
  EXPECT_TRUE(Contains(r.Err, "gama.exe")) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "Evaluation fails.")) << r.Out;
}

TEST(BatchEngineFails, ProtocolOnlyIsReportedAtOnceWithItsError) {
  // The stand-in writes the protocol of a failed adjustment and no results.
  InstalledPrograms inst("printf 'Adjustment protocol\\nError: the network is singular (point 404)\\n' > \"${6}txt\"\n"
                "exit 2\n");
  TempFolder tmp;
  const auto start = std::chrono::steady_clock::now();
  const auto r = RunProgram(inst.Batch, {"--workdir", tmp.Path(), kCoords, kMeas});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(r.Code, 2);
  EXPECT_TRUE(Contains(r.Err, "Error: the network is singular (point 404)")) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "Evaluation fails.")) << r.Out;
  EXPECT_FALSE(Contains(r.Out, "Evaluation acomplished."));
  EXPECT_LT(took, std::chrono::seconds(20)); // no waiting for the time-out
}

TEST(BatchEngineFails, ResultsThatCannotBeUsed) {
  // Well-formed, but a point without its covariance block: text 23.
  InstalledPrograms wrongLayout("echo protocol > \"${6}txt\"\n"
                       "echo '<r><p n=\"1\" x=\"1\" y=\"2\" z=\"3\"/><c d=\"6\">1 0 0 0 0 0 1 0 0 0 0 1 0 0 0 1 0 0 1 0 1</c></r>' > \"${6}xml\"\n");
  // (--workdir: the engine program runs, not the engine inside the command)
  TempFolder work;
  const auto r = RunProgram(wrongLayout.Batch, {"--workdir", work / "a", kCoords, kMeas});
  EXPECT_EQ(r.Code, 2);
  EXPECT_TRUE(Contains(r.Out, "Evaluation acomplished.")) << r.Out;
  EXPECT_TRUE(Contains(r.Err, "All point have to be 3d.")) << r.Err;
  EXPECT_TRUE(Contains(r.Err, "Engine protocol:\n  protocol\n")) << r.Err;

  // Not XML at all: the parser's complaint.
  InstalledPrograms broken("echo protocol > \"${6}txt\"\necho '<results><broken' > \"${6}xml\"\n");
  const auto b = RunProgram(broken.Batch, {"--workdir", work / "b", kCoords, kMeas});
  EXPECT_EQ(b.Code, 2);
  EXPECT_TRUE(Contains(b.Err, "cannot use the results")) << b.Err;
}

TEST(BatchEngineFails, EngineGetsTheContractCommandLine) {
  TempFolder tmp;
  InstalledPrograms inst("printf '%s\\n' \"$@\" > \"" + tmp.Path() + "/args\"\n");
  // A folder name with a blank and a quote reaches the engine unchanged.
  const std::string work = tmp / "w \"dir\"";
  const auto r = RunProgram(inst.Batch, {"--workdir", work, kCoords, kMeas});
  EXPECT_EQ(r.Code, 2);
  const auto args = Lines(ReadWholeFile(tmp / "args"));
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[0], "--encoding");
  EXPECT_EQ(args[1], "cp-1250");
  EXPECT_EQ(args[2], "--language");
  EXPECT_EQ(args[3], "en");
  EXPECT_EQ(args[4], work + "/network.gfk");
  EXPECT_EQ(args[5], work + "/network.");
}

TEST(BatchEngineFails, InterruptStopsTheEngineAndRemovesTheTemporaryFolder) {
  InstalledPrograms inst("exec sleep 30\n");
  TempFolder tmp;
  const auto start = std::chrono::steady_clock::now();
  // A time limit far away: the engine program runs (not the engine inside
  // the command), and only the interrupt ends it.
  const auto r = RunProgram(inst.Batch, {"--timeout", "600", kCoords, kMeas},
                            {"TMPDIR=" + tmp.Path()}, std::chrono::milliseconds(3000));
  EXPECT_EQ(r.Code, 130) << r.Out << r.Err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(Contains(r.Out, "Reading file: 0")) << r.Out; // it was waiting
  EXPECT_TRUE(Contains(r.Err, "interrupted")) << r.Err;
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

// ---- Safety of the run: limits, refusals and what a failure says

namespace {

std::string SampleCoords() { return ReadWholeFile(kCoords); }
std::string SampleMeas() { return ReadWholeFile(kMeas); }

} // namespace

TEST(BatchSafety, TimeoutStopsAWorkingEngineOnlyWhenAsked) {
  InstalledPrograms inst("exec sleep 30\n");
  const auto start = std::chrono::steady_clock::now();
  const auto r = RunProgram(inst.Batch, {"--timeout", "1.5", kCoords, kMeas});
  EXPECT_EQ(r.Code, 2) << r.Err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(Contains(r.Err, "did not finish within 1.5 s (--timeout)")) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "Reading file: 1")) << r.Out;

  for (const char *bad : {"0", "-3", "soon"}) {
    const auto b = RunProgram(inst.Batch, {"--timeout", bad, kCoords, kMeas});
    EXPECT_EQ(b.Code, 1) << bad;
    EXPECT_TRUE(Contains(b.Err, "--timeout takes a positive number")) << b.Err;
  }
}

TEST(BatchSafety, DuplicatePointNumbersAreNamed) {
  TempFolder tmp;
  WriteText(tmp / "twice.txt", SampleCoords() + "104.0 5149.89200 2301.85700 283.90400 0 0 a\r\n");
  const auto twice = RunProgram(Batch(), {tmp / "twice.txt", kMeas});
  EXPECT_EQ(twice.Code, 1);
  EXPECT_TRUE(Contains(twice.Err, "point number 104 is listed twice")) << twice.Err;
  EXPECT_FALSE(Contains(twice.Err, "cannot write the engine input")) << twice.Err;

  // Numbers that differ beyond the two decimals of the engine's ids.
  WriteText(tmp / "ids.txt", SampleCoords() + "104.001 5149.9 2301.9 283.9 0 0 a\r\n");
  const auto ids = RunProgram(Batch(), {tmp / "ids.txt", kMeas});
  EXPECT_EQ(ids.Code, 1);
  EXPECT_TRUE(Contains(ids.Err, "point numbers 104 and 104.001 both become the id")) << ids.Err;
}

TEST(BatchSafety, NonPositiveDeviationsAndDroppedMeasurementsAreReported) {
  TempFolder tmp;
  // Line 2: zenith angle without weight; line 3 upper case; line 4 to itself.
  const std::string extra = "zu 104 201 0\r\nSD 104 202 0.002\r\nsd 104 104 0.002\r\nsd 104 999 0.002\r\n";
  WriteText(tmp / "m.txt", "# extra\r\n" + extra + SampleMeas());
  // Mode 0: the engine would get 0 -> an error naming the line.
  const auto m0 = RunProgram(Batch(), {"--mode", "0", kCoords, tmp / "m.txt"});
  EXPECT_EQ(m0.Code, 1) << m0.Err;
  EXPECT_TRUE(Contains(m0.Err, tmp / "m.txt" + ":2: zu 104 -> 201 has the standard deviation 0 in the file"))
      << m0.Err;
  EXPECT_TRUE(Contains(m0.Err, "3 measurement line(s) of " + tmp / "m.txt" +
                                   " dropped: 1 with an unknown type code (first at line 3), "
                                   "1 with the station as target, 1 with a point missing"))
      << m0.Err;

  // Mode 1: the centring errors of 104 give it weight -> a warning; the run goes on.
  const auto m1 = RunProgram(Batch(), {"--mode", "1", kCoords, tmp / "m.txt"});
  EXPECT_EQ(m1.Code, 0) << m1.Err;
  EXPECT_TRUE(Contains(m1.Err, ":2: zu 104 -> 201 has the standard deviation 0 in the file; only the"))
      << m1.Err;
  // --strict makes every warning an error, before the engine runs.
  const auto strict = RunProgram(Batch(), {"--strict", "--mode", "1", kCoords, tmp / "m.txt"});
  EXPECT_EQ(strict.Code, 1);
  EXPECT_TRUE(Contains(strict.Err, "--strict: 2 warning(s)")) << strict.Err;
  EXPECT_FALSE(Contains(strict.Out, "Evaluation started.")) << strict.Out;

  // The sample itself has no warnings: --strict evaluates it.
  EXPECT_EQ(RunProgram(Batch(), {"--strict", kCoords, kMeas}).Code, 0);

  // A final line without its value reads as 0.
  WriteText(tmp / "last.txt", SampleMeas() + "vd 104 201");
  const auto last = RunProgram(Batch(), {kCoords, tmp / "last.txt"});
  EXPECT_EQ(last.Code, 1);
  EXPECT_TRUE(Contains(last.Err, ":76: vd 104 -> 201 has the standard deviation 0")) << last.Err;
}

TEST(BatchSafety, EngineRefusingItsInputIsBadInput) {
  InstalledPrograms inst("printf 'THE ADJUSTMENT WAS NOT DONE: the input cannot be used.\\n\\nError on line 9: bad\\n' > \"${6}txt\"\n"
                         "exit 1\n");
  TempFolder work; // (--workdir: the engine program runs)
  const auto r = RunProgram(inst.Batch, {"--workdir", work.Path(), kCoords, kMeas});
  EXPECT_EQ(r.Code, 1);
  EXPECT_TRUE(Contains(r.Err, "Error on line 9: bad")) << r.Err;
}

TEST(BatchSafety, OutputsMayNotBeFilesOfTheRun) {
  TempFolder tmp;
  for (const char *name : {"network.gfk", "network.txt", "network.xml", "network.obs.csv"}) {
    const auto table = RunProgram(Batch(), {"--workdir", tmp.Path(), "--table", tmp / name, kCoords, kMeas});
    EXPECT_EQ(table.Code, 1) << name;
    EXPECT_TRUE(Contains(table.Err, "is a file of the run itself")) << table.Err;
    const auto cov = RunProgram(Batch(), {"--workdir", tmp.Path(), "--cov", tmp / name, kCoords, kMeas});
    EXPECT_EQ(cov.Code, 1) << name;
  }
}

TEST(BatchSafety, FailedWriteOfTheEngineIsNamedAndNoSuccessIsShown) {
  // The results could not be written; the protocol reads as a success.
  InstalledPrograms inst("printf 'Adjustment protocol\\nThe adjustment succeeded.\\n' > \"${6}txt\"\n"
                         "echo \"gama.exe: cannot write the results file ${6}xml: No space left on device\" >&2\n"
                         "exit 3\n");
  TempFolder work; // (--workdir: the engine program runs)
  const auto r = RunProgram(inst.Batch, {"--workdir", work / "a", kCoords, kMeas});
  EXPECT_EQ(r.Code, 2);
  EXPECT_TRUE(Contains(r.Err, "cannot write the results file")) << r.Err;
  EXPECT_TRUE(Contains(r.Err, "the engine could not write its outputs")) << r.Err;
  EXPECT_FALSE(Contains(r.Err, "The adjustment succeeded.")) << r.Err;

  // A protocol that says what failed is shown with its reason.
  InstalledPrograms told("printf 'Adjusted.\\n\\nERROR: the results file could not be written (Disk full):\\n    /w/n.xml\\n' > \"${6}txt\"\n"
                         "exit 3\n");
  const auto t = RunProgram(told.Batch, {"--workdir", work / "b", kCoords, kMeas});
  EXPECT_EQ(t.Code, 2);
  EXPECT_TRUE(Contains(t.Err, "could not write its outputs: ERROR: the results file could not be written (Disk full): /w/n.xml"))
      << t.Err;
}
// ---- Plots

namespace {

// Pixels of the image close to the colour.
int CountColor(const QImage &image, QColor color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - color.red()) < 30 && std::abs(c.green() - color.green()) < 30 &&
          std::abs(c.blue() - color.blue()) < 30)
        ++n;
    }
  return n;
}

} // namespace

TEST(BatchPlot, WritesPngSvgAndPdfOfTheMeasurementPlan) {
  TempFolder tmp;
  const RunResult r = RunProgram(Batch(), {"--plot", tmp / "plan.png", "--plot", tmp / "plan.SVG",
                                           "--plot", tmp / "plan.pdf", "--plot-size", "800", "600",
                                           "--plot-relative", kCoords, kMeas});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;

  QImage png;
  ASSERT_TRUE(png.load(QString::fromStdString(tmp / "plan.png")));
  EXPECT_EQ(png.size(), QSize(800, 600));
  const PlotOptions colours;
  // The tunnel traverse is uncontrolled, the shaft's sight line weakly
  // controlled; the points have ellipses and relative ellipses.
  EXPECT_GT(CountColor(png, colours.UncontrolledColor), 200);
  EXPECT_GT(CountColor(png, colours.WeakColor), 200);
  EXPECT_GT(CountColor(png, colours.EllipseColor), 100);
  EXPECT_GT(CountColor(png, colours.RelativeColor), 50);

  pugi::xml_document svg;
  ASSERT_TRUE(svg.load_file((tmp / "plan.SVG").c_str())) << "SVG is not well-formed XML";
  EXPECT_STREQ(svg.document_element().name(), "svg");
  EXPECT_GT(ReadWholeFile(tmp / "plan.SVG").find("<path"), 0u);

  const std::string pdf = ReadWholeFile(tmp / "plan.pdf");
  ASSERT_GT(pdf.size(), 100u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.rfind("%%EOF"), std::string::npos);
  if (fs::exists("/usr/bin/pdftoppm")) {
    const RunResult render =
        RunProgram("/usr/bin/pdftoppm", {"-png", "-r", "24", "-singlefile", tmp / "plan.pdf",
                                         tmp / "rendered"});
    EXPECT_EQ(render.Code, 0) << render.Err;
    QImage page;
    ASSERT_TRUE(page.load(QString::fromStdString(tmp / "rendered.png")));
    // 800 x 600 pixels at 96 per inch is a page of 8.33 x 6.25 inches.
    EXPECT_NEAR(page.width(), 200, 2);
    EXPECT_NEAR(page.height(), 150, 2);
  }
}

TEST(BatchPlot, BadPlotNamesAreRefusedWithoutPartialFiles) {
  TempFolder tmp;
  const auto unknown = RunProgram(Batch(), {"--plot", tmp / "plan.bmp", kCoords, kMeas});
  EXPECT_EQ(unknown.Code, 1);
  EXPECT_TRUE(Contains(unknown.Err, ".png, .svg or .pdf")) << unknown.Err;
  EXPECT_FALSE(Contains(unknown.Out, "Evaluation started.")); // refused before the run
  const auto none = RunProgram(Batch(), {"--plot", tmp / "plan", kCoords, kMeas});
  EXPECT_EQ(none.Code, 1);

  const auto noFolder = RunProgram(Batch(), {"--plot", tmp / "no/plan.png", kCoords, kMeas});
  EXPECT_EQ(noFolder.Code, 1);
  EXPECT_TRUE(Contains(noFolder.Err, "does not exist")) << noFolder.Err;

  // A folder in the way of the file is found only when the plot is written:
  // the other outputs are written, the command fails and nothing is left.
  fs::create_directory(tmp / "taken.png");
  const auto taken = RunProgram(Batch(), {"--plot", tmp / "taken.png", "--plot", tmp / "ok.svg",
                                          kCoords, kMeas});
  EXPECT_EQ(taken.Code, 1) << taken.Err;
  EXPECT_TRUE(Contains(taken.Err, "cannot write")) << taken.Err;
  EXPECT_TRUE(fs::is_directory(tmp / "taken.png"));
  EXPECT_TRUE(fs::is_regular_file(tmp / "ok.svg"));
  for (const auto &e : fs::directory_iterator(tmp.Path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "taken.png" || name == "ok.svg") << "left behind: " << name;
  }

  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"--plot-size", "800", kCoords, kMeas},
        {"--plot-size", "50", "600", kCoords, kMeas},
        {"--plot-level", "99", kCoords, kMeas},
        {"--plot-magnification", "-3", kCoords, kMeas}}) {
    const auto bad = RunProgram(Batch(), args);
    EXPECT_EQ(bad.Code, 1) << args[0];
  }
}

// ---- Installed layout: <prefix>/bin, <prefix>/lib/korvadimensio3d,
// <prefix>/share/korvadimensio3d, and the settings in the user's data folder.

TEST(BatchInstalled, FindsEngineSampleAndSettingsOutsideTheProgramFolder) {
  TempFolder root;
  const fs::path prefix = fs::path(root.Path()) / "usr";
  const fs::path share = prefix / "share/korvadimensio3d";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "lib/korvadimensio3d");
  fs::create_directories(share);
  const std::string batch = (prefix / "bin/korvadimensio3d-batch").string();
  fs::copy_file(kBuiltBatch, batch);
  fs::copy_file(kEngine, prefix / "lib/korvadimensio3d/gama.exe");
  fs::copy_file(kCoords, share / "shaft_coords.txt");
  fs::copy_file(kMeas, share / "shaft_meas.txt");
  const std::string home = root / "home";
  fs::create_directories(home);
  const std::vector<std::string> env{"HOME=" + home, "XDG_DATA_HOME="};

  // The sample named without a folder is found in share/.
  const auto plain = RunProgram(batch, {"shaft_coords.txt", "shaft_meas.txt"}, env);
  ASSERT_EQ(plain.Code, 0) << plain.Out << plain.Err;
  EXPECT_EQ(TableRows(plain.Out).size(), static_cast<size_t>(kSampleAdjusted));
  EXPECT_EQ(TableRows(plain.Out), TableRows(RunProgram(Batch(), {"--mode", "1", kCoords, kMeas}).Out));
  // Nothing was written beside the program or into the user's folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(prefix / "bin"), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists(fs::path(home) / ".local"));

  // The desktop program's settings in the user's data folder give the mode.
  const fs::path own = fs::path(home) / ".local/share/korvadimensio3d";
  fs::create_directories(own);
  WriteText((own / "korvadimensio3d.ini").string(),
            "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\nTimes New Roman\r\n10\r\n0\r\nT\r\n"
            "EN.pck\r\n");
  const auto mode0 = RunProgram(batch, {"shaft_coords.txt", "shaft_meas.txt"}, env);
  ASSERT_EQ(mode0.Code, 0) << mode0.Err;
  EXPECT_EQ(TableRows(mode0.Out), TableRows(RunProgram(Batch(), {"--mode", "0", kCoords, kMeas}).Out));

  // A name found nowhere is reported as given.
  const auto missing = RunProgram(batch, {"nothing_here.txt", "shaft_meas.txt"}, env);
  EXPECT_EQ(missing.Code, 1);
  EXPECT_TRUE(Contains(missing.Err, "cannot read the coordinate file nothing_here.txt")) << missing.Err;
}
