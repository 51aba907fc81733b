#pragma once

// What differs between Windows and POSIX systems, behind one set of names. Nothing outside
// platform/ asks which system it runs on.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

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

// The command line as the system hands it to the program. POSIX passes the arguments after
// the program's name one by one, each exactly as given; Windows passes one text, the
// process command line less the program's name and the blanks after it, which the program
// splits itself.
struct CommandLine {
  std::optional<std::string> text;  // Windows
  std::vector<std::string> arguments;  // POSIX
};
CommandLine ProgramCommandLine(int argc, char** argv);

// The user's home folder as the system records it (for when $HOME is not set).
std::string UserHomeFromSystem();

// The executable's file name without extension ("velkor" or "Velkor").
std::string ApplicationName();

// Creates one folder level; false when it cannot (also when it exists already).
bool CreateFolder(const std::string& path);

// True when the path names an existing folder (a link to a folder counts).
bool IsFolder(const std::string& path);

// True when the path itself is a symbolic link (or, on Windows, a reparse point).
bool IsSymbolicLink(const std::string& path);

// The path that a symbolic link at `path` leads to in the end (through links to links);
// `path` itself when it is no link. The end need not exist.
std::string FinalTarget(const std::string& path);

// Copies a file, replacing the destination; does nothing when source and destination are
// the same file. Raises FileError naming the destination and the system's reason.
void CopyFileReplacing(const std::string& from, const std::string& to);

// Renames `from` to `to`, replacing `to`; raises FileError on failure.
void ReplaceFile(const std::string& from, const std::string& to);

// Removes a file (or a link); false when it could not.
bool RemoveFile(const std::string& path);

// Removes an empty folder; false when it could not.
bool RemoveEmptyFolder(const std::string& path);

struct FolderEntry {
  std::string name;
  std::string fullPath;
  bool isFolder = false;  // a real folder, or a link to one
  bool isLink = false;    // a symbolic link (never followed when deleting)
  bool isSpecial = false; // a FIFO, socket or device, or a link to one: no file to read
};

// One level of a folder, in the order the system returns it, without "." and "..".
// Empty when the folder does not exist or cannot be listed.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Where the program `name` is found in the folders of $PATH; empty when it is not there
// (always empty on Windows, where Velkor starts no helper programs).
std::string FindProgram(const std::string& name);

// Runs argv[0] with the arguments, its output discarded, and waits for it at most
// `timeLimit`: its exit status, -1 when it could not be started or did not end normally, or
// kProgramTimedOut when it was still running then and was killed, with what it started.
constexpr int kProgramTimedOut = -2;
int RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeLimit);

// Whether a process of the user running Velkor has the program name `name` (always false
// on Windows, where nothing asks).
bool UserRunsProgram(const std::string& name);

// Lets whoever may read the file also execute it; false when it cannot (true on Windows).
bool MakeExecutable(const std::string& path);

// Makes what the program prints on standard output reach the user. On Windows a program
// without a console of its own writes to the console of the program that started it,
// unless its output was redirected; elsewhere there is nothing to do.
void ConnectStandardOutput();

// One line on standard error (or, on Windows without a console, a message box).
void ReportError(const std::string& message);
void ReportWarning(const std::string& message);

}  // namespace velkor::platform
