#include "archives/WorkingFolder.h"

#include <set>

#include "base/Errors.h"
#include "files/FileContent.h"
#include "files/GameFile.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace velkor {
namespace {

std::set<std::string>& FoldersMadeThisRun() {
  static std::set<std::string> made;
  return made;
}

}  // namespace

bool WorkingFolderMadeThisRun(const std::string& folder) { return FoldersMadeThisRun().count(folder) != 0; }

bool IsUsableWorkingFolder(const std::string& folder) {
  std::size_t nameStart = folder.size();
  while (nameStart > 0 && !platform::IsPathSeparator(folder[nameStart - 1])) --nameStart;
  const std::string name = folder.substr(nameStart);
  return !name.empty() && name != "." && name != "..";
}

void RefuseLinkInTheWay(const std::string& path) {
  if (platform::IsSymbolicLink(path))
    throw FileError(path, "unpack to", "a symbolic link is in the way, and unpacking never writes through links");
}

void CheckWorkingFolderName(const std::string& folder, const std::string& archivePath) {
  if (!IsUsableWorkingFolder(folder))
    throw CommandError("cannot unpack '" + archivePath + "': its name leaves no folder name to unpack into ('" +
                       folder + "')");
}

void RefuseOtherContentInTheWay(const std::string& path, std::uint64_t length,
                                const std::function<void(ContentComparison&)>& expectContent, const std::string& folder) {
  if (!platform::PathIsTaken(path) || platform::IsFolder(path)) return;
  ContentComparison existing(path, length);
  expectContent(existing);
  if (existing.Matches()) return;
  throw CommandError("cannot unpack into '" + folder + "': '" + path +
                     "' already exists with other content, which unpacking would overwrite; move the folder '" +
                     folder + "' away first");
}

OwnedFolder ProvideWorkingFolder(const std::string& folder, const std::string& archivePath) {
  CheckWorkingFolderName(folder, archivePath);
  RefuseLinkInTheWay(folder);
  if (platform::IsFolder(folder)) return {};
  if (FileExists(folder))
    throw FileError(folder, "create the folder", "a file of that name is in the way");
  if (platform::CreateFolder(folder)) {
    FoldersMadeThisRun().insert(folder);
    return OwnedFolder(folder);
  }
  if (platform::IsFolder(folder)) return {};  // made by someone else meanwhile
  throw FileError(folder, "create the folder", "a file of that name is in the way");
}

}  // namespace velkor
