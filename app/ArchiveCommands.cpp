#include <algorithm>
#include <memory>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "files/Errors.h"
#include "files/RunLifetime.h"
#include "platform/Platform.h"

namespace velkor {
namespace {

bool IsSeparator(char c) { return c == '/' || c == platform::kPathSeparator; }

}  // namespace

void ExtractArchive(const std::string& archivePath) {
  VivArchive archive(archivePath);
  archive.removeFolder = false;
  archive.Load();
}

void PackFolder(const std::string& folderPath) {
  // "car", "car/" and "car//" all pack the folder car into car.viv beside it.
  std::string folder = folderPath;
  while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
  if (folder.empty()) throw CommandError("cannot pack '" + folderPath + "': the archive would have no name");

  VivArchive archive(folder + ".viv");
  archive.removeFolder = false;
  archive.Reset();

  // One level; sub-folders and names starting with "." are left out. Names are taken in
  // byte order, so packing the same folder twice gives the same archive on every system.
  std::vector<platform::FolderEntry> listing = platform::ListFolder(folder);
  std::sort(listing.begin(), listing.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& entry : listing) {
    if (entry.isFolder || entry.name.front() == '.') continue;
    auto member = std::make_unique<GameFile>(entry.fullPath);
    member->Load();
    archive.members.push_back(&KeepUntilEndOfRun(std::move(member)));
  }
  archive.Save();
}

}  // namespace velkor
