#pragma once

#include <functional>
#include <string>

namespace velkor::platform {

// An exclusive lock on a lock file, held while the object lives; other processes that ask
// for the same file's lock wait until it is released (also when the holder ends without
// releasing it). The file is created when missing and never removed: removing it would let
// two processes hold locks on two different files of one name.
class FileLock {
 public:
  // Takes the lock of `path`. When another process holds it, `beforeWaiting` runs once and
  // then the call waits for it. Raises FileError when the file cannot be opened or locked.
  FileLock(const std::string& path, const std::function<void()>& beforeWaiting);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace velkor::platform
