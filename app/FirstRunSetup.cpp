#include <array>
#include <vector>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "desktop/DesktopIntegration.h"
#include "files/GameFile.h"
#include "platform/PathResolver.h"
#include "platform/Platform.h"
#include "recogniser/OpenGameFile.h"
#include "settings/GameDiscovery.h"
#include "settings/ShellClasses.h"

namespace velkor {
namespace {

constexpr const char* kSection = "Settings";

struct GameSetup {
  Game game;
  const char* registryKey;
  const char* settingsValue;
  const char* referenceArchive;  // below the game folder, "/"-separated
  std::vector<const char*> referenceFiles;
};

const std::array<GameSetup, 2>& Games() {
  static const std::array<GameSetup, 2> games{{
      {Game::Nfs3, "Software\\Electronic Arts\\Need For Speed III", "NFS3Path", "gamedata/carmodel/fm50/car.viv",
       {"dash.qfs", "ocar.bnk", "ocard.bnk", "scar.bnk"}},
      {Game::Nfs4, "Software\\Electronic Arts\\Need for Speed High Stakes", "NFS4Path", "data/cars/fm50/car.viv",
       {"dash.fsh", "dash.fce", "dash00.tga", "careng.ctb", "careng.ltb", "careng.bnk", "ocareng.bnk",
        "scareng.bnk"}},
  }};
  return games;
}

std::string StoreGamePath(Registry& registry, SettingsStore& settings, const GameSetup& game) {
  std::string path = ReadGameInstallPath(registry, game.registryKey).value_or("");
  // An empty InstallPath names no folder; taken literally it would make the root the game.
  if (path.empty()) {
    path = kNotAvailable;
  } else if (path.back() != platform::kPathSeparator) {
    path += platform::kPathSeparator;
  }
  settings.WriteProfileString(kSection, game.settingsValue, path);
  return path;
}

void RegisterShellVerbs(Registry& registry, const std::string& programFolder) {
  const std::string executable = "\"" + programFolder + platform::kShellExecutableName + "\" ";
  // A value that cannot be written is passed over; the next one follows.
  for (const ShellClass& shellClass : ShellClasses()) {
    if (shellClass.extension) registry.WriteString(RegistryRoot::ClassesRoot, shellClass.extension, "", shellClass.classKey);
    for (const Verb& verb : shellClass.verbs) {
      const std::string verbKey = std::string(shellClass.classKey) + "\\shell\\" + verb.key;
      registry.WriteString(RegistryRoot::ClassesRoot, verbKey, "", verb.label);
      registry.WriteString(RegistryRoot::ClassesRoot, verbKey + "\\command", "",
                           executable + verb.commandSwitch + " \"%1\"");
    }
  }
}

void UnregisterShellVerbs(Registry& registry) {
  for (const ShellClass& shellClass : ShellClasses())
    for (const Verb& verb : shellClass.verbs) {
      const std::string verbKey = std::string(shellClass.classKey) + "\\shell\\" + verb.key;
      if (!registry.DeleteKey(RegistryRoot::ClassesRoot, verbKey))
        platform::ReportWarning("cannot remove '" + std::string(RootName(RegistryRoot::ClassesRoot)) + "\\" + verbKey +
                                "' from " + registry.Location());
    }
}

// Unpacks the game's reference car and copies the files that converted cars need into
// programFolder. A reference car that cannot be used is skipped with a warning: the setup
// still completes, and a later conversion that needs the files says where they come from.
void CopyReferenceFiles(const GameSetup& game, const std::string& gamePath, const std::string& programFolder) {
  if (gamePath == kNotAvailable) return;
  const std::string archivePath = platform::ResolveInGameFolder(gamePath, game.referenceArchive);
  const std::string skipped = std::string("skipping ") + ShortName(game.game) + "'s reference files: ";
  if (!FileExists(archivePath)) {
    platform::ReportWarning(skipped + "cannot read '" + archivePath + "'");
    return;
  }
  const std::string workingFolder = DropLastCharacters(archivePath, 4);
  if (platform::IsFolder(workingFolder) || FileExists(workingFolder) || platform::IsSymbolicLink(workingFolder)) {
    platform::ReportWarning(skipped + "'" + workingFolder + "' already exists and may hold your files");
    return;
  }
  VivArchive archive(archivePath, &OpenGameFile);
  try {
    archive.Load();
  } catch (const Error& e) {
    platform::ReportWarning(skipped + e.what());
    return;
  }
  for (const char* name : game.referenceFiles) {
    const std::string source = platform::ResolveInGameFolder(workingFolder + platform::kPathSeparator, name);
    if (!FileExists(source)) continue;  // not in this reference car
    const std::string target = programFolder + name;
    if (!platform::CopyFileReplacing(source, target))
      platform::ReportWarning("cannot copy the reference file '" + source + "' to '" + target + "'");
  }
}

}  // namespace

GamePaths FirstRunSetup(Registry& registry, SettingsStore& settings, const std::string& programFolder) {
  GamePaths paths;
  paths.nfs3Path = StoreGamePath(registry, settings, Games()[0]);
  paths.nfs4Path = StoreGamePath(registry, settings, Games()[1]);
  RegisterShellVerbs(registry, programFolder);
  if constexpr (!platform::kWindows) desktop::RegisterDesktopIntegration(platform::ExecutablePath());
  CopyReferenceFiles(Games()[0], paths.nfs3Path, programFolder);
  CopyReferenceFiles(Games()[1], paths.nfs4Path, programFolder);
  return paths;
}

void Unregister(Registry& registry) {
  UnregisterShellVerbs(registry);
  if constexpr (!platform::kWindows) desktop::UnregisterDesktopIntegration();
}

}  // namespace velkor
