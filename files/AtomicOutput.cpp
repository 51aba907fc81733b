#include "files/AtomicOutput.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "base/Errors.h"
#include "files/FileContent.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace velkor {
namespace {

// ".<name>.velkor-<random>.tmp" in the target's folder: same file system, so the rename is
// atomic. The file is created new, so nothing put there beforehand is ever written to.
std::string TemporaryPathFor(const std::string& target) { return UnguessablePathBeside(target) + ".tmp"; }

// Creates the temporary file; every error it raises, now or when writing, names the target.
platform::File CreateTemporary(const std::string& target, std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryPathFor(target);
    std::optional<platform::File> file = platform::File::Open(temporary, platform::File::CreateNew, target);
    if (file) return std::move(*file);
  }
  throw FileError(target, "create a temporary file beside", "every name tried was taken");
}

std::vector<std::string>& ScratchFolders() {
  static std::vector<std::string> folders;
  return folders;
}

bool InScratchFolder(const std::string& target) {
  const std::string folder = platform::WithoutTrailingSeparators(platform::FolderPartOf(target));
  const auto& folders = ScratchFolders();
  return !folder.empty() && std::find(folders.begin(), folders.end(), folder) != folders.end();
}

// The target itself, created new, when it lies in a scratch folder and does not exist;
// nothing otherwise.
std::optional<platform::File> CreateDirectly(const std::string& target) {
  if (!InScratchFolder(target)) return std::nullopt;
  return platform::File::Open(target, platform::File::CreateNew);
}

}  // namespace

std::string UnguessablePathBeside(const std::string& target) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device random;
  std::string suffix;
  for (int i = 0; i < 12; ++i) suffix += kDigits[random() % 36];
  return platform::FolderPartOf(target) + "." + platform::FileNameOf(target) + ".velkor-" + suffix;
}

ScratchFolder::ScratchFolder(const std::string& folder) : folder_(platform::WithoutTrailingSeparators(folder)) {
  ScratchFolders().push_back(folder_);
}

ScratchFolder::~ScratchFolder() {
  auto& folders = ScratchFolders();
  const auto at = std::find(folders.rbegin(), folders.rend(), folder_);
  if (at != folders.rend()) folders.erase(std::next(at).base());
}

AtomicOutput::AtomicOutput(std::string target) : target_(std::move(target)), file_(Open()) {}

platform::File AtomicOutput::Open() {
  if (std::optional<platform::File> direct = CreateDirectly(target_)) {
    direct_ = true;
    return std::move(*direct);
  }
  return CreateTemporary(target_, temporary_);
}

AtomicOutput::~AtomicOutput() {
  if (!committed_) {
    file_.CloseQuietly();  // Windows cannot delete a file that is still open
    try {
      platform::RemoveFile(direct_ ? target_ : temporary_);
    } catch (const FileError&) {
      // Abandoning the output: what cannot be removed stays, as the destructor cannot raise.
    }
  }
}

void AtomicOutput::Commit() {
  try {
    file_.Close();
  } catch (const FileError& e) {
    throw FileError(target_, "write", e.reason());
  }
  if (direct_) {
    committed_ = true;
    return;
  }
  // Rewriting a file with the bytes it already holds (an archive saving members that were
  // just written) leaves it alone: replacing a file makes some file systems flush it to disk.
  if (FilesHoldSameBytes(temporary_, target_)) {
    platform::RemoveFile(temporary_);
  } else {
    // Anything of that name counts, a file that cannot be read too: the hook must see it
    // (and fail when it cannot keep it) rather than have it replaced unseen.
    if (beforeReplacing_ && platform::PathIsTaken(target_)) beforeReplacing_(target_);
    platform::ReplaceFile(temporary_, target_);
  }
  committed_ = true;
}

void WriteFileAtomically(const std::string& target, ByteView bytes) {
  if (FileHolds(target, {&bytes, 1})) return;
  AtomicOutput out(target);
  out.file().Write(bytes);
  out.Commit();
}

}  // namespace velkor
