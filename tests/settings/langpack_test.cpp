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

  // The built-in set as pack lines, optionally with some texts replaced.
  static std::vector<std::string> BuiltInLines() {
    TLangPack lang;
    return lang.Texts;
  }

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
