#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"

namespace velkor {

// The value "InstallPath" of a game's machine-wide key (below HKEY_LOCAL_MACHINE), which is
// created when missing. Where there is no Windows registry, the store is asked first, then
// the Wine prefix ($WINEPREFIX, default ~/.wine), whose Windows path is mapped to a POSIX
// one; nothing is ever written into a Wine prefix. Nothing when the game is not found.
std::optional<std::string> ReadGameInstallPath(Registry& registry, const std::string& gameKey);

}  // namespace velkor
