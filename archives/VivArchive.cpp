#include "archives/VivArchive.h"

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "archives/MemberCopy.h"
#include "archives/VivWriter.h"
#include "archives/WorkingFolder.h"
#include "base/Endian.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "files/RunLifetime.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Paths.h"
#include "platform/ProgramLocation.h"
#include "platform/Report.h"

namespace velkor {

// Opens a member (unpacked, or left at `packedIn`) as an object of its kind. A member
// whose own kind cannot read it (a broken image, model or text) stays a plain file: unpacking goes on, and a
// workflow that needs the file fails when it reads it. Nested archives were checked with
// their parent, so a format error from one is not expected and passes on.
GameFile& VivArchive::OpenMember(const std::string& memberPath, std::uint64_t length, const ContentRange* packedIn) {
  try {
    return KeepUntilEndOfRun(packedIn ? openPacked(memberPath, *packedIn) : openMember_(memberPath, length));
  } catch (const FormatError& e) {
    if (EndsWith(LowerCaseAscii(memberPath), ".viv")) throw;
    platform::ReportWarning(std::string(e.what()) + "; kept as a plain file");
  }
  auto plain = std::make_unique<GameFile>(memberPath);
  if (packedIn) plain->packedIn = *packedIn;
  plain->Load();
  return KeepUntilEndOfRun(std::move(plain));
}

VivArchive::VivArchive(std::string p, GameFileOpener openMember) : GameFile(std::move(p)), openMember_(openMember) {
  typeTag = "VIV";
}

VivArchive::~VivArchive() {
  if (!removeFolder) unpacked_.Keep();
}

std::string VivArchive::WorkingFolder() const { return DropLastCharacters(path, 4); }

const GameFile* VivArchive::Member(const std::string& name) const {
  if (!platform::kWindows) {
    for (auto at = members.rbegin(); at != members.rend(); ++at)
      if ((*at)->GetFileName() == name) return *at;
  }
  for (auto at = members.rbegin(); at != members.rend(); ++at)
    if (SameIgnoringCase((*at)->GetFileName(), name)) return *at;
  return nullptr;
}

int VivArchive::Reset() {
  magic = kVivMagic;
  BuildDirectory();
  size = archiveSize;
  return 1;
}

int VivArchive::BuildDirectory() {
  entries.clear();
  CheckVivEntryCount(path, members.size());

  std::vector<VivEntry> built(members.size());
  for (std::size_t i = 0; i < members.size(); ++i) built[i].name = members[i]->GetFileName();
  const std::int64_t directoryEnd = VivDataStart(built);

  std::int64_t next = directoryEnd;
  for (std::size_t i = 0; i < members.size(); ++i) {
    GameFile* member = members[i];
    member->SaveAs(member->path);
    CheckVivOffset(path, next, false);
    built[i].offset = static_cast<std::int32_t>(next);
    built[i].length = member->size;
    next += member->size;
  }
  CheckVivOffset(path, next, true);

  entries = std::move(built);
  fileCount = static_cast<std::int32_t>(entries.size());
  dataStart = static_cast<std::int32_t>(directoryEnd);
  archiveSize = static_cast<std::int32_t>(next);
  return 1;
}

// Each entry's bytes are its member's content (OpenContent: the member's file in the
// working folder, its range in another archive, or the original of a FileCopy), whatever
// p is. A member file that is missing or shorter than its entry fails the save; the
// archive then never appears.
int VivArchive::SaveAs(std::string p) {
  BuildDirectory();
  VivDirectory directory{magic, archiveSize, fileCount, dataStart, entries};
  WriteVivArchive(
      p, directory,
      [&](std::size_t i) {
        return VivMemberContent{members[i]->OpenContent(), static_cast<std::uint64_t>(entries[i].length)};
      },
      beforeReplacing);
  size = archiveSize;
  return 1;
}

int VivArchive::Load() {
  platform::File archive = OpenContent();
  const std::uint64_t length = archive.Length();
  size = CheckedFileSize(path, length);

  // Everything is checked before the first byte is written, nested archives included.
  const VivLocation whole{&archive, 0, length, ""};
  VivDirectory directory = ReadVivDirectory(whole);
  CheckVivMembers(whole, directory);

  magic = directory.magic;
  archiveSize = directory.archiveSize;
  fileCount = directory.fileCount;
  dataStart = directory.dataStart;
  entries = std::move(directory.entries);
  members.clear();

  const std::string folder = WorkingFolder();
  if (openPacked) {
    CheckWorkingFolderName(folder, path);
    OpenPacked(folder);
    return 1;
  }
  OwnedFolder made = ProvideWorkingFolder(folder, path);
  Unpack(archive, folder, made.Owns());  // a failure removes the folder made here
  if (made.Owns()) {
    unpacked_.Keep();  // loaded before into the same folder, which this Load made again
    unpacked_ = std::move(made);
  }
  return 1;
}

// Each member file is written straight to its final name: the folder is the unpack's own
// output, and a failed unpack removes a folder it created. Each member's bytes are copied
// once (small members that lie together are read in one go, larger ones are copied by the
// kernel where it can); what the member's kind reads of it afterwards is all that is read
// again.
void VivArchive::Unpack(platform::File& archive, const std::string& folder, bool newFolder) {
  // A folder that existed before may hold links where members go, or files that members
  // would overwrite with other bytes: refused before the first byte is written. (A folder
  // made just now holds nothing, and a link put there meanwhile is still never written
  // through: files are created without following one.) Of several entries of one name,
  // the last one's bytes stay.
  std::unordered_map<std::string, const VivEntry*> lastOfName;
  for (const VivEntry& entry : entries) {
    if (newFolder) break;
    lastOfName[entry.name] = &entry;
    const std::string memberPath = platform::JoinPath(folder, entry.name);
    RefuseLinkInTheWay(memberPath);
    const std::string lower = LowerCaseAscii(entry.name);
    if (EndsWith(lower, ".viv") || EndsWith(lower, ".fsh") || EndsWith(lower, ".qfs"))
      RefuseLinkInTheWay(DropLastCharacters(memberPath, 4));
  }
  for (const auto& [name, entry] : lastOfName) {
    const auto offset = static_cast<std::uint64_t>(entry->offset), length = static_cast<std::uint64_t>(entry->length);
    RefuseOtherContentInTheWay(platform::JoinPath(folder, name), length, [&](ContentComparison& existing) {
      archive.Seek(offset);
      existing.ExpectFrom(archive, length);
    }, folder);
  }
  members.reserve(entries.size());
  platform::Folder into(folder);
  EntryReader reader(archive, entries);
  for (const VivEntry& entry : entries) {
    const std::string memberPath = platform::JoinPath(folder, entry.name);
    {
      // In a folder made just now a member is a new file (unless an earlier entry had its
      // name), which needs none of the checks that a name found in the way does.
      std::optional<platform::File> created = newFolder ? into.CreateNewFileInside(entry.name) : std::nullopt;
      platform::File out = created ? std::move(*created) : into.CreateFileInside(entry.name);
      reader.CopyTo(entry, out);
      out.Close();
    }
    members.push_back(&OpenMember(memberPath, static_cast<std::uint64_t>(entry.length), nullptr));
  }
}

// Members left in the archive read their bytes from the file that holds it (which is
// the archive itself, or, for a nested archive left packed too, the outer one).
void VivArchive::OpenPacked(const std::string& folder) {
  const ContentRange whole = packedIn ? *packedIn : ContentRange{path, 0, static_cast<std::uint64_t>(size)};
  members.reserve(entries.size());
  for (const VivEntry& entry : entries) {
    const ContentRange range{whole.file, whole.offset + static_cast<std::uint64_t>(entry.offset),
                             static_cast<std::uint64_t>(entry.length)};
    members.push_back(&OpenMember(platform::JoinPath(folder, entry.name), range.length, &range));
  }
}

}  // namespace velkor
