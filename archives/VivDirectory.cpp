#include "archives/VivDirectory.h"

#include <algorithm>
#include <unordered_set>

#include "base/Endian.h"
#include "base/Errors.h"
#include "base/Text.h"

namespace velkor {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// An entry with an empty name: its offset, its length and the name's NUL.
constexpr std::uint64_t kSmallestEntry = viv::EntrySize(0);

// Sequential reads from a byte range of a file through one bounded buffer, so that a
// directory of any size is read with little memory and few system calls.
class RangeReader {
 public:
  RangeReader(platform::File& file, std::uint64_t start, std::uint64_t length)
      : file_(file), next_(start), end_(start + length) {}

  std::uint64_t Position() const { return next_ - (buffer_.size() - at_); }

  bool ReadByte(std::uint8_t& byte) {
    if (at_ == buffer_.size() && !Refill()) return false;
    byte = buffer_[at_++];
    return true;
  }

  bool ReadBytes(MutableByteView out) {
    for (auto& b : out) {
      if (!ReadByte(b)) return false;
    }
    return true;
  }

 private:
  bool Refill() {
    if (next_ >= end_) return false;
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, end_ - next_));
    buffer_.resize(chunk);
    file_.Seek(next_);
    file_.ReadExact(buffer_);
    next_ += chunk;
    at_ = 0;
    return true;
  }

  platform::File& file_;
  std::uint64_t next_;
  std::uint64_t end_;
  Bytes buffer_;
  std::size_t at_ = 0;
};

[[noreturn]] void Refuse(const VivLocation& where, std::uint64_t offset, const std::string& what) {
  throw FormatError(where.file->Path(), offset, where.context + what);
}

std::string EntryLabel(std::size_t index, const std::string& name) {
  return "entry " + std::to_string(index) + " ('" + PrintableName(name) + "')";
}

// Whether a member of that (lower-cased) name unpacks into a folder of its own when opened.
bool UnpacksIntoFolder(const std::string& lowerName) {
  return EndsWith(lowerName, ".viv") || EndsWith(lowerName, ".fsh") || EndsWith(lowerName, ".qfs");
}

}  // namespace

std::string UnsafeEntryNameReason(const std::string& name) {
  if (name.empty()) return "an empty name";
  if (name == "." || name == "..") return "a name that means a folder";
  if (name.size() > kVivMaxNameLength) return "a name longer than 256 bytes";
  if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
    return "a name with a folder part";
  // "C:name" is relative to drive C's current folder on Windows; refused everywhere, so
  // that an archive unpacks alike on every system.
  if (name.size() >= 2 && name[1] == ':' && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    return "a name with a drive prefix";
  return {};
}

std::string PrintableName(const std::string& name) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

VivDirectory ReadVivDirectory(const VivLocation& where) {
  if (where.length < kVivHeaderSize)
    Refuse(where, where.start,
           "too short for a VIV archive (" + std::to_string(where.length) + " bytes, the header alone is " +
               std::to_string(kVivHeaderSize) + ")");

  RangeReader reader(*where.file, where.start, where.length);
  std::array<std::uint8_t, kVivHeaderSize> header{};
  reader.ReadBytes(header);
  VivDirectory directory;
  std::copy_n(header.begin() + viv::kMagicAt, viv::kMagicSize, directory.magic.begin());
  directory.archiveSize = ReadI32BE(header, viv::kArchiveSizeAt);
  directory.fileCount = ReadI32BE(header, viv::kEntryCountAt);
  directory.dataStart = ReadI32BE(header, viv::kDataStartAt);

  if (directory.fileCount < 0)
    Refuse(where, where.start + viv::kEntryCountAt, "negative entry count " + std::to_string(directory.fileCount));
  const auto count = static_cast<std::uint64_t>(directory.fileCount);
  if (count > (where.length - kVivHeaderSize) / kSmallestEntry)
    Refuse(where, where.start + viv::kEntryCountAt,
           "a directory of " + std::to_string(count) + " entries does not fit an archive of " +
               std::to_string(where.length) + " bytes");

  directory.entries.reserve(static_cast<std::size_t>(count));
  std::uint64_t totalLength = 0;
  for (std::uint64_t index = 0; index < count; ++index) {
    const std::uint64_t entryAt = reader.Position();
    const auto doesNotFit = [&] {
      Refuse(where, entryAt,
             "the directory does not fit the archive: entry " + std::to_string(index) + " runs past its end");
    };
    std::array<std::uint8_t, viv::kEntryNameAt> numbers{};
    if (!reader.ReadBytes(numbers)) doesNotFit();
    VivEntry entry;
    entry.offset = ReadI32BE(numbers, viv::kEntryOffsetAt);
    entry.length = ReadI32BE(numbers, viv::kEntryLengthAt);

    // The name ends at its NUL, which may be the 257th byte at the latest.
    std::uint8_t byte = 0;
    for (;;) {
      if (!reader.ReadByte(byte)) doesNotFit();
      if (byte == 0) break;
      if (entry.name.size() == kVivMaxNameLength)
        Refuse(where, entryAt, "entry " + std::to_string(index) + " has a name longer than 256 bytes");
      entry.name.push_back(static_cast<char>(byte));
    }

    const auto label = [&] { return EntryLabel(static_cast<std::size_t>(index), entry.name); };
    if (const std::string reason = UnsafeEntryNameReason(entry.name); !reason.empty())
      Refuse(where, entryAt, label() + " has " + reason + ", which cannot be unpacked safely");
    if (entry.offset < 0) Refuse(where, entryAt, label() + " has a negative offset " + std::to_string(entry.offset));
    if (entry.length < 0) Refuse(where, entryAt, label() + " has a negative length " + std::to_string(entry.length));
    const auto end = static_cast<std::uint64_t>(entry.offset) + static_cast<std::uint64_t>(entry.length);
    if (end > where.length)
      Refuse(where, entryAt,
             label() + " reaches past the end of the archive (offset " + std::to_string(entry.offset) + " + length " +
                 std::to_string(entry.length) + " > " + std::to_string(where.length) + " bytes)");
    totalLength += static_cast<std::uint64_t>(entry.length);
    directory.entries.push_back(std::move(entry));
  }
  if (totalLength > where.length)
    Refuse(where, where.start,
           "the entries' lengths add up to " + std::to_string(totalLength) + " bytes, more than the archive's " +
               std::to_string(where.length));
  return directory;
}

void CheckVivMembers(const VivLocation& where, const VivDirectory& directory, int depth) {
  // The entries' names, lower-cased, made when the first member that unpacks into a
  // folder is met (an archive of plain files needs none).
  std::unordered_set<std::string> lowerNames;
  for (std::size_t index = 0; index < directory.entries.size(); ++index) {
    const VivEntry& entry = directory.entries[index];
    const std::string lower = LowerCaseAscii(entry.name);
    if (!UnpacksIntoFolder(lower)) continue;
    if (lowerNames.empty())
      for (const auto& each : directory.entries) lowerNames.insert(LowerCaseAscii(each.name));

    // "x.viv" unpacks into the folder "x" beside it: "..viv" or "...fsh" would unpack into
    // the folder itself or its parent, and a member file "x" would stand in the way (names
    // compared ignoring case, as Windows file systems do, so the answer is the same there).
    const std::string folderName = entry.name.substr(0, entry.name.size() - 4);
    const std::string label = EntryLabel(index, entry.name);
    if (folderName.empty() || folderName == "." || folderName == "..")
      Refuse(where, where.start, label + " would unpack outside a folder of its own");
    if (lowerNames.count(LowerCaseAscii(folderName)) != 0)
      Refuse(where, where.start,
             label + " would unpack into the folder '" + PrintableName(folderName) +
                 "', but another entry is a file of that name");

    if (!EndsWith(lower, ".viv")) continue;
    if (depth >= kVivMaxNesting)
      Refuse(where, where.start, label + " nests archives more than " + std::to_string(kVivMaxNesting) + " deep");
    const VivLocation nested{where.file, where.start + static_cast<std::uint64_t>(entry.offset),
                             static_cast<std::uint64_t>(entry.length),
                             where.context + "in member '" + PrintableName(entry.name) + "': "};
    CheckVivMembers(nested, ReadVivDirectory(nested), depth + 1);
  }
}

}  // namespace velkor
