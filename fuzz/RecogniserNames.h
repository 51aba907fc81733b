#pragma once

#include <array>

namespace velkor::fuzz {

// The file names the recogniser harness picks from by its first input byte: every rule of
// the recogniser, in upper and lower case, and names that only look like one.
inline constexpr std::array<const char*, 16> kRecogniserNames = {
    "car.viv",  "dash.fsh",  "car00.tga",   "car.fce",   "CAR.FCE",  "fedata.eng",  "FEDATA.GER", "fedata.swe",
    "carp.txt", "carp1.txt", "mycarp3.txt", "carp4.txt", "dash.qfs", "car.viv.bak", "x.TGA",      "fedata.it"};

}  // namespace velkor::fuzz
