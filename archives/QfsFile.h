#pragma once

#include <string>

#include "archives/FshFile.h"

namespace velkor {

// A compressed FSH image archive (RefPack). It unpacks as the FSH file it holds: its
// records go into the working folder, and the decompressed FSH itself is never written.
// A stream that does not decompress cleanly is a format error, and nothing is written.
class QfsFile : public FshFile {
 public:
  explicit QfsFile(std::string path);

  // The most a compressed image archive may hold once decompressed: far above any real
  // one, low enough that a hostile file cannot make Velkor take gigabytes.
  static constexpr std::uint64_t kMostDecompressedBytes = 256ull << 20;

 protected:
  std::unique_ptr<FshSource> OpenImages() override;
};

// The decompressed content of a compressed image archive open as `content`, checked as
// QfsFile checks it; messages name `path`.
Bytes ReadQfsContent(platform::File& content, const std::string& path);

}  // namespace velkor
