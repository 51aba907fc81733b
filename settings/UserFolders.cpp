#include "settings/UserFolders.h"

#include <cstdlib>
#include <optional>

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ProgramLocation.h"

namespace velkor {
namespace {

std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value == '/' ? value : "";
}

}  // namespace

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  return platform::UserHomeFromSystem();
}

std::string UserConfigHome() {
  const std::string xdg = AbsoluteVariable("XDG_CONFIG_HOME");
  return xdg.empty() ? HomeFolder() + "/.config" : xdg;
}

std::string UserDataHome() {
  const std::string xdg = AbsoluteVariable("XDG_DATA_HOME");
  return xdg.empty() ? HomeFolder() + "/.local/share" : xdg;
}

std::string ProvideUserFolder(const std::string& base, const std::string& name) {
  const std::string full = base + "/" + name;
  try {
    ProvideFolders(full);
  } catch (const FileError&) {
    // Reading or writing inside the folder fails with the reason and the file's name.
  }
  return full;
}

void ProvideFolders(const std::string& path) {
  // Levels that cannot be made are passed over (a network share's "\\server" is no folder
  // of its own); the first failure is the reason when the whole path is no folder in the end.
  std::optional<FileError> failure;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || platform::IsPathSeparator(path[i])) {
      const std::string level = path.substr(0, i);
      try {
        if (!platform::IsFolder(level) && !platform::CreateFolder(level) && !platform::IsFolder(level))
          throw FileError(level, "create the folder", "a file of that name is in the way");
      } catch (const FileError& e) {
        if (!failure) failure = e;
      }
    }
  }
  if (platform::IsFolder(path)) return;
  throw failure ? *failure : FileError(path, "create the folder", "it is no folder");
}

}  // namespace velkor
