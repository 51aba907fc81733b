#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Endian.h"

namespace velkor::platform {

class Folder;
class FolderFiles;

// An open file, closed when the object goes away. Every failure raises FileError naming
// the path and the system's reason; a read that ends before the bytes the caller needs
// raises FormatError ("truncated").
class File {
 public:
  // How Open treats the name it is given. Only regular files open: a folder, FIFO, socket
  // or device is refused (and a FIFO never blocks the open).
  //
  // Dispositions that always yield a file (Open returns a File, or raises):
  enum Disposition {
    ReadExisting,      // read; a missing file raises like any other failure
    CreateOrTruncate,  // write a new file, or the existing one emptied
  };
  // Dispositions that may yield nothing (Open returns std::optional<File>):
  enum DispositionOrNothing {
    ReadIfPresent,   // read; nothing when no file of that name exists, other failures raise
    ReadIfPossible,  // read; nothing for a missing file, no access, or anything but a regular file
    CreateNew,       // write a new file, never opening one that exists nor following a link
                     // at `path`; nothing when the name is taken, other failures raise
  };

  // Opens `path` as `how` says: the one way to open a file by its path. Only the
  // dispositions that can yield nothing return an optional. Every failure, now or when
  // reading or writing, names `shownAs` (by default `path`), and Path() returns it.
  static File Open(const std::string& path, Disposition how, std::optional<std::string> shownAs = std::nullopt);
  static std::optional<File> Open(const std::string& path, DispositionOrNothing how,
                                  std::optional<std::string> shownAs = std::nullopt);

  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // The length of the file at `path`, raising FileError ("open") as opening it would for
  // a missing file or a folder. Where the system can, it does not open the file.
  static std::uint64_t LengthOf(const std::string& path);
  // Opens `length` bytes of the file at `path` from `offset` for reading as a file of
  // their own (a member inside an archive): positions and Length count from `offset`,
  // reads end at the range's end, and messages name `shownAs`. Raises FormatError
  // ("truncated") when the range does not fit the file.
  static File OpenRange(const std::string& path, std::uint64_t offset, std::uint64_t length, std::string shownAs);

  const std::string& Path() const { return path_; }
  std::uint64_t Length() const;
  std::uint64_t Position() const;
  void Seek(std::uint64_t offset);

  // Reads up to buffer.size() bytes; fewer only at the end of the file.
  std::size_t ReadSome(MutableByteView buffer);
  // Reads exactly buffer.size() bytes or raises FormatError "truncated".
  void ReadExact(MutableByteView buffer);
  // Reads length bytes from offset, zero-filling what lies past the end of the file.
  Bytes ReadAtMost(std::uint64_t offset, std::size_t length);
  void Write(ByteView bytes);
  void Write(const std::string& text);

  // Appends `length` bytes of this file, starting at `offset`, to `out` at its current
  // position, through a bounded buffer (or the kernel's own copy where it has one).
  void CopyRangeTo(File& out, std::uint64_t offset, std::uint64_t length);

  // Closes now and reports a failure to flush; the destructor closes quietly.
  void Close();
  // Closes now, ignoring any failure (for abandoning a file that is about to be removed).
  void CloseQuietly() noexcept;

 private:
  friend class Folder;
  friend class FolderFiles;
#ifdef _WIN32
  using NativeHandle = void*;
#else
  using NativeHandle = int;
#endif
  // Takes over an open handle; `path` names the file in messages.
  File(std::string path, NativeHandle handle, std::optional<std::uint64_t> readLength);

  // CopyRangeTo through a bounded buffer of this process.
  void CopyRangeByReading(File& out, std::uint64_t offset, std::uint64_t length);

  // The most that a read may take from the current position: all of `wanted`, except
  // near the end of a range.
  std::size_t RoomInRange(std::size_t wanted) const;

  std::string path_;
  std::optional<std::uint64_t> readLength_;  // known for files opened for reading
  bool ranged_ = false;                      // opened by OpenRange
  std::uint64_t rangeStart_ = 0;             // where position 0 lies in the real file
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace velkor::platform
