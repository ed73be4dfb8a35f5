#include "settings/language_pack.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/text_file.h"
#include "settings/settings_file.h"

namespace fs = std::filesystem;

namespace {

// The built-in English set. Texts 13, 22, 23 and 80 end with a blank so that
// a value can follow them directly.
const char *const BuiltInTexts[LanguagePack::BuiltInCount] = {
    "Korvadimensio 3D 3.3.0 LangPack", // 0
    "[ver EN]", // 1
    "Built-in English texts", // 2
    "Load coords", // 3
    "*.txt", // 4
    "Coordinates plan", // 5
    "Load measurements", // 6
    "Measurement plan", // 7
    "- Settings -", // 8
    "- Evaluation -", // 9
    "+ Protocol +", // 10
    "+Calculations+", // 11
    "At least two points are needed.", // 12
    "Number of loaded points: ", // 13
    "Not enough points loaded.", // 14
    "Warning - some measurement were thrown away!", // 15
    "Loaded measurements:", // 16
    "Measurements without coordinates thrown away", // 17
    "Evaluation started.", // 18
    "Too few coordinates or measurements.", // 19
    "Evaluation fails.", // 20
    "Evaluation acomplished.", // 21
    "Reading file: ", // 22
    "All point have to be 3d. ", // 23
    "Load *.txt", // 24
    "Coordinates", // 25
    "Save as", // 26
    "Save", // 27
    "Point number", // 28
    "Height", // 29
    "Delete point", // 30
    "Add point", // 31
    "All", // 32
    "Redraw", // 33
    "Two points are minimum.", // 34
    "Save coordinates as", // 35
    "-> dir.", // 36
    "-> zen.", // 37
    "-> angles", // 38
    "-> hd", // 39
    "-> vd", // 40
    "-> sd", // 41
    "->3d pol.", // 42
    "Delete meas.", // 43
    "Sort", // 44
    "Measurements", // 45
    "Add measurements", // 46
    "Add measurement", // 47
    "Measurement type", // 48
    "Station", // 49
    "Target", // 50
    "Precision", // 51
    "Insert measurement", // 52
    "Error", // 53
    "Protocol", // 54
    "Results and calculations", // 55
    "Distance", // 56
    "From", // 57
    "To", // 58
    "Calculate", // 59
    "Distance", // 60
    "Std. dev.", // 61
    "Save table", // 62
    "Save covar. matrix", // 63
    "slope", // 64
    "horizontal", // 65
    "vertical", // 66
    "Change precision of the measurements", // 67
    "Change", // 68
    "Apply", // 69
    "Selected measurement", // 70
    "All of the same type", // 71
    "All points adjusted", // 72
    "All points fixed", // 73
    "Change all", // 74
    "Properties", // 75
    "Change precision of one measurement", // 76
    "Change precision of all of the same type", // 77
    "Precision guide", // 78
    "Apply to all", // 79
    "Incorrect input: ", // 80
    "Automatic save when exiting form", // 81
    "Colors and font for plans", // 82
    "Color of the fixed point", // 83
    "Color of the adjusted point", // 84
    "Color of the measurements", // 85
    "Color of the mark point", // 86
    "Color of the background", // 87
    "Choose font", // 88
    "Default settings", // 89
    "Properties of the Sc/Svp precision", // 90
    "Without influence of the Sc/Svp", // 91
    "Influence of the Sc/Svp is calculated", // 92
    "OK", // 93
    "Cancel", // 94
    "Point properties", // 95
    "Point number", // 96
    "P.No.", // 97
    "Coordinates", // 98
    "Standard deviations", // 99
    "Wrong input!", // 100
    "Type", // 101
    "Total station precision", // 102
    "Direction", // 103
    "Zenith angle", // 104
    "Slope dist.", // 105
    "Horizontal dist.", // 106
    "Number of repetition", // 107
    "Average dist.", // 108
    "Resulting precision", // 109
    "Apply on", // 110
    "one by one", // 111
    "Levelling instrument precision", // 112
    "Standard deviation of 1km levelling", // 113
    "Levelling route length coefficient", // 114
    "Vertical dist.", // 115
    "Influence of the Sc/Svp is calculated for whole net", // 116
    "Gyrodirection", // 117
    "Gyrodirection 1x/", // 118
    "Apply", // 119
    "Position transmition/plumbing", // 120
    "Precision of position transmition/plumbing", // 121
    "Position transmition/plumbing is beyond vertical!", // 122
};

// A pack is 123 short lines; anything far larger is not a pack and is not
// read into memory.
constexpr std::uintmax_t MaxPackBytes = 1024 * 1024;

const char PackExt[] = ".pck";

bool HasPackExt(const std::string &name) {
  if (name.size() <= 4)
    return false;
  for (std::size_t i = 0; i < 4; ++i) {
    char c = name[name.size() - 4 + i];
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c != PackExt[i])
      return false;
  }
  return true;
}

bool HasSeparator(const std::string &s) {
  return s.find('/') != std::string::npos || s.find('\\') != std::string::npos;
}

std::string JoinPath(const std::string &folder, const std::string &name) {
  if (folder.empty())
    return name;
  return (fs::path(folder) / fs::path(name)).string();
}

} // namespace

LanguagePack::LanguagePack() : LangCode("EN") { LoadBuiltIn(); }

const std::string &LanguagePack::Text(int n) const {
  static const std::string empty;
  if (n < 0 || static_cast<std::size_t>(n) >= Texts.size())
    return empty;
  return Texts[static_cast<std::size_t>(n)];
}

void LanguagePack::LoadBuiltIn() {
  Texts.assign(std::begin(BuiltInTexts), std::end(BuiltInTexts));
  TextCount = static_cast<int>(Texts.size());
}

bool LanguagePack::LoadPack(const std::string &path) {
  std::error_code ec;
  const fs::path p(path);
  if (path.empty() || !fs::is_regular_file(p, ec) ||
      fs::file_size(p, ec) > MaxPackBytes || ec) {
    LoadBuiltIn();
    return false;
  }
  std::string bytes;
  if (!kd::ReadFileBytes(path, bytes)) {
    LoadBuiltIn();
    return false;
  }
  std::vector<std::string> lines = kd::SplitLines(kd::DecodeFileText(bytes));
  if (lines.empty() || lines[0] != PackHeader ||
      static_cast<int>(lines.size()) != TextCount) {
    LoadBuiltIn();
    return false;
  }
  Texts = std::move(lines);
  return true;
}

void LanguagePack::FindPacks(const std::string &folder) {
  FindPacks(std::vector<std::string>{folder});
}

void LanguagePack::FindPacks(const std::vector<std::string> &folders) {
  std::vector<std::pair<std::string, std::string>> found; // name, folder
  for (const std::string &folder : folders) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec)
      continue;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
      if (ec)
        break;
      std::error_code fec;
      if (!it->is_regular_file(fec))
        continue;
      std::string name = it->path().filename().string();
      if (!HasPackExt(name))
        continue;
      const bool hidden = std::any_of(found.begin(), found.end(),
                                      [&name](const auto &f) { return f.first == name; });
      if (!hidden)
        found.emplace_back(std::move(name), folder);
    }
  }
  std::sort(found.begin(), found.end());
  PackFiles.clear();
  PackFolders.clear();
  for (auto &[name, folder] : found) {
    PackFiles.push_back(std::move(name));
    PackFolders.push_back(std::move(folder));
  }
}

std::vector<std::string> LanguagePack::FillLanguageList(const std::string &folder) {
  return FillLanguageList(std::vector<std::string>{folder});
}

std::vector<std::string> LanguagePack::FillLanguageList(const std::vector<std::string> &folders) {
  FindPacks(folders);
  std::vector<std::string> items;
  items.reserve(PackFiles.size() + 1);
  items.push_back(DefaultItem());
  for (const std::string &name : PackFiles)
    items.push_back(name.substr(0, name.size() - 4));
  return items;
}

const LanguagePack &BuiltInLanguage() {
  static const LanguagePack builtIn;
  return builtIn;
}

namespace {

// The first of `folders` holding a regular file `name`; the first folder
// when none does (a load from there then fails as for a missing pack).
std::string FolderHolding(const std::vector<std::string> &folders, const std::string &name) {
  for (const std::string &folder : folders) {
    std::error_code ec;
    if (fs::is_regular_file(JoinPath(folder, name), ec))
      return folder;
  }
  return folders.empty() ? std::string() : folders.front();
}

} // namespace

bool LoadStartupPack(LanguagePack &lang, const std::string &programFolder,
                     const std::string &langPackFile) {
  return LoadStartupPack(lang, std::vector<std::string>{programFolder}, langPackFile);
}

bool LoadStartupPack(LanguagePack &lang, const std::vector<std::string> &folders,
                     const std::string &langPackFile) {
  const std::string name = kd::FileNamePart(langPackFile);
  if (name.empty() || folders.empty()) {
    lang.LoadBuiltIn();
    return false;
  }
  return lang.LoadPack(JoinPath(FolderHolding(folders, name), name));
}

LanguageSwitch SwitchLanguage(LanguagePack &lang, const std::string &programFolder,
                           const std::string &choice, std::string &langPackFile) {
  return SwitchLanguage(lang, std::vector<std::string>{programFolder}, choice, langPackFile);
}

LanguageSwitch SwitchLanguage(LanguagePack &lang, const std::vector<std::string> &folders,
                              const std::string &choice, std::string &langPackFile) {
  if (choice == lang.DefaultItem()) {
    lang.LoadBuiltIn();
    langPackFile.clear();
    return LanguageSwitch::BuiltIn;
  }
  if (choice.empty() || HasSeparator(choice)) {
    lang.LoadBuiltIn();
    return LanguageSwitch::Failed;
  }
  // The list shows pack names without their extension; a pack found with
  // another letter case of the extension is loaded under its real name.
  std::string fileName = choice + PackExt;
  auto listed = std::find(lang.PackFiles.begin(), lang.PackFiles.end(), fileName);
  if (listed == lang.PackFiles.end())
    listed = std::find_if(lang.PackFiles.begin(), lang.PackFiles.end(),
                          [&](const std::string &found) {
                            return found.size() == fileName.size() &&
                                   found.compare(0, choice.size(), choice) == 0;
                          });
  std::string folder = FolderHolding(folders, fileName);
  if (listed != lang.PackFiles.end()) {
    fileName = *listed;
    folder = FolderHolding(folders, fileName);
    // The folder the list found it in, as long as it is still searched.
    const auto index = static_cast<std::size_t>(listed - lang.PackFiles.begin());
    if (index < lang.PackFolders.size() &&
        std::find(folders.begin(), folders.end(), lang.PackFolders[index]) != folders.end())
      folder = lang.PackFolders[index];
  }
  if (folders.empty()) {
    lang.LoadBuiltIn();
    return LanguageSwitch::Failed;
  }
  if (!lang.LoadPack(JoinPath(folder, fileName)))
    return LanguageSwitch::Failed;
  langPackFile = fileName;
  return LanguageSwitch::Pack;
}
