// Opening a file by its path with each disposition: what happens for a file that is there,
// a missing name, a folder, a FIFO and a dangling link.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/Errors.h"
#include "platform/File.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using platform::File;

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
