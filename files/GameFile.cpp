#include "files/GameFile.h"

#include <limits>
#include <utility>

#include "files/Errors.h"
#include "platform/File.h"
#include "platform/Platform.h"

namespace velkor {

GameFile::GameFile(std::string p) : path(std::move(p)) {}

GameFile::~GameFile() = default;

int GameFile::Reset() { return 1; }

int GameFile::Load() {
  File file(path, File::Mode::Read);
  size = CheckedFileSize(path, file.Length());
  return 1;
}

int GameFile::Save() { return SaveAs(path); }

int GameFile::SaveAs(std::string) { return 1; }

std::string GameFile::GetFileName() const {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (platform::IsFileNameBoundary(path[i - 1])) return path.substr(i);
  }
  return path;
}

bool FileExists(const std::string& p) { return File::CanOpenForReading(p); }

void DeleteFolderTree(const std::string& folder) {
  std::string base = folder;
  while (base.size() > 1 && (base.back() == '/' || base.back() == platform::kPathSeparator)) base.pop_back();
  if (platform::IsSymbolicLink(base)) {
    platform::RemoveFile(base);
    return;
  }
  for (const auto& entry : platform::ListFolder(base)) {
    if (entry.isFolder && !entry.isLink) {
      DeleteFolderTree(entry.fullPath);
    } else {
      platform::RemoveFile(entry.fullPath);
    }
  }
  platform::RemoveEmptyFolder(base);
}

std::string DropLastCharacters(const std::string& text, std::size_t n) {
  return text.size() > n ? text.substr(0, text.size() - n) : std::string();
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == platform::kPathSeparator || folder.back() == '/') return folder + name;
  return folder + platform::kPathSeparator + name;
}

std::int32_t CheckedFileSize(const std::string& p, std::uint64_t length) {
  if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw FormatError(p, "file is larger than 2 GiB, which game files cannot be");
  return static_cast<std::int32_t>(length);
}

}  // namespace velkor
