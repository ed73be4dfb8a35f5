#include "settings/colortext.h"
#include "settings/settingsfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kd::ColorToText;
using kd::TextToColor;
using kd::TSettings;

namespace {

std::uint32_t Color(const std::string &text) {
  std::uint32_t c = 0xDEADBEEF;
  EXPECT_TRUE(TextToColor(text, c)) << text;
  return c;
}

bool IsColor(const std::string &text) {
  std::uint32_t c = 0x12345678;
  const bool ok = TextToColor(text, c);
  if (!ok) {
    EXPECT_EQ(c, 0x12345678u) << "a failed read changes nothing";
  }
  return ok;
}

std::vector<std::string> DefaultLines() {
  return {"clYellow", "clLime", "clSilver", "clRed", "clBlack", "Times New Roman",
          "10", "1", "T", "EN.pck"};
}

} // namespace

TEST(ColorText, NamesAndHexWhenWriting) {
  EXPECT_EQ(ColorToText(0x0000FFFF), "clYellow");
  EXPECT_EQ(ColorToText(0x00C0C0C0), "clSilver");
  EXPECT_EQ(ColorToText(0xFF00000F), "clBtnFace");
  EXPECT_EQ(ColorToText(0xFF00001E), "clMenuBar");
  EXPECT_EQ(ColorToText(0x1FFFFFFF), "clNone");
  EXPECT_EQ(ColorToText(0x20000000), "clDefault");
  EXPECT_EQ(ColorToText(0x00A0B0C0), "$00A0B0C0");
  EXPECT_EQ(ColorToText(0x00123456), "$00123456");
  EXPECT_EQ(ColorToText(0x0000000A), "$0000000A");
  // System colour 25 has no name.
  EXPECT_EQ(ColorToText(0xFF000019), "$FF000019");
}

TEST(ColorText, ReadingNamesIntegersAndHex) {
  EXPECT_EQ(Color("clBtnFace"), 0xFF00000Fu);
  EXPECT_EQ(Color("CLYELLOW"), 0x0000FFFFu);
  EXPECT_EQ(Color("clmoneygreen"), 0x00C0DCC0u);
  EXPECT_EQ(Color("cl3DDkShadow"), 0xFF000015u);
  EXPECT_EQ(Color("$00A0B0C0"), 0x00A0B0C0u);
  EXPECT_EQ(Color("$a0b0c0"), 0x00A0B0C0u);
  EXPECT_EQ(Color("$FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(Color("255"), 0x000000FFu);
  EXPECT_EQ(Color("0"), 0u);
  EXPECT_EQ(Color("-16777201"), 0xFF00000Fu); // signed form of clBtnFace
  EXPECT_EQ(Color("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(Color(" clRed "), 0x000000FFu);
  EXPECT_EQ(Color("000000000000255"), 255u);

  // Every value written reads back as itself.
  for (std::uint32_t v : {0u, 0x00FF00FFu, 0xFF000018u, 0x00A4A0A0u, 0x7FFFFFFFu, 0xFF000019u})
    EXPECT_EQ(Color(ColorToText(v)), v);
}

TEST(ColorText, AnythingElseIsAnError) {
  for (const char *bad : {"", " ", "$", "$123456789", "$12G4", "12a", "clRedd", "clRed x",
                          "0x00FF", "4294967296", "-2147483649", "99999999999999999999",
                          "--5", "1.5", "1e3", "\xFF\xFE"})
    EXPECT_FALSE(IsColor(bad)) << bad;
}

TEST(SettingsLines, DefaultsAndRoundTrip) {
  EXPECT_EQ(kd::FormatSettings(TSettings{}), DefaultLines());

  TSettings s;
  ASSERT_TRUE(kd::ParseSettings(DefaultLines(), s));
  EXPECT_EQ(kd::FormatSettings(s), DefaultLines());

  std::vector<std::string> lines = DefaultLines();
  lines[0] = "clBtnFace";
  lines[2] = "$00A0B0C0";
  lines[5] = "Liberation Sans Narrow";
  lines[6] = "255";
  lines[7] = "2";
  lines[8] = "F";
  lines[9] = "CZ.pck";
  ASSERT_TRUE(kd::ParseSettings(lines, s));
  EXPECT_EQ(s.MeasColor & 0xFF, 0xC0u);          // red
  EXPECT_EQ((s.MeasColor >> 8) & 0xFF, 0xB0u);   // green
  EXPECT_EQ((s.MeasColor >> 16) & 0xFF, 0xA0u);  // blue
  EXPECT_EQ(s.FontSize, 255);
  EXPECT_EQ(s.ScSvpMode, 2);
  EXPECT_FALSE(s.AutoSave);
  EXPECT_EQ(kd::FormatSettings(s), lines);
}

TEST(SettingsLines, ValuesTakenAsTheyStand) {
  TSettings s;
  std::vector<std::string> lines = DefaultLines();
  for (const char *notTrue : {"t", "True", "T ", "", "1"}) {
    lines[8] = notTrue;
    ASSERT_TRUE(kd::ParseSettings(lines, s));
    EXPECT_FALSE(s.AutoSave) << notTrue;
  }
  lines = DefaultLines();
  lines[5] = "  Odd Font  ";
  lines[9] = "";
  lines.push_back("ignored eleventh line");
  ASSERT_TRUE(kd::ParseSettings(lines, s));
  EXPECT_EQ(s.FontName, "  Odd Font  ");
  EXPECT_EQ(s.LangPackFile, "");
}

TEST(SettingsLines, BadFilesAreRejectedWhole) {
  struct Case {
    int line;
    const char *text;
  };
  const Case cases[] = {
      {0, "yellowish"}, {4, ""},   {6, "ten"},  {6, "0"},  {6, "256"}, {6, "-3"},
      {6, "10.5"},      {7, "3"},  {7, "-1"},   {7, "x"},  {7, ""},    {2, "$"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> lines = DefaultLines();
    lines[static_cast<std::size_t>(c.line)] = c.text;
    TSettings s;
    s.FontName = "untouched";
    EXPECT_FALSE(kd::ParseSettings(lines, s)) << c.line << ": " << c.text;
    EXPECT_EQ(s.FontName, "untouched");
  }
  std::vector<std::string> nine = DefaultLines();
  nine.pop_back();
  TSettings s;
  EXPECT_FALSE(kd::ParseSettings(nine, s));
  EXPECT_FALSE(kd::ParseSettings({}, s));
}

TEST(SettingsLines, WritingKeepsTenLines) {
  TSettings s;
  s.FontName = "Bad\r\nFont";
  s.LangPackFile = "/some/folder/CZ.pck";
  const std::vector<std::string> lines = kd::FormatSettings(s);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[5], "Bad  Font");
  EXPECT_EQ(lines[9], "CZ.pck");
  s.LangPackFile = "C:\\Program\\CZ.pck";
  EXPECT_EQ(kd::FormatSettings(s)[9], "CZ.pck");
}
