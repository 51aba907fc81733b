#pragma once

#include <string>

namespace velkor {

// Where Velkor keeps its own files. On POSIX the data folder is $XDG_DATA_HOME/Velkor
// (default ~/.local/share/Velkor), so that one installed executable in a read-only folder
// serves every user; on Windows it is %LOCALAPPDATA%\Velkor.
std::string DataFolder();

// The folder the first-run setup collects the reference files into and the car conversion
// takes them from, ending with its separator: the data folder on POSIX, the executable's
// own folder (programFolder) on Windows.
std::string ReferenceFolder(const std::string& programFolder);

// Where an installation keeps the car archives it replaces: <data folder>/replaced.
std::string KeptCarsFolder();

// Where installations keep the lock files that make runs into one car take turns:
// <data folder>/locks.
std::string LocksFolder();

}  // namespace velkor
