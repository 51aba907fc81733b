#pragma once

#include <string>

namespace velkor {

struct Command {
  std::string commandSwitch;  // text before the first blank; empty when there is none
  std::string commandPath;    // text after the first blank, enclosing quotes removed
};

// Splits the command-line text at its first blank. One leading double quote of the path
// is removed, and the last character of the path when the whole text ends with one.
Command SplitCommandLine(const std::string& text);

}  // namespace velkor
