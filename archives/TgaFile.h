#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/Endian.h"
#include "files/GameFile.h"

namespace velkor {

// An uncompressed TGA image without colour map, handled as its 18-byte header, its
// identification field and one block of pixel bytes; pixels are never interpreted.
// Anything after the pixel block (a TGA 2.0 footer) is neither read nor written.
class TgaFile : public GameFile {
 public:
  explicit TgaFile(std::string path);

  int Reset() override;
  // Raises FormatError for a colour-mapped or compressed image, a pixel depth that is not
  // a multiple of 8, or an identification field or pixel block longer than the file.
  int Load() override;
  // Writes exactly the bytes Load reads: header, identification field, pixels.
  int SaveAs(std::string p) override;

  // Reverses the order of the pixel rows; the header (and its origin bit) is untouched.
  int FlipVertical();

  std::uint8_t idLength = 0;
  std::uint8_t colorMapType = 0;
  std::uint8_t imageType = 0;
  std::array<std::uint8_t, 5> colorMapSpec{};
  std::uint16_t xOrigin = 0;
  std::uint16_t yOrigin = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t pixelDepth = 0;
  std::uint8_t imageDescriptor = 0;
  Bytes imageId;
  Bytes pixels;
};

}  // namespace velkor
