#include "platform/File.h"

#include <algorithm>
#include <utility>

// The parts of File that are the same on every system, built on its system-specific reads,
// writes and seeks.

namespace velkor::platform {

void File::ReadExact(MutableByteView buffer) {
  const std::size_t got = ReadSome(buffer);
  if (got != buffer.size())
    throw FormatError(path_, Position() - got, "truncated: " + std::to_string(buffer.size()) + " bytes expected");
}

Bytes File::ReadAtMost(std::uint64_t offset, std::size_t length) {
  Bytes bytes(length, 0);
  Seek(offset);
  ReadSome(bytes);
  return bytes;
}

File File::OpenRange(const std::string& path, std::uint64_t offset, std::uint64_t length, std::string shownAs) {
  File file = Open(path, ReadExisting);
  if (offset > file.Length() || length > file.Length() - offset)
    throw FormatError(path, offset, "truncated: " + std::to_string(length) + " bytes expected");
  file.path_ = std::move(shownAs);
  file.ranged_ = true;
  file.rangeStart_ = offset;
  file.readLength_ = length;
  file.Seek(0);
  return file;
}

std::size_t File::RoomInRange(std::size_t wanted) const {
  if (!ranged_) return wanted;
  const std::uint64_t at = Position();
  return at >= *readLength_ ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(wanted, *readLength_ - at));
}

void File::Write(const std::string& text) {
  Write(ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void File::CopyRangeByReading(File& out, std::uint64_t offset, std::uint64_t length) {
  constexpr std::uint64_t kChunk = 1 << 20;
  Bytes buffer(static_cast<std::size_t>(std::min(length, kChunk)));
  Seek(offset);
  while (length > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
    ReadExact(MutableByteView(buffer.data(), chunk));
    out.Write(ByteView(buffer.data(), chunk));
    length -= chunk;
  }
}

}  // namespace velkor::platform
