// What is written where on POSIX systems: a settings store that is a link stays one, files
// created in an open folder never follow links, and warnings keep the system's reason.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/Workflows.h"
#include "base/Errors.h"
#include "platform/Folder.h"
#include "sample/SampleCar.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

TEST(FileSafetyPosix, AStoreThatIsALinkIsWrittenThroughAndStaysALink) {
  test::TempDir dir;
  test::MakeFolder(dir / "config");
  test::MakeFolder(dir / "dotfiles");
  test::WriteText(dir / "dotfiles/registry.reg", "[HKEY_CURRENT_USER\\Software\\Mine]\n\"A\"=\"1\"\n");
  fs::create_symlink("../dotfiles/registry.reg", dir / "config/registry.reg");

  FileRegistry registry(dir / "config/registry.reg");
  ASSERT_TRUE(registry.WriteString(RegistryRoot::CurrentUser, "Software\\Mine", "B", "2"));
  EXPECT_TRUE(fs::is_symlink(dir / "config/registry.reg"));
  EXPECT_EQ(test::ReadText(dir / "dotfiles/registry.reg"),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Mine]\n\"A\"=\"1\"\n\"B\"=\"2\"\n\n");
  EXPECT_EQ(test::ListNames(dir / "config"), std::vector<std::string>{"registry.reg"});
  EXPECT_EQ(test::ListNames(dir / "dotfiles"), std::vector<std::string>{"registry.reg"});
}

TEST(FileSafetyPosix, FilesCreatedInAFolderNeverFollowLinksNorWaitOnFifos) {
  test::TempDir dir;
  test::MakeFolder(dir / "work");
  test::WriteText(dir / "outside", "the user's file");
  fs::create_symlink(dir / "outside", dir / "work/link");
  fs::create_symlink(dir / "nowhere", dir / "work/dangling");
  test::MakeFolder(dir / "work/folder");
  ASSERT_EQ(::mkfifo((dir / "work/fifo").c_str(), 0600), 0);

  platform::Folder work(dir / "work");
  for (const std::string name : {"link", "dangling", "folder", "fifo", "../outside"}) {
    EXPECT_THROW(work.CreateFileInside(name), FileError) << name;
  }
  EXPECT_EQ(test::ReadText(dir / "outside"), "the user's file");
  EXPECT_FALSE(test::PathExists(dir / "nowhere"));

  // Names stay relative to the folder that was opened, whatever takes its place later.
  fs::rename(dir / "work", dir / "moved");
  fs::create_symlink(dir / "elsewhere", dir / "work");
  test::MakeFolder(dir / "elsewhere");
  File file = work.CreateFileInside("member");
  file.Write(test::ToBytes("bytes"));
  file.Close();
  EXPECT_EQ(test::ReadText(dir / "moved/member"), "bytes");
  EXPECT_EQ(test::ListNames(dir / "elsewhere"), std::vector<std::string>{});
  EXPECT_THROW(platform::Folder{dir / "work"}, FileError) << "a link to a folder is no folder to write in";
}

TEST(FileSafetyPosix, FirstRunWarningsGiveTheFileAndTheReason) {
  test::TempDir dir;
  ::setenv("WINEPREFIX", (dir / "no-wine").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  test::MakeFolder(dir / "data/Velkor/dash.fsh");  // a folder where a reference file goes
  const std::string store = dir / "missing/registry.reg";
  FileRegistry registry(store);
  SettingsStore settings(registry, "velkor");
  settings.SetRegistryKey("Velkor");
  const std::string game = dir / "nfs4";
  test::MakeFolder(game + "/data/cars/fm50");
  test::WriteBytes(game + "/data/cars/fm50/car.viv", test::BuildViv(sample::Nfs4ReferenceCar()));
  registry.WriteString(RegistryRoot::LocalMachine, "Software\\Electronic Arts\\Need for Speed High Stakes",
                       "InstallPath", game);

  testing::internal::CaptureStderr();
  FirstRunSetup(registry, settings, dir / "no program folder/");
  const std::string err = testing::internal::GetCapturedStderr();
  for (const char* name : {"WINEPREFIX", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) ::unsetenv(name);
  const std::string reason = ": No such file or directory\n";
  EXPECT_NE(err.find("velkor: warning: cannot write NFS3Path in HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings in " +
                     store + reason),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("velkor: warning: cannot write 58 shell verb values in " + store + reason), std::string::npos)
      << err;
  EXPECT_NE(err.find("velkor: warning: cannot copy the reference file '" + game + "/data/cars/fm50/car/dash.fsh' to '" +
                     dir.path() + "/data/Velkor/dash.fsh': Is a directory\n"),
            std::string::npos)
      << err;
}

}  // namespace
}  // namespace velkor
