#include "sample/SampleModel.h"

#include <array>
#include <bit>
#include <utility>
#include <string_view>

namespace velkor::sample {
namespace {

struct Point {
  float x, y, z;
};
struct Corner {
  std::uint32_t index;
  float u, v;
};

// One part's geometry: positions relative to the part, triangles of part-relative indices.
struct Shape {
  std::vector<Point> points;
  std::vector<std::array<Corner, 3>> triangles;

  std::uint32_t Add(Point p) {
    points.push_back(p);
    return static_cast<std::uint32_t>(points.size() - 1);
  }
  // A quad a b c d (in order around it) as two triangles, with the texture corner (u0, v0)
  // at a and (u1, v1) at c.
  void Quad(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, float u0, float v0, float u1, float v1) {
    triangles.push_back({Corner{a, u0, v0}, Corner{b, u1, v0}, Corner{c, u1, v1}});
    triangles.push_back({Corner{a, u0, v0}, Corner{c, u1, v1}, Corner{d, u0, v1}});
  }
};

// A box from `low` to `high`, each face cut into `cuts` x `cuts` quads, textured with the
// texture area from (u0, v0) to (u1, v1).
void AddBox(Shape& shape, Point low, Point high, int cuts, float u0, float v0, float u1, float v1) {
  // Each face: an origin corner and two edge vectors, listed so that the faces wind alike.
  const float dx = high.x - low.x, dy = high.y - low.y, dz = high.z - low.z;
  const std::array<std::array<Point, 3>, 6> faces = {{
      {{{low.x, low.y, high.z}, {dx, 0, 0}, {0, dy, 0}}},   // front
      {{{high.x, low.y, low.z}, {-dx, 0, 0}, {0, dy, 0}}},  // back
      {{{low.x, low.y, low.z}, {0, 0, dz}, {0, dy, 0}}},    // left
      {{{high.x, low.y, high.z}, {0, 0, -dz}, {0, dy, 0}}}, // right
      {{{low.x, high.y, high.z}, {dx, 0, 0}, {0, 0, -dz}}}, // top
      {{{low.x, low.y, low.z}, {dx, 0, 0}, {0, 0, dz}}},    // bottom
  }};
  const float step = 1.0f / static_cast<float>(cuts);
  for (const auto& [origin, across, up] : faces) {
    const auto first = static_cast<std::uint32_t>(shape.points.size());
    for (int j = 0; j <= cuts; ++j)
      for (int i = 0; i <= cuts; ++i) {
        const float s = static_cast<float>(i) * step, t = static_cast<float>(j) * step;
        shape.Add({origin.x + across.x * s + up.x * t, origin.y + across.y * s + up.y * t,
                   origin.z + across.z * s + up.z * t});
      }
    const auto at = [&](int i, int j) { return first + static_cast<std::uint32_t>(j * (cuts + 1) + i); };
    for (int j = 0; j < cuts; ++j)
      for (int i = 0; i < cuts; ++i) {
        const float a = static_cast<float>(i) * step, b = static_cast<float>(j) * step;
        shape.Quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), u0 + (u1 - u0) * a, v0 + (v1 - v0) * b,
                   u0 + (u1 - u0) * (a + step), v0 + (v1 - v0) * (b + step));
      }
  }
}

// The sine and cosine of `angle` (within -pi to pi) by their series, with nothing but additions,
// multiplications and divisions: these round alike on every system, while the C libraries' sin and
// cos differ in the last bit between Linux and Windows, and the sample must be the same bytes on both.
std::pair<double, double> SineCosine(double angle) {
  double sine = 0, cosine = 0, term = 1;  // term: angle^n / n!
  for (int n = 0; n < 40; ++n) {
    if (n % 4 == 0) cosine += term;
    if (n % 4 == 1) sine += term;
    if (n % 4 == 2) cosine -= term;
    if (n % 4 == 3) sine -= term;
    term = term * angle / (n + 1);
  }
  return {sine, cosine};
}

// A wheel around the X axis through the part's origin: a prism of `sides` sides.
Shape Wheel(int sides, float radius, float width) {
  Shape wheel;
  const std::uint32_t inner = wheel.Add({-width / 2, 0, 0}), outer = wheel.Add({width / 2, 0, 0});
  std::vector<std::uint32_t> rim;
  for (int k = 0; k < sides; ++k) {
    constexpr double kPi = 3.14159265358979323846;
    const double turn = 2 * kPi * k / sides;
    const auto [sine, cosine] = SineCosine(turn > kPi ? turn - 2 * kPi : turn);
    const float y = static_cast<float>(radius * sine), z = static_cast<float>(radius * cosine);
    rim.push_back(wheel.Add({-width / 2, y, z}));
    rim.push_back(wheel.Add({width / 2, y, z}));
  }
  for (int k = 0; k < sides; ++k) {
    const std::uint32_t a = rim[static_cast<std::size_t>(2 * k)], b = rim[static_cast<std::size_t>(2 * k + 1)];
    const std::uint32_t c = rim[static_cast<std::size_t>((2 * k + 3) % (2 * sides))];
    const std::uint32_t d = rim[static_cast<std::size_t>((2 * k + 2) % (2 * sides))];
    wheel.Quad(a, b, c, d, 0.0f, 0.0f, 0.06f, 0.06f);  // the tyre: the texture's dark corner
    wheel.triangles.push_back({Corner{inner, 0.9f, 0.9f}, Corner{d, 0.95f, 0.9f}, Corner{a, 0.9f, 0.95f}});
    wheel.triangles.push_back({Corner{outer, 0.9f, 0.9f}, Corner{b, 0.95f, 0.9f}, Corner{c, 0.9f, 0.95f}});
  }
  return wheel;
}

constexpr std::array<std::string_view, 12> kPartNames = {
    "high body",   "high left front wheel", "high right front wheel", "high left rear wheel",
    "high right rear wheel", "medium body", "medium l front wheel", "medium r front wheel",
    "medium l rear wheel", "medium r rear wheel", "small body", "tiny body"};

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) { WriteU32LE(bytes, at, value); }
void PutFloat(Bytes& bytes, std::size_t at, float value) { WriteU32LE(bytes, at, std::bit_cast<std::uint32_t>(value)); }
void AppendFloat(Bytes& bytes, float value) { AppendU32LE(bytes, std::bit_cast<std::uint32_t>(value)); }

}  // namespace

Bytes RoadsterModel(int detail) {
  // The body (X to the car's right, Y up, Z forward, metres): a lower box and a cabin.
  Shape body;
  AddBox(body, {-0.9f, 0.25f, -2.1f}, {0.9f, 0.85f, 2.1f}, detail, 0.1f, 0.1f, 0.9f, 0.55f);
  AddBox(body, {-0.75f, 0.85f, -1.3f}, {0.75f, 1.3f, 0.6f}, detail, 0.2f, 0.6f, 0.8f, 0.9f);
  const Shape wheel = Wheel(8 * detail, 0.33f, 0.24f);
  struct Placed {
    const Shape* shape;
    Point position;
  };
  // Left is -X; front wheels forward of the middle.
  const std::array<Placed, 5> high = {{{&body, {0, 0, 0}},
                                       {&wheel, {-0.82f, 0.33f, 1.35f}},
                                       {&wheel, {0.82f, 0.33f, 1.35f}},
                                       {&wheel, {-0.82f, 0.33f, -1.3f}},
                                       {&wheel, {0.82f, 0.33f, -1.3f}}}};

  Bytes vertices, triangles;
  std::array<std::array<std::uint32_t, 4>, 5> tables{};  // first vertex, vertices, first triangle, triangles
  std::uint32_t n = 0, m = 0;
  for (std::size_t p = 0; p < high.size(); ++p) {
    const Shape& shape = *high[p].shape;
    tables[p] = {n, static_cast<std::uint32_t>(shape.points.size()), m, static_cast<std::uint32_t>(shape.triangles.size())};
    for (const Point& point : shape.points) AppendFloat(vertices, point.x), AppendFloat(vertices, point.y), AppendFloat(vertices, point.z);
    for (const auto& triangle : shape.triangles) {
      Bytes record(56);
      for (std::size_t c = 0; c < 3; ++c) {
        PutU32(record, 4 + 4 * c, triangle[c].index);
        PutU32(record, 16 + 4 * c, 0xFF00);
        PutFloat(record, 32 + 4 * c, triangle[c].u);
        // NFS3 counts texture rows from the bottom of the image as shown.
        PutFloat(record, 44 + 4 * c, 1.0f - triangle[c].v);
      }
      triangles.insert(triangles.end(), record.begin(), record.end());
    }
    n += static_cast<std::uint32_t>(shape.points.size());
    m += static_cast<std::uint32_t>(shape.triangles.size());
  }

  // 7940-byte header, then blocks of 12N, 12N, 56M, 32N, 12N, 12N bytes.
  constexpr std::size_t kHeader = 7940;
  Bytes model(kHeader);
  model[0] = 0x13, model[1] = 0x10, model[2] = 0x10;
  PutU32(model, 0x04, m);
  PutU32(model, 0x08, n);
  PutU32(model, 0x0C, 2);
  const std::array<std::uint32_t, 6> lengths = {12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n};
  std::uint32_t offset = 0;
  for (std::size_t b = 0; b < lengths.size(); ++b) PutU32(model, 0x10 + 4 * b, offset), offset += lengths[b];
  PutFloat(model, 0x28, 0.9f), PutFloat(model, 0x2C, 0.65f), PutFloat(model, 0x30, 2.1f);
  PutU32(model, 0xF8, 12);
  for (std::size_t part = 0; part < kPartNames.size(); ++part) {
    // The medium parts share the high ones' geometry; the small and tiny bodies the body's.
    const std::size_t source = part < 5 ? part : part < 10 ? part - 5 : 0;
    const Point at = high[source].position;
    PutFloat(model, 0xFC + 12 * part, at.x), PutFloat(model, 0x100 + 12 * part, at.y), PutFloat(model, 0x104 + 12 * part, at.z);
    for (std::size_t table = 0; table < 4; ++table) PutU32(model, 0x3FC + 0x100 * table + 4 * part, tables[source][table]);
    for (std::size_t i = 0; i < kPartNames[part].size(); ++i) model[0xE04 + 64 * part + i] = static_cast<std::uint8_t>(kPartNames[part][i]);
  }
  for (std::uint32_t q = 0; q < 16; ++q)
    for (std::uint32_t c = 0; c < 4; ++c) PutU32(model, 0x800 + 16 * q + 4 * c, q * 16 + c * 50);

  model.insert(model.end(), vertices.begin(), vertices.end());
  for (std::uint32_t i = 0; i < n; ++i) AppendFloat(model, 0), AppendFloat(model, 1), AppendFloat(model, 0);  // normals
  model.insert(model.end(), triangles.begin(), triangles.end());
  model.resize(model.size() + 32 * n + 12 * n + 12 * n, 0);
  return model;
}

}  // namespace velkor::sample
