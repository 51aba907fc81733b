#pragma once

// Every command Velkor knows, one row each: how it is spelled, what follows it, what it needs
// before it runs, whether it prints, what performs it and its line in the usage text. The
// parser, start-up, dispatch and the usage text all read these rows.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "app/Game.h"
#include "platform/Registry.h"
#include "settings/SettingsStore.h"

namespace velkor {

struct Command;
struct SetupReport;

// What follows the command word.
enum class Operands {
  None,      // nothing (an optional flag word aside)
  OnePath,   // one path: the rest of the command line, blanks included
  Words,     // a fixed number of words (`wordCount`), each one operand
};

// What must happen before the command runs.
enum class StartUp {
  Nothing,        // performed at once: no settings, no registry, no first-run setup
  RegistryOnly,   // the registry, but neither the settings nor the first-run setup
  FirstRunSetup,  // the settings, after the first-run setup when it has not completed
  SetupAgain,     // the settings, after running the first-run setup whatever was done before
};

// Where the command's help line goes in the usage text.
enum class UsageGroup {
  Hidden,    // not listed
  Verbs,     // the switches of the file-manager verbs, their operands lined up
  Options,   // the other commands
};

// What a command's handler is given besides the command: filled in as far as its start-up went.
struct RunContext {
  Registry* registry = nullptr;             // from StartUp::RegistryOnly on
  const SettingsStore* settings = nullptr;  // from StartUp::FirstRunSetup on
  std::string programFolder;                // from StartUp::FirstRunSetup on
  GamePaths paths;                          // from StartUp::FirstRunSetup on
  const SetupReport* setupReport = nullptr;  // when this run performed the first-run setup
};

using CommandHandler = void (*)(const Command& command, const RunContext& context);

struct CommandRow {
  std::array<std::string_view, 3> spellings{};  // compared exactly; the first is the one listed
  Operands operands = Operands::None;
  int wordCount = 0;               // Operands::Words: how many
  std::string_view optionalFlag{}; // a word that may follow the command ("--json"); empty: none
  StartUp startUp = StartUp::FirstRunSetup;
  bool printsOnStandardOutput = false;
  CommandHandler handler = nullptr;
  UsageGroup usageGroup = UsageGroup::Hidden;
  std::string_view usageOperands{};  // how the help line names the operands ("ARCHIVE.viv")
  std::string_view help{};

  std::string_view Name() const { return spellings.front(); }
};

// The rows in the order the usage text lists them.
std::span<const CommandRow> CommandTable();

// The row spelled `word`; nullptr when there is none.
const CommandRow* FindCommand(std::string_view word);

// The empty command line: only the start-up work.
const CommandRow& StartUpOnly();

}  // namespace velkor
