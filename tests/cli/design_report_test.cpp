// Reports made with requirements: the requirements section states every
// requirement with the value and margin the command prints, and an
// optimised plan's report lists what was added and why.
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

// The value and margin printed for requirement `req`, in the order printed.
std::vector<std::pair<std::string, std::string>> Printed(const std::string &out, const std::string &req) {
  const std::regex re(std::regex_replace(req, std::regex(R"([.*+?^${}()|\[\]\\])"), R"(\$&)") +
                      R"(: ([-0-9.]+(?: mm)?)(?: \([^)]*\))?, margin ([-0-9.]+(?: mm)?))");
  std::vector<std::pair<std::string, std::string>> found;
  for (std::sregex_iterator it(out.begin(), out.end(), re), end; it != end; ++it)
    found.emplace_back((*it)[1], (*it)[2]);
  return found;
}

std::string Html(const std::string &text) {
  return std::regex_replace(std::regex_replace(text, std::regex("&"), "&amp;"), std::regex(">"), "&gt;");
}

// The table row of the HTML report with the cell `first` (after `from`).
std::string HtmlRow(const std::string &html, const std::string &first, size_t from = 0) {
  const size_t cell = html.find(">" + Html(first) + "</td>", from);
  if (cell == std::string::npos)
    return std::string();
  const size_t at = html.rfind("<tr", cell);
  return html.substr(at, html.find("</tr>", cell) - at);
}

} // namespace

TEST(DesignReport, RequirementSectionMatchesThePrintedValues) {
  TempFolder dir;
  Write(dir / "shaft.req",
        "# tunnel\nacross 401 404 81.29 4\nellipse * 10\nredundancy * 0.05\nheight 404 1\n");
  const RunResult r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "shaft.req", "--report",
                                          dir / "report.html", "--report", dir / "report.pdf"});
  ASSERT_EQ(r.Code, 3) << r.Out << r.Err; // the height requirement fails
  const std::string html = ReadWholeFile(dir / "report.html");
  ASSERT_NE(html.find("<h2>Requirements</h2>"), std::string::npos);
  EXPECT_NE(html.find("shaft.req"), std::string::npos);
  for (const std::string req : {"across 401 404 81.29 4", "ellipse * 10", "redundancy * 0.05", "height 404 1"}) {
    const auto printed = Printed(r.Out, req);
    ASSERT_EQ(printed.size(), 1u) << req << "\n" << r.Out;
    const std::string row = HtmlRow(html, req);
    ASSERT_FALSE(row.empty()) << req;
    EXPECT_NE(row.find(">" + printed[0].first), std::string::npos) << row;
    EXPECT_NE(row.find(">" + printed[0].second + "<"), std::string::npos) << row;
  }
  EXPECT_NE(HtmlRow(html, "height 404 1").find("NOT MET"), std::string::npos);
  EXPECT_NE(HtmlRow(html, "across 401 404 81.29 4").find(">met<"), std::string::npos);
  // Without an optimisation there is no optimised-plan section.
  EXPECT_EQ(html.find("Optimised plan"), std::string::npos);
  EXPECT_GT(ReadWholeFile(dir / "report.pdf").size(), 1000u);
}

TEST(DesignReport, OptimisedPlanListsTheChangesWithTheirReasons) {
  TempFolder dir;
  Write(dir / "shaft.req", "across 401 404 81.29 2.5\n");
  const RunResult r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "shaft.req", "--optimise",
                                          dir / "proposed.txt", "--report", dir / "report.html"});
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  const std::string html = ReadWholeFile(dir / "report.html");
  // The reported plan is the planned one: the requirement is not met there.
  const auto printed = Printed(r.Out, "across 401 404 81.29 2.5");
  ASSERT_EQ(printed.size(), 2u) << r.Out; // the plan, then the optimised plan
  const size_t optimised = html.find("<h2>Optimised plan</h2>");
  ASSERT_NE(optimised, std::string::npos);
  const std::string planned = HtmlRow(html, "across 401 404 81.29 2.5");
  EXPECT_NE(planned.find(">" + printed[0].first), std::string::npos) << planned;
  EXPECT_NE(planned.find("NOT MET"), std::string::npos);
  const std::string final = HtmlRow(html, "across 401 404 81.29 2.5", optimised);
  EXPECT_NE(final.find(">" + printed[1].first), std::string::npos) << final;
  EXPECT_NE(final.find("met, binds"), std::string::npos) << final;
  // Each added measurement as printed, with its cost and what its loss breaks.
  std::smatch m;
  std::string out = r.Out;
  int added = 0;
  while (std::regex_search(out, m, std::regex(R"(  added   (\S+ \S+ -> \S+), cost (\S+))"))) {
    const std::string row = HtmlRow(html, m[1].str());
    ASSERT_FALSE(row.empty()) << m[1];
    EXPECT_NE(row.find(">added</td>"), std::string::npos) << row;
    EXPECT_NE(row.find(">" + m[2].str() + "</td>"), std::string::npos) << row;
    EXPECT_NE(row.find("without it: across 401 404 81.29 2.5 \xE2\x86\x92 "), std::string::npos) << row;
    ++added;
    out = m.suffix();
  }
  EXPECT_GT(added, 0);
  std::smatch total;
  ASSERT_TRUE(std::regex_search(r.Out, total, std::regex(R"(Total cost: (\S+))")));
  EXPECT_NE(html.find("Total cost: " + total[1].str()), std::string::npos);
}

TEST(DesignReport, UnreachableRequirementIsReportedAsSuch) {
  TempFolder dir;
  Write(dir / "tight.req", "across 401 404 81.29 0.01\n");
  const RunResult r = RunProgram(kBatch, {kCoords, kMeas, "--require", dir / "tight.req", "--optimise",
                                          dir / "out.txt", "--report", dir / "report.html"});
  ASSERT_EQ(r.Code, 3) << r.Out << r.Err;
  const std::string html = ReadWholeFile(dir / "report.html");
  EXPECT_NE(html.find("The candidates cannot meet every requirement"), std::string::npos);
  const size_t optimised = html.find("<h2>Optimised plan</h2>");
  ASSERT_NE(optimised, std::string::npos);
  EXPECT_NE(HtmlRow(html, "across 401 404 81.29 0.01", optimised).find("NOT MET"), std::string::npos);
}
