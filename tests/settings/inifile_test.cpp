#include "settings/inifile.h"
#include "settings/settingsedit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/pointset.h"
#include "core/textfile.h"

namespace fs = std::filesystem;

namespace {

const char DefaultFile[] = "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\n"
                           "Times New Roman\r\n10\r\n1\r\nT\r\nEN.pck\r\n";

class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("kd_ini_") + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    ini = (dir / "korvadimensio.ini").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  void Write(const std::string &bytes) { std::ofstream(ini, std::ios::binary) << bytes; }
  std::string Read() {
    std::string bytes;
    kd::ReadFileBytes(ini, bytes);
    return bytes;
  }
  // A point set whose settings all differ from the defaults.
  static void Customise(TPoints &p) {
    p.FixedColor = 0x00010203;
    p.AdjustedColor = 0x00040506;
    p.MeasColor = 0x00070809;
    p.MarkColor = 0x000A0B0C;
    p.BackColor = 0x00FFFFFF;
    p.FontName = "Liberation Mono";
    p.FontSize = 14;
    p.ScSvpMode = 2;
    p.AutoSave = false;
  }
  static void ExpectDefaults(const TPoints &p) {
    EXPECT_EQ(p.FixedColor, 0x0000FFFFu);
    EXPECT_EQ(p.AdjustedColor, 0x0000FF00u);
    EXPECT_EQ(p.MeasColor, 0x00C0C0C0u);
    EXPECT_EQ(p.MarkColor, 0x000000FFu);
    EXPECT_EQ(p.BackColor, 0x00000000u);
    EXPECT_EQ(p.FontName, "Times New Roman");
    EXPECT_EQ(p.FontSize, 10);
    EXPECT_EQ(p.ScSvpMode, 1);
    EXPECT_TRUE(p.AutoSave);
  }

  fs::path dir;
  std::string ini;
};

} // namespace

TEST(SettingsFileName, NextToTheProgram) {
  EXPECT_EQ(inifile::FileName("/opt/kd/korvadimensio"), "/opt/kd/korvadimensio.ini");
  EXPECT_EQ(inifile::FileName("/opt/kd.3/korva.exe"), "/opt/kd.3/korva.ini");
}

TEST_F(SettingsFile, DefaultsAreWrittenAndReadExactly) {
  TPoints p;
  ASSERT_TRUE(inifile().SaveSettings(p, "EN.pck", ini));
  EXPECT_EQ(Read(), DefaultFile);

  TPoints q;
  Customise(q);
  std::string pack;
  EXPECT_EQ(inifile().LoadSettings(q, pack, ini), TSettingsLoad::Loaded);
  ExpectDefaults(q);
  EXPECT_EQ(pack, "EN.pck");
}

TEST_F(SettingsFile, CustomValuesSurviveSaveAndLoad) {
  TPoints p;
  Customise(p);
  p.FontName = "Písmo Šedé"; // held as UTF-8, stored as Windows-1250
  p.MarkColor = 0xFF00000F;
  ASSERT_TRUE(inifile().SaveSettings(p, "/old/folder/CZ.pck", ini));
  const std::string bytes = Read();
  EXPECT_NE(bytes.find("P\xEDsmo \x8A" "ed\xE9\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("clBtnFace\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\nF\r\nCZ.pck\r\n"), std::string::npos);

  TPoints q;
  std::string pack;
  ASSERT_EQ(inifile().LoadSettings(q, pack, ini), TSettingsLoad::Loaded);
  EXPECT_EQ(q.FixedColor, p.FixedColor);
  EXPECT_EQ(q.BackColor, p.BackColor);
  EXPECT_EQ(q.MarkColor, 0xFF00000Fu);
  EXPECT_EQ(q.FontName, "Písmo Šedé");
  EXPECT_EQ(q.FontSize, 14);
  EXPECT_EQ(q.ScSvpMode, 2);
  EXPECT_FALSE(q.AutoSave);
  EXPECT_EQ(pack, "CZ.pck");
}

TEST_F(SettingsFile, HexColourReadsAndWritesBackUnchanged) {
  std::string text = DefaultFile;
  text.replace(text.find("clSilver"), 8, "$00A0B0C0");
  Write(text);
  TPoints p;
  std::string pack;
  ASSERT_EQ(inifile().LoadSettings(p, pack, ini), TSettingsLoad::Loaded);
  EXPECT_EQ(ColorRed(p.MeasColor), 0xC0);
  EXPECT_EQ(ColorGreen(p.MeasColor), 0xB0);
  EXPECT_EQ(ColorBlue(p.MeasColor), 0xA0);
  ASSERT_TRUE(inifile().SaveSettings(p, pack, ini));
  EXPECT_EQ(Read(), text);
}

TEST_F(SettingsFile, LineEndsOfAnyKind) {
  std::string lf, cr;
  for (char c : std::string(DefaultFile)) {
    if (c != '\r')
      lf += c;
    if (c != '\n')
      cr += c;
  }
  lf.pop_back(); // no final line end
  for (const std::string &text : {lf, cr}) {
    Write(text);
    TPoints p;
    Customise(p);
    std::string pack;
    EXPECT_EQ(inifile().LoadSettings(p, pack, ini), TSettingsLoad::Loaded);
    ExpectDefaults(p);
    EXPECT_EQ(pack, "EN.pck");
  }
}

TEST_F(SettingsFile, BuiltInLanguageIsRememberedAsAnEmptyLastLine) {
  TPoints p;
  ASSERT_TRUE(inifile().SaveSettings(p, "", ini));
  std::string pack = "CZ.pck";
  EXPECT_EQ(inifile().LoadSettings(p, pack, ini), TSettingsLoad::Loaded);
  EXPECT_EQ(pack, "");
}

TEST_F(SettingsFile, MissingFileChangesNothing) {
  TPoints p;
  Customise(p);
  std::string pack;
  EXPECT_EQ(inifile().LoadSettings(p, pack, ini), TSettingsLoad::Missing);
  EXPECT_EQ(p.FontName, "Liberation Mono");
  EXPECT_EQ(p.ScSvpMode, 2);
  EXPECT_EQ(pack, "");
  EXPECT_EQ(inifile().LoadSettings(p, pack, ""), TSettingsLoad::Missing);
}

TEST_F(SettingsFile, AnyBadFileGivesAllDefaults) {
  std::string nine = DefaultFile;
  nine.replace(0, 8, "clWhite"); // a good first value, overwritten by the fault
  nine.erase(nine.rfind("EN.pck"));
  std::string badMode = DefaultFile;
  badMode.replace(badMode.find("\r\n1\r\n"), 5, "\r\n7\r\n");
  std::string badSize = DefaultFile;
  badSize.replace(badSize.find("10"), 2, "300");
  std::string hugeLine = DefaultFile;
  hugeLine.replace(hugeLine.find("Times"), 5, std::string(200000, 'T'));
  const std::pair<const char *, std::string> cases[] = {
      {"empty", ""},
      {"nine lines", nine},
      {"mode 7", badMode},
      {"font size 300", badSize},
      {"binary", std::string("\x00\xFF\x01\r\n\x80\x81\n\0", 9)},
      {"huge line", hugeLine},
      {"only line ends", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
  };
  for (const auto &[what, bytes] : cases) {
    Write(bytes);
    TPoints p;
    Customise(p);
    std::string pack = "CZ.pck";
    EXPECT_EQ(inifile().LoadSettings(p, pack, ini), TSettingsLoad::Defaults) << what;
    ExpectDefaults(p);
    EXPECT_EQ(pack, "EN.pck") << what;
  }

  // A folder in place of the file cannot be read: defaults too.
  fs::remove(ini);
  fs::create_directories(ini);
  TPoints p;
  Customise(p);
  std::string pack;
  EXPECT_EQ(inifile().LoadSettings(p, pack, ini), TSettingsLoad::Defaults);
  ExpectDefaults(p);
}

TEST_F(SettingsFile, FailedSaveIsReportedAndLosesNothing) {
  TPoints p;
  // The folder does not exist.
  EXPECT_FALSE(inifile().SaveSettings(p, "EN.pck", (dir / "none" / "k.ini").string()));
  // A folder stands where the file should go: it stays and nothing else is left.
  fs::create_directories(ini);
  EXPECT_FALSE(inifile().SaveSettings(p, "EN.pck", ini));
  EXPECT_TRUE(fs::is_directory(ini));
  int entries = 0;
  for ([[maybe_unused]] const auto &e : fs::directory_iterator(dir))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(SettingsFile, GlobalPackNameIsUsedByDefault) {
  const std::string saved = LangPackFile;
  LangPackFile = "CZ.pck";
  TPoints p;
  ASSERT_TRUE(inifile().SaveSettings(p, ini));
  LangPackFile.clear();
  EXPECT_EQ(inifile().LoadSettings(p, ini), TSettingsLoad::Loaded);
  EXPECT_EQ(LangPackFile, "CZ.pck");
  LangPackFile = saved;
}

// --- The settings dialog's state -------------------------------------------

TEST_F(SettingsFile, DefaultButtonThenCancelChangesNothing) {
  TPoints p;
  Customise(p);
  TSettingsEdit edit;
  edit.Show(p, "CZ.pck");
  edit.Defaults();
  EXPECT_EQ(edit.Values.FontName, "Times New Roman");
  // Cancel: the dialog is closed without Apply.
  EXPECT_EQ(p.FontName, "Liberation Mono");
  EXPECT_EQ(p.FixedColor, 0x00010203u);
  EXPECT_FALSE(fs::exists(ini));
}

TEST_F(SettingsFile, DefaultButtonThenApplyKeepsModeFlagAndLanguage) {
  TPoints p;
  Customise(p);
  TSettingsEdit edit;
  edit.Show(p, "CZ.pck");
  edit.Defaults();
  ASSERT_TRUE(edit.Apply(p, "CZ.pck", ini));
  EXPECT_EQ(p.FixedColor, 0x0000FFFFu);
  EXPECT_EQ(p.BackColor, 0u);
  EXPECT_EQ(p.FontName, "Times New Roman");
  EXPECT_EQ(p.FontSize, 10);
  EXPECT_EQ(p.ScSvpMode, 2);
  EXPECT_FALSE(p.AutoSave);
  EXPECT_EQ(Read(), "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\n"
                    "Times New Roman\r\n10\r\n2\r\nF\r\nCZ.pck\r\n");
}

TEST_F(SettingsFile, ApplyReportsAFileThatCannotBeWritten) {
  TPoints p;
  TSettingsEdit edit;
  edit.Show(p, "");
  edit.Values.ScSvpMode = 0;
  fs::create_directories(ini);
  EXPECT_FALSE(edit.Apply(p, "", ini));
  EXPECT_EQ(p.ScSvpMode, 0) << "the values are in use even when the file is not written";
}
