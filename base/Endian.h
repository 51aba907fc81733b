#pragma once

// Little- and big-endian integers read from and written to byte spans. Every access is
// bounds-checked against the span, so a caller's size mistake cannot touch foreign memory.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Errors.h"

namespace velkor {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;
using MutableByteView = std::span<std::uint8_t>;

namespace endian_detail {
inline void CheckRange(std::size_t size, std::size_t offset, std::size_t width) {
  if (offset > size || width > size - offset) throw InternalError("byte access outside its buffer");
}
}  // namespace endian_detail

inline std::uint16_t ReadU16LE(ByteView b, std::size_t at) {
  endian_detail::CheckRange(b.size(), at, 2);
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t ReadU32LE(ByteView b, std::size_t at) {
  endian_detail::CheckRange(b.size(), at, 4);
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::uint16_t ReadU16BE(ByteView b, std::size_t at) {
  endian_detail::CheckRange(b.size(), at, 2);
  return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
inline std::uint32_t ReadU32BE(ByteView b, std::size_t at) {
  endian_detail::CheckRange(b.size(), at, 4);
  return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
         (static_cast<std::uint32_t>(b[at + 2]) << 8) | static_cast<std::uint32_t>(b[at + 3]);
}
inline std::int16_t ReadI16LE(ByteView b, std::size_t at) { return static_cast<std::int16_t>(ReadU16LE(b, at)); }
inline std::int32_t ReadI32LE(ByteView b, std::size_t at) { return static_cast<std::int32_t>(ReadU32LE(b, at)); }
inline std::int32_t ReadI32BE(ByteView b, std::size_t at) { return static_cast<std::int32_t>(ReadU32BE(b, at)); }

inline void WriteU16LE(MutableByteView b, std::size_t at, std::uint16_t v) {
  endian_detail::CheckRange(b.size(), at, 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteU32LE(MutableByteView b, std::size_t at, std::uint32_t v) {
  endian_detail::CheckRange(b.size(), at, 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void WriteU16BE(MutableByteView b, std::size_t at, std::uint16_t v) {
  endian_detail::CheckRange(b.size(), at, 2);
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
inline void WriteU32BE(MutableByteView b, std::size_t at, std::uint32_t v) {
  endian_detail::CheckRange(b.size(), at, 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}

// Appending forms, for writers that build a buffer front to back.
inline void AppendU32LE(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void AppendU32BE(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * (3 - i))));
}

}  // namespace velkor
