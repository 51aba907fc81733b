#include <exception>
#include <iostream>
#include <new>

#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "app/ListArchive.h"
#include "app/Usage.h"
#include "base/Errors.h"
#include "platform/Platform.h"
#include "settings/SystemRegistry.h"

namespace velkor {
namespace {

// Help, version and listing: performed without the settings or the start-up work.
void PerformWithoutSettings(const Command& command) {
  if (command.action != Action::Invalid) platform::ConnectStandardOutput();
  switch (command.action) {
    case Action::Help: std::cout << kUsageText; return;
    case Action::Version: std::cout << "velkor " << VELKOR_VERSION << "\n"; return;
    case Action::List: ListArchive(command.path, std::cout); return;
    case Action::Invalid: throw UsageError(command.problem);
    default: throw InternalError("command needs the settings");
  }
}

}  // namespace
}  // namespace velkor

int main(int argc, char** argv) {
  using namespace velkor;
  try {
    const Command command = ParseCommandLine(platform::CommandLineText(argc, argv));
    if (command.needsNoSettings) {
      PerformWithoutSettings(command);
      return 0;
    }
    const auto registry = OpenSystemRegistry();
    ConverterApp app(*registry, platform::ExecutablePath(), platform::ApplicationName());
    app.InitInstance(command);
    return 0;
  } catch (const UsageError& e) {
    platform::ReportError(std::string(e.what()) + "\n\n" + kUsageText);
    return 2;
  } catch (const Error& e) {
    platform::ReportError(e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    platform::ReportError("out of memory");
    return 1;
  } catch (const std::exception& e) {
    platform::ReportError(std::string("unexpected failure: ") + e.what());
    return 1;
  }
}
