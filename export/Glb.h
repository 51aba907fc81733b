#pragma once

#include "base/Endian.h"
#include "export/ModelScene.h"

namespace velkor {

// The scene as a glTF 2.0 binary file: a node per part (named after it, at the part's
// origin) with its mesh, a node per dummy, and one material, textured with `texturePng`
// when given (PNG bytes, embedded). The same scene always gives the same bytes.
Bytes GlbOfScene(const ModelScene& scene, const Bytes* texturePng);

}  // namespace velkor
