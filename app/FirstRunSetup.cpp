#include <array>
#include <vector>

#include "app/Workflows.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "files/GameFile.h"
#include "platform/PathResolver.h"
#include "platform/Platform.h"
#include "recogniser/OpenGameFile.h"
#include "settings/GameDiscovery.h"

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
  if (const RegistryChange written = settings.WriteProfileString(kSection, game.settingsValue, path); !written)
    platform::ReportWarning(std::string("cannot write ") + game.settingsValue + " in " + settings.Describe(kSection) +
                            ": " + written.reason);
  return path;
}

struct Verb {
  const char* key;
  const char* label;
  const char* commandSwitch;
};

constexpr Verb kPack{"pack", "Pack to new VIV", "/p"};
constexpr Verb kExtract{"extract", "Extract to new folder", "/e"};
constexpr Verb kConvert3{"convert3", "Convert to NFS3", "/c3"};
constexpr Verb kConvertInstall3{"convertinstall3", "Convert to NFS3 and install", "/ci3"};
constexpr Verb kConvert4{"convert4", "Convert to NFS4", "/c4"};
constexpr Verb kConvertInstall4{"convertinstall4", "Convert to NFS4 and install", "/ci4"};

struct ShellClass {
  const char* extension;  // nullptr: the class is not bound to an extension
  const char* classKey;
  std::vector<Verb> verbs;
};

void RegisterShellVerbs(Registry& registry, const std::string& programFolder) {
  static const std::vector<ShellClass> classes = {
      {nullptr, "Folder", {kPack}},
      {".viv", "vivfile", {kExtract, kConvert3, kConvertInstall3, kConvert4, kConvertInstall4}},
      {".fce", "fcefile", {kConvert3, kConvert4}},
      {".eng", "engfile", {kConvert3, kConvert4}},
      {".bri", "brifile", {kConvert3, kConvert4}},
      {".ger", "gerfile", {kConvert3, kConvert4}},
      {".fre", "frefile", {kConvert3, kConvert4}},
      {".ita", "itafile", {kConvert3, kConvert4}},
      {".spa", "spafile", {kConvert3, kConvert4}},
      {".swe", "swefile", {kConvert3, kConvert4}},
      {".txt", "txtfile", {kConvert3, kConvert4}},
  };
  const std::string executable = "\"" + programFolder + platform::kShellExecutableName + "\" ";
  // A value that cannot be written is passed over and the next one follows; one warning
  // then says how many failed and why.
  int failed = 0;
  std::string reason;
  const auto write = [&](const std::string& key, const std::string& value) {
    const RegistryChange written = registry.WriteString(RegistryRoot::ClassesRoot, key, "", value);
    if (!written && failed++ == 0) reason = written.reason;
  };
  for (const ShellClass& shellClass : classes) {
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
    try {
      platform::CopyFileReplacing(source, target);
    } catch (const FileError& e) {
      platform::ReportWarning("cannot copy the reference file '" + source + "' to '" + target + "': " + e.reason());
    }
  }
}

}  // namespace

GamePaths FirstRunSetup(Registry& registry, SettingsStore& settings, const std::string& programFolder) {
  GamePaths paths;
  paths.nfs3Path = StoreGamePath(registry, settings, Games()[0]);
  paths.nfs4Path = StoreGamePath(registry, settings, Games()[1]);
  RegisterShellVerbs(registry, programFolder);
  CopyReferenceFiles(Games()[0], paths.nfs3Path, programFolder);
  CopyReferenceFiles(Games()[1], paths.nfs4Path, programFolder);
  return paths;
}

}  // namespace velkor
