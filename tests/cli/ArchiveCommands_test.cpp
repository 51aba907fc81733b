#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
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
  std::vector<test::NamedBytes> members;
  for (const auto& name : packed) members.emplace_back(name, test::ReadBytes(home / ("car/" + name)));
  EXPECT_EQ(test::ReadBytes(home / "car.viv"), test::BuildViv(members)) << "members in name order";
  test::MakeFolder(home / "elsewhere");
  std::filesystem::rename(home / "car.viv", home / "elsewhere/car.viv");
  const auto extract = test::RunVelkor({"/e", home / "elsewhere/car.viv"}, home.path());
  ASSERT_EQ(extract.exitStatus, 0) << extract.err;
  EXPECT_EQ(extract.out, "");
  EXPECT_EQ(extract.err.rfind("velkor: warning: '" + (home / "elsewhere/car/car00.tga") + "'", 0), 0u) << extract.err;
  EXPECT_EQ(test::ListNames(home / "elsewhere/car"), packed);
  for (const auto& [name, bytes] : members) EXPECT_EQ(test::ReadBytes(home / ("elsewhere/car/" + name)), bytes) << name;
  EXPECT_TRUE(test::PathExists(home / "elsewhere/car.viv"));

  // An empty folder packs into an empty archive; a folder that is not there is an error.
  test::MakeFolder(home / "empty");
  ASSERT_EQ(test::RunVelkor({"/p", home / "empty"}, home.path()).exitStatus, 0);
  EXPECT_EQ(test::ReadBytes(home / "empty.viv"), test::BuildViv({}));
  const auto missing = test::RunVelkor({"/p", home / "nothing"}, home.path());
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err, "velkor: cannot pack '" + (home / "nothing") + "': there is no such folder\n");
  EXPECT_FALSE(test::PathExists(home / "nothing.viv"));
}

TEST(ArchiveCommands, ListingShowsTheDirectoryAndWritesNothing) {
  test::TempDir home;
  test::WriteBytes(home / "car.viv", test::BuildViv({{"a b", {'x', 'y', 'z'}}, {"carp.txt", {'(', '8', '0', ')'}},
                                                     {"e\x01", {}}}));
  const auto list = test::RunVelkor({"--list", home / "car.viv"}, home.path());
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  // 16 + (3 + 9) + (8 + 9) + (2 + 9) = 56.
  EXPECT_EQ(list.out, home / "car.viv" + ": 3 entries, 63 bytes\n"
                      "index      offset      length  kind     name\n"
                      "    0          56           3  -        a b\n"
                      "    1          59           4  CARP4    carp.txt\n"
                      "    2          63           0  -        e\\x01\n");
  EXPECT_EQ(test::ListNames(home.path()), std::vector<std::string>{"car.viv"});
}

}  // namespace
}  // namespace velkor
