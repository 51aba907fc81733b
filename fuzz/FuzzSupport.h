#pragma once

// What every harness shares: a scratch folder per process, emptied around each input, the
// errors that bad input may cause, and a check that nothing was written where it must not be.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/Endian.h"
#include "base/Errors.h"

namespace velkor::fuzz {

// One fuzzing input, written into a fresh folder `Folder()` inside the process's scratch
// folder. Commands run on it may write inside `Folder()` (and into the extra folders a
// harness names with AllowFolder), nowhere else. The destructor destroys the objects the
// run kept, checks that, and empties the scratch folder again.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size);
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  ByteView Bytes() const { return bytes_; }
  const std::string& Folder() const { return folder_; }
  // Folder() joined with a name.
  std::string Path(const std::string& name) const;
  // Writes `bytes` (all of the input unless given) as Folder()/name; returns the path.
  std::string Write(const std::string& name) const;
  std::string Write(const std::string& name, ByteView bytes) const;

  // A folder beside Folder() that commands may also write into (a game installation);
  // created now; returns its path.
  std::string AllowFolder(const std::string& name);

 private:
  ByteView bytes_;
  std::string folder_;
  std::vector<std::string> allowed_;
};

// Prints an expected error when VELKOR_FUZZ_VERBOSE is set (for replaying one input).
void Note(const Error& error);

// Runs `step`. Errors that hostile input may rightly cause (a file, format or command
// error) make it return false; anything else (an InternalError, a standard library
// exception) escapes, and the harness stops with that input as a crash.
template <typename Step>
bool Attempt(Step&& step) {
  try {
    step();
    return true;
  } catch (const FormatError& e) {
    Note(e);
  } catch (const FileError& e) {
    Note(e);
  } catch (const CommandError& e) {
    Note(e);
  }
  return false;
}

// A folder in the scratch folder that lives as long as the process (reference files that
// every input needs). `fill` writes its content into the path given, the first time only.
template <typename Fill>
std::string KeptFolder(const std::string& name, Fill&& fill);

// Names in a folder (one level), sorted.
std::vector<std::string> NamesIn(const std::string& folder);

// Stops the harness with `message` when `condition` is false: a broken property is a
// finding like a crash.
void Require(bool condition, const std::string& message);

// Stops the harness unless the folder holds exactly `names`.
void RequireOnly(const std::string& folder, std::initializer_list<std::string> names, const std::string& what);

// Makes the kept folder `name`; true when it is new and needs filling.
bool MakeKeptFolder(const std::string& name, std::string& path);

template <typename Fill>
std::string KeptFolder(const std::string& name, Fill&& fill) {
  std::string path;
  if (MakeKeptFolder(name, path)) fill(path);
  return path;
}

}  // namespace velkor::fuzz
