// The model checks of `velkor --check`. Both versions keep, per part slot, four tables in
// the header: the part's first vertex, its vertex count, its first triangle and its
// triangle count. Vertices (block 1) are three 32-bit floats; a triangle (a 56-byte record
// of block 3) holds after its texture page the three vertex indices, counted from the
// part's first vertex.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "app/CheckReport.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "model/FceModel.h"
#include "recogniser/ContentGame.h"

namespace velkor {
namespace {

using fce::FceHeader;

constexpr std::size_t kFirstVertex = 0, kVertexCount = 1, kFirstTriangle = 2, kTriangleCount = 3;
constexpr std::size_t kTriangleSize = 56, kTriangleVertices = 4, kVertexSize = 12;
// A broken model could give thousands of lines of the same fault: the first few of each
// kind are named, the rest counted.
constexpr int kNamedPerKind = 5;

std::string Num(std::int64_t n) { return std::to_string(n); }

struct Range {
  std::int64_t first;
  std::int64_t count;
  std::int64_t end() const { return first + count; }
};

Range PartRange(const FceHeader& h, std::size_t part, std::size_t firstTable, std::size_t countTable) {
  return {static_cast<std::int32_t>(h.partTableValue(firstTable, part)),
          static_cast<std::int32_t>(h.partTableValue(countTable, part))};
}

std::string PartName(const FceHeader& h, std::size_t part) {
  return "part " + Num(static_cast<std::int64_t>(part)) + " (\"" + h.partName(part) + "\")";
}

// Counts faults of one kind, naming the first few.
class Limited {
 public:
  Limited(CheckReport& report, std::string member) : report_(report), member_(std::move(member)) {}
  void Warn(const std::string& text) {
    if (++count_ <= kNamedPerKind) report_.Warn(member_, text);
  }
  void Finish(const std::string& what) {
    if (count_ > kNamedPerKind) report_.Warn(member_, Num(count_ - kNamedPerKind) + " more " + what);
  }

 private:
  CheckReport& report_;
  std::string member_;
  int count_ = 0;
};

void CheckRanges(const fce::FceModel& model, std::int32_t parts, const std::string& member, CheckReport& report) {
  const FceHeader& h = model.header;
  const std::int64_t vertices = h.elementCount(), triangles = h.recordCount();
  struct Owned {
    Range range;
    std::size_t part;
  };
  std::vector<Owned> vertexRanges, triangleRanges;
  for (std::size_t p = 0; p < static_cast<std::size_t>(parts); ++p) {
    const Range v = PartRange(h, p, kFirstVertex, kVertexCount), t = PartRange(h, p, kFirstTriangle, kTriangleCount);
    const auto keepIfInside = [&](const Range& r, auto total, const char* what, std::vector<Owned>& ranges) {
      if (r.first < 0 || r.count < 0 || r.end() > total)
        report.Warn(member, PartName(h, p) + ": " + what + " " + Num(r.first) + " to " + Num(r.end() - 1) +
                                " (first " + Num(r.first) + ", count " + Num(r.count) + ") are not within the model's " +
                                Num(total) + " " + what);
      else if (r.count > 0)
        ranges.push_back({r, p});
    };
    keepIfInside(v, vertices, "vertices", vertexRanges);
    keepIfInside(t, triangles, "triangles", triangleRanges);
  }
  const auto overlaps = [&](std::vector<Owned>& ranges, const char* what) {
    std::sort(ranges.begin(), ranges.end(), [](const Owned& a, const Owned& b) { return a.range.first < b.range.first; });
    for (std::size_t i = 1; i < ranges.size(); ++i)
      if (ranges[i].range.first < ranges[i - 1].range.end())
        report.Warn(member, PartName(h, ranges[i].part) + ": its " + what + " from " + Num(ranges[i].range.first) +
                                " overlap those of " + PartName(h, ranges[i - 1].part) + ", which end at " +
                                Num(ranges[i - 1].range.end() - 1));
  };
  overlaps(vertexRanges, "vertices");

  // Each triangle's vertex indices lie inside its own part's vertices.
  const auto& records = model.block(3);
  Limited outside(report, member);
  for (const Owned& owned : triangleRanges) {
    const Range vertices = PartRange(h, owned.part, kFirstVertex, kVertexCount);
    for (std::int64_t t = owned.range.first; t < owned.range.end(); ++t) {
      for (std::size_t corner = 0; corner < 3; ++corner) {
        const std::int32_t index = ReadI32LE(records, static_cast<std::size_t>(t) * kTriangleSize + kTriangleVertices + 4 * corner);
        if (index < 0 || index >= vertices.count)
          outside.Warn(PartName(h, owned.part) + ": triangle " + Num(t) + " vertex index " + Num(index) +
                       " is outside the part's vertices 0 to " + Num(vertices.count - 1));
      }
    }
  }
  outside.Finish("vertex indices outside their parts");
  overlaps(triangleRanges, "triangles");

  const auto& coordinates = model.block(1);
  Limited notFinite(report, member);
  for (std::size_t i = 0; i + 4 <= coordinates.size(); i += 4) {
    const float value = std::bit_cast<float>(ReadU32LE(coordinates, i));
    if (!std::isfinite(value))
      notFinite.Warn("vertex " + Num(static_cast<std::int64_t>(i / kVertexSize)) + " coordinate " +
                     Num(static_cast<std::int64_t>(i % kVertexSize / 4)) + " is not a finite number");
  }
  notFinite.Finish("coordinates that are not finite numbers");
}

// NFS3 takes parts by position; NFS4 finds them by name.
void CheckParts(const FceHeader& h, bool nfs4, const std::string& member, CheckReport& report) {
  const auto parts = static_cast<std::size_t>(h.partCount());
  if (nfs4) {
    for (std::size_t position = 0; position < 5; ++position) {
      const std::string_view wanted = fce::kStandardParts[position].nfs4Name;
      bool found = false;
      for (std::size_t p = 0; p < parts && !found; ++p) found = UpperCaseAscii(h.partName(p)) == wanted;
      if (!found)
        report.Warn(member, "partNames: no part is named \"" + std::string(wanted) +
                                "\", by which NFS4 finds the car's body and high-detail wheels");
    }
    return;
  }
  if (parts < 5)
    report.Warn(member, "partCount = " + Num(static_cast<std::int64_t>(parts)) +
                            ": NFS3 takes the body and the four wheels from parts 0 to 4");
  // A name is only a label in NFS3, but one of another position's standard names says the
  // parts are out of order.
  for (std::size_t p = 0; p < std::min<std::size_t>(parts, fce::kStandardParts.size()); ++p) {
    const std::string name = LowerCaseAscii(h.partName(p));
    for (std::size_t other = 0; other < fce::kStandardParts.size(); ++other)
      if (other != p && name == fce::kStandardParts[other].nfs3Name)
        report.Warn(member, PartName(h, p) + ": the name of part " + Num(static_cast<std::int64_t>(other)) +
                                "; NFS3 takes parts by position, so this one is used as \"" +
                                std::string(fce::kStandardParts[p].nfs3Name) + "\"");
  }
}

}  // namespace

std::string CheckModelContent(platform::File file, const std::string& member, CheckReport& report) {
  const ContentIdentity identity = IdentifyModel(file, 0, file.Length());
  if (identity.game == ContentGame::Neither) {
    report.Fail(member, "signature = 0x00101015: " + identity.what + "; it cannot be converted");
    return identity.what;
  }
  const bool nfs4 = identity.game == ContentGame::Nfs4;
  file.Seek(0);  // the readers read on from where the file stands
  fce::FceModel model(nfs4 ? fce::kFce4Layout : fce::kFce3Layout);
  try {
    model.Load(std::move(file));
  } catch (const FormatError& e) {
    report.Fail(member, e.what());
    return nfs4 ? "an NFS4 model that cannot be read" : "no readable model";
  }
  const FceHeader& h = model.header;
  CheckRanges(model, h.partCount(), member, report);
  CheckParts(h, nfs4, member, report);
  return std::string(nfs4 ? "an NFS4 model, " : "an NFS3 model, ") + Num(h.partCount()) +
         (h.partCount() == 1 ? " part, " : " parts, ") +
         Num(h.elementCount()) + " vertices, " + Num(h.recordCount()) + " triangles";
}

}  // namespace velkor
