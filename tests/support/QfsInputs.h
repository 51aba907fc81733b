#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "base/Endian.h"

namespace velkor::test {

// Inputs that reach every command of the compressor: empty and tiny ones, noise, long runs,
// repeats within 1 KiB, 16 KiB and 128 KiB, and repeats just out of reach.
inline std::vector<Bytes> QfsSampleInputs(unsigned seed) {
  std::mt19937 random(seed);
  const auto noise = [&](std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    return b;
  };
  std::vector<Bytes> inputs = {{}, {7}, {1, 2}, {1, 2, 3}, Bytes(5, 9), noise(3), noise(113), Bytes(5000, 0x41)};
  for (const std::size_t distance : {2u, 900u, 1100u, 16000u, 17000u, 131000u, 131073u}) {
    Bytes b = noise(distance);
    const Bytes again(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(distance, 2100)));
    b.insert(b.end(), again.begin(), again.end());
    inputs.push_back(std::move(b));
  }
  Bytes mixed;  // pieces of noise, each followed by a copy of a random earlier stretch
  for (int piece = 0; piece < 400; ++piece) {
    const Bytes fresh = noise(random() % 9);
    mixed.insert(mixed.end(), fresh.begin(), fresh.end());
    if (mixed.empty()) continue;
    const std::size_t from = random() % mixed.size();
    const std::size_t length = 1 + random() % 40;
    for (std::size_t i = 0; i < length; ++i) mixed.push_back(mixed[from + i]);  // may overlap itself
  }
  inputs.push_back(std::move(mixed));
  return inputs;
}

}  // namespace velkor::test
