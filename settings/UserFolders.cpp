#include "settings/UserFolders.h"

#include <cstdlib>

#include "platform/Paths.h"
#include "platform/Platform.h"

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
  ProvideFolders(full);
  return full;
}

bool ProvideFolders(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || platform::IsPathSeparator(path[i])) {
      const std::string level = path.substr(0, i);
      if (!platform::IsFolder(level)) platform::CreateFolder(level);
    }
  }
  return platform::IsFolder(path);
}

}  // namespace velkor
