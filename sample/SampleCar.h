#pragma once

#include <string>
#include <utility>
#include <vector>

#include "files/Endian.h"

namespace velkor::sample {

using Member = std::pair<std::string, Bytes>;

// A small synthetic NFS3 car, "Velkor Roadster": performance file, a model with the twelve
// standard parts, a 16 x 16 texture, front-end images and two front-end texts. No game
// content: every byte is made here.
std::vector<Member> RoadsterCar();

// Synthetic stand-ins for the games' fm50 reference cars, holding the files that the
// first start collects.
std::vector<Member> Nfs3ReferenceCar();
std::vector<Member> Nfs4ReferenceCar();

// The bytes of a VIV archive holding the members in order.
Bytes PackArchive(const std::vector<Member>& members);

}  // namespace velkor::sample
