#include "model/FceModel.h"

#include <limits>
#include <utility>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "files/GameFile.h"
#include "platform/File.h"

namespace velkor::fce {
namespace {

std::string Num(std::int64_t n) { return std::to_string(n); }

void CheckCount(const std::string& path, std::size_t position, const char* field, std::int32_t value) {
  if (value < 0) throw FormatError(path, position, std::string(field) + " is negative (" + Num(value) + ")");
}

// Every block must lie wholly inside the file; an empty block fits anywhere.
void CheckBlockFits(const std::string& path, const FceHeader& h, std::size_t block, std::uint64_t fileLength) {
  const std::size_t position = h.blockOffsetPosition(block);
  const std::int32_t offset = h.blockOffset(block);
  const std::string field = "blockOffsets[" + Num(static_cast<std::int64_t>(block)) + "]";
  if (offset < 0) throw FormatError(path, position, field + " is negative (" + Num(offset) + ")");
  const std::uint64_t length = h.blockLength(block);
  if (length == 0) return;
  const std::uint64_t start = h.layout().headerSize + static_cast<std::uint64_t>(offset);
  if (start > fileLength || length > fileLength - start) {
    const bool byElements = h.layout().blocks[block - 1].count == CountKind::Elements;
    throw FormatError(path, position,
                      "block " + Num(static_cast<std::int64_t>(block)) + " (" + (byElements ? "elementCount " : "recordCount ") +
                          Num(byElements ? h.elementCount() : h.recordCount()) + " gives " +
                          Num(static_cast<std::int64_t>(length)) + " bytes) at " + field + " = " + Num(offset) +
                          " does not fit in the file of " + Num(static_cast<std::int64_t>(fileLength)) + " bytes");
  }
}

}  // namespace

FceModel::FceModel(const Layout& layout) : header(layout), blocks_(layout.blockCount) {}

void FceModel::Reset() {
  header.Clear();
  for (auto& b : blocks_) b.clear();
}

BlockBytes& FceModel::block(std::size_t number) {
  if (number < 1 || number > blocks_.size()) throw InternalError("FCE block number out of range");
  return blocks_[number - 1];
}

const BlockBytes& FceModel::block(std::size_t number) const {
  if (number < 1 || number > blocks_.size()) throw InternalError("FCE block number out of range");
  return blocks_[number - 1];
}

std::int32_t FceModel::Load(platform::File file) {
  const Layout& layout = header.layout();
  const std::string& path = file.Path();
  const std::uint64_t fileLength = file.Length();
  const std::int32_t size = CheckedFileSize(path, fileLength);
  if (fileLength < layout.headerSize) {
    throw FormatError(path, "truncated: the " + std::string(layout.typeTag) + " model header takes " +
                                Num(static_cast<std::int64_t>(layout.headerSize)) + " bytes, the file has " +
                                Num(size));
  }

  FceHeader loaded(layout);
  file.ReadExact(loaded.bytes());
  CheckCount(path, layout.recordCount, "recordCount", loaded.recordCount());
  CheckCount(path, layout.elementCount, "elementCount", loaded.elementCount());
  const std::int32_t parts = loaded.partCount();
  if (parts < 0 || parts > static_cast<std::int32_t>(kPartSlots))
    throw FormatError(path, layout.partCount, "partCount " + Num(parts) + " is outside 0 to 64");
  for (std::size_t b = 1; b <= layout.blockCount; ++b) CheckBlockFits(path, loaded, b, fileLength);

  std::vector<BlockBytes> blocks(layout.blockCount);
  for (std::size_t b = 1; b <= layout.blockCount; ++b) {
    BlockBytes& data = blocks[b - 1];
    data.resize(static_cast<std::size_t>(loaded.blockLength(b)));
    if (data.empty()) continue;
    file.Seek(layout.headerSize + static_cast<std::uint64_t>(loaded.blockOffset(b)));
    file.ReadExact(MutableByteView(data));
  }
  header = std::move(loaded);
  blocks_ = std::move(blocks);
  return size;
}

std::int32_t FceModel::SaveAs(const std::string& path) {
  std::vector<ByteView> views(blocks_.begin(), blocks_.end());
  return WritePackedModel(path, header, views);
}

std::int32_t WritePackedModel(const std::string& path, FceHeader& header, std::span<const ByteView> blocks) {
  const Layout& layout = header.layout();
  if (blocks.size() != layout.blockCount) throw InternalError("FCE model written with the wrong number of blocks");
  std::uint64_t total = 0;
  for (std::size_t b = 1; b <= layout.blockCount; ++b) {
    if (blocks[b - 1].size() != header.blockLength(b))
      throw InternalError("FCE block " + Num(static_cast<std::int64_t>(b)) + " does not match the header's counts");
    total += blocks[b - 1].size();
  }
  if (layout.headerSize + total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw FormatError(path, "the model would be larger than 2 GiB, which an FCE file cannot be");

  std::int32_t offset = 0;
  for (std::size_t b = 1; b <= layout.blockCount; ++b) {
    header.setBlockOffset(b, offset);
    offset += static_cast<std::int32_t>(blocks[b - 1].size());
  }

  std::vector<ByteView> parts{header.bytes()};
  parts.insert(parts.end(), blocks.begin(), blocks.end());
  WriteFileAtomically(path, parts);
  return static_cast<std::int32_t>(layout.headerSize + total);
}

}  // namespace velkor::fce
