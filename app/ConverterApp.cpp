#include "app/ConverterApp.h"

#include <utility>

#include "app/CommandLine.h"
#include "app/Workflows.h"
#include "files/Errors.h"
#include "platform/Platform.h"
#include "platform/Settings.h"

namespace velkor {
namespace {

constexpr const char* kSection = "Settings";

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void Convert(const Command& command, Game target, const std::string& gamePath, const std::string& programFolder,
             const SettingsStore& settings) {
  if (gamePath == kNotAvailable) {
    throw CommandError(std::string("cannot convert to ") + ShortName(target) + ": " + FullName(target) +
                       " was not found when Velkor first ran (" + ShortName(target) + "Path is \"N/A\" in " +
                       settings.Describe(kSection) + "); install the game, set \"Installed\" to 0 there and run " +
                       "Velkor once, or enter the game's folder as " + ShortName(target) + "Path");
  }
  const bool install = command.commandSwitch.size() == 4;  // "/ci3", "/ci4"
  if (EndsWith(command.commandPath, ".viv")) {
    ConvertCar(command.commandPath, target, install, programFolder, gamePath);
  } else {
    ConvertSingleFile(command.commandPath, target);
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

bool ConverterApp::InitInstance(const std::string& commandLine) {
  SettingsStore settings(registry_, applicationName_);
  settings.SetRegistryKey("Velkor");
  const std::string programFolder = ProgramFolderOf(executablePath_);

  GamePaths paths;
  if (settings.GetProfileInt(kSection, "Installed", 0) != 0) {
    paths.nfs3Path = settings.GetProfileString(kSection, "NFS3Path", "");
    paths.nfs4Path = settings.GetProfileString(kSection, "NFS4Path", "");
  } else {
    paths = FirstRunSetup(registry_, settings, programFolder);
    if (!settings.WriteProfileInt(kSection, "Installed", 1))
      platform::ReportWarning("cannot write the settings in " + settings.Describe(kSection) +
                              "; the first-run setup will run again next time");
  }

  if (commandLine.empty()) return false;
  const Command command = SplitCommandLine(commandLine);
  const std::string& sw = command.commandSwitch;
  const bool known = sw == "/e" || sw == "/p" || sw == "/c3" || sw == "/ci3" || sw == "/c4" || sw == "/ci4";
  if (!known) {
    const std::string word = sw.empty() ? commandLine : sw;
    const bool isSwitchAlone = word == "/e" || word == "/p" || word == "/c3" || word == "/ci3" || word == "/c4" ||
                               word == "/ci4";
    throw UsageError(isSwitchAlone ? "'" + word + "' needs a path" : "unknown command '" + word + "'");
  }
  if (command.commandPath.empty()) throw UsageError("'" + sw + "' needs a path");

  if (sw == "/e") {
    ExtractArchive(command.commandPath);
  } else if (sw == "/p") {
    PackFolder(command.commandPath);
  } else if (sw == "/c3" || sw == "/ci3") {
    Convert(command, Game::Nfs3, paths.nfs3Path, programFolder, settings);
  } else {
    Convert(command, Game::Nfs4, paths.nfs4Path, programFolder, settings);
  }
  return false;
}

}  // namespace velkor
