#include <gtest/gtest.h>

#include <filesystem>

#include "archives/FshFile.h"
#include "archives/VivArchive.h"
#include "files/Errors.h"
#include "files/GameFile.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;
using test::ToBytes;

struct RawEntry {
  std::int32_t offset;
  std::int32_t length;
  std::string name;
};

void AppendBe32(Bytes& out, std::int32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> shift));
}

std::int32_t DirectoryEnd(const std::vector<RawEntry>& entries) {
  std::int32_t end = 16;
  for (const auto& e : entries) end += static_cast<std::int32_t>(e.name.size()) + 9;
  return end;
}

// Header (archiveSize and dataStart left 0: readers ignore them), the entries as given,
// then `tail`.
Bytes RawViv(std::int32_t count, const std::vector<RawEntry>& entries, const Bytes& tail) {
  Bytes out = ToBytes("BIGF");
  AppendBe32(out, 0);
  AppendBe32(out, count);
  AppendBe32(out, 0);
  for (const auto& e : entries) {
    AppendBe32(out, e.offset);
    AppendBe32(out, e.length);
    out.insert(out.end(), e.name.begin(), e.name.end());
    out.push_back(0);
  }
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

// A well-formed archive with the files' data one after the other.
Bytes PackedViv(const std::vector<std::pair<std::string, Bytes>>& files) {
  std::vector<RawEntry> entries;
  for (const auto& [name, data] : files) entries.push_back({0, static_cast<std::int32_t>(data.size()), name});
  std::int32_t at = DirectoryEnd(entries);
  Bytes data;
  for (std::size_t i = 0; i < files.size(); ++i) {
    entries[i].offset = at;
    at += entries[i].length;
    data.insert(data.end(), files[i].second.begin(), files[i].second.end());
  }
  return RawViv(static_cast<std::int32_t>(files.size()), entries, data);
}

// An FSH file with one record "abcd" of code 0x7A (header only).
Bytes SmallFsh() {
  Bytes out = ToBytes("SHPI");
  for (std::uint8_t b : {40, 0, 0, 0, 1, 0, 0, 0}) out.push_back(b);
  out.insert(out.end(), {'G', 'I', 'M', 'X', 'a', 'b', 'c', 'd', 24, 0, 0, 0});
  out.insert(out.end(), {0x7A, 0, 0, 0, 2, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  return out;
}

TEST(VivArchiveUnpack, ArchivesFromOtherWritersUnpackWhateverTheirLayout) {
  TempDir dir;
  // Data stored in reverse directory order, with gaps and a wrong header, and a
  // duplicate name whose later bytes win while both entries become members.
  const std::vector<RawEntry> entries = {{0, 3, "first"}, {0, 2, "dup"}, {0, 4, "dup"}, {0, 0, "empty"}};
  const std::int32_t d = DirectoryEnd(entries);
  const Bytes tail = ToBytes("..LAST..DUP2..DP..FIRST");
  Bytes bytes = RawViv(4, {{d + 18, 3, "first"}, {d + 14, 2, "dup"}, {d + 8, 4, "dup"}, {d + 2, 0, "empty"}}, tail);
  bytes[0] = 'X';
  test::WriteBytes(dir / "car.viv", bytes);

  VivArchive archive(dir / "car.viv");
  archive.removeFolder = false;
  EXPECT_EQ(archive.Load(), 1);
  EXPECT_EQ(archive.size, static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(archive.magic[0], 'X');
  EXPECT_EQ(test::ListNames(dir / "car"), (std::vector<std::string>{"dup", "empty", "first"}));
  EXPECT_EQ(test::ReadText(dir / "car/first"), "FIR");
  EXPECT_EQ(test::ReadText(dir / "car/dup"), "DUP2");
  EXPECT_EQ(test::ReadText(dir / "car/empty"), "");
  ASSERT_EQ(archive.members.size(), 4u);
  EXPECT_EQ(archive.members[1]->GetFileName(), "dup");
  EXPECT_EQ(archive.members[1]->size, 2);
  EXPECT_EQ(archive.members[2]->size, 4);
}

TEST(VivArchiveUnpack, TheWorkingFolderIsCreatedOrReusedAndDeletedOnlyWhileRemoveFolderIsSet) {
  TempDir dir;
  test::WriteBytes(dir / "empty.viv", PackedViv({}));
  {
    VivArchive archive(dir / "empty.viv");
    archive.Load();
    EXPECT_TRUE(std::filesystem::is_directory(dir / "empty"));
    EXPECT_TRUE(test::ListNames(dir / "empty").empty());
  }
  EXPECT_FALSE(test::PathExists(dir / "empty"));

  test::MakeFolder(dir / "car");
  test::WriteText(dir / "car/a", "old a");
  test::WriteText(dir / "car/mine", "keep");
  test::WriteBytes(dir / "car.viv", PackedViv({{"a", ToBytes("new")}}));
  {
    VivArchive archive(dir / "car.viv");
    archive.removeFolder = false;
    archive.Load();
  }
  EXPECT_EQ(test::ReadText(dir / "car/a"), "new");
  EXPECT_EQ(test::ReadText(dir / "car/mine"), "keep");
}

TEST(VivArchiveUnpack, NestedArchivesAndImagesUnpackIntoFoldersThatOutliveTheArchive) {
  TempDir dir;
  const Bytes inner = PackedViv({{"x.txt", ToBytes("inside")}});
  test::WriteBytes(dir / "car.viv", PackedViv({{"Inner.VIV", inner}, {"dash.fsh", SmallFsh()}}));
  {
    VivArchive archive(dir / "car.viv");
    archive.removeFolder = false;
    archive.Load();
    ASSERT_EQ(archive.members.size(), 2u);
    EXPECT_EQ(archive.members[0]->typeTag, "VIV");
    EXPECT_EQ(archive.members[0]->path, JoinPath(dir / "car", "Inner.VIV"));
    const auto* images = dynamic_cast<FshFile*>(archive.members[1]);
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(images->images.size(), 1u);
    EXPECT_EQ(images->images[0]->recordCode, 0x7A);
  }
  EXPECT_EQ(test::ReadText(dir / "car/Inner/x.txt"), "inside");
  EXPECT_EQ(test::ReadBytes(dir / "car/dash/abcd").size(), 16u);

  // As the source of a conversion, the archive takes the whole tree with it.
  { VivArchive(dir / "car.viv").Load(); }
  EXPECT_FALSE(test::PathExists(dir / "car"));
}

TEST(VivArchiveUnpack, AMemberItsKindCannotReadStaysAPlainFileWithAWarning) {
  TempDir dir;
  test::WriteBytes(dir / "car.viv", PackedViv({{"car00.tga", ToBytes("not an image")}, {"b", ToBytes("b")}}));
  VivArchive archive(dir / "car.viv");
  testing::internal::CaptureStderr();
  archive.Load();
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(archive.members.size(), 2u);
  EXPECT_EQ(archive.members[0]->typeTag, "");
  EXPECT_EQ(archive.members[0]->size, 12);
  EXPECT_EQ(err.rfind("velkor: warning: '" + JoinPath(dir / "car", "car00.tga") + "'", 0), 0u) << err;
  EXPECT_NE(err.find("kept as a plain file"), std::string::npos) << err;
}

struct Refusal {
  const char* what;
  Bytes bytes;
};

std::vector<Refusal> Refusals() {
  const Bytes data = ToBytes("0123456789");
  const auto one = [&](const std::string& name, std::int32_t offset, std::int32_t length) {
    const std::int32_t d = DirectoryEnd({{0, 0, name}});
    return RawViv(1, {{d + offset, length, name}}, data);
  };
  const auto nest = [](Bytes inner, int levels) {
    for (int i = 0; i < levels; ++i) inner = PackedViv({{"n.viv", inner}});
    return inner;
  };
  Bytes wrongCount = one("a", 0, 1);
  wrongCount[11] = 3;  // three entries announced, one present: cannot fit even before reading
  Bytes runsPastEnd = one("a", 0, 1);
  runsPastEnd[11] = 2;  // the data is read as a second entry whose name has no NUL
  Bytes negativeCount = one("a", 0, 1);
  negativeCount[8] = 0xFF;
  return {
      {"header cut short", ToBytes("BIGF\0\0\0\0\0\0")},
      {"empty name", one("", 0, 1)},
      {"dot", one(".", 0, 1)},
      {"dot dot", one("..", 0, 1)},
      {"absolute", one("/etc/passwd", 0, 1)},
      {"folder part", one("a/b", 0, 1)},
      {"backslash", one("a\\b", 0, 1)},
      {"drive", one("C:x", 0, 1)},
      {"name of 257 bytes", one(std::string(257, 'n'), 0, 1)},
      {"past the end", one("a", 5, 6)},
      {"negative offset", RawViv(1, {{-1, 1, "a"}}, data)},
      {"negative length", one("a", 0, -1)},
      {"negative count", negativeCount},
      {"directory does not fit", wrongCount},
      {"directory runs past the end", runsPastEnd},
      {"lengths add up past the archive", RawViv(2, {{16, 30, "a"}, {16, 30, "b"}}, Bytes(20, 0))},
      {"nested archive with an unsafe name", PackedViv({{"in.viv", PackedViv({{"..", ToBytes("x")}})}})},
      {"nested archive cut short", PackedViv({{"in.viv", ToBytes("BIGF")}})},
      {"archive unpacking into its parent", PackedViv({{"...viv", PackedViv({})}})},
      {"images unpacking into the folder itself", PackedViv({{"..fsh", SmallFsh()}})},
      {"file in the way of a nested folder", PackedViv({{"x", ToBytes("1")}, {"X.viv", PackedViv({})}})},
      {"nested too deep", nest(PackedViv({}), 16)},
  };
}

TEST(VivArchiveUnpack, EveryRefusedArchiveLeavesNothingBehind) {
  for (const Refusal& refusal : Refusals()) {
    TempDir dir;
    test::WriteBytes(dir / "car.viv", refusal.bytes);
    {
      VivArchive archive(dir / "car.viv");
      EXPECT_THROW(archive.Load(), FormatError) << refusal.what;
    }
    EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"car.viv"}) << refusal.what;
  }
}

TEST(VivArchiveUnpack, LimitsAreInclusive) {
  TempDir dir;
  Bytes nested = PackedViv({});  // with car.viv around it, 16 levels
  for (int level = 2; level < 16; ++level) nested = PackedViv({{"n.viv", nested}});
  // The longest name a POSIX file system takes; 256 pass the archive's check. Windows limits
  // the whole path to 260 characters, which leaves room for less.
  const std::string longest(platform::kWindows ? 180 : 255, 'n');
  test::WriteBytes(dir / "car.viv", PackedViv({{longest, ToBytes("x")}, {"deep.viv", nested}}));
  VivArchive archive(dir / "car.viv");
  archive.removeFolder = false;
  archive.Load();
  EXPECT_EQ(test::ReadText(dir / ("car/" + longest)), "x");
}

TEST(VivArchiveUnpack, AFailureHalfwayRemovesTheFolderItCreated) {
  TempDir dir;
  // 256 bytes pass the archive's own check but no POSIX file system takes such a name.
  test::WriteBytes(dir / "car.viv", PackedViv({{"a", ToBytes("1")}, {std::string(256, 'n'), ToBytes("2")}}));
  {
    VivArchive archive(dir / "car.viv");
    archive.removeFolder = false;
    EXPECT_THROW(archive.Load(), FileError);
  }
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"car.viv"});

  test::WriteText(dir / "blocked", "a file where the folder would go");
  test::WriteBytes(dir / "blocked.viv", PackedViv({{"a", ToBytes("1")}}));
  EXPECT_THROW(VivArchive(dir / "blocked.viv").Load(), FileError);
  EXPECT_EQ(test::ReadText(dir / "blocked"), "a file where the folder would go");
}

}  // namespace
}  // namespace velkor
