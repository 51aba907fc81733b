#pragma once

// The text of each file-manager entry that the setup writes. Every entry runs
// "<executable>" --notify <switch> <file>, quoted by its format's own rules.

#include <string>
#include <vector>

#include "desktop/MimeTypes.h"

namespace velkor::desktop {

// The desktop entry for archives: its command extracts (the class's first verb), its
// desktop actions are the archive's other verbs. Hidden from menus.
std::string ApplicationEntry(const std::string& executable);

// A Dolphin service menu with the class's verbs.
std::string ServiceMenu(const std::string& executable, const ClassType& type);

// A Nemo action running one verb of the class, through the verb's script, on each selected path.
std::string NemoAction(const std::string& script, const ClassType& type, const Verb& verb);

// The Nemo action's file name.
std::string NemoActionName(const ClassType& type, const Verb& verb);

// A shell script (Nautilus, Caja) running the verb on each selected path whose kind fits
// one of the verb's classes and reporting every other one.
std::string VerbScript(const std::string& executable, const Verb& verb);

// The classes the verb applies to.
std::vector<const ShellClass*> ClassesOf(const Verb& verb);

// A lower-case name for the class's files ("folder", "vivfile").
std::string ClassFileName(const ShellClass& shellClass);

}  // namespace velkor::desktop
