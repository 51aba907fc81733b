#pragma once

#include <string>

#include "app/Game.h"

namespace velkor {

// The command-line text split at its first blank, as a file manager's verb passes it.
struct SplitText {
  std::string commandSwitch;  // text before the first blank; empty when there is none
  std::string commandPath;    // text after the first blank, enclosing quotes removed
};

// Splits the command-line text at its first blank. One leading double quote of the path
// is removed, and the last character of the path when the whole text ends with one.
SplitText SplitCommandLine(const std::string& text);

enum class Action {
  None,     // empty command line: only the start-up work
  Help,     // --help, -h, /?
  Version,  // --version
  List,     // --list ARCHIVE
  Extract,  // /e ARCHIVE
  Pack,     // /p FOLDER
  Convert,  // /c3 /ci3 /c4 /ci4 PATH
  Unregister,  // --unregister
  Setup,    // --setup: the first-run setup again, with a report
  Restore,  // --restore ARCHIVE: an installed car's previous archive back
  Invalid,  // a switch Velkor does not know, or one without its path
};

// What one run is asked to do, read once from the command-line text.
struct Command {
  Action action = Action::None;
  Game target = Game::Nfs3;  // Convert: the game converted to
  bool install = false;      // Convert: install into the game's car folder
  std::string path;
  std::string problem;  // Invalid: what is wrong, for the usage error
  bool notify = false;  // --notify before the switch: the outcome also goes to the desktop
  // Help, version and listing (also a listing without its path) open no settings and run
  // no start-up work.
  bool needsNoSettings = false;
};

// Whether the command prints its result on standard output (help, version, listing, the
// setup report, a restoration), which a Windows program must first connect to a console.
bool PrintsOnStandardOutput(const Command& command);

// Reads the command-line text. "--notify" is accepted only as the first word, before
// another command. Never raises: a text it cannot read becomes an Invalid
// command, reported as a usage error only after the start-up work, which runs first.
Command ParseCommandLine(const std::string& text);

}  // namespace velkor
