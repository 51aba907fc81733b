#include <gtest/gtest.h>

#include <tuple>

#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "files/FileCopy.h"
#include "files/GameFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "recogniser/OpenGameFile.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using test::BuildViv;
using test::ToBytes;

// "BIGF", the count, the entries (offset from the end of the directory, length, name), `data`.
Bytes RawViv(const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>>& entries, const Bytes& data) {
  std::uint32_t directoryEnd = 16;
  for (const auto& [offset, length, name] : entries) directoryEnd += static_cast<std::uint32_t>(name.size()) + 9;
  Bytes out = {'B', 'I', 'G', 'F', 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(entries.size()), 0, 0, 0, 0};
  for (const auto& [offset, length, name] : entries) {
    AppendU32BE(out, directoryEnd + offset);
    AppendU32BE(out, length);
    out.insert(out.end(), name.c_str(), name.c_str() + name.size() + 1);  // with its NUL
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TEST(VivArchiveUnpack, ArchivesFromOtherWritersUnpackWhateverTheirLayout) {
  test::TempDir dir;
  // Data in reverse order with gaps, a wrong magic, a duplicate name whose later bytes win,
  // the longest name a file system takes (Windows limits the whole path to 260 characters),
  // and a nested archive and images, which unpack into folders of their own.
  const std::string longest(platform::kWindows ? 180 : 255, 'n');
  const Bytes inner = BuildViv({{"x.txt", ToBytes("in")}});
  const auto innerSize = static_cast<std::uint32_t>(inner.size());
  Bytes data = ToBytes("..LAST..DUP2..DP..FIRSTx");
  data.insert(data.end(), {'S', 'H', 'P', 'I', 16, 0, 0, 0, 0, 0, 0, 0, 'G', 'I', 'M', 'X'});  // no images
  data.insert(data.end(), inner.begin(), inner.end());
  Bytes bytes = RawViv({{18, 3, "first"}, {14, 2, "dup"}, {8, 4, "dup"}, {2, 0, "empty"}, {23, 1, longest},
                        {24, 16, "dash.fsh"}, {40, innerSize, "Inner.VIV"}}, data);
  bytes[0] = 'X';
  test::WriteBytes(dir / "car.viv", bytes);
  // The folders exist already: they are reused, members overwritten, other files kept.
  test::MakeFolder(dir / "car/Inner");
  test::WriteText(dir / "car/Inner/x.txt", "old");
  test::WriteText(dir / "car/mine", "keep");

  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.removeFolder = false;
  archive.Load();
  EXPECT_EQ(test::ListNames(dir / "car"), (std::vector<std::string>{"Inner", "Inner.VIV", "dash", "dash.fsh", "dup",
                                                                     "empty", "first", "mine", longest}));
  EXPECT_EQ(test::ReadText(dir / "car/first"), "FIR");
  EXPECT_EQ(test::ReadText(dir / "car/dup"), "DUP2");
  EXPECT_EQ(test::ReadText(dir / "car/empty"), "");
  EXPECT_EQ(test::ReadText(dir / ("car/" + longest)), "x");
  EXPECT_EQ(test::ReadText(dir / "car/Inner/x.txt"), "in");
  EXPECT_EQ(test::ReadText(dir / "car/mine"), "keep");
  EXPECT_TRUE(test::ListNames(dir / "car/dash").empty());
  std::vector<std::pair<std::string, std::uint32_t>> members;  // both entries of one name are members
  for (const GameFile* member : archive.members) members.emplace_back(member->typeTag, member->size);
  EXPECT_EQ(members, (std::vector<std::pair<std::string, std::uint32_t>>{
                         {"", 3}, {"", 2}, {"", 4}, {"", 0}, {"", 1}, {"FSH", 16}, {"VIV", innerSize}}));
  EXPECT_EQ(archive.members.back()->path, platform::JoinPath(dir / "car", "Inner.VIV"));
}

// Left packed, members are opened as their kinds straight from the archive (a nested
// archive's from inside it, a broken one as a plain file), only the working folders are
// made, and packing them, and a copy of another file, reproduces their bytes.
TEST(VivArchiveUnpack, MembersLeftPackedAreReadFromTheArchive) {
  test::TempDir dir;
  const Bytes image = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x42};
  const Bytes inner = BuildViv({{"x.txt", ToBytes("in")}, {"y.tga", image}});
  const std::vector<test::NamedBytes> members = {{"a.tga", image}, {"bad.tga", ToBytes("short")},
                                                 {"Inner.viv", inner}, {"dash.fsh", ToBytes("SHPI")}};
  test::WriteBytes(dir / "car.viv", BuildViv(members));
  test::WriteText(dir / "original", "copied");

  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.openPacked = &OpenPackedGameFile;
  archive.removeFolder = false;
  archive.Load();
  EXPECT_EQ(test::ListNames(dir / "car"), std::vector<std::string>{"Inner"});
  EXPECT_TRUE(test::ListNames(dir / "car/Inner").empty());
  std::vector<std::pair<std::string, std::int32_t>> kinds;
  for (const GameFile* member : archive.members) kinds.emplace_back(member->typeTag, member->size);
  EXPECT_EQ(kinds, (std::vector<std::pair<std::string, std::int32_t>>{
                       {"TGA", 19}, {"", 5}, {"VIV", static_cast<std::int32_t>(inner.size())}, {"FSH", 4}}));
  EXPECT_EQ(archive.members[1]->path, platform::JoinPath(dir / "car", "bad.tga"));
  const auto& nested = static_cast<const VivArchive&>(*archive.members[2]).members;
  ASSERT_EQ(nested.size(), 2u);
  EXPECT_EQ(std::pair(nested[1]->typeTag, test::ToText(nested[0]->OpenContent().ReadAtMost(0, 2))),
            std::pair(std::string("TGA"), std::string("in")));

  VivArchive again(dir / "again.viv", &OpenGameFile);
  again.Reset();
  again.members = archive.members;
  FileCopy copy(dir / "copy.txt", dir / "original");
  copy.Load();
  again.members.push_back(&copy);
  again.Save();
  std::vector<test::NamedBytes> expected = members;
  expected.emplace_back("copy.txt", ToBytes("copied"));
  EXPECT_EQ(test::ReadBytes(dir / "again.viv"), BuildViv(expected));
}

// Refusals of the directory are in tests/cli/Hostile_test.cpp.
TEST(VivArchiveUnpack, AFailingUnpackRemovesTheFolderItMadeAndLeavesAFileInTheWayAlone) {
  test::TempDir dir;
  // Valid, but no file system takes a name of 256 bytes.
  test::WriteBytes(dir / "car.viv", BuildViv({{"a", ToBytes("1")}, {std::string(256, 'n'), ToBytes("2")}}));
  EXPECT_THROW(VivArchive(dir / "car.viv", &OpenGameFile).Load(), FileError);
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"car.viv"});
  test::WriteText(dir / "car", "mine");
  test::WriteBytes(dir / "car.viv", BuildViv({{"a", ToBytes("1")}}));
  EXPECT_THROW(VivArchive(dir / "car.viv", &OpenGameFile).Load(), FileError);
  EXPECT_EQ(test::ReadText(dir / "car"), "mine");
  // In a folder of its own making too, a later entry of the same name wins.
  test::WriteBytes(dir / "two.viv", BuildViv({{"a", ToBytes("1")}, {"a", ToBytes("22")}}));
  VivArchive two(dir / "two.viv", &OpenGameFile);
  two.Load();
  EXPECT_EQ(test::ReadText(dir / "two/a"), "22");
}

}  // namespace
}  // namespace velkor
