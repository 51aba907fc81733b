#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/Endian.h"

namespace velkor::test {

using NamedBytes = std::pair<std::string, Bytes>;

// The bytes of a VIV archive holding `members` in order, laid out as the format describes
// ("BIGF", big-endian archive size, count and data start, the directory, the data in
// directory order), by the sample generator's packer, which shares no code with the archive
// classes under test.
Bytes BuildViv(const std::vector<NamedBytes>& members);

// The bytes of the member called `name`; throws std::runtime_error when there is none.
const Bytes& MemberOf(const std::vector<NamedBytes>& members, const std::string& name);

// The game's reference car from the sample data, where the first start collects it:
// <game>/gamedata/carmodel/fm50/car.viv (NFS3) or <game>/data/cars/fm50/car.viv (NFS4).
void WriteReferenceCar(const std::string& game, bool nfs4);

}  // namespace velkor::test
