#include "files/GameFile.h"

#include <limits>
#include <utility>

#include "base/Errors.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace velkor {

GameFile::GameFile(std::string p) : path(std::move(p)) {}

GameFile::~GameFile() = default;

int GameFile::Reset() { return 1; }

int GameFile::Load() {
  size = CheckedFileSize(path, packedIn ? packedIn->length : platform::File::LengthOf(path));
  return 1;
}

platform::File GameFile::OpenContent() const {
  if (packedIn) return platform::File::OpenRange(packedIn->file, packedIn->offset, packedIn->length, path);
  return platform::File::Open(path, platform::File::ReadExisting);
}

int GameFile::Save() { return SaveAs(path); }

int GameFile::SaveAs(std::string) { return 1; }

std::string GameFile::GetFileName() const { return platform::FileNameOf(path); }

bool FileExists(const std::string& p) { return platform::File::Open(p, platform::File::ReadIfPossible).has_value(); }

namespace {

// Cleaning up is best effort: what cannot be removed stays, and the removal goes on.
void RemoveQuietly(bool (*remove)(const std::string&), const std::string& path) {
  try {
    remove(path);
  } catch (const FileError&) {
  }
}

}  // namespace

void DeleteFolderTree(const std::string& folder) {
  const std::string base = platform::WithoutTrailingSeparators(folder);
  if (platform::IsSymbolicLink(base)) {
    RemoveQuietly(platform::RemoveFile, base);
    return;
  }
  for (const auto& entry : platform::ListFolder(base)) {
    if (entry.isFolder && !entry.isLink) {
      DeleteFolderTree(entry.fullPath);
    } else {
      RemoveQuietly(platform::RemoveFile, entry.fullPath);
    }
  }
  RemoveQuietly(platform::RemoveEmptyFolder, base);
}

std::int32_t CheckedFileSize(const std::string& p, std::uint64_t length) {
  if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw FormatError(p, "file is larger than 2 GiB, which game files cannot be");
  return static_cast<std::int32_t>(length);
}

}  // namespace velkor
