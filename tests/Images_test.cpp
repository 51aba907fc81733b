#include <gtest/gtest.h>

#include <string>

#include "archives/FshFile.h"
#include "archives/Qfs.h"
#include "archives/TgaFile.h"
#include "base/Errors.h"
#include "support/ModelBuilder.h"
#include "support/QfsInputs.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

// An 18-byte header, the id field, then `pixels` bytes 1, 2, 3, ...
Bytes TgaBytes(std::uint16_t width, std::uint16_t height, std::uint8_t depth, std::size_t pixels, std::string id = "") {
  Bytes out(18, 0);
  out[0] = static_cast<std::uint8_t>(id.size());
  out[2] = 2;  // uncompressed true-colour
  out[8] = 0x11;  // x origin, carried
  WriteU16LE(out, 12, width);
  WriteU16LE(out, 14, height);
  out[16] = depth;
  out[17] = 0x20;  // top-left origin bit
  for (const char c : id) out.push_back(static_cast<std::uint8_t>(c));
  for (std::size_t i = 1; i <= pixels; ++i) out.push_back(static_cast<std::uint8_t>(i));
  return out;
}

TEST(TgaFile, SaveAsWritesEveryByteButTheTrailerAndFlipReversesTheRows) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.tga", TgaBytes(2, 2, 24, 12));  // 30 bytes
  TgaFile tga(dir / "a.tga");
  tga.Load();
  tga.FlipVertical();
  tga.SaveAs(dir / "b.tga");
  Bytes flipped = TgaBytes(2, 2, 24, 0);  // the header as it was, the two rows swapped
  for (std::uint8_t b : {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}) flipped.push_back(b);
  EXPECT_EQ(test::ReadBytes(dir / "b.tga"), flipped);

  const Bytes withId = TgaBytes(1, 3, 16, 6, "abc");  // the middle of three rows stays
  test::WriteBytes(dir / "c.tga", TgaBytes(1, 3, 16, 6 + 26, "abc"));  // with a 26-byte footer
  TgaFile footer(dir / "c.tga");
  footer.Load();
  footer.Save();
  EXPECT_EQ(test::ReadBytes(dir / "c.tga"), withId);
  footer.FlipVertical();
  EXPECT_EQ(footer.pixels, (Bytes{5, 6, 3, 4, 1, 2}));
}

TEST(TgaFile, ImagesItCannotCarryAreFormatErrors) {
  test::TempDir dir;
  const auto with = [](Bytes bytes, std::size_t at, std::uint8_t value) { bytes[at] = value; return bytes; };
  const std::vector<std::pair<const char*, Bytes>> bad = {
      {"colour map", with(TgaBytes(1, 1, 8, 1), 1, 1)},
      {"run-length encoded", with(TgaBytes(1, 1, 8, 1), 2, 10)},
      {"depth of 12 bits", TgaBytes(2, 1, 12, 3)},
      {"pixels past the end", TgaBytes(2, 2, 24, 11)},
      {"id past the end", with(TgaBytes(0, 0, 8, 0, "ab"), 0, 3)},
  };
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    test::WriteBytes(dir / "bad.tga", bytes);
    EXPECT_THROW(TgaFile(dir / "bad.tga").Load(), FormatError);
  }
  test::WriteBytes(dir / "grey.tga", with(TgaBytes(1, 1, 8, 1), 2, 3));
  EXPECT_NO_THROW(TgaFile(dir / "grey.tga").Load());
}

using Records = std::vector<std::pair<std::string, std::size_t>>;

// "SHPI", a length, the count, "GIMX", the directory of names and offsets, zeros to `fileLength`.
// How records are cut from a well-formed archive is pinned byte for byte in tests/cli.
Bytes FshBytes(std::int32_t count, const std::vector<std::pair<std::string, std::uint32_t>>& entries,
               std::size_t fileLength) {
  Bytes out = test::ToBytes("SHPI");
  out.resize(fileLength, 0);
  WriteU32LE(out, 8, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::copy(entries[i].first.begin(), entries[i].first.end(), out.begin() + 16 + 8 * i);
    WriteU32LE(out, 16 + 8 * i + 4, entries[i].second);
  }
  return out;
}

TEST(FshFile, ReadingNeverFailsOnTheFilesContent) {
  test::TempDir dir;
  const std::vector<std::pair<Bytes, Records>> cases = {
      {FshBytes(-1, {}, 40), {}},  // a negative count
      // A count of 1000 is cut to the 2 entries that fit the 32-byte file.
      {FshBytes(1000, {{"aaaa", 24}, {"bbbb", 28}}, 32), {{"aaaa", 4}, {"bbbb", 4}}},
      // Offsets that go backwards give a negative length: that entry is skipped.
      {FshBytes(3, {{"aaaa", 50}, {"bbbb", 40}, {"cccc", 45}}, 60), {{"bbbb", 5}, {"cccc", 15}}},
      // An offset past the end is skipped; a record whose next entry lies past the end keeps
      // what exists; offsets are unsigned (0xFFFFFFFF is not -1).
      {FshBytes(3, {{"aaaa", 48}, {"bbbb", 0xFFFFFFF0u}, {"cccc", 0xFFFFFFFFu}}, 56), {{"aaaa", 8}}},
      // Names that cannot be file names become 8 hex digits.
      {FshBytes(4, {{"ok 1", 48}, {std::string("a\0bc", 4), 48}, {"a/b:", 48}, {"\x01xyz", 48}}, 48),
       {{"ok 1", 0}, {"61006263", 0}, {"612f623a", 0}, {"0178797a", 0}}},
  };
  for (const auto& [bytes, expected] : cases) {
    test::WriteBytes(dir / "x.fsh", bytes);
    FshFile fsh(dir / "x.fsh");
    fsh.Load();
    Records records;
    for (const FshImage* image : fsh.images) records.emplace_back(image->GetFileName(), image->size);
    EXPECT_EQ(records, expected);
  }
}

Bytes Join(Bytes a, const Bytes& b) { return test::Append(a, b), a; }

// "abc", then a 6-byte copy from 3 back that overlaps itself, then "XYZ" with the stop.
const Bytes kShortCommands = {0x0F, 0x02, 'a', 'b', 'c', 0xFF, 'X', 'Y', 'Z'};
// "wxyz" by a literal command; "!" and a 4-byte copy from 4 back by a 3-byte command; a
// 300-byte copy from 9 back by a 4-byte command; the stop. 309 bytes in all.
const Bytes kLongCommands = {0xE0, 'w', 'x', 'y', 'z', 0x80, 0x40, 0x03, '!', 0xC4, 0x00, 0x08, 0x27, 0xFC};

std::string Decoded(const Bytes& stream) { return test::ToText(QfsDecode(stream, "t.qfs")); }

TEST(Qfs, DecodesEveryCommandUnderEveryHeader) {
  EXPECT_EQ(Decoded(Join({0x10, 0xFB, 0, 0, 12}, kShortCommands)), "abcabcabcXYZ");

  std::string repeated;
  for (int i = 0; i < 309; ++i) repeated += "wxyz!xyz!"[i % 9];
  const std::vector<std::pair<const char*, Bytes>> headers = {
      {"10FB", {0x10, 0xFB, 0x00, 0x01, 0x35}},
      {"11FB", {0x11, 0xFB, 0x00, 0x00, 0x16, 0x00, 0x01, 0x35}},
      {"90FB", {0x90, 0xFB, 0x00, 0x00, 0x01, 0x35}},
      {"91FB", {0x91, 0xFB, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x01, 0x35}},
  };
  for (const auto& [name, header] : headers) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Decoded(Join(header, kLongCommands)), repeated);
    EXPECT_EQ(Decoded(Join(Join(header, kLongCommands), {0, 0, 0})), repeated);  // padding after the stop
  }

  // Far copies, setting the high distance bits of each kind of copy, after 595 runs of 112 literals.
  Bytes stream = {0x10, 0xFB, 0x01, 0x06, 0xB2}, expected;
  for (std::size_t i = 0; i < 595 * 112; ++i)
    expected.push_back(static_cast<std::uint8_t>(i * 2654435761u >> 13));  // not periodic over this range
  for (std::size_t i = 0; i < expected.size(); i += 112) {
    stream.push_back(0xFB);
    stream.insert(stream.end(), expected.begin() + i, expected.begin() + i + 112);
  }
  // 10 bytes from 811 back; 67 from 15,037 back; 533 from 65,828 back.
  test::Append(stream, {0x7C, 0x2A, 0xBF, 0x3A, 0xBC, 0xD8, 0x01, 0x23, 0x10, 0xFC});
  for (const auto& [distance, length] : {std::pair<std::size_t, int>{811, 10}, {15037, 67}, {65828, 533}})
    for (int i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
  EXPECT_EQ(QfsDecode(stream, "t.qfs"), expected);
}

TEST(Qfs, RefusesStreamsThatBreakTheirBounds) {
  const std::vector<std::tuple<const char*, Bytes, const char*>> bad = {
      {"past the declared size", Join({0x10, 0xFB, 0, 0, 11}, kShortCommands), "past its declared size"},
      {"literals past the size", {0x10, 0xFB, 0, 0, 2, 0xFF, 'a', 'b', 'c'}, "past its declared size"},
      {"copy before the start", {0x10, 0xFB, 0, 0, 4, 0x01, 0x05, 'a', 0xFC}, "before the start"},
      {"copy one byte before the start", {0x10, 0xFB, 0, 0, 4, 0x01, 0x01, 'a', 0xFC}, "before the start"},
      {"literals cut off", {0x10, 0xFB, 0, 0, 8, 0xE1, 'a', 'b', 'c', 'd', 'e'}, "ends early"},
      {"command cut off", {0x10, 0xFB, 0, 0, 9, 0xE0, 'a', 'b', 'c', 'd', 0xC0, 0}, "ends early"},
      {"stop before the end", {0x10, 0xFB, 0, 0, 5, 0xFD, 'a', 0, 0}, "ends early"},
      {"no stop, output short", {0x10, 0xFB, 0, 0, 5, 0xE0, 'a', 'b', 'c', 'd'}, "ends early"},
      {"header cut off", {0x10, 0xFB, 0, 0}, "ends early"},
      {"4 GiB from 1 byte", {0x90, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFC}, "more than its 1 compressed bytes"},
      {"not RefPack", {'B', 'I', 'G', 'F', 0, 0}, "no RefPack header"},
      {"unknown flags", {0x30, 0xFB, 0, 0, 0, 0xFC}, "no RefPack header"},
  };
  for (const auto& [what, stream, words] : bad) {
    SCOPED_TRACE(what);
    const std::string message = test::MessageOf<FormatError>([&, &in = stream] { QfsDecode(in, "t.qfs"); });
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_NE(message.find("t.qfs"), std::string::npos) << message;
  }
}

TEST(Qfs, EncodedStreamsDecodeToTheirInputAndAreSmallerForRepeats) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    for (const Bytes& input : test::QfsSampleInputs(seed)) {
      for (const QfsEncodeOptions options : {QfsEncodeOptions{}, QfsEncodeOptions{true, false},
                                             QfsEncodeOptions{false, true}, QfsEncodeOptions{true, true}}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << input.size() << " bytes, flags "
                                        << options.storeCompressedSize << options.wideSizes);
        const Bytes stream = QfsEncode(input, options);
        ASSERT_TRUE(IsQfsHeader(stream));
        EXPECT_EQ(stream[0], 0x10 | (options.storeCompressedSize ? 0x01 : 0) | (options.wideSizes ? 0x80 : 0));
        if (options.storeCompressedSize) {
          const std::size_t width = options.wideSizes ? 4 : 3;
          std::size_t stored = 0;
          for (std::size_t i = 0; i < width; ++i) stored = stored << 8 | stream[2 + i];
          EXPECT_EQ(stored, stream.size());
        }
        EXPECT_EQ(QfsDecode(stream, "t.qfs"), input);
      }
    }
  }
  EXPECT_LT(QfsEncode(Bytes(5000, 0x41)).size(), 40u);
  const Bytes mixed = test::QfsSampleInputs(4).back();
  EXPECT_LT(QfsEncode(mixed).size() * 10, mixed.size() * 7);
}

}  // namespace
}  // namespace velkor
