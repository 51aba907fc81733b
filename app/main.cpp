#include <exception>
#include <iostream>
#include <new>

#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "app/ListArchive.h"
#include "app/Usage.h"
#include "files/Errors.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

int main(int argc, char** argv) {
  using namespace velkor;
  try {
    const std::string commandLine = platform::CommandLineText(argc, argv);
    if (commandLine == "--help" || commandLine == "-h" || commandLine == "/?") {
      std::cout << kUsageText;
      return 0;
    }
    if (commandLine == "--version") {
      std::cout << "velkor " << VELKOR_VERSION << "\n";
      return 0;
    }
    if (commandLine == "--list" || commandLine.rfind("--list ", 0) == 0) {
      const Command command = SplitCommandLine(commandLine);
      if (command.commandPath.empty()) throw UsageError("'--list' needs a path");
      ListArchive(command.commandPath, std::cout);
      return 0;
    }
    const auto registry = OpenSystemRegistry();
    ConverterApp app(*registry, platform::ExecutablePath(), platform::ApplicationName());
    app.InitInstance(commandLine);
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
