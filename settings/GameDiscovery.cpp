#include "settings/GameDiscovery.h"

#include <cstdlib>

#include "base/Text.h"
#include "platform/File.h"
#include "platform/PathResolver.h"
#include "platform/Platform.h"
#include "settings/WineRegistry.h"

namespace velkor {
namespace {

std::string WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.wine";
}

std::string ReadWholeFile(const std::string& path) {
  File file(path, File::Mode::Read);
  // system.reg of a real prefix is a few MiB; refuse anything absurd rather than exhaust memory.
  if (file.Length() > (256u << 20)) return {};
  Bytes bytes(static_cast<std::size_t>(file.Length()));
  file.ReadExact(bytes);
  return std::string(bytes.begin(), bytes.end());
}

// "C:\Games\NFS3" -> "<prefix>/dosdevices/c:/Games/NFS3", components matched ignoring case.
std::optional<std::string> MapWindowsPath(const std::string& prefix, const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
  const char drive = AsciiLower(windowsPath[0]);
  if (drive < 'a' || drive > 'z') return std::nullopt;
  std::string relative;
  for (std::size_t i = 2; i < windowsPath.size(); ++i) {
    const char c = windowsPath[i] == '\\' ? '/' : windowsPath[i];
    if (c == '/' && (relative.empty() || relative.back() == '/')) continue;
    relative += c;
  }
  return platform::ResolveInGameFolder(prefix + "/dosdevices/" + drive + ":/", relative);
}

}  // namespace

std::optional<std::string> ReadGameInstallPath(Registry& registry, const std::string& gameKey) {
  registry.CreateKey(RegistryRoot::LocalMachine, gameKey);
  if (auto stored = registry.ReadString(RegistryRoot::LocalMachine, gameKey, "InstallPath")) return stored;
  // Windows has the games' own keys; elsewhere they live in Wine prefixes.
  if (platform::kWindows) return std::nullopt;

  const std::string prefix = WinePrefix();
  const std::string systemReg = prefix + "/system.reg";
  if (!File::CanOpenForReading(systemReg)) return std::nullopt;
  const std::string text = ReadWholeFile(systemReg);
  const std::string wow = "Software\\Wow6432Node\\" + gameKey.substr(gameKey.find('\\') + 1);
  for (const std::string& key : {gameKey, wow}) {
    if (auto value = FindWineRegistryString(text, key, "InstallPath")) {
      if (auto mapped = MapWindowsPath(prefix, *value)) return mapped;
      if (!value->empty() && value->front() == '/') return value;
    }
  }
  return std::nullopt;
}

}  // namespace velkor
