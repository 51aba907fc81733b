#include "archives/FshFile.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archives/WorkingFolder.h"
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
  File fsh = OpenContent();
  const std::uint64_t length = fsh.Length();
  size = CheckedFileSize(path, length);

  const std::string folder = WorkingFolder();
  OwnedFolder made = ProvideWorkingFolder(folder, path);
  Unpack(fsh, length, folder);  // a failure removes the folder made here
  if (made.Owns()) {
    unpacked_.Keep();  // loaded before into the same folder, which this Load made again
    unpacked_ = std::move(made);
  }
  return 1;
}

void FshFile::Unpack(File& fsh, std::uint64_t length, const std::string& folder) {
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

  // A record runs to the next entry's offset, the last one to the end of the file.
  struct Record {
    std::string name;
    std::uint64_t start;
    std::uint64_t length;
  };
  std::vector<Record> records;
  std::unordered_map<std::string, const Record*> lastOfName;
  for (std::uint64_t index = 0; index < count; ++index) {
    const std::uint64_t start = offsetOf(index);
    const std::uint64_t end = index + 1 < count ? offsetOf(index + 1) : length;
    if (end < start || start > length) continue;
    records.push_back({FshRecordFileName(ByteView(directory.data() + index * kDirectoryEntrySize, 4)), start,
                       std::min(end, length) - start});
  }
  // In a folder that existed before, an edited image is never overwritten.
  for (const Record& record : records) lastOfName[record.name] = &record;
  for (const auto& [name, record] : lastOfName)
    RefuseOtherContentInTheWay(platform::JoinPath(folder, name), fsh, record->start, record->length, folder);

  platform::Folder into(folder);
  for (const Record& record : records) {
    const std::string recordPath = platform::JoinPath(folder, record.name);
    {
      File out = into.CreateFileInside(record.name);
      fsh.CopyRangeTo(out, record.start, record.length);
      out.Close();
    }
    auto image = std::make_unique<FshImage>(recordPath);
    image->Load();
    images.push_back(static_cast<FshImage*>(&KeepUntilEndOfRun(std::move(image))));
  }
}

}  // namespace velkor
