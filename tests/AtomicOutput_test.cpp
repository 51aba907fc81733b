#include <gtest/gtest.h>

#include <filesystem>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

TEST(AtomicOutput, ReplacesTheTargetOnlyOnCommit) {
  test::TempDir dir;
  const std::string target = dir / "out.bin";
  test::WriteText(target, "old");
  {
    AtomicOutput out(target);
    out.file().Write(test::ToBytes("new and longer"));
    EXPECT_EQ(test::ReadText(target), "old") << "the target changes only at commit";
    out.Commit();
  }
  EXPECT_EQ(test::ReadText(target), "new and longer");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"out.bin"});
}

TEST(AtomicOutput, AbandonedOutputLeavesTheTargetAndNoTemporary) {
  test::TempDir dir;
  const std::string target = dir / "out.bin";
  test::WriteText(target, "old");
  {
    AtomicOutput out(target);
    out.file().Write(test::ToBytes("partial"));
  }
  EXPECT_EQ(test::ReadText(target), "old");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"out.bin"});
}

TEST(AtomicOutput, IdenticalContentLeavesTheTargetFileInPlace) {
  test::TempDir dir;
  const std::string target = dir / "out.bin";
  const std::string alias = dir / "alias.bin";
  test::WriteText(target, "same bytes");
  std::filesystem::create_hard_link(target, alias);

  WriteFileAtomically(target, test::ToBytes("same bytes"));
  EXPECT_TRUE(std::filesystem::equivalent(target, alias)) << "not replaced";

  WriteFileAtomically(target, test::ToBytes("same bytez"));
  EXPECT_FALSE(std::filesystem::equivalent(target, alias)) << "replaced as a whole";
  EXPECT_EQ(test::ReadText(target), "same bytez");
  EXPECT_EQ(test::ReadText(alias), "same bytes");
  EXPECT_EQ(test::ListNames(dir.path()), (std::vector<std::string>{"alias.bin", "out.bin"}));
}

TEST(AtomicOutput, AMissingFolderNamesTheTarget) {
  test::TempDir dir;
  const std::string target = dir / "no-such-folder/out.bin";
  try {
    WriteFileAtomically(target, test::ToBytes("x"));
    FAIL();
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace velkor
