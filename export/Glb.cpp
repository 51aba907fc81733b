#include "export/Glb.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <nlohmann/json.hpp>

#include "base/Errors.h"

namespace velkor {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::uint32_t kGlbMagic = 0x46546C67;  // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;
constexpr std::uint32_t kBinaryChunk = 0x004E4942;
constexpr int kFloat = 5126;
constexpr int kArrayBuffer = 34962;

// The binary chunk and the JSON that describes its pieces.
class GlbBuilder {
 public:
  // Appends the bytes as a buffer view (4-byte aligned); returns its index.
  std::size_t AddView(const void* data, std::size_t size, bool vertexData) {
    while (binary_.size() % 4 != 0) binary_.push_back(0);
    Json view = {{"buffer", 0}, {"byteOffset", binary_.size()}, {"byteLength", size}};
    if (vertexData) view["target"] = kArrayBuffer;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    binary_.insert(binary_.end(), bytes, bytes + size);
    views_.push_back(std::move(view));
    return views_.size() - 1;
  }

  // A float accessor of `components` per element ("VEC2", "VEC3"); with bounds for positions.
  std::size_t AddFloats(const std::vector<float>& values, int components, bool bounds) {
    const std::size_t view = AddView(values.data(), values.size() * sizeof(float), true);
    Json accessor = {{"bufferView", view}, {"componentType", kFloat},
                     {"count", values.size() / components}, {"type", components == 2 ? "VEC2" : "VEC3"}};
    if (bounds) {
      Json low = Json::array(), high = Json::array();
      for (int c = 0; c < components; ++c) {
        float lo = std::numeric_limits<float>::max(), hi = std::numeric_limits<float>::lowest();
        for (std::size_t i = static_cast<std::size_t>(c); i < values.size(); i += components)
          lo = std::min(lo, values[i]), hi = std::max(hi, values[i]);
        low.push_back(lo);
        high.push_back(hi);
      }
      accessor["min"] = low;
      accessor["max"] = high;
    }
    accessors_.push_back(std::move(accessor));
    return accessors_.size() - 1;
  }

  Json& Accessors() { return accessors_; }
  Json& Views() { return views_; }
  Bytes& Binary() { return binary_; }

 private:
  Bytes binary_;
  Json views_ = Json::array();
  Json accessors_ = Json::array();
};

void AppendChunk(Bytes& out, std::uint32_t type, Bytes content, std::uint8_t padding) {
  while (content.size() % 4 != 0) content.push_back(padding);
  AppendU32LE(out, static_cast<std::uint32_t>(content.size()));
  AppendU32LE(out, type);
  out.insert(out.end(), content.begin(), content.end());
}

}  // namespace

Bytes GlbOfScene(const ModelScene& scene, const Bytes* texturePng) {
  GlbBuilder builder;
  Json gltf;
  gltf["asset"] = {{"version", "2.0"}, {"generator", "Velkor"}};
  Json material = {{"name", "car"}, {"doubleSided", true},
                   {"pbrMetallicRoughness", {{"metallicFactor", 0.0}, {"roughnessFactor", 1.0}}}};
  if (texturePng != nullptr) {
    const std::size_t view = builder.AddView(texturePng->data(), texturePng->size(), false);
    gltf["images"] = Json::array({{{"bufferView", view}, {"mimeType", "image/png"}}});
    gltf["samplers"] = Json::array({{{"wrapS", 10497}, {"wrapT", 10497}}});
    gltf["textures"] = Json::array({{{"sampler", 0}, {"source", 0}}});
    material["pbrMetallicRoughness"]["baseColorTexture"] = {{"index", 0}};
  }
  gltf["materials"] = Json::array({material});

  Json nodes = Json::array(), meshes = Json::array(), roots = Json::array();
  for (const ScenePart& part : scene.parts) {
    Json node = {{"name", part.name}, {"translation", part.origin}};
    if (!part.positions.empty()) {
      Json attributes = {{"POSITION", builder.AddFloats(part.positions, 3, true)}};
      if (!part.normals.empty()) attributes["NORMAL"] = builder.AddFloats(part.normals, 3, false);
      attributes["TEXCOORD_0"] = builder.AddFloats(part.uvs, 2, false);
      meshes.push_back({{"name", part.name}, {"primitives", Json::array({{{"attributes", attributes}, {"material", 0}}})}});
      node["mesh"] = meshes.size() - 1;
    }
    roots.push_back(nodes.size());
    nodes.push_back(std::move(node));
  }
  for (const SceneDummy& dummy : scene.dummies) {
    roots.push_back(nodes.size());
    nodes.push_back({{"name", dummy.name}, {"translation", dummy.position}});
  }
  gltf["scene"] = 0;
  gltf["scenes"] = Json::array({{{"nodes", roots}}});
  gltf["nodes"] = nodes;
  if (!meshes.empty()) gltf["meshes"] = meshes;
  if (!builder.Accessors().empty()) gltf["accessors"] = builder.Accessors();
  if (!builder.Views().empty()) {
    gltf["bufferViews"] = builder.Views();
    gltf["buffers"] = Json::array({{{"byteLength", builder.Binary().size()}}});
  }

  // Names are the model's bytes: anything that is not UTF-8 becomes U+FFFD.
  const std::string text = gltf.dump(-1, ' ', false, Json::error_handler_t::replace);
  Bytes json(text.begin(), text.end());
  Bytes chunks;
  AppendChunk(chunks, kJsonChunk, std::move(json), ' ');
  if (!builder.Binary().empty()) AppendChunk(chunks, kBinaryChunk, std::move(builder.Binary()), 0);
  if (chunks.size() + 12 > std::numeric_limits<std::uint32_t>::max()) throw CommandError("the model is too large for glTF binary");
  Bytes out;
  AppendU32LE(out, kGlbMagic);
  AppendU32LE(out, 2);
  AppendU32LE(out, static_cast<std::uint32_t>(chunks.size() + 12));
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

}  // namespace velkor
