// Reports written by the batch command for the sample network: both formats,
// their content against the printed results, and refused requests that
// leave no file behind.
#include <gtest/gtest.h>

#include "batch_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <regex>
#include <unistd.h>

#include "report/report_texts.h"
#include "report/report_writer.h"

namespace fs = std::filesystem;

namespace {

const std::string kBatch = std::string(KD_BIN_DIR) + "/korvadimensio3d-batch";
const std::string kCoords = std::string(KD_SOURCE_DIR) + "/data/shaft_coords.txt";
const std::string kMeas = std::string(KD_SOURCE_DIR) + "/data/shaft_meas.txt";

int CountOf(const std::string &text, const std::string &part) {
  int n = 0;
  for (auto p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
    ++n;
  return n;
}

} // namespace

TEST(BatchReport, WritesPdfAndHtmlOfTheSample) {
  TempFolder tmp;
  const RunResult r = RunProgram(
      kBatch,
      {"--mode", "1", "--distance", "104", "404", "slope", "--relative", "401", "404", "--report",
       tmp / "shaft.pdf", "--report", tmp / "shaft.HTML", kCoords, kMeas},
      {"SOURCE_DATE_EPOCH=1700000000"});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  EXPECT_EQ(r.Err.find("korvadimensio3d-batch:"), std::string::npos) << r.Err;

  const std::string pdf = ReadWholeFile(tmp / "shaft.pdf");
  ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
  // Title and summary, plan, landscape coordinates, then the other tables.
  EXPECT_GE(CountOf(pdf, "/Type /Page\n") + CountOf(pdf, "/Type /Page\r") +
                CountOf(pdf, "/Type /Page "),
            4)
      << "pages";

  const std::string html = ReadWholeFile(tmp / "shaft.HTML");
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  // Self-contained: the plan is embedded, nothing is fetched.
  EXPECT_NE(html.find("src=\"data:image/png;base64,"), std::string::npos);
  EXPECT_EQ(html.find("http"), std::string::npos);
  EXPECT_NE(html.find("<td>shaft_coords.txt</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>2023-11-14 22:13</td>"), std::string::npos); // the fixed clock
  EXPECT_NE(html.find("<td>3 / 9</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>30</td>"), std::string::npos); // the redundancy of the sample
  for (const char *header : {"X / m", "a (1\xCF\x83) / mm", "w(a) / gon", "d / m", "\xCF\x83" "d (1\xCF\x83) / mm",
                             "MDB", "Sc / mm"})
    EXPECT_NE(html.find(std::string("<th>") + header + "</th>"), std::string::npos) << header;

  // The weakest point of the summary is the results row with the largest
  // semi-axis, with the same figure.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(html, m, std::regex(R"(<td>(\d+): a = ([0-9.]+) mm, b = )")));
  const std::string weakest = m[1], axis = m[2];
  double largest = 0;
  std::string largestPoint;
  const std::regex row(R"(\n +(\d+) +\S+ +\S+ +\S+ +\S+ +\S+ +\S+ +(\S+) +(\S+) )");
  for (auto it = std::sregex_iterator(r.Out.begin(), r.Out.end(), row); it != std::sregex_iterator(); ++it)
    for (int k : {2, 3})
      if (std::stod((*it)[k]) > largest)
        largest = std::stod((*it)[k]), largestPoint = (*it)[1];
  EXPECT_EQ(weakest, largestPoint);
  EXPECT_DOUBLE_EQ(std::stod(axis), largest);

  // The distance requested is in the relative table with the printed sigma.
  ASSERT_TRUE(std::regex_search(r.Out, m, std::regex(R"(104 - 404: \S+ m, Std\. dev\. ([0-9.]+) mm)")));
  char sigma[32]; // 3 decimals in the report
  std::snprintf(sigma, sizeof sigma, "%.3f", std::stod(m[1]));
  EXPECT_NE(html.find("<td>" + std::string(sigma) + "</td>"), std::string::npos) << sigma;
}

TEST(BatchReport, TolerancesNameThePointsBeyondThem) {
  TempFolder tmp;
  // The tunnel end points 403 and 404 have semi-major axes above 3 mm; no
  // point has a height standard deviation above 10 mm.
  const RunResult r = RunProgram(kBatch,
                                 {"--mode", "1", "--tolerance", "3", "10", "--report",
                                  tmp / "t.html", kCoords, kMeas});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  const std::string html = ReadWholeFile(tmp / "t.html");
  // One sentence per tolerance on page 1.
  EXPECT_NE(html.find("<p class=\"verdict\">2 of 9 points exceed a \xE2\x89\xA4 3 mm at 1\xCF\x83: 403, 404.</p>"),
            std::string::npos)
      << html.substr(0, 3000);
  EXPECT_NE(html.find("<p class=\"verdict\">All 9 points meet \xCF\x83Z \xE2\x89\xA4 10 mm at 1\xCF\x83.</p>"),
            std::string::npos);

  for (const char *bad : {"-1", "x"}) {
    const RunResult b = RunProgram(kBatch, {"--tolerance", bad, "1", kCoords, kMeas});
    EXPECT_EQ(b.Code, 1) << bad;
    EXPECT_NE(b.Err.find("--tolerance"), std::string::npos) << b.Err;
  }
}

// The sample at 95 %: every figure a 95 % figure, the tunnel's transverse
// error, the title block, and no gyro helper point anywhere.
TEST(BatchReport, SampleAt95PercentGivesItsFiguresAtThatLevel) {
  TempFolder tmp;
  const RunResult r = RunProgram(
      kBatch,
      {"--mode", "1", "--confidence", "95", "--relative", "401", "404", "81.29", "--distance", "104", "404",
       "slope", "--relative", "104", "404", "--title", "Tunnel A", "--author", "J. Nov\xC3\xA1k", "--report",
       tmp / "s.html", "--report", tmp / "s.pdf", kCoords, kMeas});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  const std::string html = ReadWholeFile(tmp / "s.html");
  EXPECT_NE(html.find("<td>Tunnel A</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>J. Nov\xC3\xA1k</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>fixed points: 101, 102, 103</td>"), std::string::npos);
  // 404's horizontal semi-major axis 4.116 mm x 2.4477 in the summary and
  // the point table; across 401 -> 404 at 81.29 gon 3.756 mm x 1.96.
  EXPECT_NE(html.find("<td>404: a = 10.075 mm, b = "), std::string::npos);
  EXPECT_NE(html.find("<td>10.075</td>"), std::string::npos);
  EXPECT_NE(html.find("401 \xE2\x86\x92 404 at 81.2900 gon: 7.362 mm (95 %)"), std::string::npos);
  EXPECT_NE(html.find("<td>7.362</td>"), std::string::npos);
  EXPECT_NE(html.find("60 measurements (66 observations in the adjustment)"), std::string::npos);
  EXPECT_NE(html.find("<th>a (95 %) / mm</th>"), std::string::npos);
  EXPECT_EQ(html.find("(1\xCF\x83) / mm"), std::string::npos) << "a 1 sigma column in a 95 % report";
  // --distance 104 404 and --relative 104 404 give one row.
  EXPECT_EQ(CountOf(html, "<tr><td>104</td><td>404</td>"), 1);
  // The gyro directions' reference points ("090" + list position) appear
  // nowhere, neither as ids nor as numbers.
  std::smatch m;
  EXPECT_FALSE(std::regex_search(html, m, std::regex(R"((^|[^0-9.])0?90\d\d([^0-9.]|$))"))) << m.str();
  EXPECT_NE(html.find("<td class=\"l\">gyro direction</td><td>401</td><td>402</td>"), std::string::npos);
}

// A free network says that its datum is the minimum trace.
TEST(BatchReport, FreeNetworkNamesItsDatum) {
  TempFolder tmp;
  // Every point adjusted; without the gyro directions, whose reference
  // points are fixed, nothing holds the network.
  std::string coords = ReadWholeFile(kCoords);
  for (auto p = coords.find(" f"); p != std::string::npos; p = coords.find(" f", p))
    coords[p + 1] = 'a';
  std::istringstream in(ReadWholeFile(kMeas));
  std::string meas, line;
  while (std::getline(in, line))
    if (line.rfind("gd ", 0) != 0)
      meas += line + "\n";
  const std::string freeCoords = tmp / "free_coords.txt", freeMeas = tmp / "free_meas.txt";
  std::ofstream(freeCoords, std::ios::binary) << coords;
  std::ofstream(freeMeas, std::ios::binary) << meas;
  const RunResult r = RunProgram(kBatch, {"--mode", "1", "--report", tmp / "f.html", freeCoords, freeMeas});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  const std::string html = ReadWholeFile(tmp / "f.html");
  EXPECT_NE(html.find("<td>free network: minimum-trace datum on 12 points; the ellipses describe "
                      "precision relative to the network as a whole</td>"),
            std::string::npos);
}

TEST(BatchReport, RefusedRequestsLeaveNoFile) {
  TempFolder tmp;
  // Unknown extension: refused before anything runs.
  RunResult r = RunProgram(kBatch, {"--report", tmp / "shaft.docx", kCoords, kMeas});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("needs the extension .pdf or .html"), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(tmp / "shaft.docx"));

  // A folder that does not exist.
  r = RunProgram(kBatch, {"--report", tmp / "no/such/shaft.pdf", kCoords, kMeas});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("does not exist"), std::string::npos) << r.Err;

  // A folder that cannot be written: the evaluation runs, the report fails
  // with a message, no file (nor a temporary one) is left.
  fs::create_directory(tmp / "ro");
  fs::permissions(tmp / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  if (access((tmp / "ro").c_str(), W_OK) != 0) { // root could write anyway
    r = RunProgram(kBatch, {"--report", tmp / "ro/shaft.pdf", kCoords, kMeas});
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("cannot write the report"), std::string::npos) << r.Err;
    EXPECT_TRUE(fs::is_empty(tmp / "ro"));
  }
  fs::permissions(tmp / "ro", fs::perms::owner_all);

  // The report must not replace an input, and two reports need two names.
  r = RunProgram(kBatch, {"--report", tmp / "a.pdf", "--report", tmp / "a.pdf", kCoords, kMeas});
  EXPECT_EQ(r.Code, 1);
  EXPECT_FALSE(fs::exists(tmp / "a.pdf"));
  r = RunProgram(kBatch, {"--relative", "104", "x", kCoords, kMeas});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("--relative: 'x' is not a point number"), std::string::npos) << r.Err;
}

TEST(ReportWriter, FormatByExtension) {
  ReportFormat f;
  std::string error;
  EXPECT_TRUE(ReportFormatOf("a/b.PDF", f, error));
  EXPECT_EQ(f, ReportFormat::Pdf);
  EXPECT_TRUE(ReportFormatOf("b.htm", f, error));
  EXPECT_EQ(f, ReportFormat::Html);
  EXPECT_FALSE(ReportFormatOf("report", f, error));
  EXPECT_FALSE(ReportFormatOf("dir.pdf/report", f, error));
  EXPECT_FALSE(ReportFormatOf("report.pdf.txt", f, error));
}

TEST(ReportTexts, EnglishAndCzechTablesAreComplete) {
  for (int i = 0; i < static_cast<int>(ReportText::Count_); ++i) {
    const auto t = static_cast<ReportText>(i);
    EXPECT_FALSE(ReportTextIn("EN", t).empty()) << i;
    EXPECT_FALSE(ReportTextIn("CZ", t).empty()) << i;
  }
  EXPECT_EQ(ReportTextIn("CZ", ReportText::Title), "Protokol předběžné analýzy přesnosti");
  EXPECT_EQ(ReportTextIn("DE", ReportText::Title), ReportTextIn("EN", ReportText::Title));
}
