#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace velkor::render {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

// One textured triangle: three indices into the mesh's positions and a texture coordinate
// at each corner (u across, v down the texture as its rows are stored from the top).
struct Triangle {
  std::array<std::uint32_t, 3> corners{};
  std::array<float, 3> u{};
  std::array<float, 3> v{};
};

// What the rasteriser draws: positions in the model's frame (Y up, the front towards +Z).
struct Mesh {
  std::vector<Vec3> positions;
  std::vector<Triangle> triangles;
};

}  // namespace velkor::render
