#include "export/ModelScene.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "base/Errors.h"

namespace velkor {
namespace {

constexpr std::size_t kTriangleSize = 56;
constexpr std::size_t kCornerIndices = 4, kCornerU = 32, kCornerV = 44;
constexpr std::size_t kDummySlots = 16, kDummyNameSize = 64;
enum PartTable { kFirstVertex, kVertexCount, kFirstTriangle, kTriangleCount };

float FloatAt(ByteView bytes, std::size_t at) { return std::bit_cast<float>(ReadU32LE(bytes, at)); }

std::array<float, 3> VectorAt(ByteView bytes, std::size_t at, const std::string& path, const std::string& what) {
  const std::array<float, 3> v{FloatAt(bytes, at), FloatAt(bytes, at + 4), FloatAt(bytes, at + 8)};
  if (!std::all_of(v.begin(), v.end(), [](float c) { return std::isfinite(c); }))
    throw FormatError(path, what + " holds a coordinate that is not a finite number");
  return v;
}

std::string NameIn(ByteView slot) {
  const auto end = std::find(slot.begin(), slot.end(), std::uint8_t{0});
  return std::string(slot.begin(), end);
}

// Normals as stored where they have unit length; others are made so (viewers require it),
// and a part with a normal of no direction gets none.
void FinishNormals(std::vector<float>& normals) {
  for (std::size_t i = 0; i < normals.size(); i += 3) {
    const double length = std::sqrt(double{normals[i]} * normals[i] + double{normals[i + 1]} * normals[i + 1] +
                                    double{normals[i + 2]} * normals[i + 2]);
    if (!(length > 1e-6) || !std::isfinite(length)) {
      normals.clear();
      return;
    }
    if (std::abs(length - 1.0) > 1e-4)
      for (std::size_t c = 0; c < 3; ++c) normals[i + c] = static_cast<float>(normals[i + c] / length);
  }
}

}  // namespace

ModelScene SceneOfModel(const fce::FceModel& model, const std::string& path) {
  const fce::FceHeader& header = model.header;
  const fce::Layout& layout = header.layout();
  const ByteView vertices(model.block(1));
  const ByteView normals(model.block(2));
  const ByteView triangles(model.block(3));
  const std::uint64_t vertexCount = vertices.size() / 12;
  const std::uint64_t triangleCount = triangles.size() / kTriangleSize;

  ModelScene scene;
  scene.textureRowsFromBottom = &layout == &fce::kFce3Layout;
  const auto partCount = std::min<std::size_t>(static_cast<std::size_t>(std::max(header.partCount(), 0)), fce::kPartSlots);
  for (std::size_t slot = 0; slot < partCount; ++slot) {
    ScenePart part;
    part.name = header.partName(slot);
    const std::string label = "part " + std::to_string(slot) + " ('" + part.name + "')";
    part.origin = VectorAt(header.partRecord(slot), 0, path, "the origin of " + label);
    const std::uint64_t firstVertex = header.partTableValue(kFirstVertex, slot);
    const std::uint64_t partVertices = header.partTableValue(kVertexCount, slot);
    const std::uint64_t firstTriangle = header.partTableValue(kFirstTriangle, slot);
    const std::uint64_t partTriangles = header.partTableValue(kTriangleCount, slot);
    if (firstVertex > vertexCount || partVertices > vertexCount - firstVertex)
      throw FormatError(path, label + " takes vertices " + std::to_string(firstVertex) + " to " +
                                  std::to_string(firstVertex + partVertices) + " of " + std::to_string(vertexCount));
    if (firstTriangle > triangleCount || partTriangles > triangleCount - firstTriangle)
      throw FormatError(path, label + " takes triangles " + std::to_string(firstTriangle) + " to " +
                                  std::to_string(firstTriangle + partTriangles) + " of " +
                                  std::to_string(triangleCount));
    for (std::uint64_t t = firstTriangle; t < firstTriangle + partTriangles; ++t) {
      const std::size_t at = static_cast<std::size_t>(t) * kTriangleSize;
      for (std::size_t c = 0; c < 3; ++c) {
        // Corners name vertices from the part's first one.
        const std::uint32_t index = ReadU32LE(triangles, at + kCornerIndices + 4 * c);
        if (index >= partVertices)
          throw FormatError(path, "triangle " + std::to_string(t) + " of " + label + " names vertex " +
                                      std::to_string(index) + " of the part's " + std::to_string(partVertices));
        const std::size_t vertexAt = static_cast<std::size_t>(firstVertex + index) * 12;
        const std::string what = "vertex " + std::to_string(firstVertex + index);
        for (const float p : VectorAt(vertices, vertexAt, path, what)) part.positions.push_back(p);
        for (const float n : VectorAt(normals, vertexAt, path, "the normal of " + what)) part.normals.push_back(n);
        const float u = FloatAt(triangles, at + kCornerU + 4 * c), v = FloatAt(triangles, at + kCornerV + 4 * c);
        if (!std::isfinite(u) || !std::isfinite(v))
          throw FormatError(path, "triangle " + std::to_string(t) + " has texture coordinates that are not numbers");
        part.uvs.push_back(u);
        part.uvs.push_back(v);
      }
    }
    FinishNormals(part.normals);
    scene.parts.push_back(std::move(part));
  }

  // The dummy count is the last of the four values after the block offsets.
  const ByteView counts = header.area(fce::Area::FourValues);
  const auto dummies = std::min<std::size_t>(static_cast<std::size_t>(std::max(ReadI32LE(counts, 12), 0)), kDummySlots);
  const ByteView places = header.area(fce::Area::Area192);
  const ByteView names = header.area(fce::Area::Area1024);
  for (std::size_t d = 0; d < dummies; ++d) {
    scene.dummies.push_back({NameIn(names.subspan(d * kDummyNameSize, kDummyNameSize)),
                             VectorAt(places, d * 12, path, "dummy " + std::to_string(d))});
  }
  return scene;
}

}  // namespace velkor
