#include "settings/SystemRegistry.h"

#include "settings/RegistryStore.h"
#include "settings/UserFolders.h"

namespace velkor {

std::unique_ptr<Registry> OpenSystemRegistry() {
  if (auto native = platform::OpenNativeRegistry()) return native;
  const std::string folder = ProvideUserFolder(UserConfigHome(), "Velkor");
  return std::make_unique<FileRegistry>(folder + "/registry.reg");
}

}  // namespace velkor
