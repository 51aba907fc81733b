#pragma once

// RefPack, the LZ77 compression of the games' "QFS" files (an FSH image archive, compressed).
// A stream starts with a flags byte and 0xFB; bit 0x01 of the flags adds a compressed-size
// field, bit 0x80 makes both size fields 4 bytes instead of 3 (big-endian). Commands follow,
// each some literal bytes and then a copy from earlier output, until a stop command.

#include <cstdint>
#include <string>

#include "base/Endian.h"

namespace velkor {

// Whether `first` (at least its first two bytes) starts a RefPack stream: 0x10FB, 0x11FB,
// 0x90FB or 0x91FB.
bool IsQfsHeader(ByteView first);

// The whole decompressed content of `stream`. Raises FormatError naming `path` for a stream
// without the header, one that declares more than its bytes can hold, one that would write
// past its declared size or copy from before the start of its output, and one that ends
// before its output is whole, and one that declares more than `mostBytes`.
Bytes QfsDecode(ByteView stream, const std::string& path, std::uint64_t mostBytes = UINT64_MAX);

struct QfsEncodeOptions {
  bool storeCompressedSize = false;  // flag 0x01: the stream's own length after the magic
  bool wideSizes = false;            // flag 0x80: 4-byte size fields (forced above 16 MiB)
};

// `data` compressed as a RefPack stream that QfsDecode gives back exactly.
Bytes QfsEncode(ByteView data, QfsEncodeOptions options = {});

}  // namespace velkor
