#include "settings/DataFolder.h"

#include <cstdlib>

#include "platform/Paths.h"
#include "platform/ProgramLocation.h"
#include "settings/UserFolders.h"

namespace velkor {

std::string DataFolder() {
  if (platform::kWindows) {
    const char* local = std::getenv("LOCALAPPDATA");
    const std::string base = local && *local ? local : HomeFolder() + "\\AppData\\Local";
    return platform::JoinPath(base, "Velkor");
  }
  return UserDataHome() + "/Velkor";
}

std::string ReferenceFolder(const std::string& programFolder) {
  if (platform::kWindows) return programFolder;
  return DataFolder() + platform::kPathSeparator;
}

std::string KeptCarsFolder() { return platform::JoinPath(DataFolder(), "replaced"); }

std::string LocksFolder() { return platform::JoinPath(DataFolder(), "locks"); }

}  // namespace velkor
