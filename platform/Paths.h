#pragma once

// Paths as the running system spells them. Two rules split a path: the file name begins
// after the last file-name boundary ("\", "/" or ":" on Windows, "/" on POSIX), while
// folders are separated by "/" or the platform separator.

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor::platform {

bool IsFileNameBoundary(char c);

// True for "/" and the platform separator.
bool IsPathSeparator(char c);

// Where the file name of `path` begins: after its last file-name boundary, or 0.
std::size_t FileNameStart(std::string_view path);

// The part of `path` after its last file-name boundary, or the whole path.
std::string FileNameOf(std::string_view path);

// `path` up to and including its last file-name boundary (empty when it has none).
std::string FolderPartOf(std::string_view path);

// `path` without separators at its end ("car//" -> "car"); a lone "/" stays.
std::string WithoutTrailingSeparators(std::string path);

// The full, normalised form of a path, a relative one taken from the current folder ("."
// and ".." resolved by their names, links not followed); normalised as given when the
// current folder is unknown.
std::string FullPath(const std::string& path);

// Joins a folder and a name with the platform separator, unless the folder ends with one.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace velkor::platform
