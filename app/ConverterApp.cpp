#include "app/ConverterApp.h"

#include <utility>

#include "app/CommandLine.h"
#include "app/Workflows.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"

namespace velkor {
namespace {

constexpr const char* kSection = "Settings";

void Convert(const Command& command, const std::string& gamePath, const std::string& programFolder,
             const SettingsStore& settings) {
  const Game target = command.target;
  if (gamePath == kNotAvailable) {
    throw CommandError(std::string("cannot convert to ") + ShortName(target) + ": " + FullName(target) +
                       " was not found when Velkor first ran (" + ShortName(target) + "Path is \"N/A\" in " +
                       settings.Describe(kSection) + "); install the game, set \"Installed\" to 0 there and run " +
                       "Velkor once, or enter the game's folder as " + ShortName(target) + "Path");
  }
  // An archive is a whole car; the ending is compared exactly, as the shell verbs pass it.
  if (EndsWith(command.path, ".viv")) {
    ConvertCar(command.path, target, command.install, programFolder, gamePath);
  } else {
    ConvertSingleFile(command.path, target);
  }
}

}  // namespace

std::string ProgramFolderOf(const std::string& executablePath) {
  std::string folder = executablePath;
  while (!folder.empty() && folder.back() != platform::kPathSeparator) folder.pop_back();
  return folder;
}

ConverterApp::ConverterApp(Registry& registry, std::string executablePath, std::string applicationName)
    : registry_(registry), executablePath_(std::move(executablePath)), applicationName_(std::move(applicationName)) {}

void ConverterApp::InitInstance(const Command& command) {
  SettingsStore settings(registry_, applicationName_);
  settings.SetRegistryKey("Velkor");
  const std::string programFolder = ProgramFolderOf(executablePath_);

  GamePaths paths;
  if (settings.GetProfileInt(kSection, "Installed", 0) != 0) {
    paths.nfs3Path = settings.GetProfileString(kSection, "NFS3Path", "");
    paths.nfs4Path = settings.GetProfileString(kSection, "NFS4Path", "");
  } else {
    paths = FirstRunSetup(registry_, settings, programFolder);
    if (const RegistryChange written = settings.WriteProfileInt(kSection, "Installed", 1); !written)
      platform::ReportWarning("cannot write the settings in " + settings.Describe(kSection) + ": " + written.reason +
                              "; the first-run setup will run again next time");
  }

  switch (command.action) {
    case Action::None: return;
    case Action::Extract: ExtractArchive(command.path); return;
    case Action::Pack: PackFolder(command.path); return;
    case Action::Convert:
      Convert(command, command.target == Game::Nfs3 ? paths.nfs3Path : paths.nfs4Path, programFolder, settings);
      return;
    case Action::Invalid: throw UsageError(command.problem);
    default: throw InternalError("command performed before the settings were opened");
  }
}

}  // namespace velkor
