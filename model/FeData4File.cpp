#include "model/FeData4File.h"

#include <algorithm>
#include <utility>

#include "base/Endian.h"
#include "files/AtomicOutput.h"
#include "model/FeData3File.h"
#include "model/FeDataLayout.h"

namespace velkor {

FeData4File::FeData4File(std::string p) : GameFile(std::move(p)) { typeTag = "FEDATA4"; }

int FeData4File::Reset() {
  header.fill(0);
  textOffsets.fill(0);
  header[0] = 4;
  header[904] = 10;
  header[958] = static_cast<std::uint8_t>(kTextCount);
  return 1;
}

int FeData4File::Load() {
  size = fedata::LoadFile(OpenContent(), "an NFS4 front-end file", header, textOffsets, texts);
  return 1;
}

int FeData4File::SaveAs(std::string p) {
  const Bytes bytes = fedata::PackFile(header, texts, textOffsets, p);
  WriteFileAtomically(p, bytes);
  size = static_cast<std::int32_t>(bytes.size());
  return 1;
}

int FeData4File::ConvertTo3(std::string destination) const {
  using namespace fedata;
  FeData3File target(std::move(destination));
  target.Reset();
  auto& to = target.header;

  std::copy_n(header.begin() + k4SharedWord, 4, to.begin() + k3SharedWord);
  WriteU16LE(to, k3LessOne, static_cast<std::uint16_t>(ReadU32LE(header, k4PlusOne) - 1));
  const std::uint16_t flags = ReadU16LE(header, k4Flags);
  WriteU16LE(to, k3FlagHigh, (flags & k4FlagHigh) != 0 ? 1 : 0);
  WriteU16LE(to, k3FlagLow, (flags & k4FlagLow) != 0 ? 1 : 0);
  WriteU16LE(to, k3ShortValue, static_cast<std::uint16_t>(ReadU32LE(header, k4WideValue)));
  for (std::size_t g = 0; g < 4; ++g) to[k3FourBytes + g] = header[k4ByteGroups + 4 * g];

  for (std::size_t k = 0; k < FeData3File::kTextCount; ++k)
    target.texts[k] = k < kInsertedText ? texts[k] : texts[k + 1];
  target.Save();
  return 1;
}

}  // namespace velkor
