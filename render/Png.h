#pragma once

#include "base/Endian.h"
#include "render/Image.h"

namespace velkor::render {

// The image as PNG file bytes (8-bit RGBA), always the same bytes for the same image.
Bytes EncodePng(const RgbaImage& image);

}  // namespace velkor::render
