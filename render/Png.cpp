#include "render/Png.h"

#include "base/Errors.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace velkor::render {
namespace {

void Append(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

Bytes EncodePng(const RgbaImage& image) {
  if (image.empty()) throw InternalError("PNG of an empty image");
  Bytes png;
  if (stbi_write_png_to_func(&Append, &png, image.width, image.height, 4, image.pixels.data(), image.width * 4) == 0)
    throw InternalError("the PNG encoder failed");
  return png;
}

}  // namespace velkor::render
