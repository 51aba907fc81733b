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

// True when `path` is a readable file holding exactly the bytes of `parts`, one after the
// other: writing them to it would change nothing.
bool FileHolds(const std::string& path, std::span<const ByteView> parts) {
  std::uint64_t total = 0;
  for (const ByteView part : parts) total += part.size();
  ContentComparison comparison(path, total);
  for (const ByteView part : parts) comparison.Expect(part);
  return comparison.Matches();
}

// True when both paths are readable files holding exactly the same bytes.
bool FilesHoldSameBytes(const std::string& a, const std::string& b) {
  std::optional<platform::File> first = platform::File::Open(a, platform::File::ReadIfPossible);
  if (!first) return false;
  ContentComparison second(b, first->Length());
  second.ExpectFrom(*first, first->Length());
  return second.Matches();
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
  if (compareAtCommit_ && FilesHoldSameBytes(temporary_, target_)) {
    platform::RemoveFile(temporary_);
  } else {
    // Anything of that name counts, a file that cannot be read too: the hook must see it
    // (and fail when it cannot keep it) rather than have it replaced unseen.
    if (beforeReplacing_ && platform::PathIsTaken(target_)) beforeReplacing_(target_);
    platform::ReplaceFile(temporary_, target_);
  }
  committed_ = true;
}

void WriteFileAtomically(const std::string& target, std::span<const ByteView> parts) {
  if (FileHolds(target, parts)) return;
  AtomicOutput out(target);
  out.TargetDiffers();
  for (const ByteView part : parts) out.file().Write(part);
  out.Commit();
}

void WriteFileAtomically(const std::string& target, ByteView bytes) { WriteFileAtomically(target, {&bytes, 1}); }

}  // namespace velkor
