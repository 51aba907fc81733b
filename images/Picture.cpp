#include "images/Picture.h"

#include <algorithm>

#include "archives/FshFile.h"
#include "archives/TgaFile.h"
#include "base/Errors.h"

namespace velkor {
namespace {

std::uint8_t Widen5(std::uint32_t v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(std::uint32_t v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

// One pixel of 1:5:5:5 (alpha bit, red, green, blue), stored little-endian.
void From1555(std::uint32_t v, std::uint8_t* out) {
  out[0] = Widen5((v >> 10) & 31), out[1] = Widen5((v >> 5) & 31), out[2] = Widen5(v & 31);
  out[3] = (v & 0x8000) != 0 ? 255 : 0;
}

}  // namespace

Picture PictureOfTga(const TgaFile& tga) {
  const std::uint32_t bytesPerPixel = tga.pixelDepth / 8u;
  const bool grey = tga.imageType == 3;
  const bool known = grey ? (bytesPerPixel == 1 || bytesPerPixel == 2) : (bytesPerPixel >= 2 && bytesPerPixel <= 4);
  if (!known) {
    throw FormatError(tga.path, 16, "a TGA image of " + std::to_string(tga.pixelDepth) + "-bit pixels cannot be shown");
  }
  Picture picture{tga.width, tga.height, Bytes(std::size_t{tga.width} * tga.height * 4)};
  const std::size_t count = std::size_t{tga.width} * tga.height;
  if (tga.pixels.size() < count * bytesPerPixel) throw FormatError(tga.path, "the TGA image's pixels are cut short");
  const bool alphaBits = (tga.imageDescriptor & 0x0F) != 0;
  const bool fromTop = (tga.imageDescriptor & 0x20) != 0;
  const bool fromRight = (tga.imageDescriptor & 0x10) != 0;
  for (std::size_t y = 0; y < tga.height; ++y) {
    for (std::size_t x = 0; x < tga.width; ++x) {
      const std::uint8_t* in = tga.pixels.data() + (y * tga.width + x) * bytesPerPixel;
      const std::size_t shownY = fromTop ? y : tga.height - 1 - y;
      const std::size_t shownX = fromRight ? tga.width - 1 - x : x;
      std::uint8_t* out = picture.rgba.data() + (shownY * tga.width + shownX) * 4;
      if (grey) {
        out[0] = out[1] = out[2] = in[0];
        out[3] = bytesPerPixel == 2 ? in[1] : 255;
      } else if (bytesPerPixel == 2) {
        From1555(in[0] | (in[1] << 8), out);
        if (!alphaBits) out[3] = 255;
      } else {
        out[0] = in[2], out[1] = in[1], out[2] = in[0];
        out[3] = bytesPerPixel == 4 && alphaBits ? in[3] : 255;
      }
    }
  }
  return picture;
}

std::optional<Picture> PictureOfFshImage(const FshImage& image) {
  const std::size_t count = std::size_t{image.width} * image.height;
  if (count == 0) return std::nullopt;
  const std::size_t perPixel = image.recordCode == 0x7D ? 4 : image.recordCode == 0x7B ? 1 : 2;
  const bool knownCode = image.recordCode == 0x78 || image.recordCode == 0x7B || image.recordCode == 0x7D ||
                         image.recordCode == 0x7E;
  if (!knownCode || image.pixels.size() < count * perPixel) return std::nullopt;
  if (image.recordCode == 0x7B && image.palette.size() < 1024) return std::nullopt;
  Picture picture{image.width, image.height, Bytes(count * 4)};
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* in = image.pixels.data() + i * perPixel;
    std::uint8_t* out = picture.rgba.data() + i * 4;
    const std::uint32_t v16 = perPixel == 2 ? static_cast<std::uint32_t>(in[0] | (in[1] << 8)) : 0;
    switch (image.recordCode) {
      case 0x78:
        out[0] = Widen5(v16 >> 11), out[1] = Widen6((v16 >> 5) & 63), out[2] = Widen5(v16 & 31), out[3] = 255;
        break;
      case 0x7E: From1555(v16, out); break;
      case 0x7B: {
        const std::uint8_t* entry = image.palette.data() + std::size_t{in[0]} * 4;  // blue, green, red, alpha
        out[0] = entry[2], out[1] = entry[1], out[2] = entry[0], out[3] = entry[3];
        break;
      }
      default: out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = in[3]; break;
    }
  }
  return picture;
}

Picture Flipped(Picture picture) {
  const std::size_t row = std::size_t{picture.width} * 4;
  for (std::size_t top = 0, bottom = picture.height; top + 1 < bottom; ++top) {
    --bottom;
    std::swap_ranges(picture.rgba.begin() + static_cast<std::ptrdiff_t>(top * row),
                     picture.rgba.begin() + static_cast<std::ptrdiff_t>((top + 1) * row),
                     picture.rgba.begin() + static_cast<std::ptrdiff_t>(bottom * row));
  }
  return picture;
}

}  // namespace velkor
