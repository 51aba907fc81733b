#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/Endian.h"
#include "model/FceHeader.h"

namespace velkor::fce {

// What both FCE versions share: a fixed-size header followed by data blocks whose lengths
// follow from the header's two counts.
class FceModel {
 public:
  explicit FceModel(const Layout& layout);

  // An empty model of the version: header all zero but the signature, every block empty.
  void Reset();

  // Reads and checks the file; returns its length. Counts and offsets are checked
  // against the file's real length before anything is allocated from them.
  std::int32_t Load(const std::string& path);

  // Writes the header and then every block in block order without gaps, atomically. The
  // header's block offsets are set to that layout first. Returns the length written.
  std::int32_t SaveAs(const std::string& path);

  // Blocks are numbered from 1, as in the header.
  Bytes& block(std::size_t number);
  const Bytes& block(std::size_t number) const;

  FceHeader header;

 private:
  std::vector<Bytes> blocks_;
};

}  // namespace velkor::fce
