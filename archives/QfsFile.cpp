#include "archives/QfsFile.h"

#include <utility>

#include "archives/Qfs.h"
#include "base/Errors.h"

namespace velkor {

QfsFile::QfsFile(std::string p) : FshFile(std::move(p)) { typeTag = "QFS"; }

Bytes ReadQfsContent(platform::File& content, const std::string& path) {
  const std::uint64_t length = content.Length();
  // Every 4 compressed bytes give at most 1028, so a longer file could only be hostile.
  if (length > QfsFile::kMostDecompressedBytes) {
    throw FormatError(path, "a compressed image archive of " + std::to_string(length) + " bytes is too large");
  }
  return QfsDecode(content.ReadAtMost(0, static_cast<std::size_t>(length)), path,
                   QfsFile::kMostDecompressedBytes);
}

std::unique_ptr<FshSource> QfsFile::OpenImages() {
  platform::File content = OpenContent();
  size = CheckedFileSize(path, content.Length());
  Bytes decompressed = ReadQfsContent(content, path);
  return std::make_unique<FshMemorySource>(std::move(decompressed));
}

}  // namespace velkor
