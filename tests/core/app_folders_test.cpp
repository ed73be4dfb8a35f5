// Where the programs find the engine and their data, and where they keep
// their own files, in a portable folder and in an installed tree.
#include "core/app_folders.h"
#include "tests/support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using kd::AppFolders;
using kd::UserEnvironment;

namespace {

void Touch(const fs::path &path, bool executable = false) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "#!/bin/sh\n";
  if (executable)
    fs::permissions(path, fs::perms::owner_all);
}

UserEnvironment Env(const std::string &home, const std::string &xdg = "") {
  UserEnvironment env;
  env.Home = home;
  env.XdgDataHome = xdg;
  return env;
}

const kd::WritableCheck kWritable = [](const std::string &) { return true; };
const kd::WritableCheck kReadOnly = [](const std::string &) { return false; };

// A tree as the package installs it: <root>/usr/bin, <root>/usr/lib/...,
// <root>/usr/share/..., and a home folder beside it.
struct InstalledTree {
  ScratchDir Root;
  fs::path Prefix = Root.Path / "usr";
  fs::path Bin = Prefix / "bin";
  fs::path Engine = Prefix / "lib/korvadimensio3d/gama.exe";
  fs::path Share = Prefix / "share/korvadimensio3d";
  fs::path Home = Root.Path / "home";
  InstalledTree() {
    Touch(Bin / "korvadimensio3d-batch", true);
    Touch(Engine, true);
    Touch(Share / "EN.pck");
    Touch(Share / "shaft_coords.txt");
    fs::create_directories(Home);
  }
};

} // namespace

TEST(UserDataFolder, FollowsXdgDataHomeElseHome) {
  EXPECT_EQ(kd::UserDataFolder(Env("/home/ann")), "/home/ann/.local/share/korvadimensio3d");
  EXPECT_EQ(kd::UserDataFolder(Env("/home/ann/", "/data/ann/")), "/data/ann/korvadimensio3d");
  // A relative XDG_DATA_HOME is invalid and ignored; so is a relative HOME.
  EXPECT_EQ(kd::UserDataFolder(Env("/home/ann", "rel/data")),
            "/home/ann/.local/share/korvadimensio3d");
  EXPECT_EQ(kd::UserDataFolder(Env("")), "");
  EXPECT_EQ(kd::UserDataFolder(Env("relative")), "");
  EXPECT_EQ(kd::UserDataFolder(Env("/")), "/.local/share/korvadimensio3d");
}

TEST(AppFolders, PortableFolderHoldsEverythingWhenWritable) {
  ScratchDir dir;
  Touch(dir.Path / "gama.exe", true);
  const AppFolders f(dir.Path.string(), Env("/home/ann"), kWritable);
  EXPECT_TRUE(f.Portable());
  EXPECT_EQ(f.InstallPrefix(), "");
  EXPECT_EQ(f.EnginePath(), (dir.Path / "gama.exe").string());
  EXPECT_TRUE(f.OwnFilesBesideProgram());
  EXPECT_EQ(f.OwnFilesFolder(), dir.Path.string());
  ASSERT_FALSE(f.DataFolders().empty());
  EXPECT_EQ(f.DataFolders().front(), dir.Path.string());
}

TEST(AppFolders, PortableFolderThatCannotBeWrittenUsesTheUserFolder) {
  ScratchDir dir;
  Touch(dir.Path / "gama.exe", true);
  const AppFolders f(dir.Path.string(), Env("/home/ann"), kReadOnly);
  EXPECT_TRUE(f.Portable());
  EXPECT_EQ(f.EnginePath(), (dir.Path / "gama.exe").string());
  EXPECT_FALSE(f.OwnFilesBesideProgram());
  EXPECT_EQ(f.OwnFilesFolder(), "/home/ann/.local/share/korvadimensio3d");
}

TEST(AppFolders, RealWritabilityCheckSeesAReadOnlyFolder) {
  // Root may write anywhere, so a read-only folder cannot be simulated then.
  if (geteuid() == 0)
    GTEST_SKIP() << "running as root";
  ScratchDir dir;
  Touch(dir.Path / "gama.exe", true);
  EXPECT_TRUE(kd::FolderIsWritable(dir.Path.string()));
  fs::permissions(dir.Path, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(kd::FolderIsWritable(dir.Path.string()));
  const AppFolders f(dir.Path.string(), Env("/home/ann"));
  EXPECT_EQ(f.OwnFilesFolder(), "/home/ann/.local/share/korvadimensio3d");
}

TEST(AppFolders, WritabilityCheckNeedsAnExistingFolder) {
  ScratchDir dir;
  Touch(dir.Path / "file");
  EXPECT_FALSE(kd::FolderIsWritable((dir.Path / "missing").string()));
  EXPECT_FALSE(kd::FolderIsWritable((dir.Path / "file").string()));
}

TEST(AppFolders, InstalledTreeFindsEngineAndDataBelowThePrefix) {
  InstalledTree t;
  // Even a writable bin folder (root) does not receive the program's files.
  const AppFolders f(t.Bin.string(), Env(t.Home.string()), kWritable);
  EXPECT_FALSE(f.Portable());
  EXPECT_EQ(f.InstallPrefix(), t.Prefix.string());
  EXPECT_EQ(f.EnginePath(), t.Engine.string());
  EXPECT_FALSE(f.OwnFilesBesideProgram());
  const std::string user = (t.Home / ".local/share/korvadimensio3d").string();
  EXPECT_EQ(f.OwnFilesFolder(), user);
  const std::vector<std::string> expected{t.Bin.string(), user, t.Share.string()};
  EXPECT_EQ(f.DataFolders(), expected);
  EXPECT_EQ(f.FindDataFile("shaft_coords.txt"), (t.Share / "shaft_coords.txt").string());
  EXPECT_EQ(f.FindDataFolder("EN.pck"), t.Share.string());
}

TEST(AppFolders, DataSearchPrefersProgramThenUserFolder) {
  InstalledTree t;
  const fs::path user = t.Home / ".local/share/korvadimensio3d";
  Touch(user / "EN.pck");
  const AppFolders f(t.Bin.string(), Env(t.Home.string()), kReadOnly);
  EXPECT_EQ(f.FindDataFolder("EN.pck"), user.string());
  Touch(t.Bin / "EN.pck");
  EXPECT_EQ(f.FindDataFolder("EN.pck"), t.Bin.string());
  // Only plain names are looked up, and only regular files are found.
  EXPECT_EQ(f.FindDataFile("missing.pck"), "");
  EXPECT_EQ(f.FindDataFile(""), "");
  EXPECT_EQ(f.FindDataFile("../share/korvadimensio3d/EN.pck"), "");
  fs::create_directories(t.Share / "folder.pck");
  EXPECT_EQ(f.FindDataFile("folder.pck"), "");
}

TEST(AppFolders, EngineLookupSkipsWhatCannotRun) {
  InstalledTree t;
  // A non-executable file beside the program is not the engine.
  Touch(t.Bin / "gama.exe", false);
  const AppFolders f(t.Bin.string(), Env(t.Home.string()), kWritable);
  EXPECT_FALSE(f.Portable());
  EXPECT_EQ(f.EnginePath(), t.Engine.string());
  const std::vector<std::string> candidates{(t.Bin / "gama.exe").string(), t.Engine.string()};
  EXPECT_EQ(f.EngineCandidates(), candidates);
}

TEST(AppFolders, MissingEngineIsNamedBesideTheProgram) {
  ScratchDir dir;
  const AppFolders f((dir.Path / "bin/").string(), Env("/home/ann"), kWritable);
  EXPECT_EQ(f.ProgramFolder(), (dir.Path / "bin").string());
  EXPECT_EQ(f.InstallPrefix(), dir.Path.string());
  EXPECT_EQ(f.EnginePath(), (dir.Path / "bin/gama.exe").string());
  // Not portable (no engine), so the own files go to the user's folder.
  EXPECT_EQ(f.OwnFilesFolder(), "/home/ann/.local/share/korvadimensio3d");
}

TEST(AppFolders, PrefixOnlyForAFolderNamedBin) {
  EXPECT_EQ(AppFolders("/usr/bin", Env(""), kWritable).InstallPrefix(), "/usr");
  EXPECT_EQ(AppFolders("/bin", Env(""), kWritable).InstallPrefix(), "/");
  EXPECT_EQ(AppFolders("bin", Env(""), kWritable).InstallPrefix(), ".");
  EXPECT_EQ(AppFolders("/opt/kd/sbin", Env(""), kWritable).InstallPrefix(), "");
  EXPECT_EQ(AppFolders("/opt/bin/kd", Env(""), kWritable).InstallPrefix(), "");
  EXPECT_EQ(AppFolders("", Env(""), kWritable).InstallPrefix(), "");
  EXPECT_EQ(AppFolders("/", Env(""), kWritable).InstallPrefix(), "");
  // The program in the current folder: data files are looked for there.
  const AppFolders here("", Env(""), kWritable);
  EXPECT_EQ(here.DataFolders(), std::vector<std::string>{""});
  EXPECT_EQ(here.EnginePath(), "gama.exe");
}

TEST(AppFolders, OwnFilesFolderIsCreatedOnDemand) {
  InstalledTree t;
  const AppFolders f(t.Bin.string(), Env(t.Home.string(), (t.Root.Path / "xdg").string()),
                     kReadOnly);
  const fs::path own = t.Root.Path / "xdg/korvadimensio3d";
  EXPECT_EQ(f.OwnFilesFolder(), own.string());
  EXPECT_FALSE(fs::exists(own));
  std::string error;
  ASSERT_TRUE(f.MakeOwnFilesFolder(error)) << error;
  EXPECT_TRUE(fs::is_directory(own));
  ASSERT_TRUE(f.MakeOwnFilesFolder(error)) << error; // already there
}

TEST(AppFolders, OwnFilesFolderFailuresAreReported) {
  InstalledTree t;
  // The place of the folder is taken by a file.
  Touch(t.Root.Path / "xdg");
  const AppFolders blocked(t.Bin.string(), Env("", (t.Root.Path / "xdg").string()), kReadOnly);
  std::string error;
  EXPECT_FALSE(blocked.MakeOwnFilesFolder(error));
  EXPECT_NE(error.find("xdg/korvadimensio3d"), std::string::npos) << error;
  // No home folder known at all.
  const AppFolders homeless(t.Bin.string(), Env(""), kReadOnly);
  EXPECT_EQ(homeless.OwnFilesFolder(), "");
  error.clear();
  EXPECT_FALSE(homeless.MakeOwnFilesFolder(error));
  EXPECT_FALSE(error.empty());
}

TEST(AppFolders, BesideProgramKeepsEverythingThereEvenWithoutAnEngine) {
  InstalledTree t;
  const AppFolders f = AppFolders::BesideProgram(t.Bin.string());
  EXPECT_TRUE(f.Portable());
  EXPECT_TRUE(f.OwnFilesBesideProgram());
  EXPECT_EQ(f.OwnFilesFolder(), t.Bin.string());
  EXPECT_EQ(f.UserFolder(), "");
  // The engine and the data of the tree around it are still found.
  EXPECT_EQ(f.EnginePath(), t.Engine.string());
  EXPECT_EQ(f.DataFolders(), (std::vector<std::string>{t.Bin.string(), t.Share.string()}));
}
