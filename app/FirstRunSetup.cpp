#include "app/Workflows.h"

namespace velkor {

GamePaths FirstRunSetup(Registry&, SettingsStore& settings, const std::string&) {
  GamePaths paths{kNotAvailable, kNotAvailable};
  settings.WriteProfileString("Settings", "NFS3Path", paths.nfs3Path);
  settings.WriteProfileString("Settings", "NFS4Path", paths.nfs4Path);
  return paths;
}

}  // namespace velkor
