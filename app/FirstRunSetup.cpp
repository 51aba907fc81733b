#include <array>
#include <vector>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "desktop/DesktopIntegration.h"
#include "files/AtomicOutput.h"
#include "files/GameFile.h"
#include "platform/PathResolver.h"
#include "platform/ProgramLocation.h"
#include "platform/Report.h"
#include "recogniser/OpenGameFile.h"
#include "settings/DataFolder.h"
#include "settings/GameDiscovery.h"
#include "settings/ShellClasses.h"
#include "settings/UserFolders.h"

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

std::string StoreGamePath(SettingsStore& settings, const GameSetup& game, const GameLocation& location) {
  std::string path = location.folder;
  // An empty InstallPath names no folder; taken literally it would make the root the game.
  if (path.empty()) {
    path = kNotAvailable;
  } else if (path.back() != platform::kPathSeparator) {
    path += platform::kPathSeparator;
  }
  if (const RegistryChange written = settings.WriteProfileString(kSection, game.settingsValue, path); !written)
    platform::ReportWarning(std::string("cannot write ") + game.settingsValue + " in " + settings.Describe(kSection) +
                            ": " + written.reason);
  return path;
}

void RegisterShellVerbs(Registry& registry, const std::string& programFolder) {
  const std::string executable = "\"" + programFolder + platform::kShellExecutableName + "\" ";
  // A value that cannot be written is passed over and the next one follows; one warning
  // then says how many failed and why.
  int failed = 0;
  std::string reason;
  const auto write = [&](const std::string& key, const std::string& value) {
    const RegistryChange written = registry.WriteString(RegistryRoot::ClassesRoot, key, "", value);
    if (!written && failed++ == 0) reason = written.reason;
  };
  for (const ShellClass& shellClass : ShellClasses()) {
    if (shellClass.extension) write(shellClass.extension, shellClass.classKey);
    for (const Verb& verb : shellClass.verbs) {
      const std::string verbKey = std::string(shellClass.classKey) + "\\shell\\" + verb.key;
      write(verbKey, verb.label);
      write(verbKey + "\\command", executable + verb.commandSwitch + " \"%1\"");
    }
  }
  if (failed > 0)
    platform::ReportWarning("cannot write " + std::to_string(failed) + " shell verb values in " + registry.Location() +
                            ": " + reason);
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

// Copies the files that converted cars need from the game's reference car into the
// reference folder, each read straight from the archive (nothing is written in the game's
// folder) and written whole or not at all, so that a conversion running meanwhile reads
// either the old file or the new one; returns the files written there. A reference car that
// cannot be used is skipped with a warning: the setup still completes, and a later
// conversion that needs the files says where they come from.
std::vector<std::string> CopyReferenceFiles(const GameSetup& game, const std::string& gamePath,
                                            const std::string& referenceFolder) {
  std::vector<std::string> copied;
  if (gamePath == kNotAvailable) return copied;
  const std::string archivePath = platform::ResolveInGameFolder(gamePath, game.referenceArchive);
  const std::string skipped = std::string("skipping ") + ShortName(game.game) + "'s reference files: ";
  if (!FileExists(archivePath)) {
    platform::ReportWarning(skipped + "cannot read '" + archivePath + "'");
    return copied;
  }
  VivArchive archive(archivePath, &OpenGameFile);
  archive.openPacked = &OpenPackedGameFile;
  try {
    archive.Load();
  } catch (const Error& e) {
    platform::ReportWarning(skipped + e.what());
    return copied;
  }
  for (const char* name : game.referenceFiles) {
    const GameFile* member = archive.Member(name);
    if (member == nullptr) continue;  // not in this reference car
    const std::string target = referenceFolder + name;
    try {
      platform::File in = member->OpenContent();
      AtomicOutput out(target);
      in.CopyRangeTo(out.file(), 0, in.Length());
      out.Commit();
      copied.push_back(target);
    } catch (const FileError& e) {
      platform::ReportWarning("cannot copy the reference file '" + member->path + "' to '" + target + "': " + e.reason());
    }
  }
  return copied;
}

}  // namespace

SetupReport FirstRunSetup(Registry& registry, SettingsStore& settings, const std::string& programFolder) {
  SetupReport report;
  const std::vector<GameLocation> found = FindGames(registry, {Games()[0].registryKey, Games()[1].registryKey});
  report.nfs3 = found[0];
  report.nfs4 = found[1];
  report.paths.nfs3Path = StoreGamePath(settings, Games()[0], report.nfs3);
  report.paths.nfs4Path = StoreGamePath(settings, Games()[1], report.nfs4);
  RegisterShellVerbs(registry, programFolder);
  if constexpr (!platform::kWindows)
    report.integrationWritten = desktop::RegisterDesktopIntegration(platform::ExecutablePath());

  report.referenceFolder = ReferenceFolder(programFolder);
  const bool anyGame = report.paths.nfs3Path != kNotAvailable || report.paths.nfs4Path != kNotAvailable;
  try {
    if (anyGame) ProvideFolders(report.referenceFolder);
  } catch (const FileError& e) {
    platform::ReportWarning("cannot create the folder '" + report.referenceFolder + "' for the reference files (" +
                            e.reason() + "); they are not collected");
    return report;
  }
  for (const auto& copied : {CopyReferenceFiles(Games()[0], report.paths.nfs3Path, report.referenceFolder),
                             CopyReferenceFiles(Games()[1], report.paths.nfs4Path, report.referenceFolder)})
    report.referenceFiles.insert(report.referenceFiles.end(), copied.begin(), copied.end());
  return report;
}

void Unregister(Registry& registry) {
  UnregisterShellVerbs(registry);
  if constexpr (!platform::kWindows) desktop::UnregisterDesktopIntegration();
}

}  // namespace velkor
