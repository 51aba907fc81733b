#include <algorithm>
#include <utility>

#include "archives/FshFile.h"
#include "platform/File.h"

namespace velkor {
namespace {

constexpr std::size_t kRecordHeaderSize = 16;
constexpr std::size_t kPaletteHeaderSize = 16;
constexpr std::size_t kPaletteSize = 256 * 4;

// Bytes per pixel stored after the header for each record code; 0 where nothing is read.
std::uint64_t BytesPerPixel(std::uint8_t recordCode) {
  switch (recordCode) {
    case 0x78: return 2;  // 5:6:5
    case 0x7B: return 1;  // palette indices
    case 0x7D: return 4;  // 8:8:8:8
    case 0x7E: return 2;  // 1:5:5:5
    default: return 0;
  }
}

// Up to `wanted` bytes from `offset`: fewer where the record ends first.
Bytes TakeUpTo(ByteView record, std::uint64_t& offset, std::uint64_t wanted) {
  const std::uint64_t available = offset < record.size() ? record.size() - offset : 0;
  const auto taken = static_cast<std::size_t>(std::min(wanted, available));
  if (taken == 0) return {};  // `offset` may lie past the end of the record
  Bytes bytes(record.begin() + static_cast<std::ptrdiff_t>(offset),
              record.begin() + static_cast<std::ptrdiff_t>(offset + taken));
  offset += taken;
  return bytes;
}

}  // namespace

FshImage::FshImage(std::string p) : GameFile(std::move(p)) { typeTag = "FSHImage"; }

int FshImage::Load() {
  platform::File record = platform::File::Open(path, platform::File::ReadExisting);
  const std::uint64_t length = record.Length();
  size = CheckedFileSize(path, length);
  Read(record.ReadAtMost(0, static_cast<std::size_t>(length)));
  return 1;
}

void FshImage::Read(ByteView record) {
  // Header fields missing from a short record read as zero.
  Bytes header(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(std::min(record.size(), kRecordHeaderSize)));
  header.resize(kRecordHeaderSize, 0);
  recordCode = header[0];
  std::copy_n(header.begin() + 1, 3, recordLength.begin());
  width = ReadU16LE(header, 4);
  height = ReadU16LE(header, 6);
  for (std::size_t i = 0; i < placement.size(); ++i) placement[i] = ReadU16LE(header, 8 + 2 * i);

  std::uint64_t offset = kRecordHeaderSize;
  const std::uint64_t pixelBytes = std::uint64_t{width} * height * BytesPerPixel(recordCode);
  pixels = TakeUpTo(record, offset, pixelBytes);
  paletteHeader.clear();
  palette.clear();
  if (recordCode == 0x7B) {
    paletteHeader = TakeUpTo(record, offset, kPaletteHeaderSize);
    palette = TakeUpTo(record, offset, kPaletteSize);
  }
}

}  // namespace velkor
