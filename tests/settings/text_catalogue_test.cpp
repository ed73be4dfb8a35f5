#include "settings/text_catalogue.h"

#include "settings/language_pack.h"
#include "settings/messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Loads the Czech pack of the sources for one test and the built-in set
// again afterwards.
struct CzechPack {
  CzechPack() { Loaded = Lang().LoadPack(KD_SOURCE_DIR "/data/CZ.pck"); }
  ~CzechPack() { Lang().LoadBuiltIn(); }
  bool Loaded = false;
};

constexpr int kFirstNewer = 1000;

} // namespace

TEST(TextCatalogue, NamedTextsAreThePacksNumberedTexts) {
  Lang().LoadBuiltIn();
  EXPECT_EQ(static_cast<int>(Text::EvaluationAccomplished), 21);
  EXPECT_EQ(Tr(Text::EvaluationAccomplished), "Evaluation acomplished.");
  EXPECT_EQ(Tr(Text::ProtocolButton), "+ Protocol +");
  EXPECT_EQ(Tr(Text::PlumbingOffVertical), "Position transmition/plumbing is beyond vertical!");
  const LanguagePack builtIn;
  for (int n = 0; n < LanguagePack::BuiltInCount; ++n)
    EXPECT_EQ(Tr(static_cast<Text>(n)), builtIn.Text(n)) << n;

  CzechPack czech;
  ASSERT_TRUE(czech.Loaded);
  EXPECT_EQ(Tr(Text::EvaluationAccomplished), "Výpočet dokončen.");
  // Whatever the active pack, TrIn gives the built-in text of a number.
  EXPECT_EQ(TrIn("CZ", Text::EvaluationAccomplished), "Evaluation acomplished.");
}

TEST(TextCatalogue, EveryNewerTextHasEnglishAndCzech) {
  std::set<std::string> czechTexts;
  for (int n = kFirstNewer; n < static_cast<int>(Text::End_); ++n) {
    const Text id = static_cast<Text>(n);
    EXPECT_FALSE(TrIn("EN", id).empty()) << n;
    EXPECT_FALSE(TrIn("CZ", id).empty()) << n;
    EXPECT_NE(TrIn("EN", id), TrIn("CZ", id)) << n << " " << TrIn("EN", id);
    EXPECT_TRUE(czechTexts.insert(TrIn("CZ", id)).second) << "twice: " << TrIn("CZ", id);
    EXPECT_EQ(TrIn("DE", id), TrIn("EN", id)) << "other languages read English";
  }
  EXPECT_EQ(TrIn("EN", static_cast<Text>(999)), "");
  EXPECT_EQ(TrIn("EN", Text::End_), "");
}

TEST(TextCatalogue, NewerTextsFollowTheActivePack) {
  Lang().LoadBuiltIn();
  EXPECT_EQ(ActiveLanguageCode(), "EN");
  EXPECT_EQ(Tr(Text::ReportButton), "Report\u2026");
  EXPECT_EQ(Tr(Text::StopEvaluation), "Stop");
  CzechPack czech;
  ASSERT_TRUE(czech.Loaded);
  EXPECT_EQ(ActiveLanguageCode(), "CZ");
  EXPECT_EQ(Tr(Text::StopEvaluation), "Zastavit");
  // The report command and the protocol no longer read the same in Czech.
  EXPECT_EQ(Tr(Text::ProtocolButton), "+ Protokol +");
  EXPECT_EQ(Tr(Text::ReportButton), "Zpráva\u2026");
}

TEST(TextCatalogue, LanguageCodeComesFromTheTagLine) {
  LanguagePack pack;
  EXPECT_EQ(LanguageCodeOf(pack), "EN");
  pack.Texts[1] = "[ver CZ]";
  EXPECT_EQ(LanguageCodeOf(pack), "CZ");
  for (const char *odd : {"[ver ]", "ver CZ", "[ver CZ", "", "[VER CZ]"}) {
    pack.Texts[1] = odd;
    EXPECT_EQ(LanguageCodeOf(pack), "EN") << odd;
  }
}

TEST(Messages, WordTheLowerLayersDataInTheActiveLanguage) {
  Lang().LoadBuiltIn();
  EXPECT_EQ(PlumbingWarningText({1, 3, 0.011L}),
            "Position transmition/plumbing is beyond vertical! (1.00-3.00: 0.011 m).");
  EXPECT_EQ(StartedStatusText(false), "Evaluation started.");
  EXPECT_EQ(StartedStatusText(true),
            "Evaluation started.Measurements without coordinates thrown away.");
  EXPECT_EQ(WaitingStatusText(7), "Reading file: 7");
  FailedMeasurement f;
  EXPECT_EQ(FailedMeasurementText(f), "");
  f.Valid = true;
  f.MeasType = 2;
  f.Station = 1;
  f.Target = 4.5;
  EXPECT_EQ(FailedMeasurementText(f), "zu 1.00 -> 4.50");
  f.Reason = "station point missing";
  EXPECT_EQ(FailedMeasurementText(f), "zu 1.00 -> 4.50 (station point missing)");

  CzechPack czech;
  ASSERT_TRUE(czech.Loaded);
  EXPECT_EQ(PlumbingWarningText({1, 3, 0.011L}),
            "Přenos polohy/provažování není ve svislici! (1.00-3.00: 0.011 m).");
  EXPECT_EQ(WaitingStatusText(0), "Čtení souboru: 0");
}
