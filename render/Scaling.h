#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "render/Image.h"

namespace velkor::render {

// The size of a `width` x `height` image shrunk to fit `largest` x `largest`, keeping its
// shape; images that fit keep their size.
inline std::array<int, 2> FittedSize(int width, int height, int largest) {
  const int longer = std::max(width, height);
  if (longer <= largest) return {width, height};
  const auto shrink = [&](int side) {
    return std::max(1, static_cast<int>(static_cast<std::int64_t>(side) * largest / longer));
  };
  return {shrink(width), shrink(height)};
}

// A `width` x `height` image whose pixel (x, y) (from the top left) `texel(x, y, rgba)`
// gives, shrunk to fit `largest` x `largest`: each pixel is the mean of the block of
// source pixels it covers, weighted by their alpha so that transparent pixels lend no
// colour. Every source pixel is read once; no full-size copy is made.
template <typename Texel>
RgbaImage ScaledToFit(int width, int height, int largest, Texel texel) {
  const auto [outWidth, outHeight] = FittedSize(width, height, largest);
  RgbaImage out(outWidth, outHeight);
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(outWidth) * 4);
  std::vector<std::uint32_t> counts(static_cast<std::size_t>(outWidth));
  int outY = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t rgba[4];
      texel(x, y, rgba);
      const auto column = static_cast<std::size_t>(static_cast<std::int64_t>(x) * outWidth / width);
      std::uint64_t* sum = &sums[column * 4];
      for (int ch = 0; ch < 3; ++ch) sum[ch] += std::uint64_t{rgba[ch]} * rgba[3];
      sum[3] += rgba[3];
      ++counts[column];
    }
    const int nextOutY = static_cast<int>(static_cast<std::int64_t>(y + 1) * outHeight / height);
    if (nextOutY == outY && y + 1 < height) continue;
    for (int column = 0; column < outWidth; ++column) {
      std::uint64_t* sum = &sums[static_cast<std::size_t>(column) * 4];
      const std::uint64_t count = counts[static_cast<std::size_t>(column)];
      std::uint8_t* pixel = out.At(column, outY);
      if (sum[3] > 0)
        for (int ch = 0; ch < 3; ++ch) pixel[ch] = static_cast<std::uint8_t>((sum[ch] + sum[3] / 2) / sum[3]);
      pixel[3] = static_cast<std::uint8_t>(count ? (sum[3] + count / 2) / count : 0);
      std::fill_n(sum, 4, 0);
      counts[static_cast<std::size_t>(column)] = 0;
    }
    outY = nextOutY;
  }
  return out;
}

}  // namespace velkor::render
