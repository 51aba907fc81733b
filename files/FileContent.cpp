#include "files/FileContent.h"

#include <algorithm>

namespace velkor {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

ContentComparison::ContentComparison(const std::string& path, std::uint64_t length)
    : file_(platform::File::Open(path, platform::File::ReadIfPossible)) {
  if (file_ && file_->Length() != length) file_.reset();
}

ContentComparison::ContentComparison(const std::string& path)
    : file_(platform::File::Open(path, platform::File::ReadIfPossible)) {}

void ContentComparison::MoveTo(std::uint64_t offset) {
  if (file_) file_->Seek(offset);
}

void ContentComparison::Expect(ByteView expected) {
  while (file_ && !expected.empty()) {
    const std::size_t n = std::min(expected.size(), kChunk);
    chunk_.resize(n);
    if (file_->ReadSome(chunk_) != n || !std::equal(chunk_.begin(), chunk_.end(), expected.begin())) file_.reset();
    expected = expected.subspan(n);
  }
}

void ContentComparison::ExpectFrom(platform::File& source, std::uint64_t length) {
  while (file_ && length > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk));
    sourceChunk_.resize(n);
    if (source.ReadSome(sourceChunk_) != n) {
      file_.reset();
      return;
    }
    Expect(sourceChunk_);
    length -= n;
  }
}

}  // namespace velkor
