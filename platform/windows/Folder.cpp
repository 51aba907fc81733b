#include "platform/Folder.h"

#include <utility>

#include "base/Errors.h"
#include "platform/Paths.h"
#include "platform/windows/Win32.h"

namespace velkor::platform {
namespace {

constexpr const char* kLinkInTheWay = "a symbolic link is in the way, and files are never written through links";

bool IsLinkOrFolder(HANDLE h, bool& isLink) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) return false;
  isLink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return isLink || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// The folder stays open without FILE_SHARE_DELETE, so nobody can rename it or put a link
// in its place while files are created in it.
Folder::Folder(std::string path) : path_(std::move(path)) {
  const HANDLE h = ::CreateFileA(path_.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw FileError(path_, "open the folder", SystemMessage(::GetLastError()));
  handle_ = h;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(h, &info) != 0;
  if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return;
  ::CloseHandle(h);
  handle_ = nullptr;
  throw FileError(path_, "open the folder", known ? kLinkInTheWay : SystemMessage(::GetLastError()));
}

Folder::~Folder() {
  if (handle_ != nullptr) ::CloseHandle(static_cast<HANDLE>(handle_));
}

// Opens without truncating and without following a reparse point (truncating through
// CreateFileA would reach a link's target), checks what was opened, then empties it.
std::optional<File> Folder::CreateNewFileInside(const std::string& name) {
  const std::string path = JoinPath(path_, name);
  if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/:") != std::string::npos)
    throw FileError(path, "create", "it is not a plain file name");
  // CREATE_NEW never opens an existing file or follows a reparse point of that name.
  const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) return File(path, h, std::nullopt);
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return std::nullopt;
  throw FileError(path, "create", SystemMessage(error));
}

File Folder::CreateFileInside(const std::string& name) {
  const std::string path = JoinPath(path_, name);
  if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/:") != std::string::npos)
    throw FileError(path, "create", "it is not a plain file name");
  const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw FileError(path, "create", SystemMessage(::GetLastError()));
  File file(path, h, std::nullopt);  // closes the handle should the checks below raise
  bool isLink = false;
  if (IsLinkOrFolder(h, isLink)) throw FileError(path, "create", isLink ? kLinkInTheWay : "a folder is in the way");
  if (::GetFileType(h) != FILE_TYPE_DISK) throw FileError(path, "create", "it is not a regular file");
  if (!::SetEndOfFile(h)) throw FileError(path, "create", SystemMessage(::GetLastError()));
  return file;
}

}  // namespace velkor::platform
