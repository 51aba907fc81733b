#include "archives/TgaFile.h"

#include <algorithm>
#include <utility>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "platform/File.h"

namespace velkor {
namespace {

// Where the header's fields lie, for reading and writing alike; 16-bit values are
// little-endian.
constexpr std::size_t kIdLengthAt = 0;
constexpr std::size_t kColorMapTypeAt = 1;
constexpr std::size_t kImageTypeAt = 2;
constexpr std::size_t kColorMapSpecAt = 3;  // five bytes, carried unread
constexpr std::size_t kXOriginAt = 8;
constexpr std::size_t kYOriginAt = 10;
constexpr std::size_t kWidthAt = 12;
constexpr std::size_t kHeightAt = 14;
constexpr std::size_t kPixelDepthAt = 16;
constexpr std::size_t kImageDescriptorAt = 17;
constexpr std::size_t kHeaderSize = 18;

constexpr std::uint8_t kTrueColour = 2;
constexpr std::uint8_t kGreyscale = 3;

}  // namespace

TgaFile::TgaFile(std::string p) : GameFile(std::move(p)) { typeTag = "TGA"; }

int TgaFile::Reset() {
  idLength = colorMapType = imageType = 0;
  colorMapSpec.fill(0);
  xOrigin = yOrigin = width = height = 0;
  pixelDepth = imageDescriptor = 0;
  imageId = Bytes();
  pixels = Bytes();
  return 1;
}

int TgaFile::Load() {
  platform::File file = OpenContent();
  const std::uint64_t length = file.Length();
  const std::int32_t fileSize = CheckedFileSize(path, length);

  std::array<std::uint8_t, kHeaderSize> header{};
  file.ReadExact(header);
  idLength = header[kIdLengthAt];
  colorMapType = header[kColorMapTypeAt];
  imageType = header[kImageTypeAt];
  std::copy_n(header.begin() + kColorMapSpecAt, colorMapSpec.size(), colorMapSpec.begin());
  xOrigin = ReadU16LE(header, kXOriginAt);
  yOrigin = ReadU16LE(header, kYOriginAt);
  width = ReadU16LE(header, kWidthAt);
  height = ReadU16LE(header, kHeightAt);
  pixelDepth = header[kPixelDepthAt];
  imageDescriptor = header[kImageDescriptorAt];

  if (colorMapType != 0)
    throw FormatError(path, kColorMapTypeAt,
                      "colour-mapped images are not supported (colour map type " + std::to_string(colorMapType) + ")");
  if (imageType != kTrueColour && imageType != kGreyscale)
    throw FormatError(path, kImageTypeAt,
                      "only uncompressed true-colour or greyscale images are supported (image type " +
                          std::to_string(imageType) + ")");
  if (pixelDepth % 8 != 0)
    throw FormatError(path, kPixelDepthAt,
                      "pixel depth " + std::to_string(pixelDepth) + " is not a whole number of bytes");

  const std::uint64_t pixelBytes = std::uint64_t{width} * height * (pixelDepth / 8);
  if (kHeaderSize + idLength + pixelBytes > length)
    throw FormatError(path, kHeaderSize,
                      "a " + std::to_string(width) + " x " + std::to_string(height) + " image of " +
                          std::to_string(pixelDepth) + " bits per pixel needs " +
                          std::to_string(kHeaderSize + idLength + pixelBytes) + " bytes, the file has " +
                          std::to_string(length));
  imageId.assign(idLength, 0);
  file.ReadExact(imageId);
  pixels.assign(static_cast<std::size_t>(pixelBytes), 0);
  file.ReadExact(pixels);
  size = fileSize;
  return 1;
}

int TgaFile::SaveAs(std::string p) {
  Bytes header(kHeaderSize, 0);
  header[kIdLengthAt] = idLength;
  header[kColorMapTypeAt] = colorMapType;
  header[kImageTypeAt] = imageType;
  std::copy(colorMapSpec.begin(), colorMapSpec.end(), header.begin() + kColorMapSpecAt);
  WriteU16LE(header, kXOriginAt, xOrigin);
  WriteU16LE(header, kYOriginAt, yOrigin);
  WriteU16LE(header, kWidthAt, width);
  WriteU16LE(header, kHeightAt, height);
  header[kPixelDepthAt] = pixelDepth;
  header[kImageDescriptorAt] = imageDescriptor;

  const ByteView parts[] = {header, imageId, pixels};
  WriteFileAtomically(p, parts);
  size = CheckedFileSize(p, header.size() + imageId.size() + pixels.size());
  return 1;
}

int TgaFile::FlipVertical() {
  const std::size_t rowLength = std::size_t{width} * (pixelDepth / 8);
  const std::size_t rows = std::min<std::size_t>(height, rowLength == 0 ? 0 : pixels.size() / rowLength);
  for (std::size_t top = 0, bottom = rows; top + 1 < bottom; ++top, --bottom) {
    std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * rowLength),
                     pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowLength),
                     pixels.begin() + static_cast<std::ptrdiff_t>((bottom - 1) * rowLength));
  }
  return 1;
}

}  // namespace velkor
