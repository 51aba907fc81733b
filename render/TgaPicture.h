#pragma once

#include <string>

#include "archives/TgaFile.h"
#include "render/Image.h"

namespace velkor::render {

// A loaded TGA image as it is shown (the origin bits of its descriptor honoured), shrunk
// to fit `largest` x `largest`. True colour of 16, 24 or 32 bits and grey of 8 or 16
// bits; alpha only where the descriptor says the pixels carry it. Raises FormatError
// naming the image's path for other pixel depths.
RgbaImage TgaPicture(const TgaFile& tga, int largest);

}  // namespace velkor::render
