#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "base/Text.h"
#include "platform/PathResolver.h"

namespace velkor::platform {

std::string ResolveInGameFolder(const std::string& gameFolder, const std::string& relative) {
  std::string path = gameFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  bool exists = true;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    std::string component = relative.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    struct stat st {};
    if (exists && ::lstat((path + component).c_str(), &st) != 0) {
      // No entry of exactly this name: take the first that differs only in case.
      exists = false;
      std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.empty() ? "." : path.c_str()), &::closedir);
      while (const dirent* entry = dir ? ::readdir(dir.get()) : nullptr) {
        if (SameIgnoringCase(entry->d_name, component)) {
          component = entry->d_name;
          exists = true;
          break;
        }
      }
    }
    path += component;
    if (end < relative.size()) path += '/';
  }
  return path;
}

}  // namespace velkor::platform
