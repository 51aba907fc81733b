#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/GameFile.h"

namespace velkor {

// An NFS3 front-end text file ("FEDATA3", e.g. fedata.eng): a 47-byte header, 40 text
// offsets and 40 NUL-terminated texts.
class FeData3File : public GameFile {
 public:
  static constexpr std::size_t kHeaderSize = 47;
  static constexpr std::size_t kTextCount = 40;
  static constexpr std::size_t kFirstText = kHeaderSize + 4 * kTextCount;  // 207

  explicit FeData3File(std::string path);

  int Reset() override;
  int Load() override;
  int SaveAs(std::string p) override;

  // Writes the data as an NFS4 front-end file to `path`; this object is not changed.
  int ConvertTo4(std::string path) const;

  // The header's bytes as read; fields at the positions of model/FeDataLayout.h.
  std::array<std::uint8_t, kHeaderSize> header{};
  std::array<std::uint32_t, kTextCount> textOffsets{};
  std::array<std::string, kTextCount> texts;
};

}  // namespace velkor
