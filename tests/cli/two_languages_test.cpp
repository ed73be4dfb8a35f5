// Two languages in one process: a Czech pack (the repository's CZ.pck) and
// the built-in English set, used in turn, each give their own texts through
// the catalogue, the report's texts, the report's content, the plan's texts
// and the worded messages. Nothing of one pack leaks into the other.
#include <gtest/gtest.h>

#include "evaluation/report_data.h"
#include "plot/precision_plan.h"
#include "report/relative_precision_text.h"
#include "report/report_content.h"
#include "report/report_texts.h"
#include "settings/language_pack.h"
#include "settings/messages.h"
#include "settings/text_catalogue.h"

#include <string>

namespace {

struct TwoPacks : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(Czech.LoadPack(KD_SOURCE_DIR "/data/CZ.pck")); }
  LanguagePack Czech;
  const LanguagePack English;
};

// The title block's label of the Sc/Svp mode and its value.
std::string ModeField(const ReportContent &c, const LanguagePack &lang) {
  for (const ReportField &f : c.TitleBlock)
    if (f.Label == RT(lang, ReportText::ScSvpMode))
      return f.Value;
  return "(none)";
}

ReportData SmallReport() {
  ReportData data;
  data.NetworkName = "shaft_coords.txt";
  data.ScSvpMode = ScSvpMode::None;
  NetworkPoint a, b;
  a.Number = 1;
  b.Number = 2;
  b.X = 10;
  data.Points.Items = {a, b};
  return data;
}

} // namespace

TEST_F(TwoPacks, CatalogueGivesEachPackItsOwnTexts) {
  // Numbered texts come from the pack, newer texts follow its tag line.
  EXPECT_EQ(Tr(Czech, Text::EvaluationAccomplished), "Výpočet dokončen.");
  EXPECT_EQ(Tr(English, Text::EvaluationAccomplished), "Evaluation acomplished.");
  EXPECT_EQ(Tr(Czech, Text::StopEvaluation), "Zastavit");
  EXPECT_EQ(Tr(English, Text::StopEvaluation), "Stop");
  EXPECT_EQ(LanguageCodeOf(Czech), "CZ");
  EXPECT_EQ(LanguageCodeOf(English), "EN");
  // A text taken from one pack stays as it was while the other is reloaded.
  const std::string &english = Tr(English, Text::ProtocolButton);
  LanguagePack other;
  ASSERT_TRUE(other.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
  EXPECT_EQ(english, "+ Protocol +");
  EXPECT_EQ(Tr(Czech, Text::ProtocolButton), "+ Protokol +");
  // Switching one pack back to English leaves the other Czech.
  other.LoadBuiltIn();
  EXPECT_EQ(Tr(other, Text::StopEvaluation), "Stop");
  EXPECT_EQ(Tr(Czech, Text::StopEvaluation), "Zastavit");
}

TEST_F(TwoPacks, ReportTextsAndContentFollowThePackPassed) {
  EXPECT_EQ(RT(Czech, ReportText::Title), "Protokol předběžné analýzy přesnosti");
  EXPECT_EQ(RT(English, ReportText::Title), ReportTextIn("EN", ReportText::Title));
  EXPECT_NE(RT(English, ReportText::Title), RT(Czech, ReportText::Title));

  const ReportData data = SmallReport();
  const ReportContent czech = BuildReportContent(Czech, data);
  const ReportContent english = BuildReportContent(English, data);
  EXPECT_EQ(czech.Title, RT(Czech, ReportText::Title));
  EXPECT_EQ(english.Title, RT(English, ReportText::Title));
  // The mode is worded with the pack's numbered text 91.
  EXPECT_EQ(ModeField(czech, Czech), "0 - " + Czech.Text(91));
  EXPECT_EQ(ModeField(english, English), "0 - Without influence of the Sc/Svp");
  // The input points table: the pack's short point number heading.
  ASSERT_FALSE(czech.Tables.empty());
  ASSERT_EQ(czech.Tables.size(), english.Tables.size());
  EXPECT_EQ(english.Tables.back().Header.front(), "P.No.");
  EXPECT_EQ(czech.Tables.back().Header.front(), Czech.Text(97));
  EXPECT_NE(Czech.Text(97), "P.No.");
  // The same content built again in English after the Czech one is the same.
  const ReportContent again = BuildReportContent(English, data);
  EXPECT_EQ(again.Title, english.Title);
  EXPECT_EQ(again.TitleBlock.size(), english.TitleBlock.size());
  for (std::size_t i = 0; i < again.TitleBlock.size(); ++i)
    EXPECT_EQ(again.TitleBlock[i].Label, english.TitleBlock[i].Label) << i;
}

TEST_F(TwoPacks, PlanTextsAndMessagesFollowThePackPassed) {
  EXPECT_EQ(PlotTextsIn(English).Controlled, QStringLiteral("controlled"));
  EXPECT_EQ(PlotTextsIn(Czech).Controlled, QString::fromStdString(TrIn("CZ", Text::Controlled)));
  // The built-in English plan texts are the drawing's defaults.
  EXPECT_EQ(PlotTextsIn(English).MmOfPlan, PlotTexts().MmOfPlan);

  RelativeFigures figures;
  EXPECT_NE(RelativeEllipseText(English, figures).find("bearing of a"), std::string::npos);
  EXPECT_NE(RelativeEllipseText(Czech, figures).find(TrIn("CZ", Text::BearingOfSemiMajor)),
            std::string::npos);

  EXPECT_EQ(WaitingStatusText(English, 3), "Reading file: 3");
  EXPECT_EQ(WaitingStatusText(Czech, 3), "Čtení souboru: 3");
  EXPECT_EQ(StartedStatusText(English, false), "Evaluation started.");
  EXPECT_EQ(StartedStatusText(Czech, false), Czech.Text(18));
}
