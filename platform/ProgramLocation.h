#pragma once

// Where the running program is, who runs it, and how the system spells paths. Nothing
// outside platform/ asks which system it runs on.

#include <string>

namespace velkor::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr bool kWindows = true;
// The executable that the registered shell verbs start, whatever the running one is called.
inline constexpr const char* kShellExecutableName = "Velkor.exe";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr bool kWindows = false;
inline constexpr const char* kShellExecutableName = "velkor";
#endif

// Full path of the running executable.
std::string ExecutablePath();

// The user's home folder as the system records it (for when $HOME is not set).
std::string UserHomeFromSystem();

// The executable's file name without extension ("velkor" or "Velkor").
std::string ApplicationName();

}  // namespace velkor::platform
