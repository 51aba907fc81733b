#pragma once

// Where things lie in a VIV archive, for the reader and the writer alike. The archive is
// a header, a directory of entries and the entries' bytes; every integer is big-endian.

#include <cstddef>

namespace velkor::viv {

// The header: magic, the archive's size, the number of entries, and where the first
// entry's bytes begin.
inline constexpr std::size_t kMagicAt = 0;
inline constexpr std::size_t kMagicSize = 4;
inline constexpr std::size_t kArchiveSizeAt = 4;
inline constexpr std::size_t kEntryCountAt = 8;
inline constexpr std::size_t kDataStartAt = 12;
inline constexpr std::size_t kHeaderSize = 16;

// A directory entry: where its bytes lie and how many there are, then its name ending in
// a NUL.
inline constexpr std::size_t kEntryOffsetAt = 0;
inline constexpr std::size_t kEntryLengthAt = 4;
inline constexpr std::size_t kEntryNameAt = 8;
// An entry whose name is `length` bytes long takes this many bytes of the directory.
inline constexpr std::size_t EntrySize(std::size_t nameLength) { return kEntryNameAt + nameLength + 1; }

}  // namespace velkor::viv
