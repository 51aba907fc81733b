#include "model/FceHeader.h"

#include <algorithm>

#include "base/Errors.h"

namespace velkor::fce {
namespace {

void CheckIndex(std::size_t index, std::size_t limit, const char* what) {
  if (index >= limit) throw InternalError(std::string("FCE ") + what + " index out of range");
}

}  // namespace

FceHeader::FceHeader(const Layout& layout) : layout_(&layout), bytes_(layout.headerSize, 0) {}

void FceHeader::Clear() {
  std::fill(bytes_.begin(), bytes_.end(), std::uint8_t{0});
  std::copy(layout_->signature.begin(), layout_->signature.end(), bytes_.begin());
}

std::int32_t FceHeader::recordCount() const { return ReadI32LE(bytes_, layout_->recordCount); }
void FceHeader::setRecordCount(std::int32_t value) {
  WriteU32LE(bytes_, layout_->recordCount, static_cast<std::uint32_t>(value));
}
std::int32_t FceHeader::elementCount() const { return ReadI32LE(bytes_, layout_->elementCount); }
void FceHeader::setElementCount(std::int32_t value) {
  WriteU32LE(bytes_, layout_->elementCount, static_cast<std::uint32_t>(value));
}
std::int32_t FceHeader::partCount() const { return ReadI32LE(bytes_, layout_->partCount); }
void FceHeader::setPartCount(std::int32_t value) {
  WriteU32LE(bytes_, layout_->partCount, static_cast<std::uint32_t>(value));
}

std::size_t FceHeader::blockOffsetPosition(std::size_t block) const {
  if (block < 1 || block > layout_->blockCount) throw InternalError("FCE block number out of range");
  return layout_->blockOffsets + 4 * (block - 1);
}
std::int32_t FceHeader::blockOffset(std::size_t block) const {
  return ReadI32LE(bytes_, blockOffsetPosition(block));
}
void FceHeader::setBlockOffset(std::size_t block, std::int32_t value) {
  WriteU32LE(bytes_, blockOffsetPosition(block), static_cast<std::uint32_t>(value));
}

std::uint64_t FceHeader::blockLength(std::size_t block) const {
  const BlockShape shape = layout_->blocks.at(block - 1);
  const std::int32_t count = shape.count == CountKind::Elements ? elementCount() : recordCount();
  if (count < 0) throw InternalError("FCE block length from a negative count");
  return static_cast<std::uint64_t>(count) * shape.elementSize;
}

ByteView FceHeader::partRecord(std::size_t slot) const {
  CheckIndex(slot, kPartSlots, "part slot");
  return ByteView(bytes_).subspan(layout_->partRecords + slot * kPartRecordSize, kPartRecordSize);
}
MutableByteView FceHeader::partRecord(std::size_t slot) {
  CheckIndex(slot, kPartSlots, "part slot");
  return MutableByteView(bytes_).subspan(layout_->partRecords + slot * kPartRecordSize, kPartRecordSize);
}

std::uint32_t FceHeader::partTableValue(std::size_t table, std::size_t slot) const {
  CheckIndex(table, kPartTables, "part table");
  CheckIndex(slot, kPartSlots, "part slot");
  return ReadU32LE(bytes_, layout_->partTables + (table * kPartSlots + slot) * 4);
}
void FceHeader::setPartTableValue(std::size_t table, std::size_t slot, std::uint32_t value) {
  CheckIndex(table, kPartTables, "part table");
  CheckIndex(slot, kPartSlots, "part slot");
  WriteU32LE(bytes_, layout_->partTables + (table * kPartSlots + slot) * 4, value);
}

std::string FceHeader::partName(std::size_t slot) const {
  CheckIndex(slot, kPartSlots, "part slot");
  const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(layout_->partNames + slot * kPartNameSize);
  const auto last = first + kPartNameSize;
  return std::string(first, std::find(first, last, std::uint8_t{0}));
}

void FceHeader::setPartName(std::size_t slot, std::string_view name) {
  CheckIndex(slot, kPartSlots, "part slot");
  const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(layout_->partNames + slot * kPartNameSize);
  const std::size_t n = std::min(name.size(), kPartNameSize);
  std::fill(first, first + kPartNameSize, std::uint8_t{0});
  std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), first);
}

std::int32_t FceHeader::quadComponent(std::size_t entry, std::size_t component) const {
  CheckIndex(entry, kQuadEntries, "quad entry");
  CheckIndex(component, kQuadComponents, "quad component");
  const std::size_t width = layout_->quadComponentWidth;
  const std::size_t at = layout_->quadTable + (entry * kQuadComponents + component) * width;
  if (width == 4) return ReadI32LE(bytes_, at);
  return static_cast<std::int8_t>(bytes_[at]);
}

void FceHeader::SetQuadAt(std::size_t table, std::size_t entry, std::size_t component, std::int32_t value) {
  CheckIndex(entry, kQuadEntries, "quad entry");
  CheckIndex(component, kQuadComponents, "quad component");
  const std::size_t width = layout_->quadComponentWidth;
  const std::size_t at = table + (entry * kQuadComponents + component) * width;
  if (width == 4) {
    WriteU32LE(bytes_, at, static_cast<std::uint32_t>(value));
  } else {
    bytes_.at(at) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFF);
  }
}

void FceHeader::setQuadComponent(std::size_t entry, std::size_t component, std::int32_t value) {
  SetQuadAt(layout_->quadTable, entry, component, value);
}

void FceHeader::setSecondQuadComponent(std::size_t entry, std::size_t component, std::int32_t value) {
  if (layout_->secondQuadTable == 0) throw InternalError("this FCE version has no second quad table");
  SetQuadAt(layout_->secondQuadTable, entry, component, value);
}

ByteView FceHeader::area(Area which) const {
  return ByteView(bytes_).subspan(layout_->areas[static_cast<std::size_t>(which)], AreaSize(which));
}
MutableByteView FceHeader::area(Area which) {
  return MutableByteView(bytes_).subspan(layout_->areas[static_cast<std::size_t>(which)], AreaSize(which));
}

}  // namespace velkor::fce
