#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace velkor {

// Where a game's installation folder was found.
struct GameLocation {
  std::string folder;                 // as "InstallPath" names it; empty when not found
  std::string foundIn;                // "the settings store", "Wine prefix /p (Lutris)", ...
  std::vector<std::string> searched;  // every place looked at, in order, when not found
};

// Finds a game from the value "InstallPath" of its machine-wide key (below
// HKEY_LOCAL_MACHINE), which is created when missing. Where there is no Windows registry,
// the store is asked first, then the Wine prefixes where Linux players keep their games,
// in this order: $WINEPREFIX, ~/.wine, the "prefix" of each Lutris game configuration,
// Bottles, PlayOnLinux, Steam (Proton) and Heroic prefixes; several prefixes at one place
// in name order. The first prefix whose system.reg names the game (also below
// Wow6432Node) with a folder that exists wins; its Windows path is mapped through the
// prefix's dosdevices. Nothing is ever written into a Wine prefix. A Lutris file or a
// system.reg that cannot be read is passed over with a warning naming it.
//
// FindGames looks for several games at once: each place is searched, each file read and
// each warning given once for all of them; the locations come in the order of `gameKeys`.
std::vector<GameLocation> FindGames(Registry& registry, const std::vector<std::string>& gameKeys);
GameLocation FindGame(Registry& registry, const std::string& gameKey);

}  // namespace velkor
