#include <gtest/gtest.h>

#include <bit>
#include <nlohmann/json.hpp>
#include <tuple>

#include "archives/Qfs.h"
#include "base/Errors.h"
#include "export/Export.h"
#include "images/Png.h"
#include "support/GeometryModel.h"
#include "support/PngRead.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using Json = nlohmann::json;

// A 2×2 TGA of 32-bit pixels stored from the top: blue, green, red, alpha per pixel.
const Bytes kTexturePixels = {1, 2, 3, 255, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 0};
Bytes Texture() {
  Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0x28};
  test::Append(tga, kTexturePixels);
  return tga;
}
// The same pixels as red, green, blue, alpha, rows from the top.
const Bytes kShownTexture = {3, 2, 1, 255, 6, 5, 4, 128, 9, 8, 7, 255, 12, 11, 10, 0};

struct Glb {
  Json json;
  Bytes binary;
  ByteView View(std::size_t index) const {
    const Json& view = json["bufferViews"][index];
    return ByteView(binary).subspan(view["byteOffset"].get<std::size_t>(), view["byteLength"].get<std::size_t>());
  }
  std::vector<float> Floats(std::size_t accessor) const {
    const ByteView bytes = View(json["accessors"][accessor]["bufferView"].get<std::size_t>());
    std::vector<float> out;
    for (std::size_t at = 0; at < bytes.size(); at += 4) out.push_back(std::bit_cast<float>(ReadU32LE(bytes, at)));
    return out;
  }
};

// The two chunks of a glTF binary file, read by the container's layout.
Glb ReadGlb(const Bytes& file) {
  EXPECT_EQ(ReadU32LE(file, 0), 0x46546C67u);
  EXPECT_EQ(ReadU32LE(file, 4), 2u);
  EXPECT_EQ(ReadU32LE(file, 8), file.size());
  const std::uint32_t jsonLength = ReadU32LE(file, 12);
  EXPECT_EQ(ReadU32LE(file, 16), 0x4E4F534Au);
  Glb glb{Json::parse(file.begin() + 20, file.begin() + 20 + jsonLength), {}};
  if (20 + jsonLength < file.size()) {
    EXPECT_EQ(ReadU32LE(file, 24 + jsonLength), 0x004E4942u);
    glb.binary.assign(file.begin() + 28 + jsonLength, file.end());
  }
  return glb;
}

TEST(Export, ModelsBecomeGltfWithTheirPartsDummiesAndTextureAsStored) {
  for (const bool nfs4 : {false, true}) {
    SCOPED_TRACE(nfs4 ? "NFS4 model beside its texture" : "NFS3 car archive");
    test::TempDir dir;
    std::string input = dir / "car.fce";
    if (nfs4) {
      test::WriteBytes(input, test::GeometryCar(true));
      test::WriteBytes(dir / "car00.tga", Texture());
    } else {
      input = dir / "car.viv";
      test::WriteBytes(input, test::BuildViv({{"carp.txt", {}}, {"Car.fce", test::GeometryCar(false)},
                                              {"car00.tga", Texture()}}));
    }
    ExportFile(input);
    const Glb glb = ReadGlb(test::ReadBytes(dir / "car.glb"));
    const Json& nodes = glb.json["nodes"];
    ASSERT_EQ(nodes.size(), 4u);
    const char* const names[] = {nfs4 ? ":HB" : "high body", nfs4 ? ":HLFW" : "high left front wheel", "HFLO", "TRLN"};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(nodes[i]["name"], names[i]);
    EXPECT_EQ(nodes[1]["translation"], Json::array({0.8f, 0.3f, 1.2f}));
    EXPECT_EQ(nodes[3]["translation"], Json::array({-0.7f, 0.6f, -2.1f}));
    EXPECT_FALSE(nodes[2].contains("mesh"));

    // The wheel: a corner per triangle corner, in triangle order, as the model holds them.
    const test::GeometryPart wheel = test::Tetrahedron("", {}, 0.3f);
    const Json& attributes = glb.json["meshes"][nodes[1]["mesh"].get<std::size_t>()]["primitives"][0]["attributes"];
    std::vector<float> positions, normals, uvs;
    for (std::size_t t = 0; t < 4; ++t) {
      for (std::size_t c = 0; c < 3; ++c) {
        const std::size_t vertex = wheel.triangles[t][c];
        positions.insert(positions.end(), wheel.vertices[vertex].begin(), wheel.vertices[vertex].end());
        normals.insert(normals.end(), wheel.normals[vertex].begin(), wheel.normals[vertex].end());
        uvs.insert(uvs.end(), {wheel.uvs[t][c], wheel.uvs[t][3 + c]});
      }
    }
    EXPECT_EQ(glb.Floats(attributes["POSITION"]), positions);
    EXPECT_EQ(glb.Floats(attributes["NORMAL"]), normals);
    EXPECT_EQ(glb.Floats(attributes["TEXCOORD_0"]), uvs);
    EXPECT_EQ(glb.json["accessors"][attributes["POSITION"].get<std::size_t>()]["max"], Json::array({0.3f, 0.3f, 0.3f}));

    // NFS3 models count v from the bottom row: their picture is stored turned over.
    const test::DecodedPng png = test::ReadPng(glb.View(glb.json["images"][0]["bufferView"].get<std::size_t>()));
    Bytes expected = kShownTexture;
    if (!nfs4) std::rotate(expected.begin(), expected.begin() + 8, expected.end());
    EXPECT_EQ(png.rgba, expected);
  }
}

TEST(Export, ABrokenModelWritesNothingAndKeepsTheOlderOutput) {
  test::TempDir dir;
  test::GeometryPart body = test::Tetrahedron("high body", {0, 0, 0}, 1.0f);
  const auto broken = [&](auto change) {
    test::GeometryPart part = body;
    change(part);
    return test::GeometryModel(false, {part}, {});
  };
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"not a finite number", broken([](test::GeometryPart& p) { p.vertices[2][1] = std::bit_cast<float>(0x7FC00000u); })},
      {"names vertex 4 of the part's 4", broken([](test::GeometryPart& p) { p.triangles[3][2] = 4; })},
  };
  for (const auto& [words, model] : cases) {
    SCOPED_TRACE(words);
    test::WriteBytes(dir / "car.fce", model);
    test::WriteText(dir / "car.glb", "older");
    const std::string message = test::MessageOf<FormatError>([&] { ExportFile(dir / "car.fce"); });
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_EQ(test::ReadText(dir / "car.glb"), "older");
    EXPECT_EQ(test::ListNames(dir.path()), (std::vector<std::string>{"car.fce", "car.glb"}));
  }
}

// An FSH archive of one record per pixel format, each 2×1.
Bytes FshOfEveryFormat() {
  const std::vector<std::pair<std::string, Bytes>> records = {
      {"r565", {0x78, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x1F, 0x00, 0xE0, 0xFF}},  // blue; red+green
      {"a555", {0x7E, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xFC, 0x1F, 0x00}},  // opaque red; clear blue
      {"b888", {0x7D, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"none", {0x7A, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  Bytes fsh = {'S', 'H', 'P', 'I', 0, 0, 0, 0, 4, 0, 0, 0, 'G', 'I', 'M', 'X'};
  std::size_t offset = 16 + 8 * records.size();
  for (const auto& [name, record] : records) {
    test::Append(fsh, Bytes(name.begin(), name.end()));
    test::Append(fsh, {static_cast<std::uint8_t>(offset), 0, 0, 0});
    offset += record.size();
  }
  for (const auto& [name, record] : records) test::Append(fsh, record);
  return fsh;
}

TEST(Export, ImageArchivesBecomeAFolderOfPngsAndTgaImagesAPng) {
  test::TempDir dir;
  test::WriteBytes(dir / "dash.fsh", FshOfEveryFormat());
  ExportFile(dir / "dash.fsh");
  EXPECT_EQ(test::ListNames(dir / "dash"), (std::vector<std::string>{"a555.png", "b888.png", "r565.png"}));
  for (const auto& [png, rgba] : {std::pair<std::string, Bytes>{"r565", {0, 0, 255, 255, 255, 255, 0, 255}},
                                  {"a555", {255, 0, 0, 255, 0, 0, 255, 0}}, {"b888", {3, 2, 1, 4, 7, 6, 5, 8}}})
    EXPECT_EQ(test::ReadPng(test::ReadBytes(dir / ("dash/" + png + ".png"))).rgba, rgba) << png;
  // A folder that exists is never written into; a damaged compressed archive leaves nothing.
  const auto before = test::ListNames(dir / "dash");
  EXPECT_THROW(ExportFile(dir / "dash.fsh"), CommandError);
  EXPECT_EQ(test::ListNames(dir / "dash"), before);
  Bytes damaged = QfsEncode(FshOfEveryFormat());
  damaged.resize(damaged.size() - 2);
  test::WriteBytes(dir / "bad.qfs", damaged);
  EXPECT_THROW(ExportFile(dir / "bad.qfs"), FormatError);
  EXPECT_FALSE(test::PathExists(dir / "bad"));

  // A 16-bit TGA stored from the bottom row: 1:5:5:5 pixels.
  test::WriteBytes(dir / "pic.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 16, 1, 0x1F, 0x80, 0x00, 0x7C});
  ExportFile(dir / "pic.tga");
  EXPECT_EQ(test::ReadPng(test::ReadBytes(dir / "pic.png")).rgba, (Bytes{255, 0, 0, 0, 0, 0, 255, 255}));
  EXPECT_EQ(test::ListNames(dir.path()),
            (std::vector<std::string>{"bad.qfs", "dash", "dash.fsh", "pic.png", "pic.tga"}));
}

TEST(Png, PixelsComeBackExactlyAndTheBytesNeverChange) {
  Bytes rgba;
  for (int i = 0; i < 3 * 2 * 4; ++i) rgba.push_back(static_cast<std::uint8_t>(i * 11));
  rgba[3] = 0;  // a transparent pixel keeps its colour too
  const Bytes png = EncodePng(3, 2, rgba);
  // The signature, then IHDR: width 3, height 2, 8-bit RGBA.
  const Bytes start = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                       0, 0, 0, 3, 0, 0, 0, 2, 8, 6};
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 26), start);
  const test::DecodedPng back = test::ReadPng(png);
  EXPECT_EQ(std::tuple(back.width, back.height, back.rgba), std::tuple(3, 2, rgba));
  EXPECT_EQ(EncodePng(3, 2, rgba), png);

  EXPECT_THROW(EncodePng(0, 2, {}), CommandError);
  EXPECT_THROW(EncodePng(3, 2, ByteView(rgba).first(20)), InternalError);
}

}  // namespace
}  // namespace velkor
