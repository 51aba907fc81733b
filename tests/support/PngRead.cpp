#include "support/PngRead.h"

#include <memory>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace velkor::test {

DecodedPng ReadPng(ByteView png) {
  DecodedPng out;
  int channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &out.width, &out.height, &channels, 4),
      &stbi_image_free);
  if (pixels) out.rgba.assign(pixels.get(), pixels.get() + std::size_t(out.width) * out.height * 4);
  return out;
}

}  // namespace velkor::test
