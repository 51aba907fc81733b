#pragma once

#include <string>

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

// Makes sure the working folder `folder` of `archivePath` exists; an existing one is
// reused. Returns true when this call created it. Raises FileError when it cannot be
// made (a file or a link of that name is in the way, the parent is missing, ...).
bool ProvideWorkingFolder(const std::string& folder, const std::string& archivePath);

// Undoes a failed unpack: removes the working folder when the failing call created it.
// A folder that existed before is left alone and `removeFolder` is cleared, so the
// archive object does not delete content that was there before it came.
void AbandonWorkingFolder(const std::string& folder, bool created, bool& removeFolder);

}  // namespace velkor
