#pragma once

#include <string>

#include "app/CommandLine.h"
#include "platform/Registry.h"

namespace velkor {

// The section of the settings that holds Velkor's values.
inline constexpr const char* kSettingsSection = "Settings";

// The application: each start performs one command from the command line and ends.
class ConverterApp {
 public:
  ConverterApp(Registry& registry, std::string executablePath, std::string applicationName);

  // Does the start-up work the command's row asks for (the settings, the first-run setup when
  // it has not completed), then performs the command. Raises UsageError for a command that
  // cannot be performed (after the setup), Error when the command fails.
  void InitInstance(const Command& command);

 private:
  Registry& registry_;
  std::string executablePath_;
  std::string applicationName_;
};

// The executable's folder, ending with its separator: characters are dropped from the
// end of the path until the last one is a separator.
std::string ProgramFolderOf(const std::string& executablePath);

}  // namespace velkor
