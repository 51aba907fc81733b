#pragma once

// Velkor's verbs as FileManager-Actions files ($XDG_DATA_HOME/file-manager/actions/), the
// desktop-entry format of actions that PCManFM, PCManFM-Qt and Caja (with caja-actions) read.
// One file per verb; a profile for the files it applies to, matched by their exact names
// (upper-case names are not offered: the commands refuse them), and one for folders.

#include <string>
#include <vector>

namespace velkor::desktop {

struct ActionFile {
  std::string name;  // "velkor-<place>-<verb>.desktop": the file managers list them in the verbs' order
  std::string text;
};

// Every verb's action, each running "<executable>" --notify <switch> <path> once per selected path.
std::vector<ActionFile> FileManagerActions(const std::string& executable);

}  // namespace velkor::desktop
