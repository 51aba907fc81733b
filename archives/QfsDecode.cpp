#include <algorithm>
#include <string>

#include "archives/Qfs.h"
#include "base/Errors.h"

namespace velkor {
namespace {

// The most output one input byte can stand for: a 4-byte command copies up to 1028 bytes.
constexpr std::uint64_t kMostOutputPerInputByte = 257;

// Reads a stream front to back; any read past its end is the stream ending early.
class StreamReader {
 public:
  StreamReader(ByteView stream, const std::string& path) : stream_(stream), path_(path) {}

  std::size_t Position() const { return position_; }
  bool AtEnd() const { return position_ >= stream_.size(); }
  std::size_t Remaining() const { return stream_.size() - position_; }

  ByteView Take(std::size_t count) {
    if (count > Remaining()) throw FormatError(path_, position_, "the compressed stream ends early");
    const ByteView taken = stream_.subspan(position_, count);
    position_ += count;
    return taken;
  }
  std::uint8_t Byte() { return Take(1)[0]; }
  std::uint32_t BigEndian(std::size_t width) {
    std::uint32_t value = 0;
    for (const std::uint8_t b : Take(width)) value = (value << 8) | b;
    return value;
  }

 private:
  ByteView stream_;
  const std::string& path_;
  std::size_t position_ = 0;
};

// One command: `literals` bytes from the stream, then `copyLength` bytes from `copyDistance`
// bytes back in the output.
struct Command {
  std::size_t literals = 0;
  std::size_t copyLength = 0;
  std::size_t copyDistance = 0;
  bool stop = false;
};

Command ReadCommand(StreamReader& in) {
  const std::uint32_t b0 = in.Byte();
  Command c;
  if (b0 < 0x80) {
    const std::uint32_t b1 = in.Byte();
    c.literals = b0 & 0x03;
    c.copyLength = ((b0 >> 2) & 0x07) + 3;
    c.copyDistance = ((b0 & 0x60) << 3) + b1 + 1;
  } else if (b0 < 0xC0) {
    const std::uint32_t b1 = in.Byte();
    const std::uint32_t b2 = in.Byte();
    c.literals = b1 >> 6;
    c.copyLength = (b0 & 0x3F) + 4;
    c.copyDistance = ((b1 & 0x3F) << 8) + b2 + 1;
  } else if (b0 < 0xE0) {
    const std::uint32_t b1 = in.Byte();
    const std::uint32_t b2 = in.Byte();
    const std::uint32_t b3 = in.Byte();
    c.literals = b0 & 0x03;
    c.copyLength = ((b0 & 0x0C) << 6) + b3 + 5;
    c.copyDistance = ((b0 & 0x10) << 12) + (b1 << 8) + b2 + 1;
  } else if (b0 < 0xFC) {
    c.literals = ((b0 & 0x1F) + 1) * 4;
  } else {
    c.literals = b0 & 0x03;
    c.stop = true;
  }
  return c;
}

}  // namespace

bool IsQfsHeader(ByteView first) {
  return first.size() >= 2 && (first[0] & 0x7E) == 0x10 && first[1] == 0xFB;
}

Bytes QfsDecode(ByteView stream, const std::string& path, std::uint64_t mostBytes) {
  if (!IsQfsHeader(stream)) throw FormatError(path, 0, "not a compressed (QFS) file: no RefPack header");
  StreamReader in(stream, path);
  const std::uint8_t flags = in.Take(2)[0];
  const std::size_t sizeWidth = (flags & 0x80) != 0 ? 4 : 3;
  if ((flags & 0x01) != 0) in.Take(sizeWidth);  // the compressed size: the stream's length is known
  const std::uint64_t declared = in.BigEndian(sizeWidth);
  if (declared > in.Remaining() * kMostOutputPerInputByte) {
    throw FormatError(path, 2, "declares " + std::to_string(declared) + " bytes, more than its " +
                                   std::to_string(in.Remaining()) + " compressed bytes can hold");
  }

  if (declared > mostBytes) {
    throw FormatError(path, 2, "declares " + std::to_string(declared) + " bytes, more than the " +
                                   std::to_string(mostBytes) + " an image archive may hold");
  }
  Bytes out(static_cast<std::size_t>(declared));
  std::size_t written = 0;
  // A stream may end without a stop command once its output is whole.
  while (!(in.AtEnd() && written == out.size())) {
    const std::size_t at = in.Position();
    const Command c = ReadCommand(in);
    if (c.literals + c.copyLength > out.size() - written) {
      throw FormatError(path, at, "writes past its declared size of " + std::to_string(declared) + " bytes");
    }
    const ByteView literals = in.Take(c.literals);
    std::copy(literals.begin(), literals.end(), out.begin() + static_cast<std::ptrdiff_t>(written));
    written += c.literals;
    if (c.copyLength > 0) {
      if (c.copyDistance > written) throw FormatError(path, at, "copies from before the start of its output");
      // Byte by byte: a copy may overlap the bytes it writes (a run).
      for (std::size_t i = 0; i < c.copyLength; ++i, ++written) out[written] = out[written - c.copyDistance];
    }
    if (c.stop) break;
  }
  if (written != out.size()) {
    throw FormatError(path, in.Position(), "the compressed stream ends early, after " + std::to_string(written) +
                                                " of " + std::to_string(declared) + " bytes");
  }
  return out;
}

}  // namespace velkor
