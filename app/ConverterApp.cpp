#include "app/ConverterApp.h"

#include <optional>
#include <utility>

#include "app/CommandLine.h"
#include "app/Workflows.h"
#include "base/Errors.h"
#include "platform/ProgramLocation.h"
#include "platform/Report.h"
#include "settings/SettingsStore.h"

namespace velkor {

std::string ProgramFolderOf(const std::string& executablePath) {
  std::string folder = executablePath;
  while (!folder.empty() && folder.back() != platform::kPathSeparator) folder.pop_back();
  return folder;
}

ConverterApp::ConverterApp(Registry& registry, std::string executablePath, std::string applicationName)
    : registry_(registry), executablePath_(std::move(executablePath)), applicationName_(std::move(applicationName)) {}

void ConverterApp::InitInstance(const Command& command) {
  RunContext context;
  context.registry = &registry_;
  const StartUp startUp = command.row ? command.row->startUp : StartUp::FirstRunSetup;
  if (command.Valid() && (startUp == StartUp::Nothing || startUp == StartUp::RegistryOnly)) {
    command.row->handler(command, context);
    return;
  }
  SettingsStore settings(registry_, applicationName_);
  settings.SetRegistryKey("Velkor");
  context.settings = &settings;
  context.programFolder = ProgramFolderOf(executablePath_);

  std::optional<SetupReport> report;
  // "--setup" runs the setup whatever "Installed" says, once.
  const bool setupAgain = command.Valid() && startUp == StartUp::SetupAgain;
  if (settings.GetProfileInt(kSettingsSection, "Installed", 0) != 0 && !setupAgain) {
    context.paths.nfs3Path = settings.GetProfileString(kSettingsSection, "NFS3Path", "");
    context.paths.nfs4Path = settings.GetProfileString(kSettingsSection, "NFS4Path", "");
  } else {
    report = FirstRunSetup(registry_, settings, context.programFolder);
    context.paths = report->paths;
    context.setupReport = &*report;
    if (const RegistryChange written = settings.WriteProfileInt(kSettingsSection, "Installed", 1); !written)
      platform::ReportWarning("cannot write the settings in " + settings.Describe(kSettingsSection) + ": " +
                              written.reason + "; the first-run setup will run again next time");
  }

  if (!command.Valid()) throw UsageError(command.problem);
  command.row->handler(command, context);
}

}  // namespace velkor
