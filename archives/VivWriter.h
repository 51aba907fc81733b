#pragma once

// Writing a VIV archive in one pass over its members. The directory's size follows from
// the names alone, so each member's bytes go to the offset they will have as soon as the
// member is opened, and the header and directory are written last, when every length is
// known. Each member is opened and examined once: asking thousands of small files for
// their lengths ahead of reading them cost packing a folder a tenth of its time.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archives/VivDirectory.h"
#include "platform/File.h"

namespace velkor {

// A member's content: an open file, and how many of its first bytes the entry holds.
struct VivMemberContent {
  platform::File file;
  std::uint64_t length = 0;
};

// Raises CommandError (naming the archive) when `count` entries are more than a VIV
// archive's directory can count.
void CheckVivEntryCount(const std::string& archivePath, std::size_t count);

// Raises CommandError (naming the archive) unless an entry may start at `offset`: no byte
// of a VIV archive lies beyond 2^31-1. With `isEnd`, `offset` is where the last entry ends.
void CheckVivOffset(const std::string& archivePath, std::int64_t offset, bool isEnd);

// The offset of the first entry's bytes: the header and directory come first.
std::int64_t VivDataStart(const std::vector<VivEntry>& entries);

// Writes the archive `target` with the magic and the entries' names of `directory`; entry
// i holds the bytes that `open(i)` gives (a member shorter than its length raises
// FormatError "truncated"). Raises CommandError before anything is written when the
// entries are too many or a name is one that archives cannot hold safely, and as soon as
// a member's length makes the archive larger than it can be. A target that already holds
// exactly these bytes is left alone; otherwise it is replaced atomically, `beforeReplacing`
// (when set) running just before an existing target is replaced (see AtomicOutput).
// Fills in the directory's offsets, lengths, count, dataStart and archiveSize.
void WriteVivArchive(const std::string& target, VivDirectory& directory,
                     const std::function<VivMemberContent(std::size_t)>& open,
                     const std::function<void(const std::string&)>& beforeReplacing);

// "BIGF": the magic of the archives written here.
inline constexpr std::array<std::uint8_t, viv::kMagicSize> kVivMagic = {'B', 'I', 'G', 'F'};

}  // namespace velkor
