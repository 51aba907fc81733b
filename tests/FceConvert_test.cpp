#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::GetU32;
using test::PutText;
using test::PutU32;
using test::Slice;
using test::TempDir;

const std::array<const char*, 12> kNfs4Names = {":HB",   ":HLFW", ":HRFW", ":HLRW", ":HRRW", ":MB",
                                                ":MLFW", ":MRFW", ":MLRW", ":MRRW", ":LB",   ":TB"};
const std::array<const char*, 12> kNfs3Names = {
    "high body",           "high left front wheel", "high right front wheel", "high left rear wheel",
    "high right rear wheel", "medium body",         "medium l front wheel",   "medium r front wheel",
    "medium l rear wheel", "medium r rear wheel",   "small body",             "tiny body"};

void Fill(Bytes& b, std::size_t at, std::size_t length, std::uint8_t (*value)(std::size_t)) {
  for (std::size_t i = 0; i < length; ++i) b[at + i] = value(i);
}

// An NFS3 model whose every header area holds its own recognisable bytes.
Bytes RichFce3(std::int32_t n, std::int32_t m) {
  Bytes src = test::MakeFce3(n, m, 13);
  PutU32(src, 0x0C, 0xA1B2C3D4);
  Fill(src, 0x28, 16, [](std::size_t i) { return static_cast<std::uint8_t>(0x40 + i); });
  Fill(src, 0x38, 192, [](std::size_t i) { return static_cast<std::uint8_t>(i * 3 + 1); });
  for (std::size_t s = 0; s < 64; ++s) {
    std::fill_n(src.begin() + static_cast<std::ptrdiff_t>(0xFC + 12 * s), 12, static_cast<std::uint8_t>(s + 1));
    for (std::size_t t = 0; t < 4; ++t) PutU32(src, 0x3FC + 256 * t + 4 * s, static_cast<std::uint32_t>(1000 * t + s));
  }
  PutU32(src, 0x7FC, 0x0BADF00D);
  for (std::size_t q = 0; q < 64; ++q) PutU32(src, 0x800 + 4 * q, static_cast<std::uint32_t>(q));
  PutU32(src, 0x800, 200);
  PutU32(src, 0x804, 0xFFFFFFFF);
  PutU32(src, 0x808, 0x12345678);
  PutU32(src, 0x80C, 256);
  Fill(src, 0x900, 260, [](std::size_t) { return std::uint8_t{0xEE}; });
  Fill(src, 0xA04, 1024, [](std::size_t i) { return static_cast<std::uint8_t>((i & 0xFF) ^ 0x5A); });
  PutText(src, 0xE04 + 64 * 0, "Body");
  PutText(src, 0xE04 + 64 * 1, "Wheel");
  PutText(src, 0xE04 + 64 * 12, "Spoiler Big");
  PutText(src, 0xE04 + 64 * 63, "LastPart");
  Fill(src, 0x1E04, 256, [](std::size_t) { return std::uint8_t{0xEE}; });
  return src;
}

void CopyRange(const Bytes& from, std::size_t fromAt, Bytes& to, std::size_t toAt, std::size_t length) {
  std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(fromAt), length, to.begin() + static_cast<std::ptrdiff_t>(toAt));
}

TEST(FceConvert, Nfs3ToNfs4AndBack) {
  TempDir dir;
  const std::int32_t n = 3, m = 2;
  const Bytes src = RichFce3(n, m);
  test::WriteBytes(dir / "car.fce", src);

  Bytes want(test::kFce4Header, 0);
  want[0] = 0x14, want[1] = 0x10, want[2] = 0x10;
  PutU32(want, 0x08, m);
  PutU32(want, 0x0C, n);
  PutU32(want, 0x10, 0xA1B2C3D4);
  const auto lengths = test::Fce4BlockLengths(n, m);
  std::uint32_t offset = 0;
  for (std::size_t b = 1; b <= 14; ++b) {
    PutU32(want, 0x14 + 4 * (b - 1), offset);
    offset += static_cast<std::uint32_t>(lengths[b]);
  }
  CopyRange(src, 0x28, want, 0x4C, 16);
  CopyRange(src, 0x38, want, 0x5C, 192);
  PutU32(want, 0x11C, 13);
  CopyRange(src, 0xFC, want, 0x120, 768 + 1024);  // part records and tables
  PutU32(want, 0x820, 0x0BADF00D);
  for (std::size_t q = 0; q < 64; ++q) want[0x824 + q] = want[0x8A4 + q] = static_cast<std::uint8_t>(q);
  for (std::size_t base : {0x824, 0x8A4}) {
    want[base] = 0xC8, want[base + 1] = 0xFF, want[base + 2] = 0x78, want[base + 3] = 0x00;
  }
  CopyRange(src, 0xA04, want, 0xA28, 1024);
  for (std::size_t s = 0; s < 12; ++s) PutText(want, 0xE28 + 64 * s, kNfs4Names[s]);
  PutText(want, 0xE28 + 64 * 12, "spoiler big");
  PutText(want, 0xE28 + 64 * 63, "lastpart");
  const auto srcLengths = test::Fce3BlockLengths(n, m);
  for (int b : {1, 2, 3, 4, 5, 6, 1, 2, 1, 2}) {
    const Bytes data = test::BlockPattern(b, srcLengths[static_cast<std::size_t>(b)]);
    want.insert(want.end(), data.begin(), data.end());
  }
  want.resize(want.size() + 3 * 4 * n + 12 * m, 0);
  ASSERT_EQ(want.size(), 8248u + 140 * n + 68 * m);

  Fce3File nfs3(dir / "car.fce");
  nfs3.Load();
  EXPECT_EQ(nfs3.size, static_cast<std::int32_t>(src.size()));
  EXPECT_EQ(nfs3.ConvertTo4(dir / "car.fc4"), 1);
  EXPECT_EQ(test::ReadBytes(dir / "car.fc4"), want);
  EXPECT_EQ(test::ReadBytes(dir / "car.fce"), src) << "the source is not touched";

  // Back to NFS3: blocks 1 to 6 come back unchanged; carried areas too; the quad byte 0xC8
  // widens to -56; part names come back standard or upper-cased.
  Fce4File nfs4(dir / "car.fc4");
  nfs4.Load();
  nfs4.ConvertTo3(dir / "back.fce", 0);
  const Bytes back = test::ReadBytes(dir / "back.fce");
  ASSERT_EQ(back.size(), src.size());
  Bytes header = Slice(src, 0, 7940);
  std::fill_n(header.begin() + 0xFC + 12 * 13, 12 * 51, 0);  // records beyond partCount
  for (std::size_t t = 0; t < 4; ++t) std::fill_n(header.begin() + 0x3FC + 256 * t + 4 * 13, 4 * 51, 0);
  PutU32(header, 0x800, 0xFFFFFFC8);  // 200 -> 0xC8 -> -56
  PutU32(header, 0x808, 0x78);
  PutU32(header, 0x80C, 0);
  std::fill_n(header.begin() + 0x900, 260, 0);  // not carried
  std::fill_n(header.begin() + 0xE04, 64 * 64 + 256, 0);
  for (std::size_t s = 0; s < 12; ++s) PutText(header, 0xE04 + 64 * s, kNfs3Names[s]);
  PutText(header, 0xE04 + 64 * 12, "SPOILER BIG");
  PutText(header, 0xE04 + 64 * 63, "LASTPART");
  EXPECT_EQ(Slice(back, 0, 7940), header);
  EXPECT_EQ(Slice(back, 7940, back.size() - 7940), Slice(src, 7940, src.size() - 7940));
}

// An NFS4 model with the given part names in slots 0, 1, 2, ...; part record s holds the
// byte s + 1 throughout and table t holds 100 * t + s.
Bytes Fce4WithNames(const std::vector<std::string>& names, std::int32_t parts) {
  Bytes model = test::MakeFce4(2, 1, parts);
  for (std::size_t s = 0; s < 64; ++s) {
    std::fill_n(model.begin() + static_cast<std::ptrdiff_t>(0x120 + 12 * s), 12, static_cast<std::uint8_t>(s + 1));
    for (std::size_t t = 0; t < 4; ++t) PutU32(model, 0x420 + 256 * t + 4 * s, static_cast<std::uint32_t>(100 * t + s));
  }
  for (std::size_t s = 0; s < names.size(); ++s) PutText(model, 0xE28 + 64 * s, names[s]);
  return model;
}

// Name, part-record byte and first table entry of NFS3 part r.
std::tuple<std::string, int, std::uint32_t> PartOf(const Bytes& nfs3, std::size_t r) {
  const auto name = Slice(nfs3, 0xE04 + 64 * r, 64);
  return {std::string(name.begin(), std::find(name.begin(), name.end(), 0)), nfs3[0xFC + 12 * r],
          GetU32(nfs3, 0x3FC + 256 * 3 + 4 * r)};
}

TEST(FceConvert, Nfs4PartsAreReorderedByStandardPosition) {
  using Part = std::tuple<std::string, int, std::uint32_t>;
  struct Case {
    std::vector<std::string> names;
    std::int32_t parts;
    std::vector<Part> want;  // NFS3 parts 0, 1, ...; records and tables follow their source slot
  };
  std::vector<std::string> odd(64);
  // ":hb" is recognised; of two ":TB" the later slot (4) takes the position and slot 1
  // belongs nowhere; positions nobody claims are skipped.
  odd[0] = "door", odd[1] = ":TB", odd[2] = ":hb", odd[3] = ":Mlfw", odd[4] = ":TB", odd[63] = "tail";
  const std::vector<Case> cases = {
      {{":MB", "wing", ":HB"}, 3, {{"high body", 3, 302}, {"medium body", 1, 300}, {"WING", 2, 301}, {"", 0, 0}}},
      {odd, 5, {{"high body", 3, 302}, {"medium l front wheel", 4, 303}, {"tiny body", 5, 304}, {"DOOR", 1, 300},
                {"", 6, 305}, {"", 0, 0}}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    test::WriteBytes(dir / "car.fce", Fce4WithNames(c.names, c.parts));
    Fce4File model(dir / "car.fce");
    model.Load();
    model.ConvertTo3(dir / "car.fc3", 0);
    const Bytes out = test::ReadBytes(dir / "car.fc3");
    EXPECT_EQ(GetU32(out, 0xF8), static_cast<std::uint32_t>(c.parts));
    for (std::size_t r = 0; r < c.want.size(); ++r) EXPECT_EQ(PartOf(out, r), c.want[r]) << c.names[0] << " " << r;
  }
  // 63 slots remain after the duplicate dropped out: NFS3 slot 63 has no source.
  TempDir dir;
  test::WriteBytes(dir / "car.fce", Fce4WithNames(odd, 5));
  Fce4File model(dir / "car.fce");
  model.Load();
  model.ConvertTo3(dir / "car.fc3", 0);
  const Bytes out = test::ReadBytes(dir / "car.fc3");
  EXPECT_EQ(PartOf(out, 62), (Part{"TAIL", 0, 0}));
  EXPECT_EQ(PartOf(out, 63), (Part{"", 0, 0}));
}

TEST(FceConvert, AlternateBlocksSelectBlocksNineAndTenAndNothingElse) {
  TempDir dir;
  const std::int32_t n = 4, m = 3;
  test::WriteBytes(dir / "car.fce", test::MakeFce4(n, m, 0));
  Fce4File model(dir / "car.fce");
  model.Load();
  model.ConvertTo3(dir / "car.fc3", 0);
  model.ConvertTo3(dir / "card.fc3", 1);
  const Bytes plain = test::ReadBytes(dir / "car.fc3");
  const Bytes alternate = test::ReadBytes(dir / "card.fc3");
  ASSERT_EQ(plain.size(), 7940u + 80 * n + 56 * m);
  ASSERT_EQ(alternate.size(), plain.size());
  EXPECT_EQ(Slice(plain, 7940, 24 * n), Slice(test::MakeFce4(n, m, 0), 8248, 24 * n));
  Bytes blocks9and10 = test::BlockPattern(9, 12 * n);
  const Bytes block10 = test::BlockPattern(10, 12 * n);
  blocks9and10.insert(blocks9and10.end(), block10.begin(), block10.end());
  EXPECT_EQ(Slice(alternate, 7940, 24 * n), blocks9and10);
  EXPECT_EQ(Slice(alternate, 0, 7940), Slice(plain, 0, 7940));
  EXPECT_EQ(Slice(alternate, 7940 + 24 * n, plain.size() - 7940 - 24 * n),
            Slice(plain, 7940 + 24 * n, plain.size() - 7940 - 24 * n));
}

}  // namespace
}  // namespace velkor
