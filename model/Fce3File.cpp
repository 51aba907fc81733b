#include "model/Fce3File.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/Text.h"
#include "model/FceConversion.h"

namespace velkor {

Fce3File::Fce3File(std::string p) : GameFile(std::move(p)), model(fce::kFce3Layout) { typeTag = "FCE3"; }

int Fce3File::Reset() {
  model.Reset();
  return 1;
}

int Fce3File::Load() {
  size = model.Load(OpenContent());
  return 1;
}

int Fce3File::SaveAs(std::string p) {
  size = model.SaveAs(p);
  return 1;
}

int Fce3File::ConvertTo4(std::string destination) const {
  using namespace fce;
  const FceHeader& from = model.header;
  FceHeader to(kFce4Layout);
  to.Clear();

  // Block offsets are not copied: the writer lays the blocks out one after another and
  // writes the offsets of that layout.
  to.setRecordCount(from.recordCount());
  to.setElementCount(from.elementCount());
  to.setPartCount(from.partCount());
  CopyCarriedAreas(from, to);
  for (std::size_t slot = 0; slot < kPartSlots; ++slot) CopyPart(from, slot, to, slot);

  for (std::size_t e = 0; e < kQuadEntries; ++e) {
    for (std::size_t c = 0; c < kQuadComponents; ++c) {
      to.setQuadComponent(e, c, from.quadComponent(e, c));
      to.setSecondQuadComponent(e, c, from.quadComponent(e, c));
    }
  }

  for (std::size_t slot = 0; slot < kPartSlots; ++slot) {
    to.setPartName(slot, slot < kStandardParts.size() ? std::string(kStandardParts[slot].nfs4Name)
                                                      : LowerCaseAscii(std::string(from.partName(slot))));
  }

  // Blocks 7 to 10 repeat blocks 1 and 2; blocks 11 to 14 are zero.
  const Bytes zeros(static_cast<std::size_t>(std::max(to.blockLength(11), to.blockLength(14))), 0);
  const auto zerosFor = [&](std::size_t b) { return ByteView(zeros).first(static_cast<std::size_t>(to.blockLength(b))); };
  const ByteView b1 = model.block(1), b2 = model.block(2);
  const std::array<ByteView, 14> blocks = {b1, b2, model.block(3), model.block(4), model.block(5), model.block(6),
                                           b1, b2, b1, b2, zerosFor(11), zerosFor(12), zerosFor(13), zerosFor(14)};
  WritePackedModel(destination, to, blocks);
  return 1;
}

}  // namespace velkor
