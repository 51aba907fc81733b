#pragma once

#include <cstdint>

#include "base/Endian.h"

namespace velkor::test {

// A PNG file read back by a decoder of its own (stb_image), as 8-bit RGBA.
struct DecodedPng {
  int width = 0;
  int height = 0;
  Bytes rgba;  // empty when the file could not be read
};
DecodedPng ReadPng(ByteView png);

}  // namespace velkor::test
