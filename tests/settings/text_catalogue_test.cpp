#include "settings/text_catalogue.h"

#include "settings/language_pack.h"
#include "settings/messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The Czech pack of the sources.
struct CzechPack {
  CzechPack() { Loaded = Pack.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"); }
  LanguagePack Pack;
  bool Loaded = false;
};

constexpr int kFirstNewer = 1000;

} // namespace

TEST(TextCatalogue, NamedTextsAreThePacksNumberedTexts) {
  const LanguagePack builtIn;
  EXPECT_EQ(static_cast<int>(Text::EvaluationAccomplished), 21);
  EXPECT_EQ(Tr(builtIn, Text::EvaluationAccomplished), "Evaluation acomplished.");
  EXPECT_EQ(Tr(builtIn, Text::ProtocolButton), "+ Protocol +");
  EXPECT_EQ(Tr(builtIn, Text::PlumbingOffVertical), "Position transmition/plumbing is beyond vertical!");
  for (int n = 0; n < LanguagePack::BuiltInCount; ++n)
    EXPECT_EQ(Tr(builtIn, static_cast<Text>(n)), builtIn.Text(n)) << n;

  CzechPack czech;
  ASSERT_TRUE(czech.Loaded);
  EXPECT_EQ(Tr(czech.Pack, Text::EvaluationAccomplished), "Výpočet dokončen.");
  // Whatever pack is loaded anywhere, TrIn gives the built-in text of a number.
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

TEST(TextCatalogue, NewerTextsFollowThePacksLanguage) {
  LanguagePack lang;
  EXPECT_EQ(LanguageCodeOf(lang), "EN");
  EXPECT_EQ(Tr(lang, Text::ReportButton), "Report\u2026");
  EXPECT_EQ(Tr(lang, Text::StopEvaluation), "Stop");
  ASSERT_TRUE(lang.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
  EXPECT_EQ(LanguageCodeOf(lang), "CZ");
  EXPECT_EQ(Tr(lang, Text::StopEvaluation), "Zastavit");
  // The report command and the protocol no longer read the same in Czech.
  EXPECT_EQ(Tr(lang, Text::ProtocolButton), "+ Protokol +");
  EXPECT_EQ(Tr(lang, Text::ReportButton), "Zpráva\u2026");
  // The same pack switched back gives English again.
  lang.LoadBuiltIn();
  EXPECT_EQ(Tr(lang, Text::StopEvaluation), "Stop");
  EXPECT_EQ(Tr(lang, Text::ProtocolButton), "+ Protocol +");
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

TEST(Messages, WordTheLowerLayersDataInThePacksLanguage) {
  const LanguagePack english;
  EXPECT_EQ(PlumbingWarningText(english, {1, 3, 0.011L}),
            "Position transmition/plumbing is beyond vertical! (1.00-3.00: 0.011 m).");
  EXPECT_EQ(StartedStatusText(english, false), "Evaluation started.");
  EXPECT_EQ(StartedStatusText(english, true),
            "Evaluation started.Measurements without coordinates thrown away.");
  EXPECT_EQ(WaitingStatusText(english, 7), "Reading file: 7");
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
  EXPECT_EQ(PlumbingWarningText(czech.Pack, {1, 3, 0.011L}),
            "Přenos polohy/provažování není ve svislici! (1.00-3.00: 0.011 m).");
  EXPECT_EQ(WaitingStatusText(czech.Pack, 0), "Čtení souboru: 0");
  // The English pack, used after the Czech one was loaded, still words English.
  EXPECT_EQ(WaitingStatusText(english, 0), "Reading file: 0");
}
