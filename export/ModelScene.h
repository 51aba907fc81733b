#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/FceModel.h"

namespace velkor {

// One part of a model, un-indexed: three corners per triangle, each with the position and
// normal of its vertex and the texture coordinates of the corner, all as the model stores
// them (positions relative to the part's origin).
struct ScenePart {
  std::string name;
  std::array<float, 3> origin{};
  std::vector<float> positions;  // 3 per corner
  std::vector<float> normals;    // 3 per corner; empty when some normal has no direction
  std::vector<float> uvs;        // 2 per corner
};

// A named point of the model (lights and other dummies).
struct SceneDummy {
  std::string name;
  std::array<float, 3> position{};
};

struct ModelScene {
  std::vector<ScenePart> parts;
  std::vector<SceneDummy> dummies;
  bool textureRowsFromBottom = false;  // NFS3 models count v from the texture's bottom row
};

// The parts and dummies of a loaded model. Raises FormatError naming `path` for parts or
// triangles that reach outside the model and for coordinates that are not finite numbers.
ModelScene SceneOfModel(const fce::FceModel& model, const std::string& path);

}  // namespace velkor
