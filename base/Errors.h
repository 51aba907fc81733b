#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velkor {

// Base of every error Velkor raises on purpose. The top level catches this type once,
// prints its message and ends the command with exit status 1.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file or folder that cannot be opened, created, read, written or renamed.
class FileError : public Error {
 public:
  FileError(const std::string& path, const std::string& action, const std::string& reason);
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// A file whose content does not fit its format: names the file, where and what.
class FormatError : public Error {
 public:
  FormatError(const std::string& path, std::uint64_t offset, const std::string& what);
  FormatError(const std::string& path, const std::string& what);
};

// A command that cannot be carried out as asked (a game that is not installed, a file
// name no conversion knows, a folder that would be overwritten).
class CommandError : public Error {
 public:
  using Error::Error;
};

// The command line itself is wrong: unknown switch or a switch without a path.
class UsageError : public Error {
 public:
  using Error::Error;
};

// A broken invariant inside Velkor itself (a bug, never bad input).
class InternalError : public Error {
 public:
  using Error::Error;
};

}  // namespace velkor
