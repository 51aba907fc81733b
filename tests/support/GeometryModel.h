#pragma once

// Models with real geometry for the exporter's tests, written straight from the FCE
// layouts: parts with vertices, unit normals, triangles and texture coordinates, and
// named dummies.

#include <array>
#include <bit>
#include <string>
#include <vector>

#include "support/ModelBuilder.h"

namespace velkor::test {

using Vector = std::array<float, 3>;

struct GeometryPart {
  std::string name;
  Vector origin;
  std::vector<Vector> vertices;
  std::vector<Vector> normals;
  std::vector<std::array<std::uint32_t, 3>> triangles;  // from the part's first vertex
  std::vector<std::array<float, 6>> uvs;                // u0 u1 u2 v0 v1 v2 per triangle
};

struct GeometryDummy {
  std::string name;
  Vector position;
};

inline void PutFloat(Bytes& b, std::size_t at, float v) { PutU32(b, at, std::bit_cast<std::uint32_t>(v)); }

// A tetrahedron of size `s` with unit normals pointing away from its middle.
inline GeometryPart Tetrahedron(std::string name, Vector origin, float s) {
  const float n = 0.57735026f;  // 1 / sqrt(3)
  return {std::move(name), origin,
          {{s, s, s}, {-s, -s, s}, {-s, s, -s}, {s, -s, -s}},
          {{n, n, n}, {-n, -n, n}, {-n, n, -n}, {n, -n, -n}},
          {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}},
          {{0, 1, 0, 0, 0, 1}, {0.5f, 1, 0, 0, 1, 1}, {0.25f, 0.75f, 0.5f, 0.1f, 0.2f, 0.3f}, {1, 0, 1, 1, 1, 0}}};
}

inline Bytes GeometryModel(bool nfs4, const std::vector<GeometryPart>& parts, const std::vector<GeometryDummy>& dummies) {
  const std::size_t header = nfs4 ? 8248 : 7940;
  std::size_t n = 0, m = 0;
  for (const auto& p : parts) n += p.vertices.size(), m += p.triangles.size();
  Bytes out(header, 0);
  if (nfs4) out[0] = 0x14, out[1] = 0x10, out[2] = 0x10;
  const std::size_t shift = nfs4 ? 4 : 0;  // NFS4 has one more value before the counts
  PutU32(out, 4 + shift, static_cast<std::uint32_t>(m));
  PutU32(out, 8 + shift, static_cast<std::uint32_t>(n));
  const std::vector<std::size_t> lengths = BlockLengths(nfs4, n, m);
  std::size_t offset = 0;
  for (std::size_t b = 1; b < lengths.size(); ++b)
    PutU32(out, (nfs4 ? 0x14 : 0x10) + 4 * (b - 1), offset), offset += lengths[b];
  const std::size_t fourValues = nfs4 ? 0x4C : 0x28, dummyPlaces = nfs4 ? 0x5C : 0x38;
  const std::size_t partCount = nfs4 ? 0x11C : 0xF8, partRecords = nfs4 ? 0x120 : 0xFC;
  const std::size_t partTables = nfs4 ? 0x420 : 0x3FC, dummyNames = nfs4 ? 0xA28 : 0xA04;
  const std::size_t partNames = nfs4 ? 0xE28 : 0xE04;
  PutU32(out, fourValues + 12, static_cast<std::uint32_t>(dummies.size()));
  for (std::size_t d = 0; d < dummies.size(); ++d) {
    for (std::size_t c = 0; c < 3; ++c) PutFloat(out, dummyPlaces + 12 * d + 4 * c, dummies[d].position[c]);
    PutText(out, dummyNames + 64 * d, dummies[d].name);
  }
  PutU32(out, partCount, static_cast<std::uint32_t>(parts.size()));
  Bytes vertices, normals, triangles;
  std::uint32_t firstVertex = 0, firstTriangle = 0;
  for (std::size_t p = 0; p < parts.size(); ++p) {
    const GeometryPart& part = parts[p];
    for (std::size_t c = 0; c < 3; ++c) PutFloat(out, partRecords + 12 * p + 4 * c, part.origin[c]);
    const std::uint32_t values[4] = {firstVertex, static_cast<std::uint32_t>(part.vertices.size()), firstTriangle,
                                     static_cast<std::uint32_t>(part.triangles.size())};
    for (std::size_t t = 0; t < 4; ++t) PutU32(out, partTables + 256 * t + 4 * p, values[t]);
    PutText(out, partNames + 64 * p, part.name);
    for (std::size_t v = 0; v < part.vertices.size(); ++v) {
      for (const float x : part.vertices[v]) vertices.resize(vertices.size() + 4), PutFloat(vertices, vertices.size() - 4, x);
      for (const float x : part.normals[v]) normals.resize(normals.size() + 4), PutFloat(normals, normals.size() - 4, x);
    }
    for (std::size_t t = 0; t < part.triangles.size(); ++t) {
      Bytes record(56, 0);
      for (std::size_t c = 0; c < 3; ++c) PutU32(record, 4 + 4 * c, part.triangles[t][c]);
      for (std::size_t i = 0; i < 6; ++i) PutFloat(record, 32 + 4 * i, part.uvs[t][i]);
      Append(triangles, record);
    }
    firstVertex += values[1], firstTriangle += values[3];
  }
  Append(out, vertices);
  Append(out, normals);
  Append(out, triangles);
  for (std::size_t b = 4; b < lengths.size(); ++b) Append(out, Bytes(lengths[b], 0));
  return out;
}

// A small car: a body and one wheel, two dummies.
inline Bytes GeometryCar(bool nfs4) {
  return GeometryModel(nfs4,
                       {Tetrahedron(nfs4 ? ":HB" : "high body", {0, 0.5f, 0}, 1.0f),
                        Tetrahedron(nfs4 ? ":HLFW" : "high left front wheel", {0.8f, 0.3f, 1.2f}, 0.3f)},
                       {{"HFLO", {0.7f, 0.6f, 2.1f}}, {"TRLN", {-0.7f, 0.6f, -2.1f}}});
}

}  // namespace velkor::test
