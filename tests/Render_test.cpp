#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <tuple>

#include "archives/TgaFile.h"
#include "base/Errors.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "render/CarMesh.h"
#include "render/Rasteriser.h"
#include "render/Scaling.h"
#include "render/TgaPicture.h"
#include "support/GeometryModel.h"

namespace velkor {
namespace {

using render::Mesh;
using render::RgbaImage;
using render::Vec3;

// The view as a user describes it: the eye 35 degrees to the right of straight ahead and
// 20 degrees above; left-handed models put the car's right at +X.
Vec3 TowardsEye() {
  const double yaw = 35 * std::numbers::pi / 180, pitch = 20 * std::numbers::pi / 180;
  return {float(std::sin(yaw) * std::cos(pitch)), float(std::sin(pitch)), float(std::cos(yaw) * std::cos(pitch))};
}
Vec3 Add(Vec3 a, Vec3 b, float s) { return {a.x + b.x * s, a.y + b.y * s, a.z + b.z * s}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Unit(Vec3 a) {
  const float l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return {a.x / l, a.y / l, a.z / l};
}

// Axes of the picture in the model's frame: `across` points to the picture's left (the
// models are left-handed), `up` to its top, both square to the line of sight.
struct PictureAxes {
  Vec3 across, up;
};
PictureAxes Axes() {
  const Vec3 eye = TowardsEye();
  const Vec3 across = Unit(Cross({0, 1, 0}, eye));
  return {across, Unit(Cross(eye, across))};
}

// A square facing the eye, centred on `centre`, corners numbered counter-clockwise from
// the picture's top left, texture (0,0) at the top left and (1,1) at the bottom right.
void AddFacingSquare(Mesh& mesh, Vec3 centre, float half, bool reversed = false, float uOffset = 0) {
  const auto [across, up] = Axes();
  const auto base = static_cast<std::uint32_t>(mesh.positions.size());
  mesh.positions.push_back(Add(Add(centre, across, half), up, half));    // top left
  mesh.positions.push_back(Add(Add(centre, across, half), up, -half));   // bottom left
  mesh.positions.push_back(Add(Add(centre, across, -half), up, -half));  // bottom right
  mesh.positions.push_back(Add(Add(centre, across, -half), up, half));   // top right
  const float u[4] = {0, 0, 1, 1}, v[4] = {0, 1, 1, 0};
  for (const auto& corners : {std::array<std::uint32_t, 3>{0, 1, 2}, std::array<std::uint32_t, 3>{0, 2, 3}}) {
    render::Triangle t;
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t k = corners[reversed ? 2 - c : c];
      t.corners[c] = base + k, t.u[c] = u[k] * 0.5f + uOffset, t.v[c] = v[k];
    }
    mesh.triangles.push_back(t);
  }
}

// Which of red, green and blue is strongest; -1 for a transparent pixel.
int Dominant(const RgbaImage& picture, int x, int y) {
  const std::uint8_t* p = picture.At(x, y);
  if (p[3] == 0) return -1;
  return p[0] > p[1] && p[0] > p[2] ? 0 : p[1] > p[2] ? 1 : 2;
}

const RgbaImage kRedBlue = [] {
  RgbaImage texture(2, 1);
  texture.pixels = {255, 0, 0, 255, 0, 0, 255, 255};
  return texture;
}();

TEST(Rasteriser, SquareFacingTheEyeFillsTheSquareBarItsMargin) {
  Mesh mesh;
  AddFacingSquare(mesh, {0.2f, 0.5f, -1.0f}, 1.5f);
  const RgbaImage picture = render::RenderMesh(mesh, kRedBlue, 100);
  ASSERT_EQ(std::pair(picture.width, picture.height), std::pair(100, 100));
  // A 4% margin on each side: pixels 4 to 95 are covered, the rest is transparent.
  for (int i = 0; i < 100; ++i) {
    const bool inside = i >= 4 && i <= 95;
    EXPECT_EQ(picture.At(i, 50)[3], inside ? 255 : 0) << "column " << i;
    EXPECT_EQ(picture.At(50, i)[3], inside ? 255 : 0) << "row " << i;
  }
  int covered = 0;
  for (std::size_t alpha = 3; alpha < picture.pixels.size(); alpha += 4) covered += picture.pixels[alpha] == 255;
  EXPECT_EQ(covered, 92 * 92);
  // u 0 to 0.5 on the left half, texel 0 (red); the right half reaches texel 1 (blue)
  // only when u reaches 0.5, which it does at the right edge; v spans the one row.
  EXPECT_EQ(std::pair(Dominant(picture, 10, 10), Dominant(picture, 10, 90)), std::pair(0, 0));
  Mesh reversed;  // the other winding: nothing is culled
  AddFacingSquare(reversed, {0.2f, 0.5f, -1.0f}, 1.5f, true);
  EXPECT_EQ(render::RenderMesh(reversed, kRedBlue, 100).pixels, picture.pixels);
}

TEST(Rasteriser, NearerSurfaceHidesFartherWhicheverIsDrawnFirst) {
  const Vec3 eye = TowardsEye();
  for (bool nearFirst : {true, false}) {
    Mesh mesh;
    // Red square near the eye, blue one (u from 0.5) a unit farther along the line of sight.
    const Vec3 nearCentre = Add({0, 0, 0}, eye, 0.5f), farCentre = Add({0, 0, 0}, eye, -0.5f);
    if (nearFirst) AddFacingSquare(mesh, nearCentre, 0.5f, false, 0.0f);
    AddFacingSquare(mesh, farCentre, 1.0f, false, 0.5f);
    if (!nearFirst) AddFacingSquare(mesh, nearCentre, 0.5f, false, 0.0f);
    const RgbaImage picture = render::RenderMesh(mesh, kRedBlue, 64);
    EXPECT_EQ(Dominant(picture, 30, 30), 0) << "near square drawn " << (nearFirst ? "first" : "last");
    EXPECT_EQ(Dominant(picture, 5, 5), 2) << "the far square shows around it";
  }
}

// A model that is not a number is refused in tests/posix/Thumbnail_test.cpp.
TEST(Rasteriser, RefusesModelsItCannotDrawQuickly) {
  Mesh point;
  AddFacingSquare(point, {3, 3, 3}, 0);
  EXPECT_THROW(render::RenderMesh(point, {}, 64), CommandError);

  // A hundred thousand squares over the whole picture: refused before drawing any.
  Mesh stack;
  AddFacingSquare(stack, {0, 0, 0}, 1);
  for (int i = 0; i < 100000; ++i) stack.triangles.push_back(stack.triangles[i % 2]);
  EXPECT_THROW(render::RenderMesh(stack, kRedBlue, 256), CommandError);

  // Coordinates that are no number a texture can wrap read the first texel.
  Mesh wild;
  AddFacingSquare(wild, {0, 0, 0}, 1);
  for (auto& t : wild.triangles) t.u = {std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
  EXPECT_EQ(Dominant(render::RenderMesh(wild, kRedBlue, 32), 16, 16), 0);
}

TEST(Scaling, ShrinksByAveragingAndKeepsShape) {
  // 4 x 2: left half red, right half opaque green beside transparent blue.
  const std::uint8_t source[2][4][4] = {{{255, 0, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 0}},
                                        {{255, 0, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 0}}};
  const RgbaImage out = render::ScaledToFit(4, 2, 2, [&](int x, int y, std::uint8_t rgba[4]) {
    std::copy_n(source[y][x], 4, rgba);
  });
  ASSERT_EQ(std::pair(out.width, out.height), std::pair(2, 1));
  EXPECT_EQ(std::vector<std::uint8_t>(out.pixels.begin(), out.pixels.end()),
            (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 255, 0, 128}));
  EXPECT_EQ(render::FittedSize(2, 300, 100), (std::array<int, 2>{1, 100}));  // never narrower than 1
}

// The picture of a TGA of the given type, depth and descriptor whose pixel bytes are `pixels`.
RgbaImage Shown(test::TempDir& dir, std::uint8_t type, std::uint8_t depth, std::uint8_t descriptor, int width,
                  int height, const Bytes& pixels) {
  Bytes bytes(18, 0);
  bytes[2] = type, test::PutU16(bytes, 12, width), test::PutU16(bytes, 14, height), bytes[16] = depth, bytes[17] = descriptor;
  test::Append(bytes, pixels);
  test::WriteBytes(dir / "image.tga", bytes);
  TgaFile tga(dir / "image.tga");
  tga.Load();
  return render::TgaPicture(tga, 64);
}

TEST(TgaPicture, ReadsEachPixelKindTheRightWayUp) {
  test::TempDir dir;
  const Bytes bgr = {0, 0, 255, /* row 2: */ 255, 0, 0};  // red row first in the file, then blue
  const Bytes bgra = {10, 20, 30, 40};
  const Bytes argb1555 = {0x1F, 0xFC, 0xE0, 0x03};  // red + blue with alpha; green without
  struct Row { const char* what; std::uint8_t type, depth, descriptor; int width, height; Bytes pixels, shown; };
  for (const Row& row : {
           Row{"rows stored from the bottom", 2, 24, 0, 1, 2, bgr, {0, 0, 255, 255, 255, 0, 0, 255}},
           Row{"from the top", 2, 24, 0x20, 1, 2, bgr, {255, 0, 0, 255, 0, 0, 255, 255}},
           Row{"right to left", 2, 24, 0x30, 2, 1, bgr, {0, 0, 255, 255, 255, 0, 0, 255}},
           Row{"32 bits with alpha bits", 2, 32, 0x08, 1, 1, bgra, {30, 20, 10, 40}},
           Row{"32 bits without", 2, 32, 0x00, 1, 1, bgra, {30, 20, 10, 255}},
           // 1 alpha bit, then 5 bits each of red, green and blue; a transparent pixel keeps no colour.
           Row{"16 bits", 2, 16, 0x21, 2, 1, argb1555, {255, 0, 255, 255, 0, 0, 0, 0}},
           Row{"grey", 3, 8, 0x20, 1, 1, {77}, {77, 77, 77, 255}}})
    EXPECT_EQ(Shown(dir, row.type, row.depth, row.descriptor, row.width, row.height, row.pixels).pixels, row.shown)
        << row.what;
  EXPECT_THROW(Shown(dir, 3, 32, 0, 1, 1, bgra), FormatError);
  EXPECT_THROW(Shown(dir, 2, 24, 0, 0, 0, {}), FormatError);
}

// A model with one triangle in each named part: part p's vertices at x = p, its part
// position (0, 10, 0), texture u 0.5 and v 0.25 at every corner.
template <class Model>
std::unique_ptr<Model> GeometryModel(test::TempDir& dir, bool nfs4, const std::vector<std::string>& names, std::uint32_t badIndex = 0) {
  std::vector<test::GeometryPart> parts;
  for (std::size_t p = 0; p < names.size(); ++p) {
    const float x = float(p);
    parts.push_back({names[p], {0, 10, 0}, {{x, 1, 2}, {x, 4, 5}, {x, 7, 8}}, {{}, {}, {}},
                     {{0, 1, badIndex ? badIndex : 2}}, {{0.5f, 0.5f, 0.5f, 0.25f, 0.25f, 0.25f}}});
  }
  test::WriteBytes(dir / "car.fce", test::GeometryModel(nfs4, parts, {}));
  auto model = std::make_unique<Model>(dir / "car.fce");
  model->Load();
  return model;
}

TEST(CarMesh, TakesTheHighBodyAndWheelsByEitherGamesNamesAndRefusesPartsOutsideTheModel) {
  test::TempDir dir;
  const auto three = GeometryModel<Fce3File>(dir, false, {"medium body", "High Body", "high right rear wheel", "wing"});
  const Mesh mesh3 = render::CarMesh(three->model, dir / "car.fce");
  ASSERT_EQ(mesh3.triangles.size(), 2u);
  ASSERT_EQ(mesh3.positions.size(), 6u);
  // Part 1's first vertex, moved up by its position; part 2's first.
  EXPECT_EQ(std::tuple(mesh3.positions[0].x, mesh3.positions[0].y, mesh3.positions[3].x), std::tuple(1.0f, 11.0f, 2.0f));
  EXPECT_EQ(mesh3.triangles[1].corners, (std::array<std::uint32_t, 3>{3, 4, 5}));
  EXPECT_EQ(mesh3.triangles[0].v[0], 0.75f);  // NFS3 counts rows from the bottom

  const auto four = GeometryModel<Fce4File>(dir, true, {":HLFW", ":MB", ":hb"});
  const Mesh mesh4 = render::CarMesh(four->model, dir / "car.fce");
  ASSERT_EQ(mesh4.triangles.size(), 2u);
  EXPECT_EQ(std::tuple(mesh4.positions[0].x, mesh4.positions[3].x, mesh4.triangles[0].v[0], mesh4.triangles[0].u[2]),
            std::tuple(0.0f, 2.0f, 0.25f, 0.5f));

  EXPECT_THROW(render::CarMesh(GeometryModel<Fce3File>(dir, false, {"high body"}, 3)->model, "car.fce"), FormatError);
  EXPECT_THROW(render::CarMesh(GeometryModel<Fce3File>(dir, false, {"wing", "spoiler"})->model, "car.fce"), FormatError);
  auto model = GeometryModel<Fce4File>(dir, true, {":HB", ":HRFW"});
  model->model.header.setPartTableValue(1, 1, 4);  // three vertices from vertex 3 of six: one too many
  EXPECT_THROW(render::CarMesh(model->model, "car.fce"), FormatError);
}

}  // namespace
}  // namespace velkor
