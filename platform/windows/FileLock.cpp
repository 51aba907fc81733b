#include "platform/FileLock.h"

#include <exception>

#include "base/Errors.h"
#include "platform/windows/Win32.h"

namespace velkor::platform {
namespace {

bool LockWhole(HANDLE handle, DWORD flags) {
  OVERLAPPED at{};
  return ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, MAXDWORD, MAXDWORD, &at) != 0;
}

}  // namespace

FileLock::FileLock(const std::string& path, const std::function<void()>& beforeWaiting) {
  const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw FileError(path, "open the lock file", SystemMessage(::GetLastError()));
  bool locked = LockWhole(handle, LOCKFILE_FAIL_IMMEDIATELY);
  if (!locked && ::GetLastError() == ERROR_LOCK_VIOLATION) {
    try {
      if (beforeWaiting) beforeWaiting();
    } catch (const std::exception&) {
      ::CloseHandle(handle);
      throw;
    }
    locked = LockWhole(handle, 0);
  }
  if (!locked) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    throw FileError(path, "lock", SystemMessage(error));
  }
  handle_ = handle;
}

FileLock::~FileLock() { ::CloseHandle(static_cast<HANDLE>(handle_)); }  // closing releases the lock

}  // namespace velkor::platform
