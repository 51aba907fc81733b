#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "files/GameFile.h"
#include "platform/Paths.h"
#include "platform/ProgramLocation.h"
#include "recogniser/OpenGameFile.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using test::BuildViv;
using test::ToBytes;

TEST(VivArchivePack, HeaderDirectoryAndDataInAppendOrderAndRefusalsKeepTheOldArchive) {
  test::TempDir dir;
  test::MakeFolder(dir / "car");
  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.removeFolder = false;
  archive.Reset();
  std::vector<std::unique_ptr<GameFile>> owned;
  const auto add = [&](const std::string& name, const std::string& content) {
    test::WriteText(dir / ("car/" + name), content);
    owned.push_back(std::make_unique<GameFile>(dir / ("car/" + name)));
    owned.back()->Load();
    archive.members.push_back(owned.back().get());
  };
  archive.Save();
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), (Bytes{'B', 'I', 'G', 'F', 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 16}));

  add("a", "xyz");
  add("bc", "12345");
  archive.Save();
  // 16 + (1 + 9) + (2 + 9) = 37; 37 + 3 = 40; 40 + 5 = 45.
  const Bytes two = {'B', 'I', 'G', 'F', 0, 0, 0, 45, 0, 0, 0, 2, 0, 0, 0, 37, 0, 0, 0, 37, 0, 0, 0, 3, 'a', 0,
                     0, 0, 0, 40, 0, 0, 0, 5, 'b', 'c', 0, 'x', 'y', 'z', '1', '2', '3', '4', '5'};
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), two);
  EXPECT_EQ(archive.size, 45);
  std::swap(archive.members[0], archive.members[1]);  // nothing is sorted
  archive.Save();
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), BuildViv({{"bc", {'1', '2', '3', '4', '5'}}, {"a", {'x', 'y', 'z'}}}));

  // A member whose own SaveAs changes its length: a 1 x 1 image whose 4-byte footer is dropped.
  const Bytes withFooter = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x5A, 1, 2, 3, 4};
  test::WriteBytes(dir / "car/car00.tga", withFooter);
  TgaFile tga(dir / "car/car00.tga");
  tga.Load();
  archive.members = {&tga};
  archive.Save();
  const Bytes packed = test::BuildViv({{"car00.tga", Bytes(withFooter.begin(), withFooter.end() - 4)}});
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), packed);

  const auto expectRefused = [&] {
    EXPECT_THROW(archive.Save(), CommandError);
    EXPECT_EQ(test::ListNames(dir.path()), (std::vector<std::string>{"car", "car.viv"}));
    EXPECT_EQ(test::ReadBytes(dir / "car.viv"), packed);
  };
  for (const char* name : {"big1", "big2"}) {  // together beyond 2^31-1 bytes
    add(name, "");
    std::filesystem::resize_file(dir / (std::string("car/") + name), 1100u * 1024 * 1024);  // sparse
    owned.back()->Load();
  }
  expectRefused();
  if (platform::kWindows) return;  // there "\" separates folders
  archive.members.clear();
  add("a\\b", "x");  // a name no archive could unpack
  expectRefused();
}

TEST(VivArchivePack, UnpackingAndRepackingKeepEveryByteAndAnUnchangedArchiveStaysInPlace) {
  test::TempDir dir;
  // Small members on both sides of one larger than the copy buffer's pieces (64 KiB).
  std::vector<test::NamedBytes> members;
  for (const std::size_t size : {100, 3, 0, 70000, 2000, 1}) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + size);
    members.push_back({"m" + std::to_string(members.size()), bytes});
  }
  const Bytes original = test::BuildViv(members);
  test::WriteBytes(dir / "car.viv", original);
  std::filesystem::create_hard_link(dir / "car.viv", dir / "alias.viv");

  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.Load();
  for (const auto& [name, bytes] : members) EXPECT_EQ(test::ReadBytes(dir / ("car/" + name)), bytes) << name;
  archive.Save();
  EXPECT_TRUE(std::filesystem::equivalent(dir / "car.viv", dir / "alias.viv")) << "rewritten with the same bytes";

  members[4].second[1999] ^= 1;  // same length, one bit in the last byte of a member
  test::WriteBytes(dir / "car/m4", members[4].second);
  archive.Save();
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), test::BuildViv(members));
  EXPECT_EQ(test::ReadBytes(dir / "alias.viv"), original);
}

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
  // The folders exist already: they are reused, files holding a member's bytes (of a name's
  // last entry) rewritten, other files kept.
  test::MakeFolder(dir / "car/Inner");
  test::WriteText(dir / "car/Inner/x.txt", "in");
  test::WriteText(dir / "car/dup", "DUP2");
  test::WriteText(dir / "car/mine", "keep");

  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.removeFolder = false;
  archive.Load();
  EXPECT_EQ(test::ListNames(dir / "car"), (std::vector<std::string>{"Inner", "Inner.VIV", "dash", "dash.fsh", "dup",
                                                                     "empty", "first", "mine", longest}));
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"first", "FIR"}, {"dup", "DUP2"}, {"empty", ""}, {longest, "x"}, {"Inner/x.txt", "in"}, {"mine", "keep"}})
    EXPECT_EQ(test::ReadText(dir / ("car/" + name)), text) << name;
  EXPECT_TRUE(test::ListNames(dir / "car/dash").empty());
  std::vector<std::pair<std::string, std::uint32_t>> members;  // both entries of one name are members
  for (const GameFile* member : archive.members) members.emplace_back(member->typeTag, member->size);
  EXPECT_EQ(members, (std::vector<std::pair<std::string, std::uint32_t>>{
                         {"", 3}, {"", 2}, {"", 4}, {"", 0}, {"", 1}, {"FSH", 16}, {"VIV", innerSize}}));
  EXPECT_EQ(archive.members.back()->path, platform::JoinPath(dir / "car", "Inner.VIV"));
}

// Left packed, members are opened as their kinds straight from the archive (a nested
// archive's from inside it, a broken one as a plain file) and nothing is written. Packing
// packed members and copies is pinned byte for byte by the conversions in tests/cli.
TEST(VivArchiveUnpack, MembersLeftPackedAreReadFromTheArchive) {
  test::TempDir dir;
  const Bytes image = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x42};
  const Bytes inner = BuildViv({{"x.txt", ToBytes("in")}, {"y.tga", image}});
  const std::vector<test::NamedBytes> members = {{"a.tga", image}, {"bad.tga", ToBytes("short")},
                                                 {"Inner.viv", inner}, {"dash.fsh", ToBytes("SHPI")}};
  test::WriteBytes(dir / "car.viv", BuildViv(members));

  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.openPacked = &OpenPackedGameFile;
  archive.removeFolder = false;
  archive.Load();
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"car.viv"});
  std::vector<std::pair<std::string, std::int32_t>> kinds;
  for (const GameFile* member : archive.members) kinds.emplace_back(member->typeTag, member->size);
  EXPECT_EQ(kinds, (std::vector<std::pair<std::string, std::int32_t>>{
                       {"TGA", 19}, {"", 5}, {"VIV", static_cast<std::int32_t>(inner.size())}, {"FSH", 4}}));
  EXPECT_EQ(archive.members[1]->path, platform::JoinPath(dir / "car", "bad.tga"));
  const auto& nested = static_cast<const VivArchive&>(*archive.members[2]).members;
  ASSERT_EQ(nested.size(), 2u);
  EXPECT_EQ(std::pair(nested[1]->typeTag, test::ToText(nested[0]->OpenContent().ReadAtMost(0, 2))),
            std::pair(std::string("TGA"), std::string("in")));
}

// Refusals of the directory, and a failing unpack removing its folder, are in tests/cli/Hostile_test.cpp.
TEST(VivArchiveUnpack, AFailingUnpackLeavesAFileInTheWayAlone) {
  test::TempDir dir;
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

TEST(OpenGameFile, NamesDecideAndContentSeparatesTheGames) {
  test::TempDir dir;
  const std::vector<std::tuple<std::string, Bytes, std::string>> cases = {
      {"car.viv", {}, "VIV"}, {"DASH.FSH", {}, "FSH"}, {"Car00.Tga", {}, "TGA"}, {"car.viv.bak", {1}, ""},
      {"CAR.FCE", {0x14, 0x10, 0x10, 0}, "FCE4"}, {"car.fce", {0x14, 0x10, 0x10, 0x01}, "FCE3"},
      {"car.fce", {0x14, 0x10, 0x10}, "FCE4"}, {"fedata.swe", {}, "FEDATA4"},  // missing bytes count as zero
      {"fedata.eng", {0x7F}, "FEDATA3"}, {"FEDATA.GER", {0x20}, "FEDATA3"}, {"fedata.spa", {0x80}, "FEDATA4"},
      {"fedata.ita", {0x1F}, "FEDATA4"}, {"fedata.txt", {0x7F}, ""}, {"notes.eng", {0x7F}, ""},
      {"mycarp.txt", {1}, "CARP3"}, {"CARP2.TXT", test::ToBytes("speed(80)"), "CARP4"},
      {"carp.txt", {'a', 0, '(', '8', '0', ')'}, "CARP3"},  // the search ends at a NUL
      {"carp4.txt", test::ToBytes("(80)"), ""},
  };
  for (const auto& [name, content, kind] : cases) {
    test::WriteBytes(dir / "content", content);
    platform::File file = platform::File::Open(dir / "content", platform::File::ReadExisting);
    EXPECT_EQ(TypeTagOf(RecogniseFileKind(dir / name, file, 0, file.Length())), kind) << name;
  }

  // The label is found across read chunks, and only within the member.
  Bytes big(64 * 1024 - 2, ' ');
  for (char c : std::string("(80)\x14\x10\x10\x01")) big.push_back(static_cast<std::uint8_t>(c));
  test::WriteBytes(dir / "archive", big);
  platform::File archive = platform::File::Open(dir / "archive", platform::File::ReadExisting);
  EXPECT_EQ(RecogniseFileKind("carp.txt", archive, 0, big.size() - 4), FileKind::Carp4);
  EXPECT_EQ(RecogniseFileKind("carp.txt", archive, 0, big.size() - 5), FileKind::Carp3);
  EXPECT_EQ(RecogniseFileKind("a.fce", archive, big.size() - 4, 3), FileKind::Fce4);  // the 0x01 is not read
}

}  // namespace
}  // namespace velkor
