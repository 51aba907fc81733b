#pragma once

// Model and front-end file bytes for tests, written straight from the file layouts so that
// expected output never comes from the code under test.

#include <cstdint>
#include <string>
#include <vector>

#include "files/Endian.h"

namespace velkor::test {

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t value);
void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value);
std::uint32_t GetU32(const Bytes& bytes, std::size_t at);
// Writes the name's bytes at `at`; the rest of the 64-byte slot is left as it is.
void PutText(Bytes& bytes, std::size_t at, const std::string& text);
Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t length);

// Recognisable content for data block `block` of a model: byte i is (block * 37 + i) mod 251.
Bytes BlockPattern(int block, std::size_t length);

inline constexpr std::size_t kFce3Header = 7940;
inline constexpr std::size_t kFce4Header = 8248;

// An NFS3 model as stored: signature, counts, partCount, packed block offsets, then the six
// blocks (lengths 12N, 12N, 56M, 32N, 12N, 12N) with BlockPattern content.
Bytes MakeFce3(std::int32_t n, std::int32_t m, std::int32_t parts);
// An NFS4 model as stored, with its fourteen blocks packed.
Bytes MakeFce4(std::int32_t n, std::int32_t m, std::int32_t parts);

// Lengths of the blocks of each version, numbered from 1 (index 0 unused).
std::vector<std::size_t> Fce3BlockLengths(std::size_t n, std::size_t m);
std::vector<std::size_t> Fce4BlockLengths(std::size_t n, std::size_t m);

// A front-end file: header bytes, then the offset table and the texts packed after it.
Bytes MakeFrontEnd(const Bytes& header, const std::vector<std::string>& texts);

}  // namespace velkor::test
