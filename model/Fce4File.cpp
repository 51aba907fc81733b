#include "model/Fce4File.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/Text.h"
#include "model/FceConversion.h"

namespace velkor {

Fce4File::Fce4File(std::string p) : GameFile(std::move(p)), model(fce::kFce4Layout) { typeTag = "FCE4"; }

int Fce4File::Reset() {
  model.Reset();
  return 1;
}

int Fce4File::Load() {
  size = model.Load(OpenContent());
  return 1;
}

int Fce4File::SaveAs(std::string p) {
  size = model.SaveAs(p);
  return 1;
}

int Fce4File::ConvertTo3(std::string destination, int useAlternateBlocks) const {
  using namespace fce;
  const FceHeader& from = model.header;
  const std::vector<std::size_t> order = Nfs3PartOrder(from);

  FceHeader to(kFce3Layout);
  to.Clear();

  // Block offsets are not copied: the writer lays the blocks out one after another and
  // writes the offsets of that layout.
  to.setRecordCount(from.recordCount());
  to.setElementCount(from.elementCount());
  to.setPartCount(from.partCount());
  CopyCarriedAreas(from, to);

  // Load keeps partCount within 0 to 64; the clamp guards a model filled in memory.
  const auto parts = static_cast<std::size_t>(std::clamp<std::int32_t>(from.partCount(), 0, static_cast<std::int32_t>(kPartSlots)));
  for (std::size_t r = 0; r < parts && r < order.size(); ++r) CopyPart(from, order[r], to, r);

  for (std::size_t e = 0; e < kQuadEntries; ++e)
    for (std::size_t c = 0; c < kQuadComponents; ++c) to.setQuadComponent(e, c, from.quadComponent(e, c));

  for (std::size_t r = 0; r < order.size(); ++r) {
    const std::string name = UpperCaseAscii(std::string(from.partName(order[r])));
    const int position = StandardPosition(name);
    to.setPartName(r, position >= 0 ? std::string(kStandardParts[static_cast<std::size_t>(position)].nfs3Name) : name);
  }

  const bool alternate = useAlternateBlocks != 0;
  const std::array<ByteView, 6> blocks = {model.block(alternate ? 9 : 1), model.block(alternate ? 10 : 2),
                                          model.block(3), model.block(4), model.block(5), model.block(6)};
  WritePackedModel(destination, to, blocks);
  return 1;
}

}  // namespace velkor
