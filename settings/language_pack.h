#pragma once
// A language: a table of numbered interface texts.
//
// There is no program-wide language. Whoever shows texts owns a pack (the
// desktop application, one run of the headless command) and hands it, as a
// const reference, to everything that words a text; every text is fetched
// from it at the moment of use, so texts follow a later switch of that pack.
// Two packs may be used side by side in one process.
//
// A pack starts as the built-in English set and can be replaced by a
// language pack file ("*.pck", Windows-1250, one text per line) from the
// program's data folders (beside the program, the user's data folder, the
// installed share folder). Texts are UTF-8 inside the program.
#include <string>
#include <vector>

class LanguagePack {
public:
  // Header every pack file must carry as its first line, exactly.
  static constexpr const char *PackHeader = "Korvadimensio 3D 3.3.0 LangPack";
  // Number of texts of the built-in set (and lines of a pack).
  static constexpr int BuiltInCount = 123;

  std::vector<std::string> Texts; // the active table; entry N is text N
  int TextCount = 0;              // lines a pack must have (size of the built-in set)
  std::string LangCode;           // code of the built-in language
  std::vector<std::string> PackFiles; // names (without folder) of the packs found
  std::vector<std::string> PackFolders; // the folder each of PackFiles was found in

  // Starts with the built-in English set.
  LanguagePack();

  // Text number n of the active table; "" for a number outside the table.
  const std::string &Text(int n) const;

  // Makes the built-in English set active.
  void LoadBuiltIn();

  // Loads the pack file at `path` (UTF-8 path). On success the pack's texts
  // are active and true is returned. When the file is missing, unreadable,
  // unreasonably large, has another first line than the header or another
  // number of lines than the built-in set, the built-in English set becomes
  // active (never the pack that was active before) and false is returned.
  bool LoadPack(const std::string &path);

  // Fills PackFiles with the names of the "*.pck" files in `folder`
  // (regular files only), sorted by name so the list is the same on every
  // machine. An unreadable or missing folder gives an empty list.
  void FindPacks(const std::string &folder);
  // The same over several folders searched in order: a pack name found in an
  // earlier folder hides the same name in later ones. PackFolders tells
  // where each pack lies.
  void FindPacks(const std::vector<std::string> &folders);

  // The items of the language drop-down list: FindPacks(folder), then
  // LangCode + "(default)" first, followed by every found pack name without
  // its extension. The list shows its first item selected.
  std::vector<std::string> FillLanguageList(const std::string &folder);
  std::vector<std::string> FillLanguageList(const std::vector<std::string> &folders);

  // The item naming the built-in set: "EN(default)".
  std::string DefaultItem() const { return LangCode + "(default)"; }
};

// The built-in English set, never changed: the texts of those that are
// given no pack.
const LanguagePack &BuiltInLanguage();

// Start-up load: tries the pack `langPackFile` (its file-name part) in the
// program's folder. When it is empty, missing or broken, the built-in set is
// active. Returns true when the pack was loaded. The caller then puts the
// texts on all windows.
bool LoadStartupPack(LanguagePack &lang, const std::string &programFolder,
                     const std::string &langPackFile);
// The same, looking for the pack in `folders` in order and loading the first
// one found.
bool LoadStartupPack(LanguagePack &lang, const std::vector<std::string> &folders,
                     const std::string &langPackFile);

// Outcome of a language switch from the settings dialog.
enum class LanguageSwitch {
  BuiltIn, // the built-in item was chosen: English, remembered as built-in
  Pack,    // the pack was loaded and is remembered
  Failed,  // no such pack or a broken one: English, remembered pack unchanged
};

// Switches the language to `choice`, the text of the language list (which
// also accepts typed text). Choosing the built-in item makes English active
// and clears `langPackFile`, so the next start is in English too. A pack name
// loads "<folder>/<choice>.pck"; on success `langPackFile` := the pack's file
// name. A failed load leaves English active and `langPackFile` unchanged.
// Names with a folder separator are never looked up. In every case the
// texts of `lang` have changed and the caller puts them on all windows; the
// choice reaches the settings file only when the settings are saved.
LanguageSwitch SwitchLanguage(LanguagePack &lang, const std::string &programFolder,
                           const std::string &choice, std::string &langPackFile);
// The same over several folders: a pack of the list is loaded from the
// folder it was found in (PackFolders); any other name from the first of
// `folders` that holds it.
LanguageSwitch SwitchLanguage(LanguagePack &lang, const std::vector<std::string> &folders,
                              const std::string &choice, std::string &langPackFile);
