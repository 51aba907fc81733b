#include <gtest/gtest.h>

#include "archives/FshFile.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

struct FshEntry {
  std::string name;  // 4 bytes
  std::uint32_t offset;
};

// 16-byte header ("SHPI", a length, the count, "GIMX"), the directory, then zero bytes up
// to `fileLength`; record bytes are filled in by the caller.
Bytes FshBytes(std::int32_t count, const std::vector<FshEntry>& entries, std::size_t fileLength) {
  Bytes out = test::ToBytes("SHPI");
  out.resize(fileLength, 0);
  WriteU32LE(out, 8, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::copy(entries[i].name.begin(), entries[i].name.end(), out.begin() + 16 + 8 * i);
    WriteU32LE(out, 16 + 8 * i + 4, entries[i].offset);
  }
  return out;
}

TEST(FshFile, EachRecordRunsToTheNextEntrysOffsetAndTheLastToTheEnd) {
  TempDir dir;
  Bytes bytes = FshBytes(3, {{"aaaa", 40}, {"bbbb", 100}, {"cccc", 160}}, 200);
  for (std::size_t i = 40; i < 200; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  test::WriteBytes(dir / "dash.fsh", bytes);
  {
    FshFile fsh(dir / "dash.fsh");
    EXPECT_EQ(fsh.Load(), 1);
    EXPECT_EQ(fsh.size, 200);
    ASSERT_EQ(fsh.images.size(), 3u);
    EXPECT_EQ(fsh.images[2]->typeTag, "FSHImage");
    EXPECT_EQ(test::ReadBytes(dir / "dash/aaaa"), Bytes(bytes.begin() + 40, bytes.begin() + 100));
    EXPECT_EQ(test::ReadBytes(dir / "dash/bbbb"), Bytes(bytes.begin() + 100, bytes.begin() + 160));
    EXPECT_EQ(test::ReadBytes(dir / "dash/cccc"), Bytes(bytes.begin() + 160, bytes.end()));
  }
  EXPECT_FALSE(test::PathExists(dir / "dash")) << "the working folder goes with the object";
}

TEST(FshFile, ADirectoryOfNoEntriesGivesAnEmptyFolderThatStaysWhenAsked) {
  TempDir dir;
  test::WriteBytes(dir / "a.fsh", FshBytes(0, {}, 16));
  FshFile fsh(dir / "a.fsh");
  fsh.removeFolder = false;
  fsh.Load();
  EXPECT_TRUE(fsh.images.empty());
  EXPECT_TRUE(test::ListNames(dir / "a").empty());
}

TEST(FshFile, ReadingNeverFailsOnTheFilesContent) {
  TempDir dir;
  const auto recordsOf = [&](const Bytes& bytes) {
    test::WriteBytes(dir / "x.fsh", bytes);
    FshFile fsh(dir / "x.fsh");
    fsh.Load();
    std::vector<std::pair<std::string, std::size_t>> records;
    for (const FshImage* image : fsh.images) records.emplace_back(image->GetFileName(), image->size);
    return records;
  };
  using Records = std::vector<std::pair<std::string, std::size_t>>;

  EXPECT_EQ(recordsOf(test::ToBytes("SHPI\1\0\0\0\5")), Records{}) << "shorter than the header";
  EXPECT_EQ(recordsOf(FshBytes(-1, {}, 40)), Records{}) << "negative count";
  // A count of 1000 is cut to the 2 entries that fit the 32-byte file.
  EXPECT_EQ(recordsOf(FshBytes(1000, {{"aaaa", 24}, {"bbbb", 28}}, 32)), (Records{{"aaaa", 4}, {"bbbb", 4}}));
  // Offsets that go backwards give a negative length: that entry is skipped.
  EXPECT_EQ(recordsOf(FshBytes(3, {{"aaaa", 50}, {"bbbb", 40}, {"cccc", 45}}, 60)),
            (Records{{"bbbb", 5}, {"cccc", 15}}));
  // An offset past the end is skipped; a record whose next entry lies past the end keeps
  // what exists; offsets are unsigned (0xFFFFFFFF is not -1).
  EXPECT_EQ(recordsOf(FshBytes(3, {{"aaaa", 48}, {"bbbb", 0xFFFFFFF0u}, {"cccc", 0xFFFFFFFFu}}, 56)),
            (Records{{"aaaa", 8}}));
}

TEST(FshFile, NamesThatCannotBeFileNamesBecomeHexDigits) {
  TempDir dir;
  test::WriteBytes(dir / "x.fsh", FshBytes(4, {{"ok 1", 48}, {std::string("a\0bc", 4), 48}, {"a/b:", 48}, {"\x01xyz", 48}}, 48));
  FshFile fsh(dir / "x.fsh");
  fsh.removeFolder = false;
  fsh.Load();
  EXPECT_EQ(test::ListNames(dir / "x"), (std::vector<std::string>{"0178797a", "61006263", "612f623a", "ok 1"}));
}

TEST(FshImage, PixelsAndPaletteAreReadByRecordCode) {
  TempDir dir;
  const auto header = [](std::uint8_t code, std::uint16_t width, std::uint16_t height) {
    Bytes h(16, 0);
    h[0] = code;
    h[1] = 0xAB;  // record length, carried
    WriteU16LE(h, 4, width);
    WriteU16LE(h, 6, height);
    WriteU16LE(h, 8, 7);  // first placement value
    return h;
  };
  const auto load = [&](Bytes bytes) {
    test::WriteBytes(dir / "rec", bytes);
    auto image = std::make_unique<FshImage>(dir / "rec");
    image->Load();
    return image;
  };

  Bytes rgba = header(0x7D, 2, 2);
  for (int i = 0; i < 20; ++i) rgba.push_back(static_cast<std::uint8_t>(i));  // 4 bytes beyond the pixels
  const auto image = load(rgba);
  EXPECT_EQ(image->recordLength[0], 0xAB);
  EXPECT_EQ(image->width, 2);
  EXPECT_EQ(image->placement[0], 7);
  EXPECT_EQ(image->pixels, Bytes(rgba.begin() + 16, rgba.begin() + 32));

  Bytes unread = header(0x7A, 2, 2);
  unread.resize(40, 1);
  EXPECT_TRUE(load(unread)->pixels.empty());

  Bytes indexed = header(0x7B, 3, 1);
  for (int i = 0; i < 3 + 16 + 1024; ++i) indexed.push_back(static_cast<std::uint8_t>(i * 7));
  const auto palettised = load(indexed);
  EXPECT_EQ(palettised->pixels, Bytes(indexed.begin() + 16, indexed.begin() + 19));
  EXPECT_EQ(palettised->paletteHeader, Bytes(indexed.begin() + 19, indexed.begin() + 35));
  EXPECT_EQ(palettised->palette, Bytes(indexed.begin() + 35, indexed.end()));

  // A record shorter than its header announces keeps what exists.
  Bytes cut = header(0x7B, 4, 4);
  cut.resize(16 + 16 + 5, 9);
  const auto shortened = load(cut);
  EXPECT_EQ(shortened->pixels.size(), 16u);
  EXPECT_EQ(shortened->paletteHeader.size(), 5u);
  EXPECT_TRUE(shortened->palette.empty());
  EXPECT_EQ(load(Bytes{0x78, 1})->pixels.size(), 0u);
}

}  // namespace
}  // namespace velkor
