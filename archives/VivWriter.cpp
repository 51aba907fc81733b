#include "archives/VivWriter.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "archives/MemberCopy.h"
#include "base/Endian.h"
#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "files/FileContent.h"
#include "files/GameFile.h"

namespace velkor {
namespace {

constexpr std::int64_t kLargestArchive = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kDirectoryChunk = 64 * 1024;

using Opener = std::function<VivMemberContent(std::size_t)>;

void AppendDirectoryEntry(Bytes& out, const VivEntry& entry) {
  std::array<std::uint8_t, viv::kEntryNameAt> numbers{};
  WriteU32BE(numbers, viv::kEntryOffsetAt, static_cast<std::uint32_t>(entry.offset));
  WriteU32BE(numbers, viv::kEntryLengthAt, static_cast<std::uint32_t>(entry.length));
  out.insert(out.end(), numbers.begin(), numbers.end());
  out.insert(out.end(), entry.name.begin(), entry.name.end());
  out.push_back(0);
}

// The header and the directory as stored, in pieces of about kDirectoryChunk bytes.
void ForEachDirectoryPiece(const VivDirectory& directory, const std::function<void(ByteView)>& take) {
  Bytes buffer;
  buffer.reserve(kDirectoryChunk + kVivHeaderSize + viv::EntrySize(kVivMaxNameLength));
  buffer.resize(kVivHeaderSize);
  std::copy(directory.magic.begin(), directory.magic.end(), buffer.begin() + viv::kMagicAt);
  WriteU32BE(buffer, viv::kArchiveSizeAt, static_cast<std::uint32_t>(directory.archiveSize));
  WriteU32BE(buffer, viv::kEntryCountAt, static_cast<std::uint32_t>(directory.fileCount));
  WriteU32BE(buffer, viv::kDataStartAt, static_cast<std::uint32_t>(directory.dataStart));
  for (const VivEntry& entry : directory.entries) {
    AppendDirectoryEntry(buffer, entry);
    if (buffer.size() >= kDirectoryChunk) {
      take(buffer);
      buffer.clear();
    }
  }
  take(buffer);
}

// Opens the members in order, places each after the one before and hands it to `take`,
// until `take` returns false; fills in the offsets and lengths on the way, and the
// archive's size once every member has been placed. The directory's own end (dataStart)
// was checked against the limit; each member is checked before its bytes are read, which
// keeps every offset and the archive's end within it.
template <class Take>
void PlaceMembers(const std::string& target, VivDirectory& directory, const Opener& open, Take take) {
  std::int64_t next = directory.dataStart;
  const std::size_t count = directory.entries.size();
  for (std::size_t i = 0; i < count; ++i) {
    VivMemberContent content = open(i);
    const std::int32_t length = CheckedFileSize(content.file.Path(), content.length);
    CheckVivOffset(target, next + length, i + 1 == count);
    VivEntry& entry = directory.entries[i];
    entry.offset = static_cast<std::int32_t>(next);
    entry.length = length;
    next += length;
    if (!take(content)) return;
  }
  directory.archiveSize = static_cast<std::int32_t>(next);
}

// True when `target` holds exactly the archive already. Each member is opened once, and
// none after the first that differs.
bool AlreadyHolds(const std::string& target, VivDirectory& directory, const Opener& open) {
  ContentComparison existing(target);
  if (!existing.Matches()) return false;
  existing.MoveTo(static_cast<std::uint64_t>(directory.dataStart));
  PlaceMembers(target, directory, open, [&](VivMemberContent& content) {
    existing.ExpectFrom(content.file, content.length);
    return existing.Matches();
  });
  if (!existing.MatchesWithLength(static_cast<std::uint64_t>(directory.archiveSize))) return false;
  existing.MoveTo(0);
  ForEachDirectoryPiece(directory, [&](ByteView piece) { existing.Expect(piece); });
  return existing.Matches();
}

}  // namespace

void CheckVivEntryCount(const std::string& archivePath, std::size_t count) {
  if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw CommandError("cannot pack '" + archivePath + "': too many members for a VIV archive");
}

void CheckVivOffset(const std::string& archivePath, std::int64_t offset, bool isEnd) {
  if (offset <= kLargestArchive) return;
  if (!isEnd)
    throw CommandError("cannot pack '" + archivePath + "': the archive would be larger than the " +
                       std::to_string(kLargestArchive) + " bytes a VIV archive can address");
  throw CommandError("cannot pack '" + archivePath + "': the archive would be " + std::to_string(offset) +
                     " bytes, more than the " + std::to_string(kLargestArchive) + " bytes a VIV archive can address");
}

std::int64_t VivDataStart(const std::vector<VivEntry>& entries) {
  auto start = static_cast<std::int64_t>(kVivHeaderSize);
  for (const VivEntry& entry : entries) start += static_cast<std::int64_t>(viv::EntrySize(entry.name.size()));
  return start;
}

void WriteVivArchive(const std::string& target, VivDirectory& directory, const Opener& open,
                     const std::function<void(const std::string&)>& beforeReplacing) {
  CheckVivEntryCount(target, directory.entries.size());
  for (const VivEntry& entry : directory.entries) {
    if (const std::string reason = UnsafeEntryNameReason(entry.name); !reason.empty())
      throw CommandError("cannot pack '" + PrintableName(entry.name) + "' into '" + target + "': it has " + reason +
                         ", which VIV archives cannot hold safely");
  }
  const std::int64_t dataStart = VivDataStart(directory.entries);
  CheckVivOffset(target, dataStart, directory.entries.empty());
  directory.fileCount = static_cast<std::int32_t>(directory.entries.size());
  directory.dataStart = static_cast<std::int32_t>(dataStart);

  // Compared first, reading the members again: an unchanged archive is then not written
  // at all, not even beside itself.
  if (AlreadyHolds(target, directory, open)) return;

  AtomicOutput out(target);
  out.TargetDiffers();
  out.BeforeReplacing(beforeReplacing);
  out.file().Seek(static_cast<std::uint64_t>(directory.dataStart));
  BatchedOutput batch(out.file());
  PlaceMembers(target, directory, open, [&](VivMemberContent& content) {
    batch.AppendFileStart(content.file, content.length);
    return true;
  });
  batch.Flush();
  // The header and directory, now that every offset and length is known.
  out.file().Seek(0);
  ForEachDirectoryPiece(directory, [&](ByteView piece) { out.file().Write(piece); });
  out.Commit();
}

}  // namespace velkor
