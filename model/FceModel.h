#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/Endian.h"
#include "model/FceHeader.h"
#include "platform/File.h"

namespace velkor::fce {

// Leaves new elements uninitialised on resize, so that a block about to be read from the
// file is not first zero-filled: models run to tens of megabytes.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  using std::allocator<T>::allocator;
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using BlockBytes = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

// What both FCE versions share: a fixed-size header followed by data blocks whose lengths
// follow from the header's two counts.
class FceModel {
 public:
  explicit FceModel(const Layout& layout);

  // An empty model of the version: header all zero but the signature, every block empty.
  void Reset();

  // Reads and checks the file (messages name file.Path()); returns its length. Counts and
  // offsets are checked against the file's real length before anything is allocated.
  std::int32_t Load(platform::File file);

  // Writes the header and then every block in block order without gaps, atomically. The
  // header's block offsets are set to that layout first. Returns the length written.
  std::int32_t SaveAs(const std::string& path);

  // Blocks are numbered from 1, as in the header.
  BlockBytes& block(std::size_t number);
  const BlockBytes& block(std::size_t number) const;

  FceHeader header;

 private:
  std::vector<BlockBytes> blocks_;
};

// Writes `header` and then `blocks` (one view per block of the header's version) one after
// another without gaps, atomically, after setting the header's block offsets to that
// layout. Each block's length must match the header's counts. Returns the length written.
// Conversions write through this directly, so blocks they duplicate are never copied.
std::int32_t WritePackedModel(const std::string& path, FceHeader& header, std::span<const ByteView> blocks);

}  // namespace velkor::fce
