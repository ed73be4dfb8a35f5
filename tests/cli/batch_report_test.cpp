// Reports written by the batch command for the sample network: both formats,
// their content against the printed results, and refused requests that
// leave no file behind.
#include <gtest/gtest.h>

#include "batch_test_support.h"

#include <filesystem>
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
  for (const char *header : {"X/m", "s(x)/mm", "w(a)/gon", "d/m", "s(d)/mm", "MDB", "Sc/mm"})
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
  EXPECT_NE(html.find("<td>3.000 mm / 10.000 mm</td>"), std::string::npos) << "the limits are stated";
  std::smatch m;
  ASSERT_TRUE(std::regex_search(html, m, std::regex("Tolerances exceeded</th><td>([^<]*)</td>")));
  const std::string exceeded = m[1];
  EXPECT_NE(exceeded.find("403 (a = "), std::string::npos) << exceeded;
  EXPECT_NE(exceeded.find("404 (a = "), std::string::npos) << exceeded;
  EXPECT_EQ(exceeded.find("s(z)"), std::string::npos) << exceeded;
  EXPECT_EQ(exceeded.find("402"), std::string::npos) << exceeded;

  for (const char *bad : {"-1", "x"}) {
    const RunResult b = RunProgram(kBatch, {"--tolerance", bad, "1", kCoords, kMeas});
    EXPECT_EQ(b.Code, 1) << bad;
    EXPECT_NE(b.Err.find("--tolerance"), std::string::npos) << b.Err;
  }
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
