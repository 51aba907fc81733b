#include "support/ModelBuilder.h"

#include <algorithm>

namespace velkor::test {

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<std::uint8_t>(value);
  bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const Bytes& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes.at(at + i)) << (8 * i);
  return v;
}

void PutText(Bytes& bytes, std::size_t at, const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) bytes.at(at + i) = static_cast<std::uint8_t>(text[i]);
}

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t length) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
}

Bytes BlockPattern(int block, std::size_t length) {
  Bytes out(length);
  for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<std::uint8_t>((static_cast<std::size_t>(block) * 37 + i) % 251);
  return out;
}

std::vector<std::size_t> Fce3BlockLengths(std::size_t n, std::size_t m) {
  return {0, 12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n};
}

std::vector<std::size_t> Fce4BlockLengths(std::size_t n, std::size_t m) {
  return {0, 12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n, 12 * n, 12 * n, 12 * n, 12 * n, 4 * n, 4 * n, 4 * n, 12 * m};
}

namespace {

Bytes MakeModel(std::size_t headerSize, std::uint8_t version, std::size_t countsAt, std::size_t offsetsAt,
                std::size_t partCountAt, const std::vector<std::size_t>& lengths, std::int32_t n, std::int32_t m,
                std::int32_t parts) {
  Bytes out(headerSize, 0);
  out[0] = version;
  out[1] = 0x10;
  out[2] = 0x10;
  PutU32(out, countsAt, static_cast<std::uint32_t>(m));
  PutU32(out, countsAt + 4, static_cast<std::uint32_t>(n));
  PutU32(out, partCountAt, static_cast<std::uint32_t>(parts));
  std::uint32_t offset = 0;
  for (std::size_t b = 1; b < lengths.size(); ++b) {
    PutU32(out, offsetsAt + 4 * (b - 1), offset);
    offset += static_cast<std::uint32_t>(lengths[b]);
    const Bytes data = BlockPattern(static_cast<int>(b), lengths[b]);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

}  // namespace

Bytes MakeFce3(std::int32_t n, std::int32_t m, std::int32_t parts) {
  return MakeModel(kFce3Header, 0x13, 0x04, 0x10, 0xF8,
                   Fce3BlockLengths(static_cast<std::size_t>(n), static_cast<std::size_t>(m)), n, m, parts);
}

Bytes MakeFce4(std::int32_t n, std::int32_t m, std::int32_t parts) {
  return MakeModel(kFce4Header, 0x14, 0x08, 0x14, 0x11C,
                   Fce4BlockLengths(static_cast<std::size_t>(n), static_cast<std::size_t>(m)), n, m, parts);
}

Bytes MakeFrontEnd(const Bytes& header, const std::vector<std::string>& texts) {
  Bytes out = header;
  std::uint32_t offset = static_cast<std::uint32_t>(header.size() + 4 * texts.size());
  for (const auto& text : texts) {
    out.resize(out.size() + 4);
    PutU32(out, out.size() - 4, offset);
    offset += static_cast<std::uint32_t>(text.size() + 1);
  }
  for (const auto& text : texts) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
  }
  return out;
}

}  // namespace velkor::test
