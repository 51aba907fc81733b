#pragma once

// Pieces shared by the conversions between the two FCE versions.

#include <string>
#include <string_view>
#include <vector>

#include "model/FceHeader.h"

namespace velkor::fce {

// The standard position whose NFS4 name equals `upperName` exactly, or -1.
int StandardPosition(std::string_view upperName);

// Copies the header areas that both versions carry unchanged.
void CopyCarriedAreas(const FceHeader& from, FceHeader& to);

// Copies part record and table entries of one slot to another slot of another header.
void CopyPart(const FceHeader& from, std::size_t fromSlot, FceHeader& to, std::size_t toSlot);

// The source slot of each NFS3 part, from an NFS4 header's part names: the slots that
// claim a standard position (the last slot wins when several claim the same one), in
// position order, then every other slot in slot order.
std::vector<std::size_t> Nfs3PartOrder(const FceHeader& nfs4);

}  // namespace velkor::fce
