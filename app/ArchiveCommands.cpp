#include <algorithm>
#include <memory>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "files/RunLifetime.h"
#include "platform/FolderFiles.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {
namespace {

// A file of the folder being packed, looked up inside that folder (see FolderFiles); as a
// GameFile on its path otherwise.
class FolderMember : public GameFile {
 public:
  FolderMember(std::shared_ptr<const platform::FolderFiles> folder, std::string name, std::string path)
      : GameFile(std::move(path)), folder_(std::move(folder)), name_(std::move(name)) {}

  int Load() override {
    size = CheckedFileSize(path, folder_->LengthOf(name_));
    return 1;
  }
  File OpenContent() const override { return folder_->Open(name_); }

 private:
  std::shared_ptr<const platform::FolderFiles> folder_;
  std::string name_;
};

}  // namespace

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
  // The entries are sorted through pointers: moving the entries themselves (two names each)
  // cost more than all the rest of packing a folder of small files.
  std::vector<platform::FolderEntry> listing = platform::ListFolder(folder);
  const auto files = std::make_shared<const platform::FolderFiles>(folder);
  std::vector<platform::FolderEntry*> sorted;
  sorted.reserve(listing.size());
  for (auto& entry : listing) sorted.push_back(&entry);
  std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->name < b->name; });
  for (platform::FolderEntry* listed : sorted) {
    platform::FolderEntry& entry = *listed;
    if (entry.isFolder || entry.name.front() == '.') continue;
    // Reading a FIFO would wait for a writer, a device might never end.
    if (entry.isSpecial) {
      platform::ReportWarning("skipping '" + entry.fullPath +
                              "': it is not a regular file (a FIFO, socket or device)");
      continue;
    }
    auto member = std::make_unique<FolderMember>(files, std::move(entry.name), std::move(entry.fullPath));
    member->Load();
    archive.members.push_back(&KeepUntilEndOfRun(std::move(member)));
  }
  archive.Save();
}

}  // namespace velkor
