#include <gtest/gtest.h>

#include "cli/RunVelkor.h"

namespace velkor {
namespace {

TEST(Startup, ExitStatusesAndTheStoreOfAFirstStart) {
  test::TempDir home;
  auto run = test::RunVelkor({"--version"}, home.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out.rfind("velkor ", 0), 0u);
  EXPECT_FALSE(test::PathExists(home / ".config")) << "--version touches no settings";

  run = test::RunVelkor({}, home.path());
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string store = test::ReadText(home / ".config/Velkor/registry.reg");
  for (const char* line : {"[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]", "\"Installed\"=dword:00000001"})
    EXPECT_NE(store.find(line), std::string::npos) << store;

  for (const auto& args : std::vector<std::vector<std::string>>{{"/x", "foo"}, {"/e"}, {"/C3", "car.viv"}, {"--list"}}) {
    run = test::RunVelkor(args, home.path());
    EXPECT_EQ(run.exitStatus, 2) << args[0];
    EXPECT_NE(run.err.find("usage: velkor"), std::string::npos) << run.err;
  }
  run = test::RunVelkor({"/c4", "car.viv"}, home.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err.rfind("velkor: cannot convert to NFS4", 0), 0u) << run.err;
  // Missing inputs are named.
  for (const std::string sw : {"/e", "--list"}) {
    run = test::RunVelkor({sw, home / "none.viv"}, home.path());
    EXPECT_EQ(run.exitStatus, 1) << sw;
    EXPECT_NE(run.err.find("'" + (home / "none.viv") + "'"), std::string::npos) << run.err;
  }
  // The settings store and the file-manager entries of the first start; nothing else.
  EXPECT_EQ(test::ListNames(home.path()), (std::vector<std::string>{".config", ".local"}));
}

TEST(Startup, XdgConfigHomeIsHonoured) {
  test::TempDir home;
  test::MakeFolder(home / "cfg");
  EXPECT_EQ(test::RunVelkor({}, home.path(), {{"XDG_CONFIG_HOME", home / "cfg"}}).exitStatus, 0);
  EXPECT_EQ(test::ListNames(home / "cfg/Velkor"), std::vector<std::string>{"registry.reg"});
}

}  // namespace
}  // namespace velkor
