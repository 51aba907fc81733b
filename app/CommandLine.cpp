#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <optional>

namespace velkor {
namespace {

struct SwitchMeaning {
  const char* text;
  Action action;
  Game target;
  bool install;
};

// Switches compare exactly and case-sensitively, as the registered verbs write them.
constexpr std::array<SwitchMeaning, 8> kSwitches = {{
    {"/e", Action::Extract, Game::Nfs3, false},
    {"/p", Action::Pack, Game::Nfs3, false},
    {"/c3", Action::Convert, Game::Nfs3, false},
    {"/ci3", Action::Convert, Game::Nfs3, true},
    {"/c4", Action::Convert, Game::Nfs4, false},
    {"/ci4", Action::Convert, Game::Nfs4, true},
    {"--list", Action::List, Game::Nfs3, false},
    {"--restore", Action::Restore, Game::Nfs3, false},
}};

std::optional<SwitchMeaning> MeaningOf(const std::string& word) {
  for (const SwitchMeaning& meaning : kSwitches)
    if (word == meaning.text) return meaning;
  return std::nullopt;
}

Command Invalid(std::string problem) {
  Command command;
  command.action = Action::Invalid;
  command.problem = std::move(problem);
  return command;
}

}  // namespace

SplitText SplitCommandLine(const std::string& text) {
  SplitText split;
  const auto blank = text.find(' ');
  if (blank == std::string::npos) return split;
  split.commandSwitch = text.substr(0, blank);
  split.commandPath = text.substr(blank + 1);
  if (!split.commandPath.empty() && split.commandPath.front() == '"') split.commandPath.erase(0, 1);
  if (!text.empty() && text.back() == '"' && !split.commandPath.empty()) split.commandPath.pop_back();
  return split;
}

namespace {

Command ParseCommand(const std::string& text) {
  Command command;
  if (text.empty()) return command;
  if (text == "--unregister") {
    command.action = Action::Unregister;
    return command;
  }
  if (text == "--help" || text == "-h" || text == "/?" || text == "--version") {
    command.action = text == "--version" ? Action::Version : Action::Help;
    command.needsNoSettings = true;
    return command;
  }
  if (text == "--setup") {
    command.action = Action::Setup;
    return command;
  }
  const SplitText split = SplitCommandLine(text);
  if (split.commandSwitch == "--setup") return Invalid("'--setup' takes no path");
  const std::string word = split.commandSwitch.empty() ? text : split.commandSwitch;
  const auto meaning = MeaningOf(word);
  if (!meaning) return Invalid("unknown command '" + word + "'");
  if (split.commandPath.empty()) {
    command = Invalid("'" + word + "' needs a path");
  } else {
    command.action = meaning->action;
    command.path = split.commandPath;
  }
  command.needsNoSettings = meaning->action == Action::List;
  if (command.action == Action::Invalid) return command;
  command.target = meaning->target;
  command.install = meaning->install;
  return command;
}

}  // namespace

Command ParseCommandLine(const std::string& text) {
  constexpr std::string_view kNotify = "--notify";
  if (text.rfind(kNotify, 0) != 0 || (text.size() > kNotify.size() && text[kNotify.size()] != ' '))
    return ParseCommand(text);
  Command command = ParseCommand(text.substr(std::min(text.size(), kNotify.size() + 1)));
  if (command.action == Action::None) command = Invalid("'--notify' needs a command after it");
  command.notify = true;
  return command;
}

bool PrintsOnStandardOutput(const Command& command) {
  switch (command.action) {
    case Action::Help:
    case Action::Version:
    case Action::List:
    case Action::Setup:
    case Action::Restore: return true;
    default: return false;
  }
}

}  // namespace velkor
