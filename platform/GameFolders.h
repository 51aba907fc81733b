#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"

namespace velkor::platform {

// The value "InstallPath" of a game's machine-wide key (below HKEY_LOCAL_MACHINE), which is
// created when missing. On POSIX the store is asked first, then the Wine prefix
// ($WINEPREFIX, default ~/.wine), whose Windows path is mapped to a POSIX one; nothing is
// ever written into a Wine prefix. Nothing when the game is not found.
std::optional<std::string> ReadGameInstallPath(Registry& registry, const std::string& gameKey);

// `gameFolder` (ending with its separator) followed by `relative`, a "/"-separated path.
// On POSIX every component that exists is matched ignoring case, as Wine does ("CAR.VIV"
// is the archive asked for as "car.viv"); components that do not exist keep the spelling
// given. On Windows the components are joined with "\".
std::string ResolveInGameFolder(const std::string& gameFolder, const std::string& relative);

}  // namespace velkor::platform
