#include "render/FshPicture.h"

#include <algorithm>

#include "base/Errors.h"
#include "render/Scaling.h"

namespace velkor::render {
namespace {

constexpr std::size_t kHeaderSize = 16, kEntrySize = 8, kRecordHeaderSize = 16;

std::uint8_t Expand(unsigned value, int bits) {
  return static_cast<std::uint8_t>(value * 255 / ((1u << bits) - 1));
}

std::size_t BytesPerPixel(std::uint8_t code) {
  switch (code) {
    case 0x7D: return 4;  // 8:8:8:8
    case 0x7F: return 3;  // 8:8:8
    case 0x78:            // 5:6:5
    case 0x7E:            // 1:5:5:5
    case 0x6D: return 2;  // 4:4:4:4
    case 0x7B: return 1;  // palette index
    default: return 0;
  }
}

// One texel of the given code from its bytes, as red, green, blue and alpha.
void Texel(std::uint8_t code, const std::uint8_t* p, std::uint8_t rgba[4]) {
  const unsigned word = p[0] | (code == 0x7F || code == 0x7D ? 0 : p[1] << 8);
  switch (code) {
    case 0x7D: rgba[0] = p[2], rgba[1] = p[1], rgba[2] = p[0], rgba[3] = p[3]; return;
    case 0x7F: rgba[0] = p[2], rgba[1] = p[1], rgba[2] = p[0], rgba[3] = 255; return;
    case 0x78:
      rgba[0] = Expand(word >> 11, 5), rgba[1] = Expand(word >> 5 & 63, 6), rgba[2] = Expand(word & 31, 5), rgba[3] = 255;
      return;
    case 0x7E:
      rgba[0] = Expand(word >> 10 & 31, 5), rgba[1] = Expand(word >> 5 & 31, 5), rgba[2] = Expand(word & 31, 5);
      rgba[3] = word & 0x8000 ? 255 : 0;
      return;
    default:  // 0x6D
      rgba[0] = Expand(word >> 8 & 15, 4), rgba[1] = Expand(word >> 4 & 15, 4), rgba[2] = Expand(word & 15, 4);
      rgba[3] = Expand(word >> 12, 4);
      return;
  }
}

}  // namespace

bool IsFshImage(ByteView start) { return start.size() >= 4 && std::equal(start.begin(), start.begin() + 4, "SHPI"); }

RgbaImage FshPicture(ByteView fsh, const std::string& shownAs, int largest) {
  const std::uint64_t length = fsh.size();
  // Bytes from `offset`, as many as exist up to `count`; the callers check the lengths first.
  const auto bytesAt = [&](std::uint64_t offset, std::uint64_t count) {
    return fsh.subspan(static_cast<std::size_t>(std::min(offset, length)),
                       static_cast<std::size_t>(std::min(count, length - std::min(offset, length))));
  };
  const ByteView header = bytesAt(0, kHeaderSize + kEntrySize);
  if (length < kHeaderSize + kEntrySize || ReadU32LE(header, 8) == 0)
    throw FormatError(shownAs, "the FSH archive holds no image");
  const std::uint64_t record = ReadU32LE(header, kHeaderSize + 4);
  if (record > length || length - record < kRecordHeaderSize)
    throw FormatError(shownAs, kHeaderSize + 4, "the first image's record lies outside the file");
  const ByteView recordHeader = bytesAt(record, kRecordHeaderSize);
  const std::uint8_t code = recordHeader[0];
  const int width = ReadU16LE(recordHeader, 4), height = ReadU16LE(recordHeader, 6);
  const std::size_t depth = BytesPerPixel(code);
  if (depth == 0) throw FormatError(shownAs, record, "the first image's kind (code " + std::to_string(code) + ") cannot be shown");
  if (width == 0 || height == 0) throw FormatError(shownAs, record + 4, "the first image has no pixels");
  const std::uint64_t pixelBytes = std::uint64_t(width) * std::uint64_t(height) * depth;
  const std::uint64_t pixelsAt = record + kRecordHeaderSize;
  if (pixelBytes > length - pixelsAt) throw FormatError(shownAs, record + 4, "the first image is larger than the file");
  const ByteView pixels = bytesAt(pixelsAt, pixelBytes);

  std::vector<std::array<std::uint8_t, 4>> palette;
  if (code == 0x7B) {
    const std::uint64_t paletteAt = pixelsAt + pixelBytes;
    if (length - paletteAt < kRecordHeaderSize) throw FormatError(shownAs, paletteAt, "the image's palette is missing");
    const ByteView paletteHeader = bytesAt(paletteAt, kRecordHeaderSize);
    const std::size_t entrySize = paletteHeader[0] == 0x2A ? 4 : paletteHeader[0] == 0x24 ? 3 : 0;
    const std::size_t entries = std::min<std::size_t>(ReadU16LE(paletteHeader, 4), 256);
    if (entrySize == 0) throw FormatError(shownAs, paletteAt, "the image's palette is of a kind that cannot be shown");
    if (entries * entrySize > length - paletteAt - kRecordHeaderSize)
      throw FormatError(shownAs, paletteAt, "the image's palette is larger than the file");
    const ByteView colours = bytesAt(paletteAt + kRecordHeaderSize, entries * entrySize);
    palette.assign(256, {0, 0, 0, 255});
    for (std::size_t i = 0; i < entries; ++i) {
      const std::uint8_t* p = colours.data() + i * entrySize;
      palette[i] = {p[2], p[1], p[0], entrySize == 4 ? p[3] : std::uint8_t{255}};
    }
  }

  const auto stride = static_cast<std::size_t>(width) * depth;
  return ScaledToFit(width, height, largest, [&](int x, int y, std::uint8_t rgba[4]) {
    const std::uint8_t* p = pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * depth;
    if (code == 0x7B) {
      std::copy_n(palette[*p].begin(), 4, rgba);
    } else {
      Texel(code, p, rgba);
    }
  });
}

}  // namespace velkor::render
