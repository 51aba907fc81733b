#include "archives/WorkingFolder.h"

#include "base/Errors.h"
#include "files/GameFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace velkor {

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

bool ProvideWorkingFolder(const std::string& folder, const std::string& archivePath) {
  CheckWorkingFolderName(folder, archivePath);
  RefuseLinkInTheWay(folder);
  if (platform::IsFolder(folder)) return false;
  if (FileExists(folder))
    throw FileError(folder, "create the folder", "a file of that name is in the way");
  if (!platform::CreateFolder(folder)) {
    if (platform::IsFolder(folder)) return false;  // made by someone else meanwhile
    throw FileError(folder, "create the folder", "a file of that name is in the way");
  }
  return true;
}

void AbandonWorkingFolder(const std::string& folder, bool created, bool& removeFolder) {
  if (created) {
    DeleteFolderTree(folder);
  } else {
    removeFolder = false;
  }
}

}  // namespace velkor
