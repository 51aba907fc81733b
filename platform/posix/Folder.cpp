#include "platform/Folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "base/Errors.h"
#include "platform/Paths.h"

namespace velkor::platform {
namespace {

constexpr const char* kLinkInTheWay = "a symbolic link is in the way, and files are never written through links";

}  // namespace

Folder::Folder(std::string path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) throw FileError(path_, "open the folder", errno == ELOOP ? kLinkInTheWay : std::strerror(errno));
}

Folder::~Folder() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<File> Folder::CreateNewFileInside(const std::string& name) {
  const std::string path = JoinPath(path_, name);
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
    throw FileError(path, "create", "it is not a plain file name");
  // O_EXCL: never an existing file, FIFO or link (a link of that name counts as existing).
  const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd >= 0) return File(path, fd, std::nullopt);
  if (errno == EEXIST) return std::nullopt;
  throw FileError(path, "create", std::strerror(errno));
}

File Folder::CreateFileInside(const std::string& name) {
  const std::string path = JoinPath(path_, name);
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
    throw FileError(path, "create", "it is not a plain file name");
  // O_NONBLOCK: a FIFO of that name must not block the open; it is refused below.
  constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
  const int fd = ::openat(fd_, name.c_str(), kFlags | O_NONBLOCK, 0666);
  if (fd < 0) {
    const int error = errno;
    const char* reason = error == ELOOP ? kLinkInTheWay : error == ENXIO ? "it is not a regular file" : std::strerror(error);
    throw FileError(path, "create", reason);
  }
  File file(path, fd, std::nullopt);  // closes the descriptor should the checks below raise
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw FileError(path, "create", std::strerror(errno));
  if (!S_ISREG(st.st_mode)) throw FileError(path, "create", "it is not a regular file");
  ::fcntl(fd, F_SETFL, kFlags);  // clears O_NONBLOCK (see OpenRegular in File.cpp)
  return file;
}

}  // namespace velkor::platform
