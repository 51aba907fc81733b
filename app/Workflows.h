#pragma once

// The commands that start-up dispatches to, one per switch.

#include <string>
#include <vector>

#include "app/Game.h"
#include "platform/Registry.h"
#include "settings/GameDiscovery.h"
#include "settings/SettingsStore.h"

namespace velkor {

// What the first-run setup found and wrote, for `velkor --setup`.
struct SetupReport {
  GamePaths paths;  // as stored in the settings
  GameLocation nfs3;
  GameLocation nfs4;
  std::string referenceFolder;              // where the reference files were collected
  std::vector<std::string> referenceFiles;  // the files written there
  std::vector<std::string> integrationWritten;  // file-manager integration files written
};

// First start: finds both games, stores their paths, registers the shell verbs and
// collects the reference files into the reference folder (settings/DataFolder.h).
SetupReport FirstRunSetup(Registry& registry, SettingsStore& settings, const std::string& programFolder);

// "--unregister": removes the verb keys of the class table and, on Linux, the file-manager
// entries; extension keys, settings and collected files stay.
void Unregister(Registry& registry);

// "/e": unpacks an archive into the folder beside it and leaves the folder in place.
void ExtractArchive(const std::string& archivePath);

// "/p": packs one level of a folder into an archive beside it.
void PackFolder(const std::string& folderPath);

struct ConversionOutcome {
  std::string outputPath;  // the archive written
  std::string carName;     // the car folder's name (installations)
  std::string keptCopy;    // where the replaced archive was kept; empty when none
};

// "/c3" "/ci3" "/c4" "/ci4" on an archive ending ".viv". The reference files come from
// `referenceFolder` (ending with its separator); an installation that replaces a car's
// archive keeps the old one below `keptCarsFolder` (app/KeptCars.h).
ConversionOutcome ConvertCar(const std::string& archivePath, Game target, bool install,
                             const std::string& referenceFolder, const std::string& gamePath,
                             const std::string& keptCarsFolder);

struct RestoreOutcome {
  std::string restoredFrom;     // the kept copy put back
  ConversionOutcome installed;  // the archive restored, its car, where the replaced one was kept
};

// "--restore": puts the newest kept copy of the installed car whose archive is
// `archivePath` back in place (atomically), keeping the archive it replaces. Raises
// CommandError when the path lies in neither game's car folder or nothing was kept of
// that car.
RestoreOutcome RestoreCar(const std::string& archivePath, const GamePaths& paths, const std::string& keptCarsFolder);

// "/c3" "/ci3" "/c4" "/ci4" on one loose file.
void ConvertSingleFile(const std::string& path, Game target);

}  // namespace velkor
