#include "settings/langpack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/textfile.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder per test, removed afterwards.
class PackFolder : public ::testing::Test {
protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          (std::string("kd_lang_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Write(const std::string &name, const std::string &bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  // A valid pack in Windows-1250 with CR LF: the built-in texts with text
  // `n` replaced by `text` (UTF-8).
  std::string WritePack(const std::string &name, int n = 3,
                        const std::string &text = "Načíst souřadnice") {
    std::vector<std::string> lines = TLangPack().Texts;
    lines[static_cast<std::size_t>(n)] = text;
    for (std::string &l : lines)
      l = kd::Utf8ToCp1250(l);
    return Write(name, kd::JoinLinesCrLf(lines));
  }

  std::string Folder() const { return dir.string(); }

  fs::path dir;
};

} // namespace

TEST(BuiltInTexts, TableAsShipped) {
  TLangPack lang;
  EXPECT_EQ(lang.TextCount, 123);
  ASSERT_EQ(lang.Texts.size(), 123u);
  EXPECT_EQ(lang.LangCode, "EN");
  EXPECT_EQ(lang.Text(0), "Korvadimensio 3D 3.3.0 LangPack");
  EXPECT_EQ(lang.Text(1), "[ver EN]");
  EXPECT_EQ(lang.Text(9), "- Evaluation -");
  EXPECT_EQ(lang.Text(122), "Position transmition/plumbing is beyond vertical!");
  // Texts followed directly by a value carry their own blank; others do not.
  EXPECT_EQ(lang.Text(13) + "12", "Number of loaded points: 12");
  EXPECT_EQ(lang.Text(16) + "7", "Loaded measurements:7");
  EXPECT_EQ(lang.Text(22), "Reading file: ");
  EXPECT_EQ(lang.Text(23), "All point have to be 3d. ");
  EXPECT_EQ(lang.Text(80), "Incorrect input: ");
  int trailing = 0;
  for (const std::string &t : lang.Texts)
    if (!t.empty() && t.back() == ' ')
      ++trailing;
  EXPECT_EQ(trailing, 4);
}

TEST(BuiltInTexts, OutOfRangeNumbersGiveEmptyText) {
  TLangPack lang;
  EXPECT_EQ(lang.Text(-1), "");
  EXPECT_EQ(lang.Text(123), "");
  EXPECT_EQ(lang.Text(1 << 30), "");
}

TEST(BuiltInTexts, GlobalObjectStartsEnglish) {
  EXPECT_EQ(Lang().Text(3), "Load coords");
  EXPECT_EQ(&Lang(), &Lang());
}

// --- Pack files ------------------------------------------------------------

TEST_F(PackFolder, ValidPackReplacesTextsAndKeepsTrailingBlanks) {
  std::vector<std::string> lines = TLangPack().Texts;
  lines[1] = "[ver XX]";
  lines[2] = "anything at all č";
  lines[13] = "Počet bodů: "; // with its blank
  for (std::string &l : lines)
    l = kd::Utf8ToCp1250(l);
  const std::string path = Write("XX.pck", kd::JoinLinesCrLf(lines));

  TLangPack lang;
  ASSERT_TRUE(lang.LoadPack(path));
  EXPECT_EQ(lang.Text(13), "Počet bodů: ");
  EXPECT_EQ(lang.Text(1), "[ver XX]");
  EXPECT_EQ(lang.Texts.size(), 123u);
  EXPECT_EQ(lang.Text(9), "- Evaluation -");
}

TEST_F(PackFolder, LineEndsOfAllKindsAndAFinalLineWithoutEnd) {
  std::vector<std::string> lines = TLangPack().Texts;
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    joined += lines[i];
    if (i + 1 < lines.size())
      joined += (i % 3 == 0) ? "\r" : (i % 3 == 1) ? "\n" : "\r\n";
  }
  TLangPack lang;
  EXPECT_TRUE(lang.LoadPack(Write("mixed.pck", joined)));
  std::string crOnly;
  for (const std::string &l : lines)
    crOnly += l + "\r";
  EXPECT_TRUE(lang.LoadPack(Write("cr.pck", crOnly)));
  EXPECT_EQ(lang.Text(122), lines[122]);
}

TEST_F(PackFolder, WrongShapeFallsBackToEnglishNotThePreviousPack) {
  TLangPack lang;
  ASSERT_TRUE(lang.LoadPack(WritePack("good.pck", 9, "- Výpočet -")));
  ASSERT_EQ(lang.Text(9), "- Výpočet -");

  const std::string good = kd::JoinLinesCrLf(TLangPack().Texts);
  std::vector<std::pair<std::string, std::string>> broken = {
      {"122 lines", good.substr(0, good.rfind("Position"))},
      {"124 lines", good + "extra\r\n"},
      {"empty line at the end", good + "\r\n"},
      {"header with trailing blank", "Korvadimensio 3D 3.3.0 LangPack " + good.substr(good.find('\r'))},
      {"header in other case", "korvadimensio 3D 3.3.0 LangPack" + good.substr(good.find('\r'))},
      {"empty file", ""},
      {"binary", std::string("\0\x01\xFF\xFE\r\n\x80", 7)},
  };
  for (const auto &[what, bytes] : broken) {
    ASSERT_TRUE(lang.LoadPack(WritePack("good.pck", 9, "- Výpočet -")));
    EXPECT_FALSE(lang.LoadPack(Write("bad.pck", bytes))) << what;
    EXPECT_EQ(lang.Text(9), "- Evaluation -") << what;
    EXPECT_EQ(lang.Texts.size(), 123u) << what;
  }
}

TEST_F(PackFolder, MissingUnreadableOrHugeFileIsNoPack) {
  TLangPack lang;
  EXPECT_FALSE(lang.LoadPack((dir / "none.pck").string()));
  EXPECT_FALSE(lang.LoadPack(""));
  fs::create_directories(dir / "dir.pck");
  EXPECT_FALSE(lang.LoadPack((dir / "dir.pck").string()));
  // A large file is refused without being read into memory.
  std::string big = kd::JoinLinesCrLf(TLangPack().Texts);
  big.resize(3 * 1024 * 1024, 'x');
  EXPECT_FALSE(lang.LoadPack(Write("big.pck", big)));
  EXPECT_EQ(lang.Text(3), "Load coords");
}

TEST_F(PackFolder, InvalidBytesStillLoadAsReplacementCharacters) {
  // 0x98 is undefined in Windows-1250; the pack is still a pack.
  TLangPack lang;
  ASSERT_TRUE(lang.LoadPack(WritePack("odd.pck")));
  std::vector<std::string> lines = TLangPack().Texts;
  lines[5] = "Mapa\x98";
  EXPECT_TRUE(lang.LoadPack(Write("odd.pck", kd::JoinLinesCrLf(lines))));
  EXPECT_EQ(lang.Text(5), "Mapa\xEF\xBF\xBD");
}

// --- The bundled packs -----------------------------------------------------

TEST(BundledPacks, EnglishPackIsTheBuiltInSet) {
  TLangPack lang;
  ASSERT_TRUE(lang.LoadPack(KD_SOURCE_DIR "/data/EN.pck"));
  EXPECT_EQ(lang.Texts, TLangPack().Texts);
  std::string bytes;
  ASSERT_TRUE(kd::ReadFileBytes(KD_SOURCE_DIR "/data/EN.pck", bytes));
  EXPECT_EQ(bytes, kd::JoinLinesCrLf(TLangPack().Texts)) << "stored with CR LF";
}

TEST(BundledPacks, CzechPackIsCompleteAndInWindows1250) {
  TLangPack lang;
  ASSERT_TRUE(lang.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
  const TLangPack en;
  std::string bytes;
  ASSERT_TRUE(kd::ReadFileBytes(KD_SOURCE_DIR "/data/CZ.pck", bytes));
  // Single-byte text with CR LF: no UTF-8 sequences, every LF after a CR.
  // "č" is the single byte 0xE8 in Windows-1250, never UTF-8's C4 8D.
  EXPECT_NE(bytes.find('\xE8'), std::string::npos);
  EXPECT_EQ(bytes.find("\xC4\x8D"), std::string::npos);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
    }
  EXPECT_EQ(kd::Cp1250ToUtf8(bytes).find("\xEF\xBF\xBD"), std::string::npos)
      << "every byte is a Windows-1250 character";

  for (int n = 3; n < 123; ++n) {
    EXPECT_FALSE(lang.Text(n).empty()) << n;
    // Texts that the program follows with a value keep their blank.
    const bool enBlank = en.Text(n).back() == ' ';
    if (enBlank) {
      EXPECT_EQ(lang.Text(n).back(), ' ') << n;
    }
  }
  EXPECT_EQ(lang.Text(3), "Načíst souřadnice");
  EXPECT_EQ(lang.Text(4), "*.txt");
  EXPECT_EQ(lang.Text(93), "OK");
  // Texts that differ in English are translated, not copied.
  int same = 0;
  for (int n = 3; n < 123; ++n)
    if (lang.Text(n) == en.Text(n))
      ++same;
  EXPECT_LE(same, 8);
}

// --- Language list and switching -------------------------------------------

TEST_F(PackFolder, LanguageListShowsDefaultThenPacksByName) {
  WritePack("SK.pck");
  WritePack("CZ.pck");
  Write("notes.txt", "x");
  Write(".pck", "x");
  fs::create_directories(dir / "folder.pck");
  TLangPack lang;
  const std::vector<std::string> items = lang.FillLanguageList(Folder());
  EXPECT_EQ(items, (std::vector<std::string>{"EN(default)", "CZ", "SK"}));
  EXPECT_EQ(lang.PackFiles, (std::vector<std::string>{"CZ.pck", "SK.pck"}));

  EXPECT_EQ(lang.FillLanguageList((dir / "missing").string()),
            std::vector<std::string>{"EN(default)"});
  EXPECT_TRUE(lang.PackFiles.empty());
}

TEST_F(PackFolder, SwitchingLanguages) {
  WritePack("CZ.pck", 9, "- Výpočet -");
  Write("BAD.pck", "Korvadimensio 3D 3.3.0 LangPack\r\nshort\r\n");
  TLangPack lang;
  lang.FillLanguageList(Folder());
  std::string remembered = "DE.pck";

  EXPECT_EQ(SwitchLanguage(lang, Folder(), "CZ", remembered), TLangSwitch::Pack);
  EXPECT_EQ(remembered, "CZ.pck");
  EXPECT_EQ(lang.Text(9), "- Výpočet -");

  // A broken pack gives English and keeps the remembered pack.
  EXPECT_EQ(SwitchLanguage(lang, Folder(), "BAD", remembered), TLangSwitch::Failed);
  EXPECT_EQ(lang.Text(9), "- Evaluation -");
  EXPECT_EQ(remembered, "CZ.pck");

  // Typed names that are not packs, or point outside the folder.
  SwitchLanguage(lang, Folder(), "CZ", remembered);
  for (const char *typed : {"nothing", "", "../CZ", "sub/CZ", "CZ.pck"}) {
    EXPECT_EQ(SwitchLanguage(lang, Folder(), typed, remembered), TLangSwitch::Failed) << typed;
    EXPECT_EQ(lang.Text(9), "- Evaluation -") << typed;
    EXPECT_EQ(remembered, "CZ.pck") << typed;
  }

  // The built-in item: English, and the next start is in English too.
  SwitchLanguage(lang, Folder(), "CZ", remembered);
  EXPECT_EQ(SwitchLanguage(lang, Folder(), "EN(default)", remembered), TLangSwitch::BuiltIn);
  EXPECT_EQ(lang.Text(9), "- Evaluation -");
  EXPECT_EQ(remembered, "");
  EXPECT_FALSE(LoadStartupPack(lang, Folder(), remembered));
  EXPECT_EQ(lang.Text(9), "- Evaluation -");
}

TEST_F(PackFolder, PackWithUpperCaseExtensionIsListedAndLoads) {
  WritePack("PL.PCK", 9, "- Obliczenia -");
  TLangPack lang;
  EXPECT_EQ(lang.FillLanguageList(Folder()), (std::vector<std::string>{"EN(default)", "PL"}));
  std::string remembered;
  EXPECT_EQ(SwitchLanguage(lang, Folder(), "PL", remembered), TLangSwitch::Pack);
  EXPECT_EQ(remembered, "PL.PCK");
  EXPECT_TRUE(LoadStartupPack(lang, Folder(), remembered));
  EXPECT_EQ(lang.Text(9), "- Obliczenia -");
}

TEST_F(PackFolder, StartupLoadUsesOnlyTheFileNameOfTheRememberedPack) {
  WritePack("CZ.pck", 9, "- Výpočet -");
  TLangPack lang;
  EXPECT_TRUE(LoadStartupPack(lang, Folder(), "CZ.pck"));
  EXPECT_TRUE(LoadStartupPack(lang, Folder(), "C:\\old\\place\\CZ.pck"));
  EXPECT_FALSE(LoadStartupPack(lang, Folder(), "missing.pck"));
  EXPECT_EQ(lang.Text(9), "- Evaluation -");
  EXPECT_FALSE(LoadStartupPack(lang, Folder(), ""));
}
