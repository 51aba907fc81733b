#include "model/FeDataLayout.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "base/Errors.h"
#include "files/GameFile.h"
#include "platform/File.h"

namespace velkor::fedata {

namespace {

// Files up to this size (every real front-end file) are read in one piece; larger ones
// text by text, so that memory stays bounded whatever the file holds.
constexpr std::uint64_t kWholeFileLimit = 1 << 20;

std::string TextAt(ByteView bytes) {
  const auto text = bytes.first(std::min<std::size_t>(kMaxTextLength, bytes.size()));
  return std::string(text.begin(), std::find(text.begin(), text.end(), std::uint8_t{0}));
}

std::string ReadText(platform::File& file, std::uint64_t fileLength, std::uint32_t offset) {
  if (offset >= fileLength) return {};
  const auto available = static_cast<std::size_t>(std::min<std::uint64_t>(kMaxTextLength, fileLength - offset));
  Bytes bytes(available);
  file.Seek(offset);
  file.ReadExact(bytes);
  return TextAt(bytes);
}

}  // namespace

std::int32_t LoadFile(platform::File file, const char* kind, MutableByteView header, std::span<std::uint32_t> offsets,
                      std::span<std::string> texts) {
  if (offsets.size() != texts.size()) throw InternalError("front-end offsets and texts differ in number");
  const std::string& path = file.Path();
  const std::uint64_t fileLength = file.Length();
  const std::int32_t size = CheckedFileSize(path, fileLength);
  const std::size_t fixedSize = header.size() + 4 * offsets.size();
  if (fileLength < fixedSize) {
    throw FormatError(path, std::string("truncated: the header and text offsets of ") + kind + " take " +
                                std::to_string(fixedSize) + " bytes, the file has " + std::to_string(fileLength));
  }
  const bool whole = fileLength <= kWholeFileLimit;
  Bytes fixed(whole ? static_cast<std::size_t>(fileLength) : fixedSize);
  file.ReadExact(fixed);
  std::vector<std::uint32_t> readOffsets(offsets.size());
  std::vector<std::string> readTexts(texts.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    readOffsets[i] = ReadU32LE(fixed, header.size() + 4 * i);
    if (!whole) {
      readTexts[i] = ReadText(file, fileLength, readOffsets[i]);
    } else if (readOffsets[i] < fixed.size()) {
      readTexts[i] = TextAt(ByteView(fixed).subspan(readOffsets[i]));
    }
  }
  std::copy(fixed.begin(), fixed.begin() + static_cast<std::ptrdiff_t>(header.size()), header.begin());
  std::ranges::copy(readOffsets, offsets.begin());
  std::ranges::move(readTexts, texts.begin());
  return size;
}

Bytes PackFile(ByteView header, std::span<const std::string> texts, std::span<std::uint32_t> offsets,
               const std::string& path) {
  if (offsets.size() != texts.size()) throw InternalError("front-end offsets and texts differ in number");
  std::uint64_t total = header.size() + 4 * texts.size();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].find('\0') != std::string::npos)
      throw InternalError("front-end text " + std::to_string(i) + " holds a NUL byte");
    total += texts[i].size() + 1;
  }
  if (total > std::numeric_limits<std::uint32_t>::max())
    throw FormatError(path, "the texts would reach past the 4 GiB that front-end offsets can address");

  Bytes out(header.begin(), header.end());
  out.reserve(static_cast<std::size_t>(total));
  std::uint32_t next = static_cast<std::uint32_t>(header.size() + 4 * texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    offsets[i] = next;
    next += static_cast<std::uint32_t>(texts[i].size() + 1);
    AppendU32LE(out, offsets[i]);
  }
  for (const std::string& text : texts) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
  }
  return out;
}

}  // namespace velkor::fedata
