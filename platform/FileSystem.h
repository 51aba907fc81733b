#pragma once

// Folders, links and files by name: making, copying, renaming, removing and listing them.

#include <string>
#include <vector>

namespace velkor::platform {

// Creates one folder level: true when it was made now, false when anything of that name
// exists already (a link is never followed). Raises FileError ("create the folder") with
// the system's reason for any other failure.
bool CreateFolder(const std::string& path);

// True when anything at all has that name: a file of any kind, a folder or a link
// (dangling or not), whether or not it can be read.
bool PathIsTaken(const std::string& path);

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

// Removes a file (or a link): true when it was removed now, false when nothing of that name
// exists. Raises FileError ("remove") with the system's reason for any other failure.
bool RemoveFile(const std::string& path);

// Removes a folder when it is empty: true when it was removed now, false when it does not
// exist or still holds something. Raises FileError ("remove the folder") with the system's
// reason for any other failure.
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

// Lets whoever may read the file also execute it (nothing to do on Windows). Raises
// FileError with the system's reason when it cannot.
void MakeExecutable(const std::string& path);

}  // namespace velkor::platform
