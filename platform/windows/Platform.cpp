#include "platform/Platform.h"

#include <cstdlib>
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

bool IsFileNameBoundary(char c) { return c == '\\' || c == '/' || c == ':'; }

std::string ExecutablePath() {
  // Grow the buffer until the path fits: a cut path would name another folder.
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::string buffer(size, '\0');
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), size);
    if (n == 0) throw FileError("the running program", "find the path of", SystemMessage(::GetLastError()));
    if (n < size) {
      buffer.resize(n);
      return buffer;
    }
    if (size >= 32768) throw FileError(buffer, "find the path of", "the path is too long");
  }
}

CommandLine ProgramCommandLine(int, char**) {
  // The program's name ends at the first blank outside double quotes, as the C runtime
  // reads it; the blanks after it do not belong to the text either.
  const char* p = ::GetCommandLineA();
  bool quoted = false;
  while (*p != '\0' && (quoted || (*p != ' ' && *p != '\t'))) {
    if (*p == '"') quoted = !quoted;
    ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return CommandLine{std::string(p), {}};
}

// Fixed rather than taken from the file name, so the settings do not move when the
// executable is saved as "Velkor (1).exe" or renamed.
std::string UserHomeFromSystem() {
  if (const char* profile = std::getenv("USERPROFILE"); profile && *profile) return profile;
  return ".";
}

std::string ApplicationName() { return "Velkor"; }

bool CreateFolder(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

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
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  // A link or junction to a folder is removed as a folder, which removes the link only.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && ::RemoveDirectoryA(path.c_str()) != 0;
  }
  if (::DeleteFileA(path.c_str())) return true;
  // As on POSIX, a read-only file in a folder Velkor owns does not stop its removal.
  if (::GetLastError() != ERROR_ACCESS_DENIED || !IsReadOnlyFile(path)) return false;
  ClearReadOnly(path);
  return ::DeleteFileA(path.c_str()) != 0;
}

bool RemoveEmptyFolder(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != 0; }

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

std::string FindProgram(const std::string&) { return ""; }

int RunProgram(const std::vector<std::string>&, std::chrono::milliseconds) { return -1; }

bool UserRunsProgram(const std::string&) { return false; }

bool MakeExecutable(const std::string&) { return true; }

}  // namespace velkor::platform
