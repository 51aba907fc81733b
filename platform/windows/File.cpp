#include "platform/File.h"

#include <algorithm>
#include <utility>

#include "base/Errors.h"
#include "platform/FolderFiles.h"
#include "platform/Paths.h"
#include "platform/windows/Win32.h"

namespace velkor::platform {
namespace {

// ReadFile and WriteFile take 32-bit counts; larger requests go in pieces of this size.
constexpr std::size_t kMaxTransfer = 1u << 30;

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

bool IsFolderPath(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

constexpr const char* kNotRegular = "it is not a regular file (a pipe or device)";

// Opens without raising; nullptr when the file cannot be opened, with GetLastError() set.
// Folders never open: without FILE_FLAG_BACKUP_SEMANTICS CreateFileA refuses them. Pipes
// and devices ("CON", "NUL", "\\.\pipe\...") are refused with ERROR_BAD_FILE_TYPE.
HANDLE OpenHandle(const std::string& path, bool reading) {
  const HANDLE h = reading
                       ? ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                       : ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    ::SetLastError(ERROR_BAD_FILE_TYPE);
    return nullptr;
  }
  return h;
}

std::string Reason(DWORD error) { return error == ERROR_BAD_FILE_TYPE ? kNotRegular : SystemMessage(error); }

std::uint64_t LengthOfHandle(HANDLE h, const std::string& path) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h, &size)) throw FileError(path, "read the length of", SystemMessage(::GetLastError()));
  return static_cast<std::uint64_t>(size.QuadPart);
}

// Why `path` did not open, `error` being what the system said.
FileError OpenFailure(const std::string& path, const std::string& shownAs, const char* action, DWORD error) {
  // CreateFileA reports a folder as "access denied", which would send the user hunting for
  // a permission problem.
  if (IsFolderPath(path)) return FileError(shownAs, action, "it is a folder");
  return FileError(shownAs, action, Reason(error));
}

}  // namespace

File File::Open(const std::string& path, Disposition how, std::optional<std::string> shownAs) {
  const bool reading = how == ReadExisting;
  std::string name = shownAs ? std::move(*shownAs) : path;
  const HANDLE h = OpenHandle(path, reading);
  if (h == nullptr) throw OpenFailure(path, name, reading ? "open" : "create", ::GetLastError());
  File file(std::move(name), h, std::nullopt);
  // A file opened for reading is taken to keep its length while it is open.
  if (reading) file.readLength_ = LengthOfHandle(h, file.path_);
  return file;
}

std::optional<File> File::Open(const std::string& path, DispositionOrNothing how, std::optional<std::string> shownAs) {
  std::string name = shownAs ? std::move(*shownAs) : path;
  if (how == CreateNew) {
    const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return File(std::move(name), h, std::nullopt);
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    throw FileError(name, "create", SystemMessage(error));
  }
  const HANDLE h = OpenHandle(path, true);
  if (h == nullptr) {
    const DWORD error = ::GetLastError();
    if (how == ReadIfPossible || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    throw OpenFailure(path, name, "open", error);
  }
  File file(std::move(name), h, std::nullopt);
  file.readLength_ = LengthOfHandle(h, file.path_);
  return file;
}

File::File(std::string path, NativeHandle handle, std::optional<std::uint64_t> readLength)
    : path_(std::move(path)), readLength_(readLength), handle_(handle) {}

File::~File() { CloseQuietly(); }

File::File(File&& other) noexcept
    : path_(std::move(other.path_)),
      readLength_(other.readLength_),
      ranged_(other.ranged_),
      rangeStart_(other.rangeStart_),
      handle_(std::exchange(other.handle_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    CloseQuietly();
    path_ = std::move(other.path_);
    readLength_ = other.readLength_;
    ranged_ = other.ranged_;
    rangeStart_ = other.rangeStart_;
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

std::uint64_t File::LengthOf(const std::string& path) { return Open(path, ReadExisting).Length(); }

FolderFiles::FolderFiles(std::string folder) : folder_(std::move(folder)) {}

FolderFiles::~FolderFiles() = default;

std::string FolderFiles::PathOf(const std::string& name) const { return JoinPath(folder_, name); }

File FolderFiles::Open(const std::string& name) const { return File::Open(PathOf(name), File::ReadExisting); }

std::uint64_t File::Length() const {
  if (readLength_) return *readLength_;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(AsHandle(handle_), &size))
    throw FileError(path_, "read the length of", SystemMessage(::GetLastError()));
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t File::Position() const {
  LARGE_INTEGER zero{}, at{};
  if (!::SetFilePointerEx(AsHandle(handle_), zero, &at, FILE_CURRENT))
    throw FileError(path_, "seek in", SystemMessage(::GetLastError()));
  return static_cast<std::uint64_t>(at.QuadPart) - rangeStart_;
}

void File::Seek(std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(rangeStart_ + offset);
  if (!::SetFilePointerEx(AsHandle(handle_), to, nullptr, FILE_BEGIN))
    throw FileError(path_, "seek in", SystemMessage(::GetLastError()));
}

std::size_t File::ReadSome(MutableByteView buffer) {
  buffer = buffer.first(RoomInRange(buffer.size()));
  std::size_t done = 0;
  while (done < buffer.size()) {
    const auto want = static_cast<DWORD>(std::min(buffer.size() - done, kMaxTransfer));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(handle_), buffer.data() + done, want, &got, nullptr))
      throw FileError(path_, "read", SystemMessage(::GetLastError()));
    if (got == 0) break;
    done += got;
  }
  return done;
}

void File::Write(ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto want = static_cast<DWORD>(std::min(bytes.size() - done, kMaxTransfer));
    DWORD put = 0;
    if (!::WriteFile(AsHandle(handle_), bytes.data() + done, want, &put, nullptr))
      throw FileError(path_, "write", SystemMessage(::GetLastError()));
    if (put == 0) throw FileError(path_, "write", "nothing was written");
    done += put;
  }
}

void File::CopyRangeTo(File& out, std::uint64_t offset, std::uint64_t length) {
  if (offset > Length() || length > Length() - offset)
    throw FormatError(path_, offset, "truncated: " + std::to_string(length) + " bytes expected");
  CopyRangeByReading(out, offset, length);
}

void File::Close() {
  if (handle_ == nullptr) return;
  if (!::CloseHandle(AsHandle(std::exchange(handle_, nullptr))))
    throw FileError(path_, "close", SystemMessage(::GetLastError()));
}

void File::CloseQuietly() noexcept {
  if (handle_ != nullptr) ::CloseHandle(AsHandle(std::exchange(handle_, nullptr)));
}

}  // namespace velkor::platform
