#include "core/app_folders.h"

#include "core/text_file.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kd {

namespace {

std::string Join(const std::string &folder, const std::string &name) {
  if (folder.empty())
    return name;
  if (folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

// The folder without trailing separators ("/" stays "/").
std::string Trimmed(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

// <prefix> for a program folder <prefix>/bin; "" otherwise.
std::string PrefixOf(const std::string &programFolder) {
  const std::string folder = Trimmed(programFolder);
  const size_t slash = folder.rfind('/');
  const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
  if (last != "bin")
    return "";
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return folder.substr(0, slash);
}

bool IsExecutableFile(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool IsRegularFile(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool FolderIsWritable(const std::string &folder) {
  const std::string f = folder.empty() ? "." : folder;
  struct stat st {};
  return stat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(f.c_str(), W_OK | X_OK) == 0;
}

UserEnvironment UserEnvironment::FromProcess() {
  UserEnvironment env;
  if (const char *x = std::getenv("XDG_DATA_HOME"))
    env.XdgDataHome = x;
  if (const char *h = std::getenv("HOME"); h && *h) {
    env.Home = h;
  } else if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_dir) {
    env.Home = pw->pw_dir;
  }
  return env;
}

std::string UserDataFolder(const UserEnvironment &env) {
  if (!env.XdgDataHome.empty() && env.XdgDataHome.front() == '/')
    return Join(Trimmed(env.XdgDataHome), AppFolderName);
  if (!env.Home.empty() && env.Home.front() == '/')
    return Join(Join(Trimmed(env.Home), ".local/share"), AppFolderName);
  return "";
}

AppFolders::AppFolders(const std::string &programFolder, const UserEnvironment &env,
                       WritableCheck isWritable)
    : ProgramFolderPath(Trimmed(programFolder)), PrefixPath(PrefixOf(programFolder)),
      UserFolderPath(UserDataFolder(env)) {
  IsPortable = IsExecutableFile(Join(ProgramFolderPath, EngineFileName));
  // An installed program never writes into its own folder, even when it
  // could (e.g. run by root): the system's folders are the package's.
  OwnFilesAreBesideProgram = IsPortable && isWritable && isWritable(ProgramFolderPath);
  OwnFolderPath = OwnFilesAreBesideProgram ? ProgramFolderPath : UserFolderPath;
}

AppFolders AppFolders::ForProgram(const std::string &programPath) {
  return AppFolders(DirectoryOf(programPath), UserEnvironment::FromProcess());
}

AppFolders AppFolders::BesideProgram(const std::string &programFolder) {
  AppFolders folders(programFolder, UserEnvironment{}, nullptr);
  folders.IsPortable = true;
  folders.OwnFilesAreBesideProgram = true;
  folders.OwnFolderPath = folders.ProgramFolderPath;
  return folders;
}

std::vector<std::string> AppFolders::EngineCandidates() const {
  std::vector<std::string> c{Join(ProgramFolderPath, EngineFileName)};
  if (!PrefixPath.empty())
    c.push_back(Join(Join(Join(PrefixPath, "lib"), AppFolderName), EngineFileName));
  return c;
}

std::string AppFolders::EnginePath() const {
  const std::vector<std::string> candidates = EngineCandidates();
  for (const std::string &c : candidates)
    if (IsExecutableFile(c))
      return c;
  return candidates.front();
}

std::vector<std::string> AppFolders::DataFolders() const {
  std::vector<std::string> folders{ProgramFolderPath};
  auto add = [&folders](const std::string &f) {
    if (f.empty())
      return;
    for (const std::string &known : folders)
      if (known == f)
        return;
    folders.push_back(f);
  };
  add(UserFolderPath);
  if (!PrefixPath.empty())
    add(Join(Join(PrefixPath, "share"), AppFolderName));
  return folders;
}

std::string AppFolders::FindDataFolder(const std::string &name) const {
  const std::string path = FindDataFile(name);
  return path.empty() ? "" : DirectoryOf(path);
}

std::string AppFolders::FindDataFile(const std::string &name) const {
  if (name.empty() || name.find('/') != std::string::npos)
    return "";
  for (const std::string &folder : DataFolders())
    if (IsRegularFile(Join(folder, name)))
      return Join(folder, name);
  return "";
}

bool AppFolders::MakeOwnFilesFolder(std::string &error) const {
  if (OwnFolderPath.empty()) {
    error = "no folder for the program's files: HOME is not set";
    return false;
  }
  std::error_code ec;
  if (fs::is_directory(OwnFolderPath, ec))
    return true;
  fs::create_directories(OwnFolderPath, ec);
  if (ec || !fs::is_directory(OwnFolderPath)) {
    error = "cannot create the folder " + OwnFolderPath + (ec ? ": " + ec.message() : "");
    return false;
  }
  return true;
}

} // namespace kd
