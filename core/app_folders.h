#pragma once
// Where the programs find the adjustment engine and their data (language
// packs, the sample network), and where they keep their own files (settings,
// engine input, protocol, results), decided from the folder of the running
// program. Plain C++, shared by the desktop program and the batch command.
//
// Two layouts are recognised:
//  - portable: the engine lies beside the program (the build folder, an
//    unpacked archive). Everything is found beside the program, and the own
//    files are kept there too as long as that folder is writable;
//  - installed: the program lies in <prefix>/bin, the engine in
//    <prefix>/lib/korvadimensio3d, the data in <prefix>/share/korvadimensio3d.
//    The own files go to the user's data folder, never into the system's.
// The prefix is learnt from the program's own folder, so an installed tree
// can be moved (or unpacked anywhere) and still finds its parts.
#include <functional>
#include <string>
#include <vector>

namespace kd {

// File name of the engine program.
inline constexpr const char *EngineFileName = "gama.exe";
// Folder name of the program's data below share/ and of its engine below lib/.
inline constexpr const char *AppFolderName = "korvadimensio3d";

// Whether the program may create and replace files in `folder`.
using WritableCheck = std::function<bool(const std::string &folder)>;

// The real check: `folder` is an existing folder the process may write to.
bool FolderIsWritable(const std::string &folder);

// The parts of the environment that locate the user's data folder.
struct UserEnvironment {
  std::string XdgDataHome; // $XDG_DATA_HOME, may be empty
  std::string Home;        // $HOME, else the home folder of the user's account

  static UserEnvironment FromProcess();
};

// The user's data folder for this program: $XDG_DATA_HOME/korvadimensio3d
// when XDG_DATA_HOME is an absolute path (relative ones are ignored, as the
// XDG rules ask), else $HOME/.local/share/korvadimensio3d; "" when neither
// is known.
std::string UserDataFolder(const UserEnvironment &env);

class AppFolders {
public:
  // `programFolder` is the folder of the running program ("" = the current
  // folder). `isWritable` decides whether the program folder may hold the
  // own files; tests inject it, the program uses FolderIsWritable.
  AppFolders(const std::string &programFolder, const UserEnvironment &env,
             WritableCheck isWritable = FolderIsWritable);

  // The folders for the program file `programPath`, with the process's
  // environment and the real writability check.
  static AppFolders ForProgram(const std::string &programPath);
  // The folders of a program that keeps everything beside itself, as a
  // portable program in a writable folder does, whether or not its engine
  // is there yet: data and own files in `programFolder` (plus the data
  // below the prefix), no user folder.
  static AppFolders BesideProgram(const std::string &programFolder);

  const std::string &ProgramFolder() const { return ProgramFolderPath; }
  // <prefix> when the program lies in a folder named "bin", else "".
  const std::string &InstallPrefix() const { return PrefixPath; }
  // True when the engine lies beside the program.
  bool Portable() const { return IsPortable; }

  // Where the engine is looked for, in order: beside the program, then
  // <prefix>/lib/korvadimensio3d.
  std::vector<std::string> EngineCandidates() const;
  // The first candidate that is an executable file; when there is none, the
  // path beside the program, so that an error message names a sensible place.
  std::string EnginePath() const;

  // Where language packs and the sample network are looked for, in order:
  // the program folder, the user's data folder, <prefix>/share/korvadimensio3d.
  std::vector<std::string> DataFolders() const;
  // The first data folder holding a regular file `name`; "" when none does.
  std::string FindDataFolder(const std::string &name) const;
  // That folder joined with `name`; "" when no data folder holds it.
  std::string FindDataFile(const std::string &name) const;

  // The user's data folder ("" when unknown).
  const std::string &UserFolder() const { return UserFolderPath; }
  // Where the settings file, the engine input, the protocol and the results
  // are kept: the program folder of a portable program that may write there,
  // else the user's data folder (which may not exist yet; see
  // MakeOwnFilesFolder). "" when neither is usable.
  const std::string &OwnFilesFolder() const { return OwnFolderPath; }
  bool OwnFilesBesideProgram() const { return OwnFilesAreBesideProgram; }
  // Creates the own-files folder (with its parents) when it is missing.
  // False with `error` set when it cannot be made.
  bool MakeOwnFilesFolder(std::string &error) const;

private:
  std::string ProgramFolderPath;
  std::string PrefixPath;
  std::string UserFolderPath;
  std::string OwnFolderPath;
  bool IsPortable = false;
  bool OwnFilesAreBesideProgram = false;
};

} // namespace kd
