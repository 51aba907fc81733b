// TGA images: reading, flipping, writing, and reading the result back.

#include "archives/TgaFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  TgaFile image(input.Write("car00.tga"));
  if (!fuzz::Attempt([&] { image.Load(); })) return 0;
  image.FlipVertical();
  const std::string flipped = input.Path("car100.tga");
  fuzz::Require(fuzz::Attempt([&] { image.SaveAs(flipped); }), "a loaded image cannot be written");

  TgaFile again(flipped);
  fuzz::Require(fuzz::Attempt([&] { again.Load(); }), "a written image cannot be read back");
  again.FlipVertical();
  image.FlipVertical();
  fuzz::Require(again.pixels == image.pixels && again.imageId == image.imageId && again.width == image.width &&
                    again.height == image.height,
                "an image does not survive writing and reading back");
  return 0;
}
