#include "platform/FileSystem.h"

#include <memory>
#include <optional>

#include "base/Errors.h"
#include "platform/Paths.h"
#include "platform/windows/Win32.h"

namespace velkor::platform {
namespace {

std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder;
  return folder + '\\';
}

// Symbolic links and junctions; other reparse points (cloud placeholders, deduplicated
// files) are ordinary files and folders whose content belongs to the user.
bool IsLinkTag(DWORD tag) { return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT; }

struct FindCloser {
  void operator()(HANDLE h) const { ::FindClose(h); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

FindHandle FindFirst(const std::string& pattern, WIN32_FIND_DATAA& data) {
  const HANDLE h = ::FindFirstFileA(pattern.c_str(), &data);
  return FindHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

struct HandleCloser {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// Volume and file index of an existing file, which name it whatever path reaches it.
std::optional<BY_HANDLE_FILE_INFORMATION> Identity(const std::string& path) {
  const HANDLE h = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  const OwnedHandle owner(h);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) return std::nullopt;
  return info;
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ClearReadOnly(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    ::SetFileAttributesA(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

}  // namespace

bool CreateFolder(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS) return false;
  throw FileError(path, "create the folder", SystemMessage(error));
}

bool PathIsTaken(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsSymbolicLink(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  WIN32_FIND_DATAA data{};
  return FindFirst(path, data) && IsLinkTag(data.dwReserved0);
}

std::string FinalTarget(const std::string& path) {
  if (!IsSymbolicLink(path)) return path;
  const HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw FileError(path, "follow the link", SystemMessage(::GetLastError()));
  const OwnedHandle owner(h);
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleA(h, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (n == 0) throw FileError(path, "follow the link", SystemMessage(::GetLastError()));
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n + 1);
  }
  // "\\?\C:\..." for a drive, "\\?\UNC\server\..." for a share.
  if (buffer.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + buffer.substr(8);
  if (buffer.rfind("\\\\?\\", 0) == 0) return buffer.substr(4);
  return buffer;
}

void CopyFileReplacing(const std::string& from, const std::string& to) {
  const std::string action = "copy '" + from + "' to";
  if (IsFolder(from)) throw FileError(to, action, "'" + from + "' is a folder");
  const auto source = Identity(from);
  if (!source) throw FileError(to, action, SystemMessage(::GetLastError()));
  if (const auto target = Identity(to); target && target->dwVolumeSerialNumber == source->dwVolumeSerialNumber &&
                                        target->nFileIndexHigh == source->nFileIndexHigh &&
                                        target->nFileIndexLow == source->nFileIndexLow) {
    return;  // the same file: a copy would have nothing to do
  }
  if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) throw FileError(to, action, SystemMessage(::GetLastError()));
  // CopyFileA keeps the read-only flag of files installed from a disc; the copy must stay
  // replaceable and removable like every other file Velkor writes.
  ClearReadOnly(to);
}

void ReplaceFile(const std::string& from, const std::string& to) {
  if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
    throw FileError(to, "replace", SystemMessage(::GetLastError()));
}

bool RemoveFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (IsMissing(error)) return false;
    throw FileError(path, "remove", SystemMessage(error));
  }
  // A link or junction to a folder is removed as a folder, which removes the link only.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) throw FileError(path, "remove", "it is a folder");
    if (::RemoveDirectoryA(path.c_str())) return true;
    throw FileError(path, "remove", SystemMessage(::GetLastError()));
  }
  if (::DeleteFileA(path.c_str())) return true;
  DWORD error = ::GetLastError();
  // As on POSIX, a read-only file in a folder Velkor owns does not stop its removal.
  if (error == ERROR_ACCESS_DENIED && IsReadOnlyFile(path)) {
    ClearReadOnly(path);
    if (::DeleteFileA(path.c_str())) return true;
    error = ::GetLastError();
  }
  if (IsMissing(error)) return false;
  throw FileError(path, "remove", SystemMessage(error));
}

bool RemoveEmptyFolder(const std::string& path) {
  if (::RemoveDirectoryA(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  if (IsMissing(error) || error == ERROR_DIR_NOT_EMPTY) return false;
  throw FileError(path, "remove the folder", SystemMessage(error));
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  const std::string base = WithSeparator(folder);
  WIN32_FIND_DATAA data{};
  const FindHandle find = FindFirst(base + "*.*", data);
  if (!find) return entries;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    FolderEntry entry{name, base + name, false, false, false};
    entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkTag(data.dwReserved0);
    entries.push_back(std::move(entry));
  } while (::FindNextFileA(find.get(), &data));
  return entries;
}

void MakeExecutable(const std::string&) {}

}  // namespace velkor::platform
