#include "platform/Paths.h"
#include "platform/Platform.h"

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

}  // namespace velkor::platform
