#include "platform/Paths.h"

#include <filesystem>
#include <system_error>

#include "platform/ProgramLocation.h"

namespace velkor::platform {

bool IsPathSeparator(char c) { return c == '/' || c == kPathSeparator; }

std::size_t FileNameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsFileNameBoundary(path[i - 1])) return i;
  return 0;
}

std::string FileNameOf(std::string_view path) { return std::string(path.substr(FileNameStart(path))); }

std::string FolderPartOf(std::string_view path) { return std::string(path.substr(0, FileNameStart(path))); }

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && IsPathSeparator(path.back())) path.pop_back();
  return path;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string joined;
  joined.reserve(folder.size() + 1 + name.size());
  joined += folder;
  if (!folder.empty() && !IsPathSeparator(folder.back())) joined += kPathSeparator;
  joined += name;
  return joined;
}

std::string FullPath(const std::string& path) {
  // Through char8_t both ways, so that the library takes the text as UTF-8, as Velkor's paths
  // are everywhere; on Windows its plain narrow strings would go through another encoding.
  try {
    const std::filesystem::path given(std::u8string(path.begin(), path.end()));
    std::error_code ec;
    auto full = std::filesystem::absolute(given, ec);
    if (ec) full = given;
    const std::u8string text = full.lexically_normal().u8string();
    return std::string(text.begin(), text.end());
  } catch (const std::system_error&) {
    return path;  // text that is not UTF-8 has no wide form to resolve (a filesystem_error)
  }
}

}  // namespace velkor::platform
