#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/Endian.h"

namespace velkor::sample {

using Member = std::pair<std::string, Bytes>;

// A small synthetic NFS3 car, "Velkor Roadster": performance file, a model with the twelve
// standard parts, a 16 x 16 texture, front-end images and two front-end texts. No game
// content: every byte is made here.
std::vector<Member> RoadsterCar();

// A car of realistic size, about 2.4 MB: a 256 x 256 texture of 32-bit pixels, a model of
// 160 vertices and 240 triangles, all seven front-end texts and 2 MB of sound banks.
std::vector<Member> RealisticCar();

// Synthetic stand-ins for the games' fm50 reference cars, holding the files that the
// first start collects.
std::vector<Member> Nfs3ReferenceCar();
// With `realistic`, the sound banks have the sizes of real ones (a few hundred KB each).
std::vector<Member> Nfs4ReferenceCar(bool realistic = false);

// The bytes of a VIV archive holding the members in order.
Bytes PackArchive(const std::vector<Member>& members);

}  // namespace velkor::sample
