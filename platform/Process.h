#pragma once

// The program's own command line, and the other programs it starts or looks for.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace velkor::platform {

// The command line as the system hands it to the program. POSIX passes the arguments after
// the program's name one by one, each exactly as given; Windows passes one text, the
// process command line less the program's name and the blanks after it, which the program
// splits itself.
struct CommandLine {
  std::optional<std::string> text;  // Windows
  std::vector<std::string> arguments;  // POSIX
};
CommandLine ProgramCommandLine(int argc, char** argv);

// Where the program `name` is found in the folders of $PATH; empty when it is not there
// (always empty on Windows, where Velkor starts no helper programs).
std::string FindProgram(const std::string& name);

// Runs argv[0] with the arguments, its output discarded, and waits for it at most
// `timeLimit`: its exit status, -1 when it could not be started or did not end normally, or
// kProgramTimedOut when it was still running then and was killed, with what it started.
constexpr int kProgramTimedOut = -2;
int RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeLimit);

// Whether a process of the user running Velkor has the program name `name` (always false
// on Windows, where nothing asks).
bool UserRunsProgram(const std::string& name);

}  // namespace velkor::platform
