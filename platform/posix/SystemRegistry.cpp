#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Platform.h"
#include "platform/RegistryFile.h"

namespace velkor {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

// $XDG_CONFIG_HOME/Velkor/registry.reg, its folders created when missing.
std::string StorePath() {
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    config = xdg;
  } else {
    config = HomeFolder() + "/.config";
    platform::CreateFolder(HomeFolder());
  }
  platform::CreateFolder(config);
  platform::CreateFolder(config + "/Velkor");
  return config + "/Velkor/registry.reg";
}

}  // namespace

std::unique_ptr<Registry> OpenSystemRegistry() { return std::make_unique<FileRegistry>(StorePath()); }

}  // namespace velkor
