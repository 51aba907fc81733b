#pragma once

// Field positions in the headers of the two front-end file versions, and what the two
// versions' files share: the offset table after the header and the texts after it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/Endian.h"
#include "platform/File.h"

namespace velkor::fedata {

// NFS3 header fields that conversion carries (all other bytes keep their defaults).
inline constexpr std::size_t k3SharedWord = 0;   // 4 bytes, exchanged with NFS4 offset 274
inline constexpr std::size_t k3LessOne = 10;     // signed 16 bits; NFS4 offset 898 holds it plus 1
inline constexpr std::size_t k3FlagHigh = 16;    // 16 bits, 1 = set: NFS4 flag 0x0010
inline constexpr std::size_t k3FlagLow = 20;     // 16 bits, 1 = set: NFS4 flag 0x0002
inline constexpr std::size_t k3ShortValue = 24;  // signed 16 bits; NFS4 offset 798 in 32 bits
inline constexpr std::size_t k3FourBytes = 40;   // four signed bytes; NFS4 byte groups 0 to 3

// NFS4 header fields.
inline constexpr std::size_t k4SharedWord = 274;
inline constexpr std::size_t k4WideValue = 798;
inline constexpr std::size_t k4Flags = 890;
inline constexpr std::uint16_t k4FlagHigh = 0x0010;
inline constexpr std::uint16_t k4FlagLow = 0x0002;
inline constexpr std::size_t k4PlusOne = 898;
inline constexpr std::size_t k4ByteGroups = 905;  // five groups of four bytes; the fifth is the average
inline constexpr std::size_t k4Hundreds = 926;    // four 32-bit values set to 100 by conversion
inline constexpr int k4HundredsCount = 4;

// NFS4 has one text more than NFS3, at this index.
inline constexpr std::size_t kInsertedText = 17;

// A text takes at most this many bytes in a file, up to its first NUL.
inline constexpr std::size_t kMaxTextLength = 256;

// Reads a front-end file (messages name file.Path()) into `header`, `offsets` and `texts` (whose sizes give the layout)
// and returns the file's length. A file shorter than its header and offset table is a
// format error naming `kind`. Each text is read up to its first NUL, at most
// kMaxTextLength bytes; an offset at or past the end of the file gives an empty text, and
// a text without NUL ends with the file. Nothing is changed when reading fails.
std::int32_t LoadFile(platform::File file, const char* kind, MutableByteView header, std::span<std::uint32_t> offsets,
                      std::span<std::string> texts);

// Header, offset table and texts, each text followed by NUL, packed in index order. Fills
// `offsets` with the offsets of that layout.
Bytes PackFile(ByteView header, std::span<const std::string> texts, std::span<std::uint32_t> offsets,
               const std::string& path);

}  // namespace velkor::fedata
