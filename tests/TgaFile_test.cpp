#include <gtest/gtest.h>

#include "archives/TgaFile.h"
#include "files/Errors.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

// An 18-byte header (image type, no colour map), the id field, then `pixels`.
Bytes TgaBytes(std::uint16_t width, std::uint16_t height, std::uint8_t depth, const std::string& id, const Bytes& pixels,
               std::uint8_t imageType = 2) {
  Bytes out(18, 0);
  out[0] = static_cast<std::uint8_t>(id.size());
  out[2] = imageType;
  out[8] = 0x11;  // x origin, carried
  WriteU16LE(out, 12, width);
  WriteU16LE(out, 14, height);
  out[16] = depth;
  out[17] = 0x20;  // top-left origin bit
  out.reserve(18 + id.size() + pixels.size());
  for (const char c : id) out.push_back(static_cast<std::uint8_t>(c));
  for (const std::uint8_t b : pixels) out.push_back(b);
  return out;
}

Bytes Counting(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i + 1);
  return b;
}

TEST(TgaFile, LoadAndSaveAsCarryEveryByteButTheTrailer) {
  TempDir dir;
  const Bytes image = TgaBytes(2, 2, 24, "", Counting(12));
  ASSERT_EQ(image.size(), 30u);
  test::WriteBytes(dir / "a.tga", image);
  TgaFile tga(dir / "a.tga");
  tga.Load();
  EXPECT_EQ(tga.size, 30);
  tga.SaveAs(dir / "b.tga");
  EXPECT_EQ(test::ReadBytes(dir / "b.tga"), image);

  const Bytes withId = TgaBytes(1, 2, 8, "abc", {5, 6});
  Bytes withFooter = withId;
  withFooter.resize(withId.size() + 26, 0xEE);
  test::WriteBytes(dir / "c.tga", withFooter);
  TgaFile footer(dir / "c.tga");
  footer.Load();
  EXPECT_EQ(footer.imageId, test::ToBytes("abc"));
  footer.Save();
  EXPECT_EQ(test::ReadBytes(dir / "c.tga"), withId);
  EXPECT_EQ(footer.size, static_cast<std::int32_t>(withId.size()));
}

TEST(TgaFile, FlipVerticalReversesTheRowsAndNothingElse) {
  TempDir dir;
  const Bytes pixels = Counting(12);
  test::WriteBytes(dir / "a.tga", TgaBytes(2, 2, 24, "", pixels));
  TgaFile tga(dir / "a.tga");
  tga.Load();
  tga.FlipVertical();
  EXPECT_EQ(Bytes(tga.pixels.begin(), tga.pixels.begin() + 6), Bytes(pixels.begin() + 6, pixels.end()));
  EXPECT_EQ(Bytes(tga.pixels.begin() + 6, tga.pixels.end()), Bytes(pixels.begin(), pixels.begin() + 6));
  tga.SaveAs(dir / "b.tga");
  const Bytes flipped = test::ReadBytes(dir / "b.tga");
  EXPECT_EQ(Bytes(flipped.begin(), flipped.begin() + 18), Bytes(TgaBytes(2, 2, 24, "", {}))) << "header untouched";
  tga.FlipVertical();
  EXPECT_EQ(tga.pixels, pixels);

  test::WriteBytes(dir / "odd.tga", TgaBytes(1, 3, 16, "", Counting(6)));
  TgaFile odd(dir / "odd.tga");
  odd.Load();
  odd.FlipVertical();
  EXPECT_EQ(odd.pixels, (Bytes{5, 6, 3, 4, 1, 2})) << "the middle row stays";

  test::WriteBytes(dir / "row.tga", TgaBytes(3, 1, 8, "", Counting(3)));
  TgaFile row(dir / "row.tga");
  row.Load();
  row.FlipVertical();
  EXPECT_EQ(row.pixels, Counting(3));
}

TEST(TgaFile, ImagesItCannotCarryAreFormatErrors) {
  TempDir dir;
  Bytes colourMapped = TgaBytes(1, 1, 8, "", {1});
  colourMapped[1] = 1;
  Bytes idCut = TgaBytes(0, 0, 8, "abc", {});
  idCut.pop_back();
  const std::vector<std::pair<const char*, Bytes>> bad = {
      {"colour map", colourMapped},
      {"run-length encoded", TgaBytes(1, 1, 8, "", {1}, 10)},
      {"depth of 12 bits", TgaBytes(2, 1, 12, "", {1, 2, 3})},
      {"pixels past the end", TgaBytes(2, 2, 24, "", Counting(11))},
      {"id past the end", idCut},
      {"header cut short", Bytes(17, 0)},
  };
  for (const auto& [what, bytes] : bad) {
    test::WriteBytes(dir / "bad.tga", bytes);
    TgaFile tga(dir / "bad.tga");
    EXPECT_THROW(tga.Load(), FormatError) << what;
  }
  test::WriteBytes(dir / "grey.tga", TgaBytes(1, 1, 8, "", {1}, 3));
  TgaFile grey(dir / "grey.tga");
  EXPECT_NO_THROW(grey.Load());
}

}  // namespace
}  // namespace velkor
