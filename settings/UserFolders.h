#pragma once

#include <string>

namespace velkor {

// The user's home folder: $HOME, else the password database's entry, else ".".
std::string HomeFolder();

// The XDG base folders: the variable when it holds an absolute path (a relative one is
// ignored, as the XDG rules say), else the default below the home folder.
std::string UserConfigHome();  // $XDG_CONFIG_HOME, default ~/.config
std::string UserDataHome();    // $XDG_DATA_HOME, default ~/.local/share

// `base`/`name`, created with any missing parents as far as possible (what then fails to
// use the folder says why); returns the path.
std::string ProvideUserFolder(const std::string& base, const std::string& name);

// Creates `path` with any missing parents. Raises FileError with the system's reason for
// the level that cannot be created, or when something that is no folder is in the way.
void ProvideFolders(const std::string& path);

}  // namespace velkor
