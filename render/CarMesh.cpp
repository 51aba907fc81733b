#include "render/CarMesh.h"

#include <bit>

#include "base/Errors.h"
#include "base/Text.h"

namespace velkor::render {
namespace {

constexpr std::size_t kDrawnParts = 5;  // the high body and its four wheels
constexpr std::size_t kTriangleSize = 56;
constexpr std::size_t kCornerIndices = 4, kCornerU = 32, kCornerV = 44;

float FloatAt(ByteView bytes, std::size_t at) { return std::bit_cast<float>(ReadU32LE(bytes, at)); }

bool IsDrawnPart(const std::string& name) {
  for (std::size_t position = 0; position < kDrawnParts; ++position) {
    const fce::StandardPart& part = fce::kStandardParts[position];
    if (SameIgnoringCase(name, part.nfs4Name) || SameIgnoringCase(name, part.nfs3Name)) return true;
  }
  return false;
}

enum PartTable { kFirstVertex, kVertexCount, kFirstTriangle, kTriangleCount };

}  // namespace

Mesh CarMesh(const fce::FceModel& model, const std::string& path) {
  const fce::FceHeader& header = model.header;
  const fce::Layout& layout = header.layout();
  const bool nfs4 = &layout == &fce::kFce4Layout;
  const ByteView vertices(model.block(1));
  const ByteView triangles(model.block(3));
  const std::uint64_t vertexCount = vertices.size() / 12;
  const std::uint64_t triangleCount = triangles.size() / kTriangleSize;

  Mesh mesh;
  const auto parts = static_cast<std::size_t>(header.partCount());
  for (std::size_t slot = 0; slot < parts && slot < fce::kPartSlots; ++slot) {
    if (!IsDrawnPart(header.partName(slot))) continue;
    const std::uint64_t firstVertex = header.partTableValue(kFirstVertex, slot);
    const std::uint64_t partVertices = header.partTableValue(kVertexCount, slot);
    const std::uint64_t firstTriangle = header.partTableValue(kFirstTriangle, slot);
    const std::uint64_t partTriangles = header.partTableValue(kTriangleCount, slot);
    const std::string part = "part '" + header.partName(slot) + "'";
    if (firstVertex > vertexCount || partVertices > vertexCount - firstVertex)
      throw FormatError(path, layout.partTables + 4 * slot,
                        part + " takes vertices " + std::to_string(firstVertex) + " to " +
                            std::to_string(firstVertex + partVertices) + " of a model with " +
                            std::to_string(vertexCount));
    if (firstTriangle > triangleCount || partTriangles > triangleCount - firstTriangle)
      throw FormatError(path, layout.partTables + 2 * 4 * fce::kPartSlots + 4 * slot,
                        part + " takes triangles " + std::to_string(firstTriangle) + " to " +
                            std::to_string(firstTriangle + partTriangles) + " of a model with " +
                            std::to_string(triangleCount));

    const ByteView place = header.partRecord(slot);
    const Vec3 offset{FloatAt(place, 0), FloatAt(place, 4), FloatAt(place, 8)};
    const auto base = static_cast<std::uint32_t>(mesh.positions.size());
    for (std::uint64_t v = firstVertex; v < firstVertex + partVertices; ++v) {
      const std::size_t at = static_cast<std::size_t>(v) * 12;
      mesh.positions.push_back({FloatAt(vertices, at) + offset.x, FloatAt(vertices, at + 4) + offset.y,
                                FloatAt(vertices, at + 8) + offset.z});
    }
    for (std::uint64_t t = firstTriangle; t < firstTriangle + partTriangles; ++t) {
      const std::size_t at = static_cast<std::size_t>(t) * kTriangleSize;
      Triangle triangle;
      for (std::size_t c = 0; c < 3; ++c) {
        const std::uint32_t index = ReadU32LE(triangles, at + kCornerIndices + 4 * c);
        if (index >= partVertices)
          throw FormatError(path, "triangle " + std::to_string(t) + " of " + part + " names vertex " +
                                      std::to_string(index) + " of the part's " + std::to_string(partVertices));
        triangle.corners[c] = base + index;
        triangle.u[c] = FloatAt(triangles, at + kCornerU + 4 * c);
        const float v = FloatAt(triangles, at + kCornerV + 4 * c);
        triangle.v[c] = nfs4 ? v : 1.0f - v;
      }
      mesh.triangles.push_back(triangle);
    }
  }
  if (mesh.triangles.empty())
    throw FormatError(path, "the model has no high-detail body or wheels to draw (parts named \"high body\" or \":HB\")");
  return mesh;
}

}  // namespace velkor::render
