#include "app/CommandLine.h"

namespace velkor {

Command SplitCommandLine(const std::string& text) {
  Command command;
  const auto blank = text.find(' ');
  if (blank == std::string::npos) return command;
  command.commandSwitch = text.substr(0, blank);
  command.commandPath = text.substr(blank + 1);
  if (!command.commandPath.empty() && command.commandPath.front() == '"') command.commandPath.erase(0, 1);
  if (!text.empty() && text.back() == '"' && !command.commandPath.empty()) command.commandPath.pop_back();
  return command;
}

}  // namespace velkor
