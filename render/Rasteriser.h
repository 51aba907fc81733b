#pragma once

#include "render/Image.h"
#include "render/Mesh.h"

namespace velkor::render {

// The largest picture RenderMesh draws; larger requests get this size.
inline constexpr int kLargestPicture = 1024;

// Draws `mesh` seen from the front three-quarter view (front right, a little above),
// textured with `texture` (a plain grey when it is empty), lit by one light from above
// the viewer, into a `size` x `size` picture with a transparent background; the mesh is
// fitted to the square. Triangles are drawn from both sides, so either winding works.
// Integer edge functions and a fixed order of float operations make the result the same
// on every run. Raises CommandError when the mesh has nothing to draw or would take more
// work than a thumbnail may (a few dozen passes over every pixel).
RgbaImage RenderMesh(const Mesh& mesh, const RgbaImage& texture, int size);

}  // namespace velkor::render
