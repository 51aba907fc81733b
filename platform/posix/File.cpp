#include "platform/File.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/FolderFiles.h"
#include "platform/Paths.h"

namespace velkor::platform {
namespace {

std::string Reason(int error) { return std::strerror(error); }

constexpr const char* kNotRegular = "it is not a regular file (a FIFO, socket or device)";

struct Opened {
  int fd = -1;
  int error = 0;       // errno of a failed open
  std::string reason;  // why it failed
  std::uint64_t length = 0;
};

// Opens `path` (relative to the folder `at`) with `flags`. O_NONBLOCK keeps a FIFO without
// a writer (or reader) from blocking the open; anything that turns out not to be a regular
// file is closed again.
Opened OpenRegular(const std::string& path, int flags, int at = AT_FDCWD) {
  const int fd = ::openat(at, path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return {-1, errno, errno == ENXIO ? kNotRegular : Reason(errno), 0};
  struct stat st {};
  const int error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
  if (error != 0) {
    ::close(fd);
    return {-1, error, error == ENXIO ? kNotRegular : Reason(error), 0};
  }
  // Reading a regular file never waits, whatever O_NONBLOCK says, so a file opened for
  // reading keeps it: one system call less for each of the thousands of files a folder
  // can hold. A file opened for writing has it cleared. F_SETFL changes only the status
  // flags (O_NONBLOCK among them) and ignores the access mode and creation flags: `flags`
  // as opened, less O_NONBLOCK, without asking for them.
  if ((flags & O_ACCMODE) != O_RDONLY) ::fcntl(fd, F_SETFL, flags);
  return {fd, 0, {}, static_cast<std::uint64_t>(st.st_size)};
}

}  // namespace

File File::Open(const std::string& path, Disposition how, std::optional<std::string> shownAs) {
  const bool reading = how == ReadExisting;
  std::string name = shownAs ? std::move(*shownAs) : path;
  const Opened opened = OpenRegular(path, reading ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC));
  if (opened.fd < 0) throw FileError(name, reading ? "open" : "create", opened.reason);
  // A file opened for reading is taken to keep its length while it is open.
  return File(std::move(name), opened.fd, reading ? std::optional(opened.length) : std::nullopt);
}

std::optional<File> File::Open(const std::string& path, DispositionOrNothing how, std::optional<std::string> shownAs) {
  std::string name = shownAs ? std::move(*shownAs) : path;
  if (how == CreateNew) {
    // O_EXCL fails on any name that exists, a link (even a dangling one) included.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return File(std::move(name), fd, std::nullopt);
    if (errno == EEXIST) return std::nullopt;
    throw FileError(name, "create", Reason(errno));
  }
  const Opened opened = OpenRegular(path, O_RDONLY);
  if (opened.fd >= 0) return File(std::move(name), opened.fd, opened.length);
  if (how == ReadIfPossible || opened.error == ENOENT) return std::nullopt;
  throw FileError(name, "open", opened.reason);
}

File::File(std::string path, NativeHandle handle, std::optional<std::uint64_t> readLength)
    : path_(std::move(path)), readLength_(readLength), fd_(handle) {}

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : path_(std::move(other.path_)),
      readLength_(other.readLength_),
      ranged_(other.ranged_),
      rangeStart_(other.rangeStart_),
      fd_(std::exchange(other.fd_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    readLength_ = other.readLength_;
    ranged_ = other.ranged_;
    rangeStart_ = other.rangeStart_;
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

std::uint64_t File::LengthOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int error = errno;
    throw FileError(path, "open", Reason(error));
  }
  if (S_ISDIR(st.st_mode)) throw FileError(path, "open", Reason(EISDIR));
  if (!S_ISREG(st.st_mode)) throw FileError(path, "open", kNotRegular);
  return static_cast<std::uint64_t>(st.st_size);
}

FolderFiles::FolderFiles(std::string folder)
    : folder_(std::move(folder)), fd_(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

FolderFiles::~FolderFiles() {
  if (fd_ >= 0) ::close(fd_);
}

std::string FolderFiles::PathOf(const std::string& name) const { return JoinPath(folder_, name); }

File FolderFiles::Open(const std::string& name) const {
  if (fd_ < 0) return File::Open(PathOf(name), File::ReadExisting);
  std::string path = PathOf(name);
  const Opened opened = OpenRegular(name, O_RDONLY, fd_);
  if (opened.fd < 0) throw FileError(path, "open", opened.reason);
  return File(std::move(path), opened.fd, opened.length);
}

std::uint64_t File::Length() const {
  if (readLength_) return *readLength_;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw FileError(path_, "read the length of", Reason(errno));
  return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t File::Position() const {
  const off_t at = ::lseek(fd_, 0, SEEK_CUR);
  if (at < 0) throw FileError(path_, "seek in", Reason(errno));
  return static_cast<std::uint64_t>(at) - rangeStart_;
}

void File::Seek(std::uint64_t offset) {
  if (::lseek(fd_, static_cast<off_t>(rangeStart_ + offset), SEEK_SET) < 0) throw FileError(path_, "seek in", Reason(errno));
}

std::size_t File::ReadSome(MutableByteView buffer) {
  buffer = buffer.first(RoomInRange(buffer.size()));
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = ::read(fd_, buffer.data() + done, buffer.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path_, "read", Reason(errno));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void File::Write(ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path_, "write", Reason(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

namespace {

// Writes `length` bytes of the file `in` from `offset` to `out` from a mapping of the
// source, a bounded window at a time; false when nothing could be mapped.
bool CopyFromMapping(int in, std::uint64_t offset, std::uint64_t length, File& out) {
  constexpr std::uint64_t kWindow = 1 << 20;
  static const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  while (length > 0) {
    const std::uint64_t start = offset - offset % page;
    const auto chunk = std::min(length, kWindow);
    const auto mapped = static_cast<std::size_t>(offset - start + chunk);
    void* at = ::mmap(nullptr, mapped, PROT_READ, MAP_SHARED | MAP_POPULATE, in, static_cast<off_t>(start));
    if (at == MAP_FAILED) return false;
    struct Unmap {
      void* at;
      std::size_t length;
      ~Unmap() { ::munmap(at, length); }
    } const unmap{at, mapped};
    // A source cut short meanwhile makes the write fail (the kernel reads the mapping).
    out.Write(ByteView(static_cast<const std::uint8_t*>(at) + (offset - start), static_cast<std::size_t>(chunk)));
    offset += chunk;
    length -= chunk;
  }
  return true;
}

}  // namespace

void File::CopyRangeTo(File& out, std::uint64_t offset, std::uint64_t length) {
  if (offset > Length() || length > Length() - offset)
    throw FormatError(path_, offset, "truncated: " + std::to_string(length) + " bytes expected");
#ifdef __linux__
  // The kernel's copy works on whole pages only where the source range starts at a page
  // boundary; a member of an archive lies anywhere, and copying it from a mapping of the
  // archive is then a fifth faster than copy_file_range on halves of pages.
  static const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  if ((rangeStart_ + offset) % page != 0 && length >= page && CopyFromMapping(fd_, rangeStart_ + offset, length, out))
    return;
  {
    loff_t in = static_cast<loff_t>(rangeStart_ + offset);
    std::uint64_t left = length;
    while (left > 0) {
      const ssize_t n = ::copy_file_range(fd_, &in, out.fd_, nullptr, std::min<std::uint64_t>(left, 1u << 30), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // not supported here: fall back to plain reads and writes
      left -= static_cast<std::uint64_t>(n);
    }
    if (left == 0) return;
    offset += length - left;
    length = left;
  }
#endif
  CopyRangeByReading(out, offset, length);
}

void File::Close() {
  if (fd_ < 0) return;
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0) throw FileError(path_, "close", Reason(errno));
}

void File::CloseQuietly() noexcept {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

}  // namespace velkor::platform
