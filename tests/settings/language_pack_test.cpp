#include "settings/language_pack.h"
#include "tests/support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/text_file.h"

namespace fs = std::filesystem;

namespace {

class PackFolder : public ::testing::Test {
protected:
  void SetUp() override { dir = scratch.Path; }
  ScratchDir scratch;

  std::string Write(const std::string &name, const std::string &bytes) {
    std::ofstream((dir / name), std::ios::binary) << bytes;
    return (dir / name).string();
  }
  // A valid pack (Windows-1250, CR LF): the built-in texts with text 9
  // replaced by `evaluation` (UTF-8).
  std::string WritePack(const std::string &name, const std::string &evaluation) {
    std::vector<std::string> lines = LanguagePack().Texts;
    lines[9] = evaluation;
    for (std::string &l : lines)
      l = kd::Utf8ToCp1250(l);
    return Write(name, kd::JoinLinesCrLf(lines));
  }
  std::string Folder() const { return dir.string(); }

  fs::path dir;
};

const std::string English9 = "- Evaluation -";

} // namespace

TEST(BuiltInTexts, TableAsShipped) {
  const LanguagePack lang;
  ASSERT_EQ(lang.Texts.size(), 123u);
  EXPECT_EQ(lang.TextCount, 123);
  EXPECT_EQ(lang.LangCode, "EN");
  EXPECT_EQ(lang.Text(0), "Korvadimensio 3D 3.3.0 LangPack");
  EXPECT_EQ(lang.Text(9), English9);
  EXPECT_EQ(lang.Text(122), "Position transmition/plumbing is beyond vertical!");
  // Texts followed by a value carry their own blank; the others do not.
  EXPECT_EQ(lang.Text(13) + "12", "Number of loaded points: 12");
  EXPECT_EQ(lang.Text(16) + "7", "Loaded measurements:7");
  std::vector<int> blankEnded;
  for (int n = 0; n < 123; ++n)
    if (lang.Text(n).back() == ' ')
      blankEnded.push_back(n);
  EXPECT_EQ(blankEnded, (std::vector<int>{13, 22, 23, 80}));
  // Numbers outside the table never crash.
  EXPECT_EQ(lang.Text(-1), "");
  EXPECT_EQ(lang.Text(123), "");
}

TEST_F(PackFolder, ValidPacksWithAnyLineEnds) {
  std::vector<std::string> lines = LanguagePack().Texts;
  lines[1] = "[ver XX]";
  lines[2] = "anything at all";
  lines[13] = "Počet bodů: ";
  std::string mixed;
  for (std::size_t i = 0; i < lines.size(); ++i)
    mixed += kd::Utf8ToCp1250(lines[i]) + (i + 1 == lines.size() ? "" : i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");

  LanguagePack lang;
  ASSERT_TRUE(lang.LoadPack(Write("XX.pck", mixed)));
  EXPECT_EQ(lang.Texts, lines);
  EXPECT_EQ(lang.Text(13) + "5", "Počet bodů: 5");
}

TEST_F(PackFolder, BrokenPackGivesEnglishNotThePreviousPack) {
  const std::string good = kd::JoinLinesCrLf(LanguagePack().Texts);
  const std::string body = good.substr(good.find('\r'));
  std::string big = good;
  big.resize(3 * 1024 * 1024, 'x');
  fs::create_directories(dir / "folder.pck");
  const std::pair<std::string, std::string> broken[] = {
      {"122 lines", Write("a.pck", good.substr(0, good.rfind("Position")))},
      {"124 lines", Write("b.pck", good + "extra\r\n")},
      {"empty line at the end", Write("c.pck", good + "\r\n")},
      {"header with a trailing blank", Write("d.pck", "Korvadimensio 3D 3.3.0 LangPack " + body)},
      {"header in other case", Write("e.pck", "korvadimensio 3D 3.3.0 LangPack" + body)},
      {"empty file", Write("f.pck", "")},
      {"binary", Write("g.pck", std::string("\0\x01\xFF\xFE\r\n\x80", 7))},
      {"far too large", Write("h.pck", big)},
      {"missing", (dir / "none.pck").string()},
      {"no path", ""},
      {"a folder", (dir / "folder.pck").string()},
  };
  LanguagePack lang;
  for (const auto &[what, path] : broken) {
    ASSERT_TRUE(lang.LoadPack(WritePack("good.pck", "- Výpočet -")));
    ASSERT_EQ(lang.Text(9), "- Výpočet -");
    EXPECT_FALSE(lang.LoadPack(path)) << what;
    EXPECT_EQ(lang.Texts, LanguagePack().Texts) << what;
  }
}

TEST(BundledPacks, EnglishIsTheBuiltInSetAndCzechIsComplete) {
  const LanguagePack en;
  LanguagePack lang;
  std::string bytes;
  ASSERT_TRUE(kd::ReadFileBytes(KD_SOURCE_DIR "/data/EN.pck", bytes));
  EXPECT_EQ(bytes, kd::JoinLinesCrLf(en.Texts));
  ASSERT_TRUE(lang.LoadPack(KD_SOURCE_DIR "/data/EN.pck"));

  ASSERT_TRUE(lang.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
  ASSERT_TRUE(kd::ReadFileBytes(KD_SOURCE_DIR "/data/CZ.pck", bytes));
  // Windows-1250 ("č" is the byte 0xE8, not UTF-8's C4 8D), every byte
  // defined, every line ended by CR LF.
  EXPECT_NE(bytes.find('\xE8'), std::string::npos);
  EXPECT_EQ(bytes.find("\xC4\x8D"), std::string::npos);
  EXPECT_EQ(kd::Cp1250ToUtf8(bytes).find("\xEF\xBF\xBD"), std::string::npos);
  EXPECT_EQ(kd::JoinLinesCrLf(kd::SplitLines(bytes)), bytes);

  EXPECT_EQ(lang.Text(3), "Načíst souřadnice");
  int untranslated = 0;
  for (int n = 3; n < 123; ++n) {
    EXPECT_FALSE(lang.Text(n).empty()) << n;
    EXPECT_EQ(lang.Text(n).back() == ' ', en.Text(n).back() == ' ' || n == 16) << n;
    untranslated += lang.Text(n) == en.Text(n);
  }
  EXPECT_LE(untranslated, 6); // "*.txt", "OK" and the type codes
}

TEST_F(PackFolder, LanguageListAndSwitching) {
  WritePack("SK.pck", "- Výpočet SK -");
  WritePack("CZ.pck", "- Výpočet -");
  WritePack("PL.PCK", "- Obliczenia -");
  Write("BAD.pck", "Korvadimensio 3D 3.3.0 LangPack\r\nshort\r\n");
  Write("notes.txt", "x");
  Write(".pck", "x");
  fs::create_directories(dir / "folder.pck");
  LanguagePack lang;
  EXPECT_EQ(lang.FillLanguageList(Folder()),
            (std::vector<std::string>{"EN(default)", "BAD", "CZ", "PL", "SK"}));
  EXPECT_EQ(LanguagePack().FillLanguageList((dir / "missing").string()),
            std::vector<std::string>{"EN(default)"});

  std::string remembered = "DE.pck";
  EXPECT_EQ(SwitchLanguage(lang, Folder(), "CZ", remembered), LanguageSwitch::Pack);
  EXPECT_EQ(remembered, "CZ.pck");
  EXPECT_EQ(lang.Text(9), "- Výpočet -");
  EXPECT_EQ(SwitchLanguage(lang, Folder(), "PL", remembered), LanguageSwitch::Pack);
  EXPECT_EQ(remembered, "PL.PCK");

  // Broken packs and typed names that are no pack (or lie outside the
  // folder) give English and keep the remembered pack.
  for (const char *typed : {"BAD", "nothing", "", "../CZ", "sub/CZ", "CZ.pck"}) {
    SwitchLanguage(lang, Folder(), "CZ", remembered);
    EXPECT_EQ(SwitchLanguage(lang, Folder(), typed, remembered), LanguageSwitch::Failed) << typed;
    EXPECT_EQ(lang.Text(9), English9) << typed;
    EXPECT_EQ(remembered, "CZ.pck") << typed;
  }

  // The start-up load takes the file name only.
  EXPECT_TRUE(LoadStartupPack(lang, Folder(), "C:\\old\\place\\SK.pck"));
  EXPECT_EQ(lang.Text(9), "- Výpočet SK -");
  EXPECT_FALSE(LoadStartupPack(lang, Folder(), "missing.pck"));
  EXPECT_EQ(lang.Text(9), English9);

  // The built-in item: English now and at the next start.
  SwitchLanguage(lang, Folder(), "CZ", remembered);
  EXPECT_EQ(SwitchLanguage(lang, Folder(), "EN(default)", remembered), LanguageSwitch::BuiltIn);
  EXPECT_EQ(lang.Text(9), English9);
  EXPECT_EQ(remembered, "");
  EXPECT_FALSE(LoadStartupPack(lang, Folder(), remembered));
  EXPECT_EQ(lang.Text(9), English9);
}

TEST_F(PackFolder, PacksFromSeveralFoldersComeFromWhereTheyWereFound) {
  fs::create_directories(dir / "share");
  WritePack("CZ.pck", "- program CZ -");
  WritePack("share/CZ.pck", "- share CZ -");
  WritePack("share/SK.pck", "- share SK -");
  const std::vector<std::string> folders{Folder(), (dir / "missing").string(),
                                         (dir / "share").string()};
  LanguagePack lang;
  // The same name twice is offered once: the earlier folder's pack.
  EXPECT_EQ(lang.FillLanguageList(folders), (std::vector<std::string>{"EN(default)", "CZ", "SK"}));
  EXPECT_EQ(lang.PackFolders, (std::vector<std::string>{Folder(), (dir / "share").string()}));

  std::string remembered;
  EXPECT_EQ(SwitchLanguage(lang, folders, "SK", remembered), LanguageSwitch::Pack);
  EXPECT_EQ(remembered, "SK.pck");
  EXPECT_EQ(lang.Text(9), "- share SK -");
  EXPECT_EQ(SwitchLanguage(lang, folders, "CZ", remembered), LanguageSwitch::Pack);
  EXPECT_EQ(lang.Text(9), "- program CZ -");
  EXPECT_EQ(SwitchLanguage(lang, std::vector<std::string>{}, "CZ", remembered),
            LanguageSwitch::Failed);
  EXPECT_EQ(lang.Text(9), English9);

  // At start-up the first folder holding the remembered pack wins.
  EXPECT_TRUE(LoadStartupPack(lang, folders, "SK.pck"));
  EXPECT_EQ(lang.Text(9), "- share SK -");
  EXPECT_TRUE(LoadStartupPack(lang, folders, "CZ.pck"));
  EXPECT_EQ(lang.Text(9), "- program CZ -");
  EXPECT_FALSE(LoadStartupPack(lang, folders, "PL.pck"));
  EXPECT_EQ(lang.Text(9), English9);
}
