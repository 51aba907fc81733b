#include "app/ConverterApp.h"

#include <iostream>
#include <utility>

#include "app/CommandLine.h"
#include "app/InstalledCars.h"
#include "app/Notice.h"
#include "app/SetupReport.h"
#include "app/Workflows.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "settings/DataFolder.h"
#include "settings/SettingsStore.h"

namespace velkor {
namespace {

constexpr const char* kSection = "Settings";

// With --notify, a car that went into a game's car folder is announced on the desktop.
void AnnounceInstalledCar(const Command& command, Game game, const ConversionOutcome& outcome) {
  if (!command.notify) return;
  std::string body = "'" + outcome.carName + "' is in " + ShortName(game) + "'s cars: " + outcome.outputPath;
  if (!outcome.keptCopy.empty()) body += "\nThe car it replaced was kept as " + outcome.keptCopy;
  NotifyDesktop("Velkor installed " + outcome.carName, body, false);
}

void Convert(const Command& command, const std::string& gamePath, const std::string& programFolder,
             const SettingsStore& settings) {
  const Game target = command.target;
  if (gamePath == kNotAvailable) {
    throw CommandError(std::string("cannot convert to ") + ShortName(target) + ": " + FullName(target) +
                       " was not found when Velkor first ran (" + ShortName(target) + "Path is \"N/A\" in " +
                       settings.Describe(kSection) + "); install the game and run velkor --setup, or enter " +
                       "the game's folder as " + ShortName(target) + "Path");
  }
  // An archive is a whole car; the ending is compared exactly, as the shell verbs pass it.
  if (EndsWith(command.path, ".viv")) {
    const ConversionOutcome outcome =
        ConvertCar(command.path, target, command.install, ReferenceFolder(programFolder), gamePath, KeptCarsFolder());
    if (command.install) {
      AnnounceInstalledCar(command, target, outcome);
      WarnIfSerialShared(target, gamePath, outcome.carName, outcome.outputPath, command.notify);
    }
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
  // Removing the registrations must not start by making them.
  if (command.action == Action::Unregister) {
    Unregister(registry_);
    return;
  }
  SettingsStore settings(registry_, applicationName_);
  settings.SetRegistryKey("Velkor");
  const std::string programFolder = ProgramFolderOf(executablePath_);

  GamePaths paths;
  if (settings.GetProfileInt(kSection, "Installed", 0) != 0 && command.action != Action::Setup) {
    paths.nfs3Path = settings.GetProfileString(kSection, "NFS3Path", "");
    paths.nfs4Path = settings.GetProfileString(kSection, "NFS4Path", "");
  } else {
    // "--setup" runs the setup whatever "Installed" says, once.
    const SetupReport report = FirstRunSetup(registry_, settings, programFolder);
    paths = report.paths;
    if (const RegistryChange written = settings.WriteProfileInt(kSection, "Installed", 1); !written)
      platform::ReportWarning("cannot write the settings in " + settings.Describe(kSection) + ": " + written.reason +
                              "; the first-run setup will run again next time");
    if (command.action == Action::Setup) PrintSetupReport(report, std::cout);
  }

  switch (command.action) {
    case Action::None: return;
    case Action::Extract: ExtractArchive(command.path); return;
    case Action::Pack: PackFolder(command.path); return;
    case Action::Convert:
      Convert(command, command.target == Game::Nfs3 ? paths.nfs3Path : paths.nfs4Path, programFolder, settings);
      return;
    case Action::Setup: return;
    case Action::Restore: {
      const RestoreOutcome restored = RestoreCar(command.path, paths, KeptCarsFolder());
      std::cout << "restored '" << restored.installed.outputPath << "' from '" << restored.restoredFrom << "'\n";
      if (!restored.installed.keptCopy.empty())
        std::cout << "the archive it replaced is kept as '" << restored.installed.keptCopy << "'\n";
      return;
    }
    case Action::Invalid: throw UsageError(command.problem);
    default: throw InternalError("command performed before the settings were opened");
  }
}

}  // namespace velkor
