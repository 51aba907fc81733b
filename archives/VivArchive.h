#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archives/VivDirectory.h"
#include "base/Endian.h"
#include "files/GameFile.h"
#include "files/OwnedFolder.h"

namespace velkor {

// Makes the object of the right kind for a file whose bytes lie at `packedIn` (a member
// left in its archive) and loads it from there.
using PackedFileOpener = std::unique_ptr<GameFile> (*)(std::string path, const ContentRange& packedIn);

// A VIV archive: a 16-byte header, a directory of named entries and the entries' bytes,
// all integers big-endian. The archive is never edited in place: Load unpacks it into
// its working folder (the path less its last four characters) and SaveAs packs the
// members' files.
class VivArchive : public GameFile {
 public:
  // `openMember` makes the object of each member that Load unpacks.
  VivArchive(std::string path, GameFileOpener openMember);
  // Deletes the working folder with everything in it while `removeFolder` is true, when
  // Load made it (a folder that existed before is never deleted).
  ~VivArchive() override;

  // An empty archive: "BIGF", no entries, 16 bytes.
  int Reset() override;
  // Checks the whole archive, nested archives included, then unpacks every entry into
  // the working folder (or leaves them packed, see `openPacked`) and opens each unpacked file as an object of its own kind, which
  // lives until the end of the run and is appended to `members`. A member whose own kind
  // cannot read it stays a plain file, with a warning. A refused archive writes nothing.
  int Load() override;
  // Saves every member, then writes archive p (atomically) from the members' files
  // (OpenContent: a member's file in the working folder, or where its bytes lie).
  int SaveAs(std::string p) override;

  // Rebuilds the directory from `members`, saving each member first: names are the
  // members' file names, data consecutive from `dataStart`. Raises CommandError when the
  // archive would be larger than a VIV archive can address (2^31-1 bytes).
  int BuildDirectory();

  std::string WorkingFolder() const;

  // The member that unpacking leaves under the file name `name`, or nullptr: the last of
  // that name; when there is none, the last whose name differs only in case (which the
  // file system of Windows, or the games' name matching on POSIX, would find).
  const GameFile* Member(const std::string& name) const;

  std::array<std::uint8_t, viv::kMagicSize> magic{};
  std::int32_t archiveSize = 0;
  std::int32_t fileCount = 0;
  std::int32_t dataStart = 0;
  std::vector<VivEntry> entries;
  // When set, Load writes no member files: it opens every member with this straight
  // from the archive, with the same warnings; each object's `packedIn` says where its
  // bytes lie and its path is where unpacking would have put it. The working folder is
  // not made either. For a workflow that only reads the members.
  PackedFileOpener openPacked = nullptr;
  // Not owned: members appended by a caller belong to it; those that Load creates live
  // until the end of the run. Each must outlive the archive's SaveAs.
  std::vector<GameFile*> members;
  bool removeFolder = true;
  void KeepUnpackedFolder() override { removeFolder = false; }
  // Run by SaveAs just before an existing file with other bytes is replaced (an
  // installation keeps the car it replaces); when it raises, nothing is replaced.
  std::function<void(const std::string&)> beforeReplacing;

 private:
  void Unpack(platform::File& archive, const std::string& folder, bool newFolder);
  void OpenPacked(const std::string& folder);
  // `length`: the member's, as its entry says.
  GameFile& OpenMember(const std::string& memberPath, std::uint64_t length, const ContentRange* packedIn);

  GameFileOpener openMember_;
  OwnedFolder unpacked_;  // the working folder, when Load made it
};

}  // namespace velkor
