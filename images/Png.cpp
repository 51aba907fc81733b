#include "images/Png.h"

#include <limits>

#include "base/Errors.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace velkor {
namespace {

void AppendTo(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

Bytes EncodePng(std::uint32_t width, std::uint32_t height, ByteView rgba) {
  constexpr std::uint64_t kMostSide = std::numeric_limits<int>::max() / 4;
  if (width == 0 || height == 0 || width > kMostSide || height > kMostSide) {
    throw CommandError("cannot write a PNG image of " + std::to_string(width) + "x" + std::to_string(height) + " pixels");
  }
  if (rgba.size() != std::uint64_t{width} * height * 4) throw InternalError("PNG pixels do not match the image size");
  Bytes out;
  const int stride = static_cast<int>(width * 4);
  if (stbi_write_png_to_func(&AppendTo, &out, static_cast<int>(width), static_cast<int>(height), 4, rgba.data(),
                             stride) == 0) {
    throw CommandError("could not encode a PNG image");
  }
  return out;
}

}  // namespace velkor
