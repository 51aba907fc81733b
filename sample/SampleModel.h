#pragma once

#include "base/Endian.h"

namespace velkor::sample {

// The sample car's NFS3 model: a body of two boxes and four wheels, in the twelve standard
// parts (the medium, small and tiny parts share the high ones' geometry), textured from the
// car's 16 x 16 texture. `detail` cuts each box face into detail x detail quads and gives
// each wheel 8 x detail sides: 1 for the sample, more for a model of a real car's size.
Bytes RoadsterModel(int detail);

}  // namespace velkor::sample
