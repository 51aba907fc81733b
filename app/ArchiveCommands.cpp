#include <algorithm>
#include <memory>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "files/RunLifetime.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {
void ExtractArchive(const std::string& archivePath) {
  VivArchive archive(archivePath, &OpenGameFile);
  archive.removeFolder = false;
  archive.Load();
}

void PackFolder(const std::string& folderPath) {
  // "car", "car/" and "car//" all pack the folder car into car.viv beside it.
  std::string folder = platform::WithoutTrailingSeparators(folderPath);
  if (folder.empty() || platform::IsPathSeparator(folder.back()))
    throw CommandError("cannot pack '" + folderPath + "': the archive would have no name");
  // A mistyped name must not give an empty archive.
  if (!platform::IsFolder(folder)) throw FileError(folder, "pack", "there is no such folder");

  VivArchive archive(folder + ".viv", &OpenGameFile);
  archive.removeFolder = false;
  archive.Reset();

  // One level; sub-folders, names starting with "." and special files are left out. Names
  // are taken in byte order, so packing the same folder twice gives the same archive on
  // every system.
  std::vector<platform::FolderEntry> listing = platform::ListFolder(folder);
  std::sort(listing.begin(), listing.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& entry : listing) {
    if (entry.isFolder || entry.name.front() == '.') continue;
    // Reading a FIFO would wait for a writer, a device might never end.
    if (entry.isSpecial) {
      platform::ReportWarning("skipping '" + entry.fullPath +
                              "': it is not a regular file (a FIFO, socket or device)");
      continue;
    }
    auto member = std::make_unique<GameFile>(entry.fullPath);
    member->Load();
    archive.members.push_back(&KeepUntilEndOfRun(std::move(member)));
  }
  archive.Save();
}

}  // namespace velkor
