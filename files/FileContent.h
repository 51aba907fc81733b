#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Endian.h"
#include "platform/File.h"

namespace velkor {

// Compares a file's bytes, from its start, with bytes given piece by piece, through
// bounded buffers: for writers that leave a file alone when it already holds what they
// would write (rewriting it gains nothing and makes some file systems flush it to disk).
class ContentComparison {
 public:
  // Opens `path` when it is a readable file of exactly `length` bytes; otherwise the
  // comparison has failed from the start.
  ContentComparison(const std::string& path, std::uint64_t length);
  // Opens `path` when it is a readable file, whatever its length (see MatchesWithLength).
  explicit ContentComparison(const std::string& path);

  // True while every piece given so far matched.
  bool Matches() const { return file_.has_value(); }
  // True while every piece given so far matched and the file has exactly `length` bytes.
  bool MatchesWithLength(std::uint64_t length) const { return file_ && file_->Length() == length; }
  // The next piece is compared with the file's bytes from `offset` on.
  void MoveTo(std::uint64_t offset);
  // The file's next bytes must be `expected`.
  void Expect(ByteView expected);
  // The file's next `length` bytes must be the next `length` bytes of `source`.
  void ExpectFrom(platform::File& source, std::uint64_t length);

 private:
  std::optional<platform::File> file_;
  Bytes chunk_;
  Bytes sourceChunk_;
};

}  // namespace velkor
