#include <gtest/gtest.h>

#include "archives/TgaFile.h"
#include "base/Errors.h"
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

}  // namespace
}  // namespace velkor
