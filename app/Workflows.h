#pragma once

// The commands that start-up dispatches to, one per switch.

#include <string>

#include "app/Game.h"
#include "platform/Registry.h"
#include "settings/SettingsStore.h"

namespace velkor {

struct ConversionOutcome {
  std::string outputPath;  // the archive written
  std::string carName;     // the car folder's name (installations)
  std::string keptCopy;    // where the replaced archive was kept; empty when none
};

// First start: finds both games, stores their paths, registers the shell verbs and
// collects the reference files into programFolder.
GamePaths FirstRunSetup(Registry& registry, SettingsStore& settings, const std::string& programFolder);

// "--unregister": removes the verb keys of the class table and, on Linux, the file-manager
// entries; extension keys, settings and collected files stay.
void Unregister(Registry& registry);

// "/e": unpacks an archive into the folder beside it and leaves the folder in place.
void ExtractArchive(const std::string& archivePath);

// "/p": packs one level of a folder into an archive beside it.
void PackFolder(const std::string& folderPath);

// "/c3" "/ci3" "/c4" "/ci4" on an archive ending ".viv".
ConversionOutcome ConvertCar(const std::string& archivePath, Game target, bool install, const std::string& programFolder,
                const std::string& gamePath);

// "/c3" "/ci3" "/c4" "/ci4" on one loose file.
void ConvertSingleFile(const std::string& path, Game target);

}  // namespace velkor
