#include "archives/FshFile.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archives/WorkingFolder.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "files/RunLifetime.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Paths.h"

namespace velkor {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::string_view kForbiddenInNames = "/\\:*?\"<>|";

}  // namespace

std::string FshRecordFileName(ByteView name) {
  static constexpr char kHex[] = "0123456789abcdef";
  const bool usable = std::none_of(name.begin(), name.end(), [](std::uint8_t b) {
    return b < 0x20 || kForbiddenInNames.find(static_cast<char>(b)) != std::string_view::npos;
  });
  if (usable) return std::string(name.begin(), name.end());
  std::string hex;
  for (const std::uint8_t b : name) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

FshFile::FshFile(std::string p) : GameFile(std::move(p)) { typeTag = "FSH"; }

FshFile::~FshFile() {
  if (!removeFolder) unpacked_.Keep();
}

std::string FshFile::WorkingFolder() const { return DropLastCharacters(path, 4); }

int FshFile::Load() {
  images.clear();
  if (!unpackImages) {
    // Refused as unpacking would refuse it, so that no name fails only some workflows.
    CheckWorkingFolderName(WorkingFolder(), path);
    return GameFile::Load();
  }
  const std::unique_ptr<FshSource> fsh = OpenImages();

  const std::string folder = WorkingFolder();
  OwnedFolder made = ProvideWorkingFolder(folder, path);
  Unpack(*fsh, folder);  // a failure removes the folder made here
  if (made.Owns()) {
    unpacked_.Keep();  // loaded before into the same folder, which this Load made again
    unpacked_ = std::move(made);
  }
  return 1;
}

std::unique_ptr<FshSource> FshFile::OpenImages() {
  platform::File file = OpenContent();
  size = CheckedFileSize(path, file.Length());
  return std::make_unique<FshFileSource>(std::move(file));
}

std::vector<FshRecordPlace> ReadFshDirectory(FshSource& fsh) {
  const std::uint64_t length = fsh.Length();
  std::uint64_t count = 0;
  if (length >= kHeaderSize) {
    const std::int32_t stored = ReadI32LE(fsh.ReadAtMost(8, 4), 0);
    const std::uint64_t fits = (length - kHeaderSize) / kDirectoryEntrySize;
    count = stored < 0 ? 0 : std::min<std::uint64_t>(static_cast<std::uint64_t>(stored), fits);
  }
  const Bytes directory = fsh.ReadAtMost(kHeaderSize, static_cast<std::size_t>(count * kDirectoryEntrySize));
  const auto offsetOf = [&](std::uint64_t index) -> std::uint64_t {
    return ReadU32LE(directory, static_cast<std::size_t>(index * kDirectoryEntrySize + 4));
  };
  std::vector<FshRecordPlace> places;
  for (std::uint64_t index = 0; index < count; ++index) {
    const std::uint64_t start = offsetOf(index);
    const std::uint64_t end = index + 1 < count ? offsetOf(index + 1) : length;
    if (end < start || start > length) continue;
    places.push_back({FshRecordFileName(ByteView(directory.data() + index * kDirectoryEntrySize, 4)), start,
                      std::min(end, length) - start});
  }
  return places;
}

void FshFile::Unpack(FshSource& fsh, const std::string& folder) {
  const std::vector<FshRecordPlace> places = ReadFshDirectory(fsh);
  // In a folder that existed before, an edited image is never overwritten.
  std::unordered_map<std::string, const FshRecordPlace*> lastOfName;
  if (!WorkingFolderMadeThisRun(folder))
    for (const FshRecordPlace& place : places) lastOfName[place.fileName] = &place;
  for (const auto& [name, last] : lastOfName) {
    const FshRecordPlace& place = *last;
    RefuseOtherContentInTheWay(platform::JoinPath(folder, name), place.length, [&](ContentComparison& existing) {
      constexpr std::uint64_t kPiece = 64 * 1024;
      for (std::uint64_t done = 0; done < place.length && existing.Matches(); done += kPiece)
        existing.Expect(
            fsh.ReadAtMost(place.offset + done, static_cast<std::size_t>(std::min(kPiece, place.length - done))));
    }, folder);
  }

  platform::Folder into(folder);
  for (const FshRecordPlace& place : places) {
    const std::string recordPath = platform::JoinPath(folder, place.fileName);
    {
      platform::File out = into.CreateFileInside(place.fileName);
      fsh.CopyRangeTo(out, place.offset, place.length);
      out.Close();
    }
    auto image = std::make_unique<FshImage>(recordPath);
    image->Load();
    images.push_back(static_cast<FshImage*>(&KeepUntilEndOfRun(std::move(image))));
  }
}


Bytes FshMemorySource::ReadAtMost(std::uint64_t offset, std::size_t length) {
  Bytes out(length, 0);
  if (offset < bytes_.size()) {
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(length, bytes_.size() - offset));
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), available, out.begin());
  }
  return out;
}

void FshMemorySource::CopyRangeTo(platform::File& out, std::uint64_t offset, std::uint64_t length) {
  if (offset > bytes_.size() || length > bytes_.size() - offset) throw InternalError("record outside its FSH content");
  out.Write(ByteView(bytes_).subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)));
}

}  // namespace velkor
