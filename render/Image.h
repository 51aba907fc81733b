#pragma once

#include <cstdint>
#include <vector>

namespace velkor::render {

// An image of 8-bit red, green, blue and alpha, rows from the top, not premultiplied.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

  RgbaImage() = default;
  RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4) {}

  std::uint8_t* At(int x, int y) {
    return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
  const std::uint8_t* At(int x, int y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
  bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace velkor::render
