#include "files/AtomicOutput.h"

#include <utility>

#include "base/Errors.h"
#include "files/FileContent.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace velkor {
namespace {

// ".<name>.velkor-<pid>.tmp" in the target's folder: same file system, so the rename is
// atomic; a leading dot, so packing a folder never picks it up.
std::string TemporaryPathFor(const std::string& target) {
  return platform::FolderPartOf(target) + "." + platform::FileNameOf(target) + ".velkor-" +
         std::to_string(platform::ProcessId()) + ".tmp";
}

File CreateTemporary(const std::string& target, const std::string& temporary) {
  try {
    return File(temporary, File::Mode::CreateTruncate);
  } catch (const FileError& e) {
    throw FileError(target, "create", e.reason());
  }
}

// True when `target` is a file holding exactly the bytes of `candidate`.
bool SameContent(const std::string& candidate, const std::string& target) {
  File a(candidate, File::Mode::Read);
  ContentComparison existing(target, a.Length());
  existing.ExpectFrom(a, a.Length());
  return existing.Matches();
}

}  // namespace

AtomicOutput::AtomicOutput(std::string target)
    : target_(std::move(target)), temporary_(TemporaryPathFor(target_)), file_(CreateTemporary(target_, temporary_)) {}

AtomicOutput::~AtomicOutput() {
  if (!committed_) {
    file_.CloseQuietly();  // Windows cannot delete a file that is still open
    platform::RemoveFile(temporary_);
  }
}

void AtomicOutput::Commit() {
  try {
    file_.Close();
  } catch (const FileError& e) {
    throw FileError(target_, "write", e.reason());
  }
  // Rewriting a file with the bytes it already holds (an archive saving members that were
  // just written) leaves it alone: replacing a file makes some file systems flush it to disk.
  if (SameContent(temporary_, target_)) {
    platform::RemoveFile(temporary_);
  } else {
    platform::ReplaceFile(temporary_, target_);
  }
  committed_ = true;
}

void WriteFileAtomically(const std::string& target, ByteView bytes) {
  if (FileHolds(target, {&bytes, 1})) return;
  AtomicOutput out(target);
  try {
    out.file().Write(bytes);
  } catch (const FileError& e) {
    throw FileError(target, "write", e.reason());
  }
  out.Commit();
}

}  // namespace velkor
