#include <gtest/gtest.h>

#include <filesystem>

#include "base/Errors.h"
#include "files/GameFile.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

TEST(GameFile, LoadRecordsTheLengthAndRaisesForMissingFiles) {
  TempDir dir;
  test::WriteText(dir / "empty", "");
  test::WriteText(dir / "five", "12345");

  GameFile empty(dir / "empty");
  EXPECT_EQ(empty.Load(), 1);
  EXPECT_EQ(empty.size, 0);

  GameFile five(dir / "five");
  five.Load();
  EXPECT_EQ(five.size, 5);

  GameFile missing(dir / "missing");
  try {
    missing.Load();
    FAIL() << "no error for a missing file";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(dir / "missing"), std::string::npos) << e.what();
  }
  EXPECT_EQ(missing.size, 0);

  EXPECT_TRUE(FileExists(dir / "five"));
  EXPECT_FALSE(FileExists(dir / "missing"));
  EXPECT_FALSE(FileExists(dir.path())) << "a folder is no file";
}

TEST(GameFile, SaveOfAPlainFileWritesNothing) {
  TempDir dir;
  test::WriteText(dir / "a.bin", "abc");
  GameFile file(dir / "a.bin");
  file.Load();
  EXPECT_EQ(file.Save(), 1);
  EXPECT_EQ(file.SaveAs(dir / "b.bin"), 1);
  EXPECT_EQ(test::ReadText(dir / "a.bin"), "abc");
  EXPECT_FALSE(test::PathExists(dir / "b.bin"));
}

TEST(GameFile, GetFileNameFollowsThePlatformsPathRules) {
  EXPECT_EQ(GameFile("carp.txt").GetFileName(), "carp.txt");
  EXPECT_EQ(GameFile("/games/car/carp.txt").GetFileName(), "carp.txt");
  if (platform::kWindows) {
    EXPECT_EQ(GameFile("c:\\games\\car\\carp.txt").GetFileName(), "carp.txt");
    EXPECT_EQ(GameFile("c:carp.txt").GetFileName(), "carp.txt");
    EXPECT_EQ(GameFile("c:\\games/car\\x/carp.txt").GetFileName(), "carp.txt");
  } else {
    // "\" and ":" are ordinary name characters on POSIX.
    EXPECT_EQ(GameFile("/games/odd\\name:1.txt").GetFileName(), "odd\\name:1.txt");
  }
}

TEST(DeleteFolderTree, RemovesEverythingWithOrWithoutTrailingSeparator) {
  for (const bool trailing : {false, true}) {
    TempDir dir;
    const std::string tree = dir / "tree";
    test::MakeFolder(tree + "/sub/deeper");
    test::WriteText(tree + "/a", "1");
    test::WriteText(tree + "/.hidden", "2");
    test::WriteText(tree + "/sub/.also", "3");
    test::WriteText(tree + "/sub/deeper/b", "4");
    DeleteFolderTree(trailing ? tree + platform::kPathSeparator : tree);
    EXPECT_FALSE(test::PathExists(tree)) << "trailing separator: " << trailing;
    DeleteFolderTree(tree);  // a folder that does not exist is left alone
  }
}

TEST(DeleteFolderTree, RemovesLinksWithoutFollowingThem) {
  if (platform::kWindows) GTEST_SKIP() << "symbolic links need privileges on Windows";
  TempDir dir;
  const std::string outside = dir / "outside";
  test::MakeFolder(outside);
  test::WriteText(outside + "/precious", "keep me");
  const std::string tree = dir / "tree";
  test::MakeFolder(tree);
  std::filesystem::create_directory_symlink(outside, tree + "/link-to-folder");
  std::filesystem::create_symlink(outside + "/precious", tree + "/link-to-file");

  DeleteFolderTree(tree);
  EXPECT_FALSE(test::PathExists(tree));
  EXPECT_EQ(test::ReadText(outside + "/precious"), "keep me");

  // A working folder that is itself a link: the link goes, the target stays.
  std::filesystem::create_directory_symlink(outside, dir / "linked-tree");
  DeleteFolderTree(dir / "linked-tree");
  EXPECT_FALSE(test::PathExists(dir / "linked-tree"));
  EXPECT_EQ(test::ReadText(outside + "/precious"), "keep me");
}

}  // namespace
}  // namespace velkor
