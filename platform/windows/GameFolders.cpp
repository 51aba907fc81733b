#include "platform/GameFolders.h"

namespace velkor::platform {

std::optional<std::string> ReadGameInstallPath(Registry& registry, const std::string& gameKey) {
  registry.CreateKey(RegistryRoot::LocalMachine, gameKey);
  return registry.ReadString(RegistryRoot::LocalMachine, gameKey, "InstallPath");
}

std::string ResolveInGameFolder(const std::string& gameFolder, const std::string& relative) {
  std::string path = gameFolder;
  for (char c : relative) path += c == '/' ? '\\' : c;
  return path;
}

}  // namespace velkor::platform
