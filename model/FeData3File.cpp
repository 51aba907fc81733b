#include "model/FeData3File.h"

#include <algorithm>
#include <utility>

#include "base/Endian.h"
#include "files/AtomicOutput.h"
#include "model/FeData4File.h"
#include "model/FeDataLayout.h"

namespace velkor {

FeData3File::FeData3File(std::string p) : GameFile(std::move(p)) { typeTag = "FEDATA3"; }

int FeData3File::Reset() {
  header.fill(0);
  textOffsets.fill(0);
  WriteU16LE(header, 4, 9);
  WriteU16LE(header, 8, 1);
  WriteU32LE(header, 12, 3);
  WriteU16LE(header, 22, 128);
  header[44] = 5;
  header[45] = static_cast<std::uint8_t>(kTextCount);
  return 1;
}

int FeData3File::Load() {
  size = fedata::LoadFile(OpenContent(), "an NFS3 front-end file", header, textOffsets, texts);
  return 1;
}

int FeData3File::SaveAs(std::string p) {
  const Bytes bytes = fedata::PackFile(header, texts, textOffsets, p);
  WriteFileAtomically(p, bytes);
  size = static_cast<std::int32_t>(bytes.size());
  return 1;
}

int FeData3File::ConvertTo4(std::string destination) const {
  using namespace fedata;
  FeData4File target(std::move(destination));
  target.Reset();
  auto& to = target.header;

  std::copy_n(header.begin() + k3SharedWord, 4, to.begin() + k4SharedWord);
  WriteU32LE(to, k4WideValue, static_cast<std::uint32_t>(std::int32_t{ReadI16LE(header, k3ShortValue)}));
  const std::uint16_t flags = static_cast<std::uint16_t>((ReadU16LE(header, k3FlagLow) == 1 ? k4FlagLow : 0) |
                                                         (ReadU16LE(header, k3FlagHigh) == 1 ? k4FlagHigh : 0));
  WriteU16LE(to, k4Flags, flags);
  WriteU32LE(to, k4PlusOne, static_cast<std::uint32_t>(std::int32_t{ReadI16LE(header, k3LessOne)} + 1));

  int sum = 0;
  for (std::size_t g = 0; g < 4; ++g) {
    const std::uint8_t b = header[k3FourBytes + g];
    std::fill_n(to.begin() + static_cast<std::ptrdiff_t>(k4ByteGroups + 4 * g), 4, b);
    sum += static_cast<std::int8_t>(b);
  }
  // The fifth group is the average of the four, truncated toward zero.
  std::fill_n(to.begin() + k4ByteGroups + 16, 4, static_cast<std::uint8_t>(static_cast<std::int8_t>(sum / 4)));
  for (int i = 0; i < k4HundredsCount; ++i) WriteU32LE(to, k4Hundreds + 4 * static_cast<std::size_t>(i), 100);

  for (std::size_t k = 0; k < FeData4File::kTextCount; ++k) {
    if (k < kInsertedText) {
      target.texts[k] = texts[k];
    } else if (k > kInsertedText) {
      target.texts[k] = texts[k - 1];
    }
  }
  target.Save();
  return 1;
}

}  // namespace velkor
