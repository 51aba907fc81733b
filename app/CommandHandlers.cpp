#include "app/CommandHandlers.h"

#include <iostream>

#include "app/KeptCars.h"
#include "app/ConverterApp.h"
#include "app/ListArchive.h"
#include "app/Notice.h"
#include "app/SetupReport.h"
#include "app/Usage.h"
#include "app/Workflows.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "settings/DataFolder.h"

namespace velkor {
namespace {

// With --notify, a car that went into a game's car folder is announced on the desktop.
void AnnounceInstalledCar(const Command& command, Game game, const ConversionOutcome& outcome) {
  if (!command.notify) return;
  std::string body = "'" + outcome.carName + "' is in " + ShortName(game) + "'s cars: " + outcome.outputPath;
  if (!outcome.keptCopy.empty()) body += "\nThe car it replaced was kept as " + outcome.keptCopy;
  NotifyDesktop("Velkor installed " + outcome.carName, body, false);
}

}  // namespace

void ShowUsage(const Command&, const RunContext&) { std::cout << UsageText(); }

void ShowVersion(const Command&, const RunContext&) { std::cout << "velkor " << VELKOR_VERSION << "\n"; }

void ListArchiveCommand(const Command& command, const RunContext&) { ListArchive(command.path, std::cout); }

void ExtractCommand(const Command& command, const RunContext&) { ExtractArchive(command.path); }

void PackCommand(const Command& command, const RunContext&) { PackFolder(command.path); }

void RestoreCommand(const Command& command, const RunContext& context) {
  const RestoreOutcome restored = RestoreCar(command.path, context.paths, KeptCarsFolder());
  std::cout << "restored '" << restored.installed.outputPath << "' from '" << restored.restoredFrom << "'\n";
  if (!restored.installed.keptCopy.empty())
    std::cout << "the archive it replaced is kept as '" << restored.installed.keptCopy << "'\n";
}

void UnregisterCommand(const Command&, const RunContext& context) { Unregister(*context.registry); }

void SetupCommand(const Command&, const RunContext& context) {
  if (!context.setupReport) throw InternalError("the setup report is missing");
  PrintSetupReport(*context.setupReport, std::cout);
}

void NothingMore(const Command&, const RunContext&) {}

void ConvertCommand(const Command& command, const RunContext& context, Game target, bool install) {
  const std::string& gamePath = target == Game::Nfs3 ? context.paths.nfs3Path : context.paths.nfs4Path;
  if (gamePath == kNotAvailable) {
    throw CommandError(std::string("cannot convert to ") + ShortName(target) + ": " + FullName(target) +
                       " was not found when Velkor first ran (" + ShortName(target) + "Path is \"N/A\" in " +
                       context.settings->Describe(kSettingsSection) + "); install the game and run velkor --setup, " +
                       "or enter the game's folder as " + ShortName(target) + "Path");
  }
  // An archive is a whole car; the ending is compared exactly, as the shell verbs pass it.
  if (EndsWith(command.path, ".viv")) {
    const ConversionOutcome outcome = ConvertCar(command.path, target, install, ReferenceFolder(context.programFolder),
                                                 gamePath, KeptCarsFolder());
    if (install) AnnounceInstalledCar(command, target, outcome);
  } else {
    ConvertSingleFile(command.path, target);
  }
}

}  // namespace velkor
