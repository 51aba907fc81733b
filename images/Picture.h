#pragma once

#include <cstdint>
#include <optional>

#include "base/Endian.h"

namespace velkor {

class TgaFile;
class FshImage;

// An image as it is shown: 8-bit red, green, blue and alpha, rows from the top.
struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Bytes rgba;
};

// A loaded TGA image as shown (its origin bits honoured): true colour of 16, 24 or 32 bits,
// grey of 8 or 16 bits (with alpha). Raises FormatError naming the image for other depths.
Picture PictureOfTga(const TgaFile& tga);

// An FSH image record's pixels, from the formats with pixels (5:6:5, 1:5:5:5, 8:8:8:8 and
// palette indices); nothing for records without pixels, of no size, or cut short.
std::optional<Picture> PictureOfFshImage(const FshImage& image);

// The same picture upside down.
Picture Flipped(Picture picture);

}  // namespace velkor
