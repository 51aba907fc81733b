#pragma once

#include <string>

#include "model/FceModel.h"
#include "render/Mesh.h"

namespace velkor::render {

// The high-detail body and the four high-detail wheels of a loaded model, found by the
// names either game gives them (in any case), placed where the model's part positions
// put them. Texture rows run the other way in NFS3 models than in NFS4 ones (which is why
// converting a car flips its texture); the mesh's v counts from the top of the texture as
// it is shown. Raises FormatError naming `path` for parts or triangles that reach outside
// the model, and when the model has none of those parts.
Mesh CarMesh(const fce::FceModel& model, const std::string& path);

}  // namespace velkor::render
