#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(Startup, ExitStatusesAndTheStoreOfAFirstStartInXdgConfigHome) {
  test::TempDir home;
  const auto velkor = [&](const Names& args) {
    return test::RunVelkor(args, home.path(), {{"XDG_CONFIG_HOME", home / "cfg"}});
  };
  auto run = velkor({"--version"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out.rfind("velkor ", 0), 0u);
  EXPECT_EQ(test::ListNames(home.path()), Names{}) << "--version touches no settings";

  run = velkor({});
  EXPECT_EQ(std::pair(run.exitStatus, run.err), std::pair(0, std::string()));
  const std::string store = test::ReadText(home / "cfg/Velkor/registry.reg");
  for (const char* line : {"[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]", "\"Installed\"=dword:00000001"})
    EXPECT_NE(store.find(line), std::string::npos) << store;

  for (const Names& args : {Names{"/x", "foo"}, Names{"/e"}, Names{"/C3", "car.viv"}, Names{"--list"}})
    EXPECT_TRUE(test::Ended(velkor(args), 2, {"usage: velkor"})) << args[0];
  for (const std::string sw : {"/e", "--list"})  // missing inputs are named
    EXPECT_TRUE(test::Ended(velkor({sw, home / "none.viv"}), 1, {"'" + (home / "none.viv") + "'"})) << sw;
  // No game was found: a conversion for it says so before it reads anything.
  for (const auto& [sw, game] : {std::pair{"/c3", "NFS3"}, std::pair{"/ci4", "NFS4"}})
    EXPECT_TRUE(test::Ended(velkor({sw, home / "none.viv"}), 1,
                            {std::string("cannot convert to ") + game + ": ", game + std::string("Path is \"N/A\"")}));
  // The settings store and the file-manager entries of the first start; nothing else.
  EXPECT_EQ(test::ListNames(home.path()), (Names{".local", "cfg"}));
  EXPECT_EQ(test::ListNames(home / "cfg/Velkor"), Names{"registry.reg"});
}

// XDG variables holding relative paths are ignored: run from a scratch working folder, the
// first start and the setup write nothing there, and everything goes to the defaults.
TEST(FirstRun, SetupFindsAGameInstalledAfterTheFirstStartAndRelativeXdgFoldersAreIgnored) {
  test::TempDir home, work;
  const auto velkor = [&](const Names& args) {
    Names all = {"-C", work.path(), VELKOR_EXE};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunVelkor(all, home.path(), {{"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "./data"}},
                           "/usr/bin/env");
  };
  ASSERT_TRUE(test::Ended(velkor({}), 0));
  EXPECT_NE(test::ReadText(home / ".config/Velkor/registry.reg").find("\"NFS4Path\"=\"N/A\""), std::string::npos);

  // The game appears in the Wine prefix that $WINEPREFIX names.
  const std::string prefix = home / ".wine";
  test::WriteReferenceCar(prefix + "/drive_c/Games/NFS4", true);
  test::MakeFolder(prefix + "/dosdevices");
  fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  test::WriteText(prefix + "/system.reg",
                  "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\Electronic Arts\\\\Need for Speed High "
                  "Stakes] 1700000000\n\"InstallPath\"=\"C:\\\\Games\\\\NFS4\"\n");

  const auto run = velkor({"--setup"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string game = prefix + "/dosdevices/c:/Games/NFS4/";
  EXPECT_NE(test::ReadText(home / ".config/Velkor/registry.reg").find("\"NFS4Path\"=\"" + game + "\""),
            std::string::npos);
  const std::string data = home / ".local/share/Velkor/";
  EXPECT_NE(run.out.find("NFS4 (Need for Speed High Stakes): " + game + "\n  found in Wine prefix " + prefix +
                         " (WINEPREFIX)\nreference files collected into " + data + ":\n  " + data + "dash.fsh\n"),
            std::string::npos) << run.out;
  EXPECT_EQ(test::ListNames(data), (Names{"careng.bnk", "careng.ctb", "careng.ltb", "dash.fce", "dash.fsh",
                                          "dash00.tga", "ocareng.bnk", "scareng.bnk"}));
  EXPECT_EQ(test::ListNames(work.path()), Names{});
  EXPECT_TRUE(test::PathExists(home / ".config/Thunar/uca.xml"));
  EXPECT_TRUE(test::PathExists(home / ".local/share/applications/velkor.desktop"));
  EXPECT_TRUE(test::PathExists(home / ".local/share/mime/packages/velkor.xml"));
}

}  // namespace
}  // namespace velkor
