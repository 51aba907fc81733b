#include "model/Fce3File.h"

#include <algorithm>
#include <utility>

#include "model/Fce4File.h"
#include "model/FceConversion.h"

namespace velkor {

Fce3File::Fce3File(std::string p) : GameFile(std::move(p)), model(fce::kFce3Layout) { typeTag = "FCE3"; }

int Fce3File::Reset() {
  model.Reset();
  return 1;
}

int Fce3File::Load() {
  size = model.Load(path);
  return 1;
}

int Fce3File::SaveAs(std::string p) {
  size = model.SaveAs(p);
  return 1;
}

int Fce3File::ConvertTo4(std::string destination) const {
  using namespace fce;
  Fce4File target(std::move(destination));
  target.Reset();
  const FceHeader& from = model.header;
  FceHeader& to = target.model.header;

  // Block offsets are not copied: SaveAs lays the blocks out one after another and
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
                                                      : ToLowerName(from.partName(slot)));
  }

  for (std::size_t b = 1; b <= 6; ++b) target.model.block(b) = model.block(b);
  target.model.block(7) = model.block(1);
  target.model.block(8) = model.block(2);
  target.model.block(9) = model.block(1);
  target.model.block(10) = model.block(2);
  for (std::size_t b = 11; b <= 14; ++b) target.model.block(b).assign(static_cast<std::size_t>(to.blockLength(b)), 0);

  target.Save();
  return 1;
}

}  // namespace velkor
