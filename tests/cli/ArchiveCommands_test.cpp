#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

TEST(ArchiveCommands, PackingThenExtractingElsewhereGivesTheSameFiles) {
  test::TempDir home;
  // An empty file, a blank and bytes 0x80-0xFF in names, a member its kind cannot read, data
  // of every byte value; a sub-folder and a dot file are left out.
  std::string all;
  for (int i = 0; i < 256 * 3; ++i) all.push_back(static_cast<char>(i));
  const std::vector<std::pair<std::string, std::string>> files = {
      {"sub/inner", "x"}, {".hidden", "x"}, {"empty", ""}, {"with blank.txt", "blank"}, {"all.bin", all},
      {"caf\xe9 \x80\xff.bin", "high"}, {"car00.tga", "not an image"}};
  test::MakeFolder(home / "car/sub");
  for (const auto& [name, content] : files) test::WriteText(home / ("car/" + name), content);
  const std::vector<std::string> packed = {"all.bin", "caf\xe9 \x80\xff.bin", "car00.tga", "empty", "with blank.txt"};

  const auto pack = test::RunVelkor({"/p", home / "car/"}, home.path());
  ASSERT_EQ(pack.exitStatus, 0) << pack.err;
  EXPECT_EQ(pack.out + pack.err, "");
  test::MakeFolder(home / "elsewhere");
  std::filesystem::rename(home / "car.viv", home / "elsewhere/car.viv");
  const auto extract = test::RunVelkor({"/e", home / "elsewhere/car.viv"}, home.path());
  ASSERT_EQ(extract.exitStatus, 0) << extract.err;
  EXPECT_EQ(extract.out, "");
  EXPECT_EQ(extract.err.rfind("velkor: warning: '" + (home / "elsewhere/car/car00.tga") + "'", 0), 0u) << extract.err;
  EXPECT_EQ(test::ListNames(home / "elsewhere/car"), packed);
  for (const auto& name : packed)
    EXPECT_EQ(test::ReadBytes(home / ("elsewhere/car/" + name)), test::ReadBytes(home / ("car/" + name))) << name;
  EXPECT_TRUE(test::PathExists(home / "elsewhere/car.viv"));

  ASSERT_EQ(test::RunVelkor({"/p", home / "nothing"}, home.path()).exitStatus, 0);
  EXPECT_EQ(test::ReadBytes(home / "nothing.viv"), test::BuildViv({}));
}

TEST(ArchiveCommands, ListingAndARefusedArchiveWriteNothing) {
  test::TempDir home;
  test::WriteBytes(home / "car.viv", test::BuildViv({{"a b", {'x', 'y', 'z'}}, {"carp.txt", {'(', '8', '0', ')'}}}));
  const auto list = test::RunVelkor({"--list", home / "car.viv"}, home.path());
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  // 16 + (3 + 9) + (8 + 9) = 45.
  EXPECT_EQ(list.out, home / "car.viv" + ": 2 entries, 52 bytes\n"
                      "index      offset      length  kind     name\n"
                      "    0          45           3  -        a b\n"
                      "    1          48           4  CARP4    carp.txt\n");
  EXPECT_EQ(test::RunVelkor({"--list"}, home.path()).exitStatus, 2);
  EXPECT_EQ(test::ListNames(home.path()), std::vector<std::string>{"car.viv"});

  test::MakeFolder(home / "work");
  test::WriteBytes(home / "work/bad.viv", test::BuildViv({{"../evil.txt", test::ToBytes("!")}}));
  const auto refused = test::RunVelkor({"/e", home / "work/bad.viv"}, home.path());
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_NE(refused.err.find("'../evil.txt'"), std::string::npos) << refused.err;
  EXPECT_NE(test::RunVelkor({"/e", home / "none.viv"}, home.path()).err.find("none.viv"), std::string::npos);
  EXPECT_EQ(test::ListNames(home / "work"), std::vector<std::string>{"bad.viv"});
}

}  // namespace
}  // namespace velkor
