#pragma once

// Moving members' bytes between an archive and the members' files in few system calls.
// Archives of many small members (a car's texts, thousands of little files) would
// otherwise cost one kernel copy per member: small members go through one bounded buffer
// instead, and large ones are still copied by the kernel (File::CopyRangeTo).

#include <cstdint>
#include <memory>
#include <vector>

#include "archives/VivDirectory.h"
#include "base/Endian.h"
#include "platform/File.h"

namespace velkor {

// Appends bytes and members' files to an output file, gathering small pieces into one
// bounded buffer. Nothing is written by the destructor: call Flush at the end.
class BatchedOutput {
 public:
  explicit BatchedOutput(platform::File& out);

  void Append(ByteView bytes);
  // Appends the first `length` bytes of `member`, a file just opened for reading; raises
  // FormatError ("truncated") when it is shorter, as File::CopyRangeTo does.
  void AppendFileStart(platform::File& member, std::uint64_t length);
  void Flush();

 private:
  std::uint8_t* Room();  // the buffer's free part, the buffer made on first use

  platform::File& out_;
  // Not zeroed when made: every byte is read or copied into it before it is written out.
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t used_ = 0;
};

// Writes entries of an archive into files of their own. Runs of small entries that lie
// one after the other in the archive are read together, once, into a bounded buffer; the
// rest is copied by the kernel.
class EntryReader {
 public:
  // `entries` were checked against the archive's length and outlive the reader.
  EntryReader(platform::File& archive, const std::vector<VivEntry>& entries);

  // Appends the bytes of `entry`, one of the reader's entries, to `out`.
  void CopyTo(const VivEntry& entry, platform::File& out);

 private:
  void ReadRunFrom(std::size_t first);

  platform::File& archive_;
  const std::vector<VivEntry>& entries_;
  Bytes window_;
  std::uint64_t windowStart_ = 0;
};

}  // namespace velkor
