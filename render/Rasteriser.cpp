#include "render/Rasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/Errors.h"

namespace velkor::render {
namespace {

// Sub-pixel precision of the snapped screen positions: 1/16 pixel.
constexpr int kSubBits = 4;
constexpr std::int64_t kSub = 1 << kSubBits;
// A triangle's bounding boxes may add up to this many passes over the whole picture.
constexpr std::uint64_t kPixelTestsPerPixel = 48;
// Share of the square left free on each side.
constexpr float kMargin = 0.04f;
// The colour of an untextured model.
constexpr std::uint8_t kPlainColour[3] = {176, 178, 186};

// The view, as fixed numbers so that no library's sine differs: 35 degrees to the right
// of straight ahead, 20 degrees above.
constexpr float kCosYaw = 0.81915204f, kSinYaw = 0.57357644f;
constexpr float kCosPitch = 0.93969262f, kSinPitch = 0.34202014f;
// Eye distance from the centre, in units of the model's radius.
constexpr float kEyeDistance = 3.0f;

Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalised(Vec3 a) {
  const float length = std::sqrt(Dot(a, a));
  return length > 0 ? Vec3{a.x / length, a.y / length, a.z / length} : Vec3{};
}

struct Camera {
  Vec3 eye, right, up, forward, light;
};

// The models' frame is left-handed (X to the car's right, Y up, Z forward), so the
// picture's right is the negative of a right-handed camera's.
Camera MakeCamera() {
  Camera c;
  const Vec3 towardsEye{kSinYaw * kCosPitch, kSinPitch, kCosYaw * kCosPitch};
  c.eye = {towardsEye.x * kEyeDistance, towardsEye.y * kEyeDistance, towardsEye.z * kEyeDistance};
  c.forward = {-towardsEye.x, -towardsEye.y, -towardsEye.z};
  c.right = {-kCosYaw, 0, kSinYaw};
  c.up = {-kSinYaw * kSinPitch, kCosPitch, -kCosYaw * kSinPitch};
  c.light = Normalised({towardsEye.x - 0.3f, towardsEye.y + 0.9f, towardsEye.z});
  return c;
}

struct ScreenVertex {
  std::int64_t x = 0, y = 0;  // in 1/16 pixel
  float inverseDepth = 0;
};

// The mesh's positions moved and scaled into a unit sphere around the origin, and which
// of them the triangles use; only those count for the fit.
struct Normalisation {
  std::vector<Vec3> positions;
  std::vector<bool> used;
};

Normalisation Normalise(const Mesh& mesh) {
  Normalisation n;
  n.used.assign(mesh.positions.size(), false);
  for (const Triangle& t : mesh.triangles)
    for (std::uint32_t corner : t.corners) {
      if (corner >= mesh.positions.size()) throw InternalError("triangle corner outside the mesh");
      n.used[corner] = true;
    }
  double low[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::max()};
  double high[3] = {-low[0], -low[0], -low[0]};
  bool any = false;
  for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
    if (!n.used[i]) continue;
    const Vec3 p = mesh.positions[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
      throw CommandError("a corner of the model lies at no real position");
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) low[a] = std::min(low[a], c[a]), high[a] = std::max(high[a], c[a]);
    any = true;
  }
  if (!any) throw CommandError("the model has nothing to draw");
  const double centre[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
  double radius = 0;
  for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
    if (!n.used[i]) continue;
    const Vec3 p = mesh.positions[i];
    const double d[3] = {p.x - centre[0], p.y - centre[1], p.z - centre[2]};
    radius = std::max(radius, std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]));
  }
  // Below a micrometre a model is a point, whatever its triangles say.
  if (!(radius > 1e-6)) throw CommandError("the model has no size to draw");
  n.positions.reserve(mesh.positions.size());
  for (const Vec3& p : mesh.positions)
    n.positions.push_back({static_cast<float>((p.x - centre[0]) / radius), static_cast<float>((p.y - centre[1]) / radius),
                           static_cast<float>((p.z - centre[2]) / radius)});
  return n;
}

// Positions on the picture, fitted to the square with a margin.
std::vector<ScreenVertex> Project(const Normalisation& n, const Camera& camera, int resolution) {
  std::vector<float> sx(n.positions.size()), sy(n.positions.size()), iz(n.positions.size());
  float minX = std::numeric_limits<float>::max(), minY = minX, maxX = -minX, maxY = -minX;
  for (std::size_t i = 0; i < n.positions.size(); ++i) {
    if (!n.used[i]) continue;
    const Vec3 relative = Sub(n.positions[i], camera.eye);
    // Every position lies within the unit sphere, the eye three radii away: depth >= 2.
    iz[i] = 1.0f / Dot(relative, camera.forward);
    sx[i] = Dot(relative, camera.right) * iz[i];
    sy[i] = -Dot(relative, camera.up) * iz[i];
    minX = std::min(minX, sx[i]), maxX = std::max(maxX, sx[i]);
    minY = std::min(minY, sy[i]), maxY = std::max(maxY, sy[i]);
  }
  const float extent = std::max(maxX - minX, maxY - minY);
  if (!(extent > 1e-6f)) throw CommandError("the model has no size to draw");
  const float side = static_cast<float>(resolution);
  const float scale = side * (1 - 2 * kMargin) / extent;
  const float offsetX = (side - scale * (maxX - minX)) / 2 - scale * minX;
  const float offsetY = (side - scale * (maxY - minY)) / 2 - scale * minY;
  std::vector<ScreenVertex> screen(n.positions.size());
  for (std::size_t i = 0; i < n.positions.size(); ++i) {
    if (!n.used[i]) continue;
    screen[i].x = static_cast<std::int64_t>(std::floor((sx[i] * scale + offsetX) * kSub + 0.5f));
    screen[i].y = static_cast<std::int64_t>(std::floor((sy[i] * scale + offsetY) * kSub + 0.5f));
    screen[i].inverseDepth = iz[i];
  }
  return screen;
}

// Twice the signed area of (a, b, p), in 1/256 pixel squared.
std::int64_t Edge(const ScreenVertex& a, const ScreenVertex& b, std::int64_t px, std::int64_t py) {
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Top-left fill rule: a pixel centre exactly on an edge belongs to the triangle only for
// a top or left edge, so triangles sharing an edge never both draw its pixels.
bool IsTopLeft(const ScreenVertex& a, const ScreenVertex& b) { return (a.y == b.y && b.x < a.x) || b.y > a.y; }

struct Box {
  std::int64_t x0, y0, x1, y1;  // pixels, inclusive
};

Box PixelBox(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, int resolution) {
  const auto low = [](std::int64_t v) { return (v - kSub / 2 + kSub - 1) >> kSubBits; };  // first centre >= v
  const auto high = [](std::int64_t v) { return (v - kSub / 2) >> kSubBits; };           // last centre <= v
  Box box{low(std::min({a.x, b.x, c.x})), low(std::min({a.y, b.y, c.y})), high(std::max({a.x, b.x, c.x})),
          high(std::max({a.y, b.y, c.y}))};
  box.x0 = std::max<std::int64_t>(box.x0, 0), box.y0 = std::max<std::int64_t>(box.y0, 0);
  box.x1 = std::min<std::int64_t>(box.x1, resolution - 1), box.y1 = std::min<std::int64_t>(box.y1, resolution - 1);
  return box;
}

std::uint64_t BoxArea(const Box& box) {
  if (box.x1 < box.x0 || box.y1 < box.y0) return 0;
  return static_cast<std::uint64_t>(box.x1 - box.x0 + 1) * static_cast<std::uint64_t>(box.y1 - box.y0 + 1);
}

// The texture coordinate folded into [0, 1): textures repeat. A coordinate that is no
// number (or too large to have a fraction) reads the first texel.
float Wrap(float t) {
  const float folded = t - std::floor(t);
  return folded >= 0.0f && folded < 1.0f ? folded : 0.0f;
}

class Canvas {
 public:
  Canvas(int resolution, const RgbaImage& texture)
      : resolution_(resolution),
        colour_(static_cast<std::size_t>(resolution) * static_cast<std::size_t>(resolution) * 4, 0),
        depth_(static_cast<std::size_t>(resolution) * static_cast<std::size_t>(resolution), 0.0f),
        texture_(texture) {}

  void Draw(const ScreenVertex* corner[3], const Triangle& t, int shade) {
    std::int64_t area = Edge(*corner[0], *corner[1], corner[2]->x, corner[2]->y);
    if (area == 0) return;  // no area: nothing to draw
    // Either winding: the other one is drawn with two corners swapped.
    int order[3] = {0, 1, 2};
    if (area < 0) std::swap(order[1], order[2]), area = -area;
    const ScreenVertex& a = *corner[order[0]];
    const ScreenVertex& b = *corner[order[1]];
    const ScreenVertex& c = *corner[order[2]];
    const Box box = PixelBox(a, b, c, resolution_);
    if (BoxArea(box) == 0) return;
    // Edge i is opposite corner i; its value is corner i's weight.
    const std::int64_t bias[3] = {IsTopLeft(b, c) ? 0 : -1, IsTopLeft(c, a) ? 0 : -1, IsTopLeft(a, b) ? 0 : -1};
    const float inverseDepth[3] = {a.inverseDepth, b.inverseDepth, c.inverseDepth};
    float uOverZ[3], vOverZ[3];
    for (int i = 0; i < 3; ++i) {
      uOverZ[i] = t.u[static_cast<std::size_t>(order[i])] * inverseDepth[i];
      vOverZ[i] = t.v[static_cast<std::size_t>(order[i])] * inverseDepth[i];
    }
    const float inverseArea = 1.0f / static_cast<float>(area);
    for (std::int64_t y = box.y0; y <= box.y1; ++y) {
      const std::int64_t py = y * kSub + kSub / 2;
      for (std::int64_t x = box.x0; x <= box.x1; ++x) {
        const std::int64_t px = x * kSub + kSub / 2;
        const std::int64_t w0 = Edge(b, c, px, py), w1 = Edge(c, a, px, py), w2 = Edge(a, b, px, py);
        if (w0 + bias[0] < 0 || w1 + bias[1] < 0 || w2 + bias[2] < 0) continue;
        const float f0 = static_cast<float>(w0) * inverseArea, f1 = static_cast<float>(w1) * inverseArea,
                    f2 = static_cast<float>(w2) * inverseArea;
        const float iz = f0 * inverseDepth[0] + f1 * inverseDepth[1] + f2 * inverseDepth[2];
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(resolution_) + static_cast<std::size_t>(x);
        if (!(iz > depth_[at])) continue;  // the nearer surface wins; the first drawn on a tie
        depth_[at] = iz;
        std::uint8_t rgb[3] = {kPlainColour[0], kPlainColour[1], kPlainColour[2]};
        if (!texture_.empty()) {
          const float u = (f0 * uOverZ[0] + f1 * uOverZ[1] + f2 * uOverZ[2]) / iz;
          const float v = (f0 * vOverZ[0] + f1 * vOverZ[1] + f2 * vOverZ[2]) / iz;
          const int tx = std::min(static_cast<int>(Wrap(u) * static_cast<float>(texture_.width)), texture_.width - 1);
          const int ty = std::min(static_cast<int>(Wrap(v) * static_cast<float>(texture_.height)), texture_.height - 1);
          const std::uint8_t* texel = texture_.At(tx, ty);
          rgb[0] = texel[0], rgb[1] = texel[1], rgb[2] = texel[2];
        }
        std::uint8_t* out = colour_.data() + at * 4;
        for (int ch = 0; ch < 3; ++ch) out[ch] = static_cast<std::uint8_t>((rgb[ch] * shade + 127) / 255);
        out[3] = 255;
      }
    }
  }

  // The picture at 1/`factor` of the canvas, each pixel the average of a factor x factor
  // block: alpha is the share covered, colour the mean of the covered samples.
  RgbaImage Reduce(int factor) const {
    const int size = resolution_ / factor;
    RgbaImage picture(size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        unsigned sum[3] = {0, 0, 0}, covered = 0;
        for (int sy = 0; sy < factor; ++sy)
          for (int sx = 0; sx < factor; ++sx) {
            const std::size_t at = (static_cast<std::size_t>(y * factor + sy) * static_cast<std::size_t>(resolution_) +
                                    static_cast<std::size_t>(x * factor + sx)) * 4;
            if (colour_[at + 3] == 0) continue;
            for (int ch = 0; ch < 3; ++ch) sum[ch] += colour_[at + static_cast<std::size_t>(ch)];
            ++covered;
          }
        if (covered == 0) continue;
        std::uint8_t* out = picture.At(x, y);
        for (int ch = 0; ch < 3; ++ch) out[ch] = static_cast<std::uint8_t>((sum[ch] + covered / 2) / covered);
        const unsigned samples = static_cast<unsigned>(factor * factor);
        out[3] = static_cast<std::uint8_t>((covered * 255 + samples / 2) / samples);
      }
    return picture;
  }

 private:
  int resolution_;
  std::vector<std::uint8_t> colour_;
  std::vector<float> depth_;
  const RgbaImage& texture_;
};

// Diffuse light with some ambient, from the face's side that the eye sees, 0 to 255.
int Shade(const Normalisation& n, const Triangle& t, const Camera& camera) {
  const Vec3 p0 = n.positions[t.corners[0]], p1 = n.positions[t.corners[1]], p2 = n.positions[t.corners[2]];
  Vec3 normal = Normalised(Cross(Sub(p1, p0), Sub(p2, p0)));
  if (Dot(normal, Sub(camera.eye, p0)) < 0) normal = {-normal.x, -normal.y, -normal.z};
  const float diffuse = std::max(0.0f, Dot(normal, camera.light));
  return static_cast<int>((0.45f + 0.55f * diffuse) * 255.0f + 0.5f);
}

}  // namespace

RgbaImage RenderMesh(const Mesh& mesh, const RgbaImage& texture, int size) {
  if (size < 1) throw InternalError("picture size below one pixel");
  size = std::min(size, kLargestPicture);
  // Four samples per pixel smooth the edges; large pictures need them less than memory.
  const int factor = size <= kLargestPicture / 2 ? 2 : 1;
  const int resolution = size * factor;

  const Normalisation normalised = Normalise(mesh);
  const Camera camera = MakeCamera();
  const std::vector<ScreenVertex> screen = Project(normalised, camera, resolution);

  std::uint64_t work = 0;
  const std::uint64_t budget = kPixelTestsPerPixel * static_cast<std::uint64_t>(resolution) * static_cast<std::uint64_t>(resolution);
  for (const Triangle& t : mesh.triangles) {
    work += BoxArea(PixelBox(screen[t.corners[0]], screen[t.corners[1]], screen[t.corners[2]], resolution));
    if (work > budget)
      throw CommandError("the model's " + std::to_string(mesh.triangles.size()) +
                         " triangles overlap too much to draw as a thumbnail");
  }

  Canvas canvas(resolution, texture);
  for (const Triangle& t : mesh.triangles) {
    const ScreenVertex* corners[3] = {&screen[t.corners[0]], &screen[t.corners[1]], &screen[t.corners[2]]};
    canvas.Draw(corners, t, Shade(normalised, t, camera));
  }
  return canvas.Reduce(factor);
}

}  // namespace velkor::render
