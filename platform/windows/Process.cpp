#include "platform/Process.h"

#include "platform/windows/Win32.h"

namespace velkor::platform {

CommandLine ProgramCommandLine(int, char**) {
  // The program's name ends at the first blank outside double quotes, as the C runtime
  // reads it; the blanks after it do not belong to the text either.
  const char* p = ::GetCommandLineA();
  bool quoted = false;
  while (*p != '\0' && (quoted || (*p != ' ' && *p != '\t'))) {
    if (*p == '"') quoted = !quoted;
    ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return CommandLine{std::string(p), {}};
}

std::string FindProgram(const std::string&) { return ""; }

int RunProgram(const std::vector<std::string>&, std::chrono::milliseconds) { return -1; }

bool UserRunsProgram(const std::string&) { return false; }

}  // namespace velkor::platform
