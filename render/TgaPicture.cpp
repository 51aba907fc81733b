#include "render/TgaPicture.h"

#include "base/Errors.h"
#include "render/Scaling.h"

namespace velkor::render {
namespace {

constexpr std::uint8_t kTrueColour = 2, kGrey = 3;
constexpr std::uint8_t kRightToLeft = 0x10, kTopToBottom = 0x20, kAlphaBits = 0x0F;

std::uint8_t Expand5(unsigned value) { return static_cast<std::uint8_t>((value << 3) | (value >> 2)); }

}  // namespace

RgbaImage TgaPicture(const TgaFile& tga, int largest) {
  const int width = tga.width, height = tga.height;
  const std::size_t depth = tga.pixelDepth / 8u;
  const bool grey = tga.imageType == kGrey;
  const bool known = grey ? (depth == 1 || depth == 2) : (tga.imageType == kTrueColour && depth >= 2 && depth <= 4);
  if (!known)
    throw FormatError(tga.path, 2, "a TGA image of type " + std::to_string(tga.imageType) + " with " +
                                       std::to_string(tga.pixelDepth) + "-bit pixels cannot be shown");
  if (width == 0 || height == 0) throw FormatError(tga.path, 12, "the TGA image has no pixels");
  const bool hasAlpha = (tga.imageDescriptor & kAlphaBits) != 0;
  const bool fromTop = (tga.imageDescriptor & kTopToBottom) != 0;
  const bool fromRight = (tga.imageDescriptor & kRightToLeft) != 0;
  const std::uint8_t* pixels = tga.pixels.data();
  const auto stride = static_cast<std::size_t>(width) * depth;

  return ScaledToFit(width, height, largest, [&](int x, int y, std::uint8_t rgba[4]) {
    const auto row = static_cast<std::size_t>(fromTop ? y : height - 1 - y);
    const auto column = static_cast<std::size_t>(fromRight ? width - 1 - x : x);
    const std::uint8_t* p = pixels + row * stride + column * depth;
    if (grey) {
      rgba[0] = rgba[1] = rgba[2] = p[0];
      rgba[3] = depth == 2 && hasAlpha ? p[1] : 255;
    } else if (depth == 2) {
      const unsigned value = p[0] | p[1] << 8;
      rgba[0] = Expand5(value >> 10 & 31), rgba[1] = Expand5(value >> 5 & 31), rgba[2] = Expand5(value & 31);
      rgba[3] = hasAlpha && !(value & 0x8000) ? 0 : 255;
    } else {
      rgba[0] = p[2], rgba[1] = p[1], rgba[2] = p[0];
      rgba[3] = depth == 4 && hasAlpha ? p[3] : 255;
    }
  });
}

}  // namespace velkor::render
