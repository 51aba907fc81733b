// Thumbnails of hostile files: the input as a car archive, a loose model (beside a texture
// of its own bytes) and an image, each drawn at a small size. Every input ends with a
// picture that fits the size or with a file, format or command error; libFuzzer's timeout
// catches a hang.

#include "app/Thumbnail.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  input.Write("car00.tga");
  for (const char* name : {"car.viv", "car.fce", "image.tga"}) {
    const std::string path = input.Write(name);
    fuzz::Attempt([&] {
      const render::RgbaImage picture = ThumbnailPicture(48, path);
      fuzz::Require(picture.width >= 1 && picture.height >= 1 && picture.width <= 48 && picture.height <= 48,
                    "a thumbnail larger than asked, or empty");
      fuzz::Require(picture.pixels.size() == std::size_t(picture.width) * std::size_t(picture.height) * 4,
                    "a picture whose pixels do not match its size");
    });
  }
  return 0;
}
