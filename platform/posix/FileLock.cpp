#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "base/Errors.h"

namespace velkor::platform {

FileLock::FileLock(const std::string& path, const std::function<void()>& beforeWaiting) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd_ < 0) throw FileError(path, "open the lock file", std::strerror(errno));
  int result = ::flock(fd_, LOCK_EX | LOCK_NB);
  if (result != 0 && errno == EWOULDBLOCK) {
    try {
      if (beforeWaiting) beforeWaiting();
    } catch (const std::exception&) {
      ::close(fd_);
      throw;
    }
    while ((result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
  }
  if (result != 0) {
    const int error = errno;
    ::close(fd_);
    throw FileError(path, "lock", std::strerror(error));
  }
}

FileLock::~FileLock() { ::close(fd_); }  // closing releases the lock

}  // namespace velkor::platform
