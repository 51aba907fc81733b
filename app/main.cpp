#include <exception>
#include <iostream>
#include <new>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "app/ListArchive.h"
#include "app/Notice.h"
#include "app/Thumbnail.h"
#include "app/Usage.h"
#include "base/Errors.h"
#include "platform/Platform.h"
#include "settings/SystemRegistry.h"

namespace velkor {
namespace {

// Help, version and listing: performed without the settings or the start-up work.
void PerformWithoutSettings(const Command& command) {
  switch (command.action) {
    case Action::Help: std::cout << kUsageText; return;
    case Action::Version: std::cout << "velkor " << VELKOR_VERSION << "\n"; return;
    case Action::List: ListArchive(command.path, std::cout); return;
    case Action::Invalid: throw UsageError(command.problem);
    default: throw InternalError("command needs the settings");
  }
}

// Reports a failure on stderr and, for a command started with --notify, on the desktop.
int Failed(const Command& command, const std::string& message, const std::string& details, int status) {
  platform::ReportError(message + details);
  if (command.notify) NotifyDesktop("Velkor failed", message, true);
  return status;
}

}  // namespace
}  // namespace velkor

int main(int argc, char** argv) {
  using namespace velkor;
  Command command;
  try {
    if (argc >= 2 && std::string_view(argv[1]) == "--thumbnail") {
      ThumbnailCommand(std::vector<std::string>(argv + 2, argv + argc));
      return 0;
    }
    command = ParseCommandLine(platform::CommandLineText(argc, argv));
    if (PrintsOnStandardOutput(command)) platform::ConnectStandardOutput();
    if (command.needsNoSettings) {
      PerformWithoutSettings(command);
      return 0;
    }
    const auto registry = OpenSystemRegistry();
    ConverterApp app(*registry, platform::ExecutablePath(), platform::ApplicationName());
    app.InitInstance(command);
    return 0;
  } catch (const UsageError& e) {
    return Failed(command, e.what(), std::string("\n\n") + kUsageText, 2);
  } catch (const Error& e) {
    return Failed(command, e.what(), "", 1);
  } catch (const std::bad_alloc&) {
    return Failed(command, "out of memory", "", 1);
  } catch (const std::exception& e) {
    return Failed(command, std::string("unexpected failure: ") + e.what(), "", 1);
  }
}
