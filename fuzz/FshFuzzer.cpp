// FSH image archives: unpacking the records and reading each one. Reading an FSH file
// never fails on its content.

#include "archives/FshFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  {
    FshFile images(input.Write("dash.fsh"));
    fuzz::Require(fuzz::Attempt([&] { images.Load(); }), "an FSH file could not be read");
    for (const FshImage* image : images.images) fuzz::Require(image->size >= 0, "an image with a negative size");
  }
  fuzz::RequireOnly(input.Folder(), {"dash.fsh"}, "an FSH file left its images behind");
  return 0;
}
