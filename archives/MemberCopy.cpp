#include "archives/MemberCopy.h"

#include <algorithm>
#include <string>

#include "base/Errors.h"

namespace velkor {
namespace {

// Pieces up to this size go through the buffer; larger ones are copied by the kernel.
constexpr std::uint64_t kSmallPiece = 64 * 1024;
constexpr std::size_t kBufferSize = 1024 * 1024;
// Packing gathers small pieces in a smaller buffer: each of its pages costs a page fault
// the first time it is filled (a 1 MiB buffer cost a quarter of the faults of packing
// thousands of small files), while a write per 128 KiB instead of per MiB costs next to
// nothing. It holds at least one small piece.
constexpr std::size_t kBatchSize = 128 * 1024;
static_assert(kBatchSize >= kSmallPiece);
// Entries read together may have at most this many bytes between them (padding), so
// that a run never reads much that it does not write.
constexpr std::uint64_t kLargestGap = 64;

std::uint64_t EndOf(const VivEntry& entry) {
  return static_cast<std::uint64_t>(entry.offset) + static_cast<std::uint64_t>(entry.length);
}

}  // namespace

BatchedOutput::BatchedOutput(platform::File& out) : out_(out) {}

std::uint8_t* BatchedOutput::Room() {
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kBatchSize);
  return buffer_.get() + used_;
}

void BatchedOutput::Append(ByteView bytes) {
  if (used_ + bytes.size() > kBatchSize) Flush();
  if (bytes.size() > kBatchSize) {
    out_.Write(bytes);
  } else {
    std::copy(bytes.begin(), bytes.end(), Room());
    used_ += bytes.size();
  }
}

void BatchedOutput::AppendFileStart(platform::File& member, std::uint64_t length) {
  if (length > kSmallPiece) {
    Flush();
    member.CopyRangeTo(out_, 0, length);
    return;
  }
  if (length > member.Length())
    throw FormatError(member.Path(), 0, "truncated: " + std::to_string(length) + " bytes expected");
  if (used_ + length > kBatchSize) Flush();
  member.ReadExact(MutableByteView(Room(), static_cast<std::size_t>(length)));
  used_ += static_cast<std::size_t>(length);
}

void BatchedOutput::Flush() {
  if (used_ == 0) return;
  out_.Write(ByteView(buffer_.get(), used_));
  used_ = 0;
}

EntryReader::EntryReader(platform::File& archive, const std::vector<VivEntry>& entries) : archive_(archive), entries_(entries) {}

void EntryReader::CopyTo(const VivEntry& entry, platform::File& out) {
  const auto offset = static_cast<std::uint64_t>(entry.offset);
  const auto length = static_cast<std::uint64_t>(entry.length);
  if (length > kSmallPiece) {
    archive_.CopyRangeTo(out, offset, length);
    return;
  }
  if (offset < windowStart_ || offset + length > windowStart_ + window_.size()) {
    const bool listed = !entries_.empty() && &entry >= entries_.data() && &entry < entries_.data() + entries_.size();
    if (!listed) throw InternalError("archive entry copied by a reader of another directory");
    ReadRunFrom(static_cast<std::size_t>(&entry - entries_.data()));
  }
  out.Write(ByteView(window_.data() + (offset - windowStart_), static_cast<std::size_t>(length)));
}

// Reads entry `first` and the small entries that follow it closely in the archive, as
// many as fit the buffer.
void EntryReader::ReadRunFrom(std::size_t first) {
  const std::uint64_t start = static_cast<std::uint64_t>(entries_[first].offset);
  std::uint64_t end = EndOf(entries_[first]);
  for (std::size_t next = first + 1; next < entries_.size(); ++next) {
    const VivEntry& entry = entries_[next];
    const auto offset = static_cast<std::uint64_t>(entry.offset);
    if (static_cast<std::uint64_t>(entry.length) > kSmallPiece || offset < end || offset - end > kLargestGap ||
        EndOf(entry) - start > kBufferSize)
      break;
    end = EndOf(entry);
  }
  window_.resize(static_cast<std::size_t>(end - start));
  archive_.Seek(start);
  archive_.ReadExact(window_);
  windowStart_ = start;
}

}  // namespace velkor
