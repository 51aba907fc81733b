#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Endian.h"
#include "model/FceLayout.h"

namespace velkor::fce {

// The header of an FCE model, held as the exact bytes of the file, with accessors for the
// fields Velkor uses. Every byte that no accessor names is carried as it was read.
class FceHeader {
 public:
  explicit FceHeader(const Layout& layout);

  const Layout& layout() const { return *layout_; }
  ByteView bytes() const { return bytes_; }
  MutableByteView bytes() { return bytes_; }

  // All zero but the version's signature.
  void Clear();

  std::int32_t recordCount() const;
  void setRecordCount(std::int32_t value);
  std::int32_t elementCount() const;
  void setElementCount(std::int32_t value);
  std::int32_t partCount() const;
  void setPartCount(std::int32_t value);

  // Blocks are numbered from 1. The stored offset counts from the end of the header.
  std::int32_t blockOffset(std::size_t block) const;
  void setBlockOffset(std::size_t block, std::int32_t value);
  std::size_t blockOffsetPosition(std::size_t block) const;
  // The block's length from the counts; the counts must not be negative.
  std::uint64_t blockLength(std::size_t block) const;

  ByteView partRecord(std::size_t slot) const;
  MutableByteView partRecord(std::size_t slot);
  std::uint32_t partTableValue(std::size_t table, std::size_t slot) const;
  void setPartTableValue(std::size_t table, std::size_t slot, std::uint32_t value);

  // A name is the slot's bytes up to the first NUL (all 64 when there is none).
  std::string partName(std::size_t slot) const;
  // Writes the name's bytes (at most 64) and zero-fills the rest of the slot.
  void setPartName(std::size_t slot, std::string_view name);

  // A quad component as a 32-bit value: read whole from 32-bit tables, and widened as a
  // signed byte from byte tables. Setting a byte component keeps the value's lowest byte.
  std::int32_t quadComponent(std::size_t entry, std::size_t component) const;
  void setQuadComponent(std::size_t entry, std::size_t component, std::int32_t value);
  void setSecondQuadComponent(std::size_t entry, std::size_t component, std::int32_t value);

  ByteView area(Area which) const;
  MutableByteView area(Area which);

 private:
  void SetQuadAt(std::size_t table, std::size_t entry, std::size_t component, std::int32_t value);

  const Layout* layout_;
  Bytes bytes_;
};

}  // namespace velkor::fce
