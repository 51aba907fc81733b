#include "app/CommandLine.h"

#include <algorithm>
#include <span>

namespace velkor {
namespace {

// The command word and what follows it, read from either form of the command line.
struct Words {
  std::string command;
  bool followed = false;            // something, perhaps empty, follows the command word
  std::string path;                 // what follows, taken as one path
  std::vector<std::string> operands;  // what follows, taken as separate words
};

// Blanks outside double quotes separate the words; the quotes themselves are dropped.
std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

Words FromText(const std::string& text) {
  const SplitText split = SplitCommandLine(text);
  Words words;
  words.command = split.commandSwitch.empty() ? text : split.commandSwitch;
  words.followed = !split.commandSwitch.empty();
  words.path = split.commandPath;
  if (words.followed) words.operands = SplitWords(text.substr(split.commandSwitch.size() + 1));
  return words;
}

// The arguments as the system passed them: a path given as one argument is taken exactly as
// given (a file manager passes any file name so), but for one pair of enclosing double quotes;
// a lone quote at either end belongs to the name. Several arguments after the command word
// are joined with single blanks, as one text would hold them.
Words FromArguments(std::span<const std::string> arguments) {
  Words words;
  if (arguments.empty()) return words;
  words.command = arguments.front();
  words.followed = arguments.size() > 1;
  words.operands.assign(arguments.begin() + 1, arguments.end());
  for (std::size_t i = 0; i < words.operands.size(); ++i) words.path += (i == 0 ? "" : " ") + words.operands[i];
  if (words.path.size() >= 2 && words.path.front() == '"' && words.path.back() == '"')
    words.path = words.path.substr(1, words.path.size() - 2);
  return words;
}

Command WithProblem(Command command, std::string problem) {
  command.problem = std::move(problem);
  return command;
}

Command Interpret(const Words& words, std::span<const CommandRow> rows) {
  Command command;
  if (words.command.empty() && !words.followed) return command;
  command.row = FindCommand(words.command, rows);
  const std::string quotedWord = "'" + words.command + "'";
  if (!command.row) return WithProblem(command, "unknown command " + quotedWord);
  const CommandRow& row = *command.row;
  switch (row.operands) {
    case Operands::None:
      if (!words.followed) return command;
      if (!row.optionalFlag.empty() && words.operands == std::vector<std::string>{std::string(row.optionalFlag)}) {
        command.flag = true;
        return command;
      }
      if (!row.optionalFlag.empty())
        return WithProblem(command, quotedWord + " takes only '" + std::string(row.optionalFlag) + "' after it");
      return WithProblem(command, quotedWord + " takes no path");
    case Operands::OnePath:
      if (words.path.empty()) return WithProblem(command, quotedWord + " needs a path");
      command.path = words.path;
      return command;
    case Operands::Words:
      if (words.operands.size() != static_cast<std::size_t>(row.wordCount))
        return WithProblem(command, quotedWord + " needs " + std::string(row.usageOperands));
      command.words = words.operands;
      return command;
  }
  return command;
}

Command WithNotify(Command command) {
  if (command.Valid() && command.row == &StartUpOnly())
    command.problem = "'" + std::string(kNotifyWord) + "' needs a command after it";
  command.notify = true;
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

Command ParseCommandLine(const std::string& text, std::span<const CommandRow> rows) {
  if (text.rfind(kNotifyWord, 0) != 0 || (text.size() > kNotifyWord.size() && text[kNotifyWord.size()] != ' '))
    return Interpret(FromText(text), rows);
  return WithNotify(Interpret(FromText(text.substr(std::min(text.size(), kNotifyWord.size() + 1))), rows));
}

Command ParseCommandLine(const platform::CommandLine& commandLine, std::span<const CommandRow> rows) {
  if (commandLine.text) return ParseCommandLine(*commandLine.text, rows);
  const std::span<const std::string> arguments = commandLine.arguments;
  if (arguments.empty() || arguments.front() != kNotifyWord) return Interpret(FromArguments(arguments), rows);
  return WithNotify(Interpret(FromArguments(arguments.subspan(1)), rows));
}

}  // namespace velkor
