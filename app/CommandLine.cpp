#include "app/CommandLine.h"

#include <algorithm>

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

std::string Joined(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 0; i < arguments.size(); ++i) text += (i == 0 ? "" : " ") + arguments[i];
  return text;
}

Command WithProblem(Command command, std::string problem) {
  command.problem = std::move(problem);
  return command;
}

Command Interpret(const Words& words) {
  Command command;
  if (words.command.empty() && !words.followed) return command;
  command.row = FindCommand(words.command);
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

Command ParseCommandLine(const std::string& text) {
  if (text.rfind(kNotifyWord, 0) != 0 || (text.size() > kNotifyWord.size() && text[kNotifyWord.size()] != ' '))
    return Interpret(FromText(text));
  return WithNotify(Interpret(FromText(text.substr(std::min(text.size(), kNotifyWord.size() + 1)))));
}

Command ParseCommandLine(const platform::CommandLine& commandLine) {
  if (commandLine.text) return ParseCommandLine(*commandLine.text);
  // Separate arguments stay separate operands, blanks and quotes in them included (a
  // thumbnail service passes paths that way); a path operand is read from the joined text.
  std::vector<std::string> arguments = commandLine.arguments;
  const bool notify = !arguments.empty() && arguments.front() == kNotifyWord;
  if (notify) arguments.erase(arguments.begin());
  Words words = FromText(Joined(arguments));
  if (words.followed) words.operands.assign(arguments.begin() + 1, arguments.end());
  const Command command = Interpret(words);
  return notify ? WithNotify(command) : command;
}

}  // namespace velkor
