#pragma once

#include <cstdint>

#include "base/Endian.h"

namespace velkor {

// An image of `width` × `height` pixels, 8 bits each of red, green, blue and alpha, rows
// from the top, as the bytes of a PNG file. The same pixels always give the same bytes.
Bytes EncodePng(std::uint32_t width, std::uint32_t height, ByteView rgba);

}  // namespace velkor
