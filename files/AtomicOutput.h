#pragma once

#include <functional>
#include <string>

#include "base/Endian.h"
#include "platform/File.h"

namespace velkor {

// Writes a file so that it appears whole or not at all: the bytes go to a temporary file
// beside the target, which Commit() renames over the target. Without Commit() the
// temporary file is removed and the target is left as it was. In a scratch folder (see
// ScratchFolder) a target that does not exist yet is written directly instead.
class AtomicOutput {
 public:
  explicit AtomicOutput(std::string target);
  ~AtomicOutput();
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  platform::File& file() { return file_; }
  const std::string& target() const { return target_; }
  // Called by Commit with the target's path just before a target that exists with other
  // bytes is replaced; when it raises, nothing is replaced.
  void BeforeReplacing(std::function<void(const std::string&)> hook) { beforeReplacing_ = std::move(hook); }
  void Commit();

 private:
  platform::File Open();

  std::string target_;
  std::string temporary_;
  bool direct_ = false;  // writing the new target itself, in a scratch folder (set by Open)
  platform::File file_;
  std::function<void(const std::string&)> beforeReplacing_;
  bool committed_ = false;
};

// While an object of this class lives, `folder` is a scratch folder: a command's working
// folder that is deleted, with everything in it, when the command ends, whether it
// succeeds or fails. A new file written there through AtomicOutput needs no temporary
// file and rename (an unfinished one is removed, and the folder goes anyway); files that
// exist are still replaced atomically.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& folder);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  std::string folder_;
};

// ".<name>.velkor-<random>" beside `target`: a name nobody can guess, in the target's own
// folder (so on its file system), with a leading dot, so packing a folder never picks it up.
std::string UnguessablePathBeside(const std::string& target);

// The whole of `bytes` as the file `target`, atomically.
void WriteFileAtomically(const std::string& target, ByteView bytes);

}  // namespace velkor
