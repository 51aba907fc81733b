#pragma once

#include <string>

#include "base/Endian.h"
#include "platform/File.h"

namespace velkor {

// Writes a file so that it appears whole or not at all: the bytes go to a temporary file
// beside the target, which Commit() renames over the target. Without Commit() the
// temporary file is removed and the target is left as it was.
class AtomicOutput {
 public:
  explicit AtomicOutput(std::string target);
  ~AtomicOutput();
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  File& file() { return file_; }
  const std::string& target() const { return target_; }
  void Commit();

 private:
  std::string target_;
  std::string temporary_;
  File file_;
  bool committed_ = false;
};

// The whole of `bytes` as the file `target`, atomically.
void WriteFileAtomically(const std::string& target, ByteView bytes);

}  // namespace velkor
