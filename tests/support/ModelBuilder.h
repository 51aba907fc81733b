#pragma once

// Model and front-end file bytes for tests, written straight from the file layouts so that
// expected output never comes from the code under test.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Endian.h"
#include "support/TestSupport.h"

namespace velkor::test {

inline void PutU16(Bytes& b, std::size_t at, std::uint16_t v) { b.at(at) = v & 0xFF, b.at(at + 1) = v >> 8; }
inline void PutU32(Bytes& b, std::size_t at, std::uint32_t v) { for (int i = 0; i < 4; ++i) b.at(at + i) = v >> 8 * i; }
// Writes the text's bytes at `at`; what follows is left as it is.
inline void PutText(Bytes& b, std::size_t at, const std::string& s) { std::copy(s.begin(), s.end(), b.begin() + at); }
inline void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }
inline Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

// Recognisable content for data block `block` of a model: byte i is (block * 37 + i) mod 251.
inline Bytes BlockPattern(std::size_t block, std::size_t length) {
  Bytes out(length);
  for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<std::uint8_t>((block * 37 + i) % 251);
  return out;
}

// What `act` (a conversion or save) writes from `bytes` loaded as a T.
template <typename T, typename F>
Bytes Through(const Bytes& bytes, F act) {
  TempDir dir;
  WriteBytes(dir / "in", bytes);
  T file(dir / "in");
  file.Load(), act(file, dir / "out");
  return ReadBytes(dir / "out");
}

// The message of the E that `action` raises; a test failure and "" when it raises none.
template <typename E, typename F>
std::string MessageOf(F action) {
  try { action(); } catch (const E& e) { return e.what(); }
  ADD_FAILURE() << "no error raised";
  return "";
}

// Lengths of a model's blocks, numbered from 1 (index 0 unused): six for NFS3, fourteen for NFS4.
inline std::vector<std::size_t> BlockLengths(bool nfs4, std::size_t n, std::size_t m) {
  std::vector<std::size_t> lengths{0, 12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n};
  if (nfs4) lengths.insert(lengths.end(), {12 * n, 12 * n, 12 * n, 12 * n, 4 * n, 4 * n, 4 * n, 12 * m});
  return lengths;
}

// A model as stored: signature, counts (M records, N elements), partCount, packed block
// offsets, then the blocks with BlockPattern content.
inline Bytes MakeFce(bool nfs4, std::int32_t n, std::int32_t m, std::int32_t parts) {
  const std::size_t header = nfs4 ? 8248 : 7940, counts = nfs4 ? 0x08 : 0x04;
  Bytes out(header, 0);
  out[0] = nfs4 ? 0x14 : 0x13, out[1] = out[2] = 0x10;
  PutU32(out, counts, m), PutU32(out, counts + 4, n), PutU32(out, nfs4 ? 0x11C : 0xF8, parts);
  const auto lengths = BlockLengths(nfs4, n, m);
  for (std::size_t b = 1; b < lengths.size(); ++b) {
    PutU32(out, (nfs4 ? 0x14 : 0x10) + 4 * (b - 1), static_cast<std::uint32_t>(out.size() - header));
    Append(out, BlockPattern(b, lengths[b]));
  }
  return out;
}
inline Bytes MakeFce3(std::int32_t n, std::int32_t m, std::int32_t parts) { return MakeFce(false, n, m, parts); }
inline Bytes MakeFce4(std::int32_t n, std::int32_t m, std::int32_t parts) { return MakeFce(true, n, m, parts); }

// A front-end file: header bytes, then the offset table and the texts packed after it.
inline Bytes MakeFrontEnd(const Bytes& header, const std::vector<std::string>& texts) {
  Bytes out = header, packed;
  for (const auto& text : texts) {
    out.resize(out.size() + 4);
    PutU32(out, out.size() - 4, static_cast<std::uint32_t>(header.size() + 4 * texts.size() + packed.size()));
    packed.insert(packed.end(), text.c_str(), text.c_str() + text.size() + 1);  // with its NUL
  }
  Append(out, packed);
  return out;
}

}  // namespace velkor::test
