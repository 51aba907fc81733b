#include "model/FceConversion.h"

#include <algorithm>
#include <optional>

#include "base/Text.h"

namespace velkor::fce {

int StandardPosition(std::string_view upperName) {
  for (std::size_t p = 0; p < kStandardParts.size(); ++p)
    if (kStandardParts[p].nfs4Name == upperName) return static_cast<int>(p);
  return -1;
}

void CopyCarriedAreas(const FceHeader& from, FceHeader& to) {
  for (Area area : kCarriedAreas) std::ranges::copy(from.area(area), to.area(area).begin());
}

void CopyPart(const FceHeader& from, std::size_t fromSlot, FceHeader& to, std::size_t toSlot) {
  std::ranges::copy(from.partRecord(fromSlot), to.partRecord(toSlot).begin());
  for (std::size_t t = 0; t < kPartTables; ++t) to.setPartTableValue(t, toSlot, from.partTableValue(t, fromSlot));
}

std::vector<std::size_t> Nfs3PartOrder(const FceHeader& nfs4) {
  std::array<std::optional<std::size_t>, kStandardParts.size()> claimed;
  std::vector<std::size_t> others;
  for (std::size_t slot = 0; slot < kPartSlots; ++slot) {
    const int position = StandardPosition(UpperCaseAscii(std::string(nfs4.partName(slot))));
    if (position >= 0) {
      claimed[static_cast<std::size_t>(position)] = slot;
    } else {
      others.push_back(slot);
    }
  }
  std::vector<std::size_t> order;
  order.reserve(kPartSlots);
  for (const auto& slot : claimed)
    if (slot) order.push_back(*slot);
  order.insert(order.end(), others.begin(), others.end());
  return order;
}

}  // namespace velkor::fce
