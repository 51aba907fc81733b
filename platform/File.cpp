#include "platform/File.h"

// The parts of File that are the same on every system, built on its system-specific reads,
// writes and seeks.

namespace velkor {

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

void File::Write(const std::string& text) {
  Write(ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace velkor
