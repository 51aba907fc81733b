#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

// A folder worth packing: an empty file, a blank in a name, bytes 0x80-0xFF in a name,
// a sub-folder and a dot file (both left out), and data of every byte value.
void MakeCarFolder(const std::string& folder) {
  test::MakeFolder(folder + "/sub");
  test::WriteText(folder + "/sub/inner", "not packed");
  test::WriteText(folder + "/.hidden", "not packed");
  test::WriteText(folder + "/empty", "");
  test::WriteText(folder + "/with blank.txt", "blank");
  test::WriteText(folder + "/caf\xe9 \x80\xff.bin", "high bytes");
  Bytes all;
  for (int i = 0; i < 256 * 3; ++i) all.push_back(static_cast<std::uint8_t>(i));
  test::WriteBytes(folder + "/all.bin", all);
}

const std::vector<std::string> kPackedNames = {"all.bin", "caf\xe9 \x80\xff.bin", "empty", "with blank.txt"};

TEST(ArchiveCommands, PackingThenExtractingElsewhereGivesTheSameFiles) {
  TempDir home;
  MakeCarFolder(home / "car");
  const auto pack = test::RunVelkor({"/p", home / "car/"}, home.path());
  ASSERT_EQ(pack.exitStatus, 0) << pack.err;
  EXPECT_EQ(pack.err, "");

  test::MakeFolder(home / "elsewhere");
  std::filesystem::rename(home / "car.viv", home / "elsewhere/car.viv");
  const auto extract = test::RunVelkor({"/e", home / "elsewhere/car.viv"}, home.path());
  ASSERT_EQ(extract.exitStatus, 0) << extract.err;
  EXPECT_EQ(extract.out + extract.err, "");
  EXPECT_EQ(test::ListNames(home / "elsewhere/car"), kPackedNames);
  for (const auto& name : kPackedNames)
    EXPECT_EQ(test::ReadBytes(home / ("elsewhere/car/" + name)), test::ReadBytes(home / ("car/" + name))) << name;
  EXPECT_TRUE(test::PathExists(home / "elsewhere/car.viv"));
}

TEST(ArchiveCommands, AMissingFolderPacksIntoAnEmptyArchiveBesideIt) {
  TempDir home;
  const auto run = test::RunVelkor({"/p", home / "nothing"}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(home / "nothing.viv").size(), 16u);
}

TEST(ArchiveCommands, ARefusedArchiveFailsAndLeavesNothingBehind) {
  TempDir home;
  test::MakeFolder(home / "work");
  // One entry whose name climbs out of the folder.
  Bytes bad = test::ToBytes("BIGF");
  for (std::uint8_t b : {0, 0, 0, 36, 0, 0, 0, 1, 0, 0, 0, 35, 0, 0, 0, 35, 0, 0, 0, 1}) bad.push_back(b);
  for (char c : std::string("../evil.txt")) bad.push_back(static_cast<std::uint8_t>(c));
  bad.push_back(0);
  bad.push_back('!');
  test::WriteBytes(home / "work/car.viv", bad);

  const auto run = test::RunVelkor({"/e", home / "work/car.viv"}, home.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'../evil.txt'"), std::string::npos) << run.err;
  EXPECT_EQ(test::ListNames(home / "work"), std::vector<std::string>{"car.viv"});
  EXPECT_FALSE(test::PathExists(home / "evil.txt"));

  const auto missing = test::RunVelkor({"/e", home / "work/none.viv"}, home.path());
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find("none.viv"), std::string::npos) << missing.err;
}

TEST(ArchiveCommands, ListPrintsTheDirectoryAndWritesNothing) {
  TempDir home;
  test::MakeFolder(home / "car");
  test::WriteText(home / "car/carp.txt", "(80)");
  test::WriteText(home / "car/a b", "xyz");
  ASSERT_EQ(test::RunVelkor({"/p", home / "car"}, home.path()).exitStatus, 0);
  std::filesystem::remove_all(home / ".config");
  std::filesystem::remove_all(home / "car");

  const auto run = test::RunVelkor({"--list", home / "car.viv"}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  // 16 + (3 + 9) + (8 + 9) = 45; "a b" sorts first.
  EXPECT_EQ(run.out, home / "car.viv" + ": 2 entries, 52 bytes\n"
                     "index      offset      length  kind     name\n"
                     "    0          45           3  -        a b\n"
                     "    1          48           4  CARP4    carp.txt\n");
  EXPECT_EQ(test::ListNames(home.path()), std::vector<std::string>{"car.viv"});

  EXPECT_EQ(test::RunVelkor({"--list"}, home.path()).exitStatus, 2);
  EXPECT_EQ(test::RunVelkor({"--list", home / "none.viv"}, home.path()).exitStatus, 1);
}

TEST(ArchiveCommands, AMemberItsKindCannotReadIsExtractedWithAWarning) {
  TempDir home;
  test::MakeFolder(home / "car");
  test::WriteText(home / "car/car00.tga", "not an image");
  ASSERT_EQ(test::RunVelkor({"/p", home / "car"}, home.path()).exitStatus, 0);
  std::filesystem::remove_all(home / "car");

  const auto run = test::RunVelkor({"/e", home / "car.viv"}, home.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err.rfind("velkor: warning: '" + (home / "car/car00.tga") + "'", 0), 0u) << run.err;
  EXPECT_EQ(test::ReadText(home / "car/car00.tga"), "not an image");
}

}  // namespace
}  // namespace velkor
