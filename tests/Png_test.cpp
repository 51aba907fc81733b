#include <gtest/gtest.h>

#include "base/Errors.h"
#include "images/Png.h"
#include "support/PngRead.h"

namespace velkor {
namespace {

TEST(Png, PixelsComeBackExactlyAndTheBytesNeverChange) {
  Bytes rgba;
  for (int i = 0; i < 3 * 2 * 4; ++i) rgba.push_back(static_cast<std::uint8_t>(i * 11));
  rgba[3] = 0;  // a transparent pixel keeps its colour too
  const Bytes png = EncodePng(3, 2, rgba);
  const Bytes signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  ASSERT_GT(png.size(), 33u);
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
  EXPECT_EQ(ReadU32BE(png, 16), 3u);  // IHDR width, height, 8-bit RGBA
  EXPECT_EQ(ReadU32BE(png, 20), 2u);
  EXPECT_EQ(png[24], 8);
  EXPECT_EQ(png[25], 6);
  const test::DecodedPng back = test::ReadPng(png);
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.rgba, rgba);
  EXPECT_EQ(EncodePng(3, 2, rgba), png);

  EXPECT_THROW(EncodePng(0, 2, {}), CommandError);
  EXPECT_THROW(EncodePng(3, 2, ByteView(rgba).first(20)), InternalError);
}

}  // namespace
}  // namespace velkor
