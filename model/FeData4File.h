#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/GameFile.h"

namespace velkor {

// An NFS4 front-end text file ("FEDATA4"): a 960-byte header, 41 text offsets and 41
// NUL-terminated texts.
class FeData4File : public GameFile {
 public:
  static constexpr std::size_t kHeaderSize = 960;
  static constexpr std::size_t kTextCount = 41;
  static constexpr std::size_t kFirstText = kHeaderSize + 4 * kTextCount;  // 1124

  explicit FeData4File(std::string path);

  int Reset() override;
  int Load() override;
  int SaveAs(std::string p) override;

  // Writes the data as an NFS3 front-end file to `path`; this object is not changed.
  int ConvertTo3(std::string path) const;

  // The header's bytes as read; fields at the positions of model/FeDataLayout.h.
  std::array<std::uint8_t, kHeaderSize> header{};
  std::array<std::uint32_t, kTextCount> textOffsets{};
  std::array<std::string, kTextCount> texts;
};

}  // namespace velkor
