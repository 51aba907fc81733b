#include "recogniser/ContentGame.h"

#include <algorithm>
#include <cstdio>

#include "base/Endian.h"
#include "base/Text.h"
#include "carp/PerformanceFileNames.h"
#include "model/FceHeader.h"
#include "model/FceLayout.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "model/FrontEndNames.h"

namespace velkor {
namespace {

// Performance files are a few kilobytes; a file larger than this is not looked through.
constexpr std::uint64_t kMostPerformanceText = 4 * 1024 * 1024;

std::string Hex(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

// Whether the model's counts, part count and every block fit `layout` and the file.
bool ModelFits(const fce::Layout& layout, platform::File& content, std::uint64_t offset, std::uint64_t length) {
  if (length < layout.headerSize) return false;
  fce::FceHeader header(layout);
  const Bytes bytes = content.ReadAtMost(offset, layout.headerSize);
  std::copy(bytes.begin(), bytes.end(), header.bytes().begin());
  if (header.recordCount() < 0 || header.elementCount() < 0) return false;
  if (header.partCount() < 0 || header.partCount() > static_cast<std::int32_t>(fce::kPartSlots)) return false;
  for (std::size_t b = 1; b <= layout.blockCount; ++b) {
    const std::uint64_t blockLength = header.blockLength(b);
    if (header.blockOffset(b) < 0) return false;
    if (blockLength == 0) continue;
    const std::uint64_t start = layout.headerSize + static_cast<std::uint64_t>(header.blockOffset(b));
    if (start > length || blockLength > length - start) return false;
  }
  return true;
}

// Whether the header and offset table of `count` texts after `headerSize` bytes fit the file,
// every offset pointing past the table and inside the file.
bool FrontEndFits(std::size_t headerSize, std::size_t count, platform::File& content, std::uint64_t offset,
                  std::uint64_t length) {
  const std::size_t tableEnd = headerSize + 4 * count;
  if (length < tableEnd) return false;
  const Bytes table = content.ReadAtMost(offset + headerSize, 4 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t at = ReadU32LE(table, 4 * i);
    if (at < tableEnd || at > length) return false;
  }
  return true;
}

}  // namespace

ContentIdentity IdentifyModel(platform::File& content, std::uint64_t offset, std::uint64_t length) {
  Bytes start = content.ReadAtMost(offset, static_cast<std::size_t>(std::min<std::uint64_t>(4, length)));
  start.resize(4, 0);
  const std::uint32_t first = ReadU32LE(start, 0);
  if (first == kFce4Signature) return {ContentGame::Nfs4, "an NFS4 model"};
  if (first == kFce4mSignature) return {ContentGame::Neither, "an FCE4M model, which neither game reads"};
  if (ModelFits(fce::kFce3Layout, content, offset, length)) return {ContentGame::Nfs3, "an NFS3 model"};
  return {ContentGame::Undecided, "no model of either game, starting with " + Hex(first)};
}

ContentIdentity IdentifyPerformanceFile(platform::File& content, std::uint64_t offset, std::uint64_t length) {
  if (length > kMostPerformanceText) return {};
  const Bytes bytes = content.ReadAtMost(offset, static_cast<std::size_t>(length));
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const auto has = [&](int label) { return text.find("(" + std::to_string(label) + ")") != std::string_view::npos; };
  for (int label = 0; label < 80; ++label)
    if (!has(label)) return {};
  if (has(80)) return {ContentGame::Nfs4, "an NFS4 performance file"};
  return {ContentGame::Nfs3, "an NFS3 performance file"};
}

ContentIdentity IdentifyFrontEndFile(platform::File& content, std::uint64_t offset, std::uint64_t length) {
  const bool nfs3 = FrontEndFits(FeData3File::kHeaderSize, FeData3File::kTextCount, content, offset, length);
  const bool nfs4 = FrontEndFits(FeData4File::kHeaderSize, FeData4File::kTextCount, content, offset, length);
  if (nfs3 == nfs4) return {};
  return nfs3 ? ContentIdentity{ContentGame::Nfs3, "an NFS3 front-end file"}
              : ContentIdentity{ContentGame::Nfs4, "an NFS4 front-end file"};
}

ContentIdentity IdentifyByName(const std::string& name, platform::File& content, std::uint64_t offset, std::uint64_t length) {
  const std::string lower = LowerCaseAscii(name);
  if (EndsWith(lower, ".fce")) return IdentifyModel(content, offset, length);
  if (EndsWithFrontEndFileName(lower)) return IdentifyFrontEndFile(content, offset, length);
  if (EndsWithPerformanceFileName(lower)) return IdentifyPerformanceFile(content, offset, length);
  return {};
}

const char* ContentGameName(ContentGame game) {
  switch (game) {
    case ContentGame::Nfs3: return "NFS3";
    case ContentGame::Nfs4: return "NFS4";
    case ContentGame::Neither: return "neither game";
    case ContentGame::Undecided: break;
  }
  return "unknown";
}

}  // namespace velkor
