#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "platform/Process.h"

namespace velkor {

// The command-line text split at its first blank, as a file manager's verb passes it.
struct SplitText {
  std::string commandSwitch;  // text before the first blank; empty when there is none
  std::string commandPath;    // text after the first blank, enclosing quotes removed
};

// Splits the command-line text at its first blank. One leading double quote of the path
// is removed, and the last character of the path when the whole text ends with one.
SplitText SplitCommandLine(const std::string& text);

// Before a command: its outcome also goes to the desktop.
inline constexpr std::string_view kNotifyWord = "--notify";

// What one run is asked to do, read once from the command line.
struct Command {
  const CommandRow* row = &StartUpOnly();  // the command; nullptr for a word Velkor does not know
  std::string path;                 // Operands::OnePath
  std::vector<std::string> words;   // Operands::Words
  bool flag = false;                // the row's optional flag word was given
  std::string problem;  // not empty: the command cannot be performed, for the usage error
  bool notify = false;  // --notify before the command: the outcome also goes to the desktop

  bool Valid() const { return problem.empty(); }
  // Performed before anything else: no settings, no first-run setup. A known command
  // of that kind given wrongly is reported at once too.
  bool NeedsNoSettings() const { return row && row->startUp == StartUp::Nothing; }
  // Prints its result on standard output, which a Windows program must first connect to a console.
  bool PrintsOnStandardOutput() const { return Valid() && row->printsOnStandardOutput; }
};

// Reads the command line, as the system passed it. "--notify" is accepted only as the first word, before another
// command. Never raises: a command line it cannot read becomes a command with a problem,
// reported as a usage error only after the start-up work (unless the command needs none).
// The rows are the command table's unless given.
Command ParseCommandLine(const platform::CommandLine& commandLine, std::span<const CommandRow> rows = CommandTable());

// The same for the command line as one text (as Windows passes it).
Command ParseCommandLine(const std::string& text, std::span<const CommandRow> rows = CommandTable());

}  // namespace velkor
