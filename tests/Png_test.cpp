#include <gtest/gtest.h>

#include <tuple>

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
  // The signature, then IHDR: width 3, height 2, 8-bit RGBA.
  const Bytes start = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                       0, 0, 0, 3, 0, 0, 0, 2, 8, 6};
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 26), start);
  const test::DecodedPng back = test::ReadPng(png);
  EXPECT_EQ(std::tuple(back.width, back.height, back.rgba), std::tuple(3, 2, rgba));
  EXPECT_EQ(EncodePng(3, 2, rgba), png);

  EXPECT_THROW(EncodePng(0, 2, {}), CommandError);
  EXPECT_THROW(EncodePng(3, 2, ByteView(rgba).first(20)), InternalError);
}

}  // namespace
}  // namespace velkor
