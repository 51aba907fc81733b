#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "files/FileContent.h"
#include "files/OwnedFolder.h"
#include "platform/File.h"

namespace velkor {

// True when `folder` can serve as an archive's working folder: its last part names a
// real folder entry (not empty, "." or ".."), so unpacking stays inside it and deleting
// it deletes only what the archive unpacked.
bool IsUsableWorkingFolder(const std::string& folder);

// Raises CommandError unless `folder` can serve as the working folder of `archivePath`
// (see IsUsableWorkingFolder).
void CheckWorkingFolderName(const std::string& folder, const std::string& archivePath);

// Raises FileError when `path` is a symbolic link. Unpacking writes only files and folders
// of its own: a link standing where one of them goes (in a folder that existed before) is
// never written through.
void RefuseLinkInTheWay(const std::string& path);

// Raises CommandError when a file at `path` holds other bytes than the `length` bytes that
// unpacking would write there, which `expectContent` hands to the comparison: the user may
// have edited an earlier extraction, and overwriting it would lose the edit. No file there, or one that
// already holds those bytes, is fine. `folder` is the working folder, named in the message.
void RefuseOtherContentInTheWay(const std::string& path, std::uint64_t length,
                                const std::function<void(ContentComparison&)>& expectContent, const std::string& folder);

// Makes sure the working folder `folder` of `archivePath` exists; an existing one is
// reused. Returns the folder as owned when this call created it, and nothing owned when it
// existed before (so that nothing there before is ever deleted). Raises FileError when it
// cannot be made (a file or a link of that name is in the way, the parent is missing, ...).
OwnedFolder ProvideWorkingFolder(const std::string& folder, const std::string& archivePath);

// True when ProvideWorkingFolder made `folder` during this run: what is in it came from this
// run's own unpacking (an archive may hold a member twice), never from the user.
bool WorkingFolderMadeThisRun(const std::string& folder);

}  // namespace velkor
