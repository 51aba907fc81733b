#include <exception>
#include <new>

#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "app/Notice.h"
#include "app/Usage.h"
#include "base/Errors.h"
#include "platform/Process.h"
#include "platform/ProgramLocation.h"
#include "platform/Report.h"
#include "settings/SystemRegistry.h"

namespace velkor {
namespace {

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
    command = ParseCommandLine(platform::ProgramCommandLine(argc, argv));
    if (command.PrintsOnStandardOutput()) platform::ConnectStandardOutput();
    if (command.NeedsNoSettings()) {
      if (!command.Valid()) throw UsageError(command.problem);
      command.row->handler(command, RunContext{});
      return 0;
    }
    const auto registry = OpenSystemRegistry();
    ConverterApp app(*registry, platform::ExecutablePath(), platform::ApplicationName());
    app.InitInstance(command);
    return 0;
  } catch (const UsageError& e) {
    return Failed(command, e.what(), "\n\n" + UsageText(), 2);
  } catch (const Error& e) {
    return Failed(command, e.what(), "", 1);
  } catch (const std::bad_alloc&) {
    return Failed(command, "out of memory", "", 1);
  } catch (const std::exception& e) {
    return Failed(command, std::string("unexpected failure: ") + e.what(), "", 1);
  }
}
