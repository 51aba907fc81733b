#pragma once

// The directory of a VIV archive as stored (header and entries), and the checks that an
// archive passes before anything of it is unpacked.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archives/VivLayout.h"
#include "platform/File.h"

namespace velkor {

struct VivEntry {
  std::int32_t offset = 0;  // position of the entry's data from the start of the archive
  std::int32_t length = 0;  // number of data bytes
  std::string name;         // file name without any folder part
};

struct VivDirectory {
  std::array<std::uint8_t, viv::kMagicSize> magic{};
  std::int32_t archiveSize = 0;
  std::int32_t fileCount = 0;
  std::int32_t dataStart = 0;
  std::vector<VivEntry> entries;
};

inline constexpr std::size_t kVivHeaderSize = viv::kHeaderSize;
inline constexpr std::size_t kVivMaxNameLength = 256;
// Archives inside archives deeper than this are refused: real cars nest at most once, and
// every level multiplies what an unpack writes.
inline constexpr int kVivMaxNesting = 16;

// Where an archive lies, for reading and for error messages: `length` bytes of `file`
// from `start`; `context` is empty for the file itself, otherwise it names the nested
// member ("in member 'a.viv': ").
struct VivLocation {
  platform::File* file = nullptr;
  std::uint64_t start = 0;
  std::uint64_t length = 0;
  std::string context;
};

// Reads the header and directory and checks every entry against the archive's length:
// no negative count, offset or length; names of at most 256 bytes that are plain file
// names; every entry inside the archive; directory inside the archive; lengths adding up
// to no more than the archive. Raises FormatError (offsets counted in the file).
VivDirectory ReadVivDirectory(const VivLocation& where);

// Checks what unpacking the directory would do beyond its own entries: members that
// unpack into folders of their own (".viv", ".fsh") must have a usable folder name that
// no other entry's file takes, and every nested archive is read and checked the same way,
// to any depth up to kVivMaxNesting. Raises FormatError.
void CheckVivMembers(const VivLocation& where, const VivDirectory& directory, int depth = 1);

// Why `name` cannot be a member file's name, or empty when it can: empty, ".", "..",
// a drive prefix, "/" or "\" anywhere, or longer than 256 bytes.
std::string UnsafeEntryNameReason(const std::string& name);

// The name with bytes below 0x20 and 0x7F shown as \xNN, for messages and listings.
std::string PrintableName(const std::string& name);

}  // namespace velkor
