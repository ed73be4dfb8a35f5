#include "settings/color_text.h"
#include "tests/support/scratch.h"
#include "settings/ini_file.h"
#include "settings/settings_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/point_set.h"
#include "core/text_file.h"

namespace fs = std::filesystem;

namespace {

const std::string DefaultFile = "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\n"
                                "Times New Roman\r\n10\r\n1\r\nT\r\nEN.pck\r\n";

std::string Replaced(std::string s, const std::string &what, const std::string &with) {
  return s.replace(s.find(what), what.size(), with);
}

class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override {
    dir = scratch.Path;
    ini = (dir / "korvadimensio.ini").string();
  }
  ScratchDir scratch;

  void Write(const std::string &bytes) { std::ofstream(ini, std::ios::binary) << bytes; }
  std::string Read() {
    std::string bytes;
    kd::ReadFileBytes(ini, bytes);
    return bytes;
  }
  SettingsLoad Load(kd::Settings &p) { return IniFile().LoadSettings(p, ini); }
  bool Save(const kd::Settings &p) { return IniFile().SaveSettings(p, ini); }

  // Settings that all differ from the defaults.
  static kd::Settings Custom() {
    kd::Settings p;
    p.FixedColor = 0x00010203;
    p.BackColor = 0x00FFFFFF;
    p.FontName = "Liberation Mono";
    p.FontSize = 14;
    p.ScSvpMode = 2;
    p.AutoSave = false;
    p.LangPackFile = "CZ.pck";
    return p;
  }
  static void ExpectDefaults(const kd::Settings &p, const std::string &what = "") {
    const kd::Settings d;
    EXPECT_EQ(p.FixedColor, d.FixedColor) << what;
    EXPECT_EQ(p.AdjustedColor, d.AdjustedColor) << what;
    EXPECT_EQ(p.MeasColor, d.MeasColor) << what;
    EXPECT_EQ(p.MarkColor, d.MarkColor) << what;
    EXPECT_EQ(p.BackColor, d.BackColor) << what;
    EXPECT_EQ(p.FontName, "Times New Roman") << what;
    EXPECT_EQ(p.FontSize, 10) << what;
    EXPECT_EQ(p.ScSvpMode, 1) << what;
    EXPECT_TRUE(p.AutoSave) << what;
    EXPECT_EQ(p.LangPackFile, "EN.pck") << what;
  }

  fs::path dir;
  std::string ini;
};

} // namespace

TEST(ColorText, WritingAndReading) {
  EXPECT_EQ(kd::ColorToText(0x0000FFFF), "clYellow");
  EXPECT_EQ(kd::ColorToText(0xFF00000F), "clBtnFace");
  EXPECT_EQ(kd::ColorToText(0x20000000), "clDefault");
  EXPECT_EQ(kd::ColorToText(0x00123456), "$00123456");
  EXPECT_EQ(kd::ColorToText(0xFF000019), "$FF000019"); // system colour 25 has no name

  const std::pair<const char *, std::uint32_t> good[] = {
      {"CLYELLOW", 0x0000FFFF}, {"clmoneygreen", 0x00C0DCC0}, {"cl3DDkShadow", 0xFF000015},
      {"$a0b0c0", 0x00A0B0C0},  {"$FFFFFFFF", 0xFFFFFFFF},    {"255", 0xFF},
      {"-16777201", 0xFF00000F}, {"4294967295", 0xFFFFFFFF},  {" clRed ", 0xFF},
  };
  for (const auto &[text, value] : good) {
    std::uint32_t c = 0;
    EXPECT_TRUE(kd::TextToColor(text, c)) << text;
    EXPECT_EQ(c, value) << text;
  }
  for (const char *bad : {"", "$", "$123456789", "$12G4", "12a", "clRedd", "0x00FF",
                          "4294967296", "-2147483649", "99999999999999999999", "1.5", "\xFF\xFE"}) {
    std::uint32_t c = 7;
    EXPECT_FALSE(kd::TextToColor(bad, c)) << bad;
    EXPECT_EQ(c, 7u) << bad;
  }
}

TEST_F(SettingsFile, DefaultsAreWrittenExactlyAndValuesSurvive) {
  ASSERT_TRUE(Save(kd::Settings()));
  EXPECT_EQ(Read(), DefaultFile);

  kd::Settings p = Custom();
  p.FontName = "Písmo Šedé"; // UTF-8 inside, Windows-1250 in the file
  p.MarkColor = 0xFF00000F;
  p.LangPackFile = "/old/folder/CZ.pck";
  ASSERT_TRUE(Save(p));
  EXPECT_EQ(Read(), "$00010203\r\nclLime\r\nclSilver\r\nclBtnFace\r\nclWhite\r\n"
                    "P\xEDsmo \x8A" "ed\xE9\r\n14\r\n2\r\nF\r\nCZ.pck\r\n");
  kd::Settings q;
  ASSERT_EQ(Load(q), SettingsLoad::Loaded);
  EXPECT_EQ(q.FontName, "Písmo Šedé");
  p.LangPackFile = "CZ.pck";
  EXPECT_EQ(q, p);

  // The built-in language is remembered as an empty last line.
  p.LangPackFile = "";
  ASSERT_TRUE(Save(p));
  EXPECT_EQ(Load(q), SettingsLoad::Loaded);
  EXPECT_EQ(q.LangPackFile, "");

  // The point set carries the mode and the flag.
  PointSet points;
  kd::ApplySettings(Custom(), points);
  EXPECT_EQ(points.ScSvpMode, 2);
  EXPECT_FALSE(points.AutoSave);
  kd::Settings taken;
  points.ScSvpMode = 0;
  kd::TakeNetworkSettings(points, taken);
  EXPECT_EQ(taken.ScSvpMode, 0);
  EXPECT_FALSE(taken.AutoSave);
  EXPECT_EQ(taken.FontName, kd::Settings().FontName);
}

TEST_F(SettingsFile, ValuesReadAsTheyStand) {
  // A hex colour reads into its channels and is written back unchanged.
  const std::string hex = Replaced(DefaultFile, "clSilver", "$00A0B0C0");
  Write(hex);
  kd::Settings p;
  ASSERT_EQ(Load(p), SettingsLoad::Loaded);
  EXPECT_EQ(ColorRed(p.MeasColor), 0xC0);
  EXPECT_EQ(ColorGreen(p.MeasColor), 0xB0);
  EXPECT_EQ(ColorBlue(p.MeasColor), 0xA0);
  ASSERT_TRUE(Save(p));
  EXPECT_EQ(Read(), hex);

  // Only "T" is true; LF or CR line ends, a missing final line end and an
  // eleventh line are fine.
  for (const char *flag : {"t", "True", "T ", ""}) {
    std::string lf = Replaced(DefaultFile, "\r\nT\r\n", std::string("\r\n") + flag + "\r\n");
    std::erase(lf, '\r');
    Write(lf + "eleventh");
    p = kd::Settings();
    ASSERT_EQ(Load(p), SettingsLoad::Loaded) << flag;
    EXPECT_FALSE(p.AutoSave) << flag;
  }
  std::string cr = DefaultFile;
  std::erase(cr, '\n');
  Write(cr);
  EXPECT_EQ(Load(p), SettingsLoad::Loaded);
}

TEST_F(SettingsFile, MissingFileChangesNothing) {
  kd::Settings p = Custom();
  EXPECT_EQ(Load(p), SettingsLoad::Missing);
  EXPECT_EQ(p, Custom());
}

TEST_F(SettingsFile, AnyBadFileGivesAllDefaults) {
  const std::string nine = Replaced(DefaultFile, "EN.pck\r\n", "");
  const std::pair<const char *, std::string> cases[] = {
      {"empty", ""},
      {"nine lines, good values first", Replaced(nine, "clYellow", "clWhite")},
      {"bad colour", Replaced(DefaultFile, "clLime", "lime")},
      {"mode 3", Replaced(DefaultFile, "\r\n1\r\n", "\r\n3\r\n")},
      {"mode not a number", Replaced(DefaultFile, "\r\n1\r\n", "\r\nx\r\n")},
      {"font size 0", Replaced(DefaultFile, "\r\n10\r\n", "\r\n0\r\n")},
      {"font size 256", Replaced(DefaultFile, "\r\n10\r\n", "\r\n256\r\n")},
      {"font size 10.5", Replaced(DefaultFile, "\r\n10\r\n", "\r\n10.5\r\n")},
      {"binary", std::string("\x00\xFF\x01\r\n\x80\x81\n\0", 9)},
      {"huge line", Replaced(DefaultFile, "Times", std::string(200000, 'T'))},
      {"only line ends", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
  };
  for (const auto &[what, bytes] : cases) {
    Write(bytes);
    kd::Settings p = Custom();
    EXPECT_EQ(Load(p), SettingsLoad::Defaults) << what;
    ExpectDefaults(p, what);
  }
  fs::remove(ini);
  fs::create_directories(ini); // a folder cannot be read as the file
  kd::Settings p = Custom();
  EXPECT_EQ(Load(p), SettingsLoad::Defaults);
  ExpectDefaults(p);
}

TEST_F(SettingsFile, FailedSaveIsReportedAndLeavesNothingBehind) {
  EXPECT_FALSE(IniFile().SaveSettings(kd::Settings(), (dir / "none" / "k.ini").string()));
  fs::create_directories(ini);
  EXPECT_FALSE(Save(kd::Settings()));
  EXPECT_TRUE(fs::is_directory(ini));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, DialogDefaultsThenCancelOrApply) {
  kd::Settings p = Custom();
  SettingsEdit edit;
  edit.Show(p);
  edit.Defaults();
  // Cancel closes without applying: nothing changed, nothing written.
  EXPECT_EQ(p.FontName, "Liberation Mono");
  EXPECT_FALSE(fs::exists(ini));

  // Apply: default colours and font, the mode, flag and language kept.
  ASSERT_TRUE(edit.Apply(p, ini));
  EXPECT_EQ(Read(), "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\n"
                    "Times New Roman\r\n10\r\n2\r\nF\r\nCZ.pck\r\n");
  EXPECT_EQ(p.FixedColor, kd::Settings().FixedColor);
  EXPECT_EQ(p.ScSvpMode, 2);

  // A file that cannot be written is reported; the values are in use anyway.
  edit.Values.ScSvpMode = 0;
  fs::remove(ini);
  fs::create_directories(ini);
  EXPECT_FALSE(edit.Apply(p, ini));
  EXPECT_EQ(p.ScSvpMode, 0);
}

TEST_F(SettingsFile, RandomBytesNeverBreakLoading) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 300; ++round) {
    // Mostly line ends and text-like bytes so that some files get far.
    std::string bytes = round % 2 ? DefaultFile.substr(0, rng() % DefaultFile.size()) : "";
    const std::size_t n = rng() % 200;
    for (std::size_t i = 0; i < n; ++i)
      bytes += static_cast<char>(rng() % 4 == 0 ? "\r\n$-0T"[rng() % 6] : rng() % 256);
    Write(bytes);
    kd::Settings p;
    const SettingsLoad r = Load(p);
    EXPECT_TRUE(r == SettingsLoad::Loaded || r == SettingsLoad::Defaults);
    EXPECT_LE(p.ScSvpMode, 2);
    EXPECT_GE(p.FontSize, 1);
  }
}

TEST_F(SettingsFile, AByteOrderMarkIsSkipped) {
  // An editor that saved the file as UTF-8 with a mark: the first line is
  // still a colour and the font name keeps its letters.
  Write("\xEF\xBB\xBF" + Replaced(Replaced(DefaultFile, "clYellow", "clRed"), "Times New Roman",
                                  "Nov\xC3\xA1 p\xC3\xADsmo"));
  kd::Settings p;
  ASSERT_EQ(Load(p), SettingsLoad::Loaded);
  EXPECT_EQ(p.FixedColor, kd::Settings().MarkColor);
  EXPECT_EQ(p.FontName, "Nov\xC3\xA1 p\xC3\xADsmo");
}
