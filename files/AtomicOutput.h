#pragma once

#include <functional>
#include <span>
#include <string>

#include "base/Endian.h"
#include "platform/File.h"

namespace velkor {

// Writes a file so that it appears whole or not at all: the bytes go to a temporary file
// beside the target, which Commit() renames over the target. Without Commit() the
// temporary file is removed and the target is left as it was. In a scratch folder (see
// ScratchFolder) a target that does not exist yet is written directly instead.
//
// This is the one place that decides to leave alone a target that holds the written bytes
// already: it keeps its inode and time of change, no BeforeReplacing hook runs for it and
// no temporary file is left (rewriting a file gains nothing and makes some file systems
// flush it to disk). Commit compares what was written with the target, unless the writer
// compared before writing (see TargetDiffers).
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
  // For a writer that compared its bytes with the target before writing them and found
  // them different: Commit then replaces the target without comparing again. Comparing
  // first spares writing anything beside a target that holds the bytes already (its folder
  // need not even be writable); it suits bytes at hand in memory (WriteFileAtomically) or
  // files that can be read again (the members of an archive being packed).
  void TargetDiffers() { compareAtCommit_ = false; }
  void Commit();

 private:
  platform::File Open();

  std::string target_;
  std::string temporary_;
  bool direct_ = false;  // writing the new target itself, in a scratch folder (set by Open)
  platform::File file_;
  std::function<void(const std::string&)> beforeReplacing_;
  bool compareAtCommit_ = true;
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

// The bytes of `parts`, one after the other, as the file `target`, atomically. They are
// compared with the target first, and a target that holds them already is left alone.
void WriteFileAtomically(const std::string& target, std::span<const ByteView> parts);
void WriteFileAtomically(const std::string& target, ByteView bytes);

}  // namespace velkor
