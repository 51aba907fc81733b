#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "archives/VivWriter.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "platform/FileSystem.h"
#include "platform/FolderFiles.h"
#include "platform/Paths.h"
#include "platform/Report.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {
namespace {

// A listed entry with the 8 bytes of its name that follow the prefix all names share, high
// byte first and zero-padded: comparing those keys orders the names by their bytes (a name
// never holds a zero byte), and the names themselves are compared only when keys tie.
struct SortedName {
  std::uint64_t key;
  platform::FolderEntry* entry;
};

std::vector<SortedName> InByteOrder(std::vector<platform::FolderEntry>& listing) {
  std::size_t shared = listing.empty() ? 0 : listing.front().name.size();
  for (const platform::FolderEntry& entry : listing) {
    const std::string& first = listing.front().name;
    shared = std::min(shared, entry.name.size());
    shared = static_cast<std::size_t>(
        std::mismatch(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(shared), entry.name.begin()).first -
        first.begin());
  }
  std::vector<SortedName> sorted;
  sorted.reserve(listing.size());
  for (platform::FolderEntry& entry : listing) {
    std::uint64_t key = 0;
    for (std::size_t i = shared; i < shared + 8; ++i)
      key = (key << 8) | (i < entry.name.size() ? static_cast<unsigned char>(entry.name[i]) : 0u);
    sorted.push_back({key, &entry});
  }
  const std::size_t keyEnd = shared + 8;
  std::sort(sorted.begin(), sorted.end(), [keyEnd](const SortedName& a, const SortedName& b) {
    if (a.key != b.key) return a.key < b.key;
    const std::string& x = a.entry->name;
    const std::string& y = b.entry->name;
    if (x.size() <= keyEnd || y.size() <= keyEnd) return x.size() < y.size();
    return std::string_view(x).substr(keyEnd) < std::string_view(y).substr(keyEnd);
  });
  return sorted;
}

}  // namespace

void ExtractArchive(const std::string& archivePath) {
  const std::string lower = LowerCaseAscii(archivePath);
  if (EndsWith(lower, ".fsh") || EndsWith(lower, ".qfs")) {
    // An image archive, compressed or not: its records go into the folder beside it.
    const std::unique_ptr<GameFile> images = OpenGameFile(archivePath);
    images->KeepUnpackedFolder();
    return;
  }
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

  // One level; sub-folders, names starting with "." and special files are left out. Names
  // are taken in byte order, so packing the same folder twice gives the same archive on
  // every system.
  VivDirectory directory;
  directory.magic = kVivMagic;
  {
    std::vector<platform::FolderEntry> listing = platform::ListFolder(folder);
    directory.entries.reserve(listing.size());
    for (const SortedName& sorted : InByteOrder(listing)) {
      platform::FolderEntry& entry = *sorted.entry;
      if (entry.isFolder || entry.name.front() == '.') continue;
      // Reading a FIFO would wait for a writer, a device might never end.
      if (entry.isSpecial) {
        platform::ReportWarning("skipping '" + entry.fullPath +
                                "': it is not a regular file (a FIFO, socket or device)");
        continue;
      }
      directory.entries.push_back({0, 0, std::move(entry.name)});
    }
  }
  // Each file is looked up inside the open folder and read whole, as long as it is now.
  const platform::FolderFiles files(folder);
  WriteVivArchive(
      folder + ".viv", directory,
      [&](std::size_t i) {
        platform::File file = files.Open(directory.entries[i].name);
        const std::uint64_t length = file.Length();
        return VivMemberContent{std::move(file), length};
      },
      nullptr);
}

}  // namespace velkor
