#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/Errors.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "settings/RegistryStore.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using platform::File;

TEST(FileSafetyPosix, AStoreLinkIsWrittenThroughAndFilesCreatedInAFolderNeverFollowLinks) {
  test::TempDir dir;
  test::MakeFolder(dir / "config");
  test::MakeFolder(dir / "dotfiles");
  test::WriteText(dir / "dotfiles/registry.reg", "[HKEY_CURRENT_USER\\Software\\Mine]\n\"A\"=\"1\"\n");
  fs::create_symlink("../dotfiles/registry.reg", dir / "config/registry.reg");

  FileRegistry registry(dir / "config/registry.reg");
  ASSERT_TRUE(registry.WriteString(RegistryRoot::CurrentUser, "Software\\Mine", "B", "2"));
  EXPECT_TRUE(fs::is_symlink(dir / "config/registry.reg"));
  EXPECT_EQ(test::ReadText(dir / "dotfiles/registry.reg"),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Mine]\n\"A\"=\"1\"\n\"B\"=\"2\"\n\n");
  EXPECT_EQ(test::ListNames(dir / "config"), std::vector<std::string>{"registry.reg"});
  EXPECT_EQ(test::ListNames(dir / "dotfiles"), std::vector<std::string>{"registry.reg"});

  // Files created in an open folder never follow links nor wait on FIFOs.
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
  platform::File file = work.CreateFileInside("member");
  file.Write(test::ToBytes("bytes"));
  file.Close();
  EXPECT_EQ(test::ReadText(dir / "moved/member"), "bytes");
  EXPECT_EQ(test::ListNames(dir / "elsewhere"), std::vector<std::string>{});
  EXPECT_THROW(platform::Folder{dir / "work"}, FileError) << "a link to a folder is no folder to write in";
}

TEST(FileOpen, EachDispositionOpensRefusesOrYieldsNothingAndNeverWaitsOnAFifo) {
  test::TempDir dir;
  test::WriteText(dir / "file", "old");
  test::MakeFolder(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir / "target", dir / "dangling");

  EXPECT_EQ(File::Open(dir / "file", File::ReadExisting).Length(), 3u);
  EXPECT_EQ(File::Open(dir / "file", File::ReadIfPresent)->Length(), 3u);
  EXPECT_EQ(File::Open(dir / "file", File::ReadIfPossible)->Length(), 3u);
  for (const std::string name : {"missing", "folder", "fifo"}) {
    EXPECT_THROW(File::Open(dir / name, File::ReadExisting), FileError) << name;
    EXPECT_FALSE(File::Open(dir / name, File::ReadIfPossible)) << name;
    if (name == "missing") {
      EXPECT_FALSE(File::Open(dir / name, File::ReadIfPresent));
    } else {
      EXPECT_THROW(File::Open(dir / name, File::ReadIfPresent), FileError) << name;
      EXPECT_THROW(File::Open(dir / name, File::CreateOrTruncate), FileError) << name;
    }
  }

  // A name that is taken, by a link to nothing too, yields nothing and is left as it was.
  for (const std::string name : {"file", "folder", "fifo", "dangling"})
    EXPECT_FALSE(File::Open(dir / name, File::CreateNew)) << name;
  EXPECT_EQ(test::ReadText(dir / "file"), "old");
  EXPECT_FALSE(test::PathExists(dir / "target"));
  std::optional<File> created = File::Open(dir / "new", File::CreateNew, "shown");
  ASSERT_TRUE(created);
  EXPECT_EQ(created->Path(), "shown");
  created->Write(test::ToBytes("new"));
  created->Close();
  EXPECT_EQ(test::ReadText(dir / "new"), "new");

  File::Open(dir / "file", File::CreateOrTruncate).Write(test::ToBytes("x"));
  EXPECT_EQ(test::ReadText(dir / "file"), "x");
  const auto inMissingFolder = [&] { File::Open(dir / "missing/new", File::CreateNew, "shown"); };
  EXPECT_NE(test::MessageOf<FileError>(inMissingFolder).find("'shown'"), std::string::npos);
}

}  // namespace
}  // namespace velkor
