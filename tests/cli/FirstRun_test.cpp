#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

TEST(FirstRun, ACorruptReferenceCarWarnsAndTheSetupStillCompletes) {
  test::TempDir home;
  // The program collects reference files next to itself: run a copy from its own folder.
  test::MakeFolder(home / "bin");
  std::filesystem::copy_file(VELKOR_EXE, home / "bin/velkor");
  std::filesystem::permissions(home / "bin/velkor", std::filesystem::perms::owner_all);

  test::MakeFolder(home / "nfs4/Data/Cars/fm50");
  test::WriteText(home / "nfs4/Data/Cars/fm50/car.viv", "not an archive at all");
  test::MakeFolder(home / ".config/Velkor");
  test::WriteText(home / ".config/Velkor/registry.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need for Speed High Stakes]\n"
                  "\"InstallPath\"=\"" + (home / "nfs4") + "\"\n");

  const auto run = test::RunVelkor({}, home.path(), {}, home / "bin/velkor");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.err.find("velkor: warning: skipping NFS4's reference files"), std::string::npos) << run.err;
  const std::string store = test::ReadText(home / ".config/Velkor/registry.reg");
  EXPECT_NE(store.find("\"Installed\"=dword:00000001"), std::string::npos) << store;
  EXPECT_NE(store.find("\"NFS4Path\"=\"" + (home / "nfs4") + "/\""), std::string::npos) << store;
  EXPECT_NE(store.find("@=\"\\\"" + (home / "bin") + "/velkor\\\" /e \\\"%1\\\"\""), std::string::npos) << store;
  EXPECT_EQ(test::ListNames(home / "bin"), std::vector<std::string>{"velkor"});
  EXPECT_EQ(test::ListNames(home / "nfs4/Data/Cars/fm50"), std::vector<std::string>{"car.viv"});
}

}  // namespace
}  // namespace velkor
