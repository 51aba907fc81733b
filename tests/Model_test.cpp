#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/Errors.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

// The front-end header after Reset, for each game.
Bytes FrontEndDefaults(bool nfs4) {
  Bytes h(nfs4 ? 960 : 47, 0);
  if (nfs4) h[0] = 4, h[904] = 10, h[958] = 41;
  else h[4] = 9, h[8] = 1, h[12] = 3, h[22] = 128, h[44] = 5, h[45] = 40;
  return h;
}

const Texts kNumbered = [] { Texts t; for (int i = 0; i < 40; ++i) t.push_back("t" + std::to_string(i)); return t; }();

TEST(ModelFiles, ResetThenSaveAsWritesEmptyFiles) {
  TempDir dir;
  Fce3File fce3(dir / "a.fce");
  Fce4File fce4(dir / "b.fce");
  FeData3File fe3(dir / "fedata.eng");
  FeData4File fe4(dir / "fedata.ger");
  fce3.Reset(), fce4.Reset(), fe3.Reset(), fe4.Reset(), fce3.Save(), fce4.Save(), fe3.Save(), fe4.Save();
  EXPECT_EQ(ReadBytes(dir / "a.fce"), MakeFce3(0, 0, 0));  // all zero but the signature
  EXPECT_EQ(ReadBytes(dir / "b.fce"), MakeFce4(0, 0, 0));
  EXPECT_EQ(ReadBytes(dir / "fedata.eng"), MakeFrontEnd(FrontEndDefaults(false), Texts(40)));
  EXPECT_EQ(ReadBytes(dir / "fedata.ger"), MakeFrontEnd(FrontEndDefaults(true), Texts(41)));
  EXPECT_EQ(std::vector({fce3.size, fce4.size, fe3.size, fe4.size}), std::vector({7940, 8248, 247, 1165}));
}

TEST(FceLoad, BlocksStoredOutOfOrderWithGapsOrAnywhereWhenEmptyAreSavedPacked) {
  // The header, then the blocks in reverse order, each after a 3-byte gap.
  Bytes stored = Slice(MakeFce3(2, 1, 1), 0, 7940);
  for (std::size_t b = 6; b >= 1; --b) {
    stored.insert(stored.end(), 3, 0xAA);
    PutU32(stored, 0x10 + 4 * (b - 1), static_cast<std::uint32_t>(stored.size() - 7940));
    Append(stored, BlockPattern(b, BlockLengths(false, 2, 1)[b]));
  }
  // No elements: the element blocks are empty, so their offsets are never used. 64 parts is the most.
  Bytes empty = MakeFce3(0, 1, 64);
  for (std::size_t b : {1, 2, 4, 5, 6}) PutU32(empty, 0x10 + 4 * (b - 1), 0x7FFFFFFF);
  for (const auto& [in, want] : {std::pair{stored, MakeFce3(2, 1, 1)}, {empty, MakeFce3(0, 1, 64)}})
    EXPECT_EQ(Through<Fce3File>(in, [](auto& f, auto path) { f.SaveAs(path); }), want);
}

TEST(FceLoad, CountsAndOffsetsThatDoNotFitTheFileAreRejectedNamingFileAndField) {
  const Bytes good3 = MakeFce3(3, 2, 1), good4 = MakeFce4(3, 2, 1);
  const auto with = [](Bytes b, std::size_t at, std::uint32_t v) { return PutU32(b, at, v), b; };
  const std::tuple<Bytes, bool, std::string> rows[] = {
      {Slice(good3, 0, 7939), false, "header"}, {Slice(good4, 0, good4.size() - 1), true, "blockOffsets[14]"},
      {with(good3, 0xF8, 65), false, "partCount"}, {with(good4, 0x11C, 0xFFFFFFFF), true, "partCount"},
      {with(good3, 0x04, 0xFFFFFFFF), false, "recordCount"}, {with(good4, 0x0C, 0x7FFFFFFF), true, "elementCount"},
      {with(good3, 0x18, 0xFFFFFFF0), false, "blockOffsets[3]"}, {with(good4, 0x34, ~0u / 2), true, "blockOffsets[9]"}};
  TempDir dir;
  const std::string path = dir / "bad.fce";
  for (const auto& [bytes, nfs4, field] : rows) {
    WriteBytes(path, bytes);
    const bool isNfs4 = nfs4;  // clang 14 cannot capture a structured binding
    const std::string message = MessageOf<FormatError>([&] { isNfs4 ? Fce4File(path).Load() : Fce3File(path).Load(); });
    EXPECT_TRUE(message.find(path) != message.npos && message.find(field) != message.npos) << field << ": " << message;
  }
}

TEST(FceConvert, Nfs3ToNfs4AndBack) {
  const std::size_t n = 3, m = 2;
  // 13 parts; every header area recognisable: bytes that are carried hold (offset * 7 + 3),
  // the quad table its own values, name slots 0, 1, 12 and 63 names.
  Bytes src = MakeFce3(n, m, 13);
  for (auto [from, to] : {std::pair<std::size_t, std::size_t>{0x0C, 0x10}, {0x28, 0xF8}, {0xFC, 0x800}, {0x900, 0xE04},
                          {0x1E04, 0x1F04}})
    for (std::size_t i = from; i < to; ++i) src[i] = static_cast<std::uint8_t>(i * 7 + 3);
  for (std::uint32_t q = 0; q < 64; ++q) PutU32(src, 0x800 + 4 * q, q);
  PutU32(src, 0x800, 200), PutU32(src, 0x804, 0xFFFFFFFF), PutU32(src, 0x808, 0x12345678), PutU32(src, 0x80C, 256);
  PutText(src, 0xE04, "Body"), PutText(src, 0xE44, "Wheel");
  PutText(src, 0x1104, "Spoiler Big"), PutText(src, 0x1DC4, "LastPart");

  Bytes want = Slice(MakeFce4(n, m, 13), 0, 8248);  // counts and packed offsets
  const auto carry = [&](std::size_t from, std::size_t to, std::size_t length) {
    std::copy_n(src.begin() + from, length, want.begin() + to);
  };
  carry(0x0C, 0x10, 4), carry(0x28, 0x4C, 0xD0), carry(0xFC, 0x120, 0x704), carry(0xA04, 0xA28, 1024);
  for (std::size_t q = 0; q < 64; ++q) want[0x824 + q] = want[0x8A4 + q] = static_cast<std::uint8_t>(q);
  for (std::size_t at : {0x824, 0x8A4}) want[at] = 0xC8, want[at + 1] = 0xFF, want[at + 2] = 0x78, want[at + 3] = 0;
  const char* const names4[] = {":HB", ":HLFW", ":HRFW", ":HLRW", ":HRRW", ":MB", ":MLFW", ":MRFW", ":MLRW", ":MRRW",
                                ":LB", ":TB", "spoiler big"};
  for (std::size_t s = 0; s < 13; ++s) PutText(want, 0xE28 + 64 * s, names4[s]);
  PutText(want, 0xE28 + 64 * 63, "lastpart");
  for (std::size_t b : {1, 2, 3, 4, 5, 6, 1, 2, 1, 2}) Append(want, BlockPattern(b, BlockLengths(false, n, m)[b]));
  want.resize(want.size() + 3 * 4 * n + 12 * m, 0);
  ASSERT_EQ(want.size(), 8248 + 140 * n + 68 * m);
  EXPECT_EQ(Through<Fce3File>(src, [](auto& f, auto path) { f.ConvertTo4(path); }), want);

  // Back: blocks and carried areas unchanged, records and tables beyond partCount cleared,
  // quad bytes widened as signed (200 -> 0xC8 -> -56), names standard or upper-cased.
  std::fill(src.begin() + 0xFC + 12 * 13, src.begin() + 0x3FC, 0);
  for (std::size_t t = 0; t < 4; ++t) std::fill_n(src.begin() + 0x3FC + 256 * t + 4 * 13, 4 * 51, 0);
  PutU32(src, 0x800, 0xFFFFFFC8), PutU32(src, 0x808, 0x78), PutU32(src, 0x80C, 0);
  std::fill(src.begin() + 0x900, src.begin() + 0xA04, 0);  // not carried
  std::fill(src.begin() + 0xE04, src.begin() + 0x1F04, 0);
  const char* const names3[] = {"high body", "high left front wheel", "high right front wheel", "high left rear wheel",
                                "high right rear wheel", "medium body", "medium l front wheel", "medium r front wheel",
                                "medium l rear wheel", "medium r rear wheel", "small body", "tiny body", "SPOILER BIG"};
  for (std::size_t s = 0; s < 13; ++s) PutText(src, 0xE04 + 64 * s, names3[s]);
  PutText(src, 0x1DC4, "LASTPART");
  EXPECT_EQ(Through<Fce4File>(want, [](auto& f, auto path) { f.ConvertTo3(path, 0); }), src);
}

TEST(FceConvert, PartsAreReorderedByStandardPositionAndAlternateBlocksChangeOnlyBlocksOneAndTwo) {
  // ":MB", a part of its own and ":hb" (recognised); of two ":TB" the later slot takes the
  // position and the earlier belongs nowhere, so 63 slots remain. Part record s holds the
  // byte s + 1 and table t entry s the value 100 * t + s.
  const std::size_t n = 4, m = 3;
  Bytes model = MakeFce4(n, m, 6);
  for (std::size_t s = 0; s < 64; ++s) {
    std::fill_n(model.begin() + 0x120 + 12 * s, 12, static_cast<std::uint8_t>(s + 1));
    for (std::size_t t = 0; t < 4; ++t) PutU32(model, 0x420 + 256 * t + 4 * s, static_cast<std::uint32_t>(100 * t + s));
  }
  const char* const names[] = {":MB", "wing", ":hb", ":TB", ":Mlfw", ":TB"};
  for (std::size_t s = 0; s < 6; ++s) PutText(model, 0xE28 + 64 * s, names[s]);
  PutText(model, 0xE28 + 64 * 63, "tail");
  const Bytes out = Through<Fce4File>(model, [](auto& f, auto path) { f.ConvertTo3(path, 0); });
  EXPECT_EQ(ReadU32LE(out, 0xF8), 6u);
  // NFS3 part r: name, record byte and table 3 entry; records and tables only below partCount.
  using Part = std::tuple<std::string, int, std::uint32_t>;
  const std::map<std::size_t, Part> want = {
      {0, {"high body", 3, 302}}, {1, {"medium body", 1, 300}}, {2, {"medium l front wheel", 5, 304}},
      {3, {"tiny body", 6, 305}}, {4, {"WING", 2, 301}},        {5, {"", 7, 306}},
      {6, {"", 0, 0}},            {62, {"TAIL", 0, 0}},         {63, {"", 0, 0}}};
  for (const auto& [r, part] : want) {
    const auto name = Slice(out, 0xE04 + 64 * r, 64);
    EXPECT_EQ(Part(std::string(name.begin(), std::find(name.begin(), name.end(), 0)), out[0xFC + 12 * r],
                   ReadU32LE(out, 0x3FC + 256 * 3 + 4 * r)), part) << r;
  }
  ASSERT_EQ(out.size(), 7940 + 80 * n + 56 * m);
  EXPECT_EQ(Slice(out, 7940, 24 * n), Slice(model, 8248, 24 * n));
  // With the alternate blocks, blocks 1 and 2 are NFS4 blocks 9 and 10 (after 104N + 56M bytes).
  Bytes alternate = Through<Fce4File>(model, [](auto& f, auto path) { f.ConvertTo3(path, 1); });
  EXPECT_EQ(Slice(alternate, 7940, 24 * n), Slice(model, 8248 + 104 * n + 56 * m, 24 * n));
  std::copy_n(out.begin() + 7940, 24 * n, alternate.begin() + 7940);
  EXPECT_EQ(alternate, out);
}

TEST(FeData, LoadReadsWhatExistsAndSaveAsPacksTheTexts) {
  // Texts stored in reverse order with a gap before each: text 1 is 300 bytes long, text 7's
  // offset lies past the end, and text 0, stored last, has no NUL.
  Texts stored = kNumbered;
  stored[1] = std::string(300, 'L');
  Bytes file = FrontEndDefaults(false);
  file.resize(207, 0);
  for (std::size_t i = 40; i-- > 0;) {
    file.insert(file.end(), 2, 'x');
    PutU32(file, 47 + 4 * i, static_cast<std::uint32_t>(file.size()));
    file.insert(file.end(), stored[i].begin(), stored[i].end());
    if (i > 0) file.push_back(0);
  }
  PutU32(file, 47 + 4 * 7, static_cast<std::uint32_t>(file.size() + 1000));
  Texts want = stored;
  want[1].resize(256), want[7].clear();
  EXPECT_EQ(Through<FeData3File>(file, [](auto& f, auto path) { f.SaveAs(path); }),
            MakeFrontEnd(FrontEndDefaults(false), want));
}

TEST(FeData, ConversionMapsFieldsAndTextsBothWays) {
  const auto to3 = [](auto& f, auto path) { f.ConvertTo3(path); };
  const auto to4 = [](auto& f, auto path) { f.ConvertTo4(path); };
  Bytes h3 = FrontEndDefaults(false), h4 = FrontEndDefaults(true);
  PutU32(h3, 0, 0x44332211), PutU16(h3, 10, 0xFFFF), PutU16(h3, 16, 1), PutU16(h3, 20, 1), PutU16(h3, 24, 0xFF85);
  h3[40] = 1, h3[41] = 2, h3[42] = 3, h3[43] = 4;
  // -123 widened at 798; the flags at 890; -1 + 1 at 898; each byte four times, their average, four 100s.
  PutU32(h4, 274, 0x44332211), PutU32(h4, 798, 0xFFFFFF85), PutU16(h4, 890, 0x12), PutU32(h4, 898, 0);
  for (std::size_t i = 0; i < 16; ++i) h4[905 + i] = static_cast<std::uint8_t>(i / 4 + 1);
  for (std::size_t i = 0; i < 4; ++i) h4[921 + i] = 2, PutU32(h4, 926 + 4 * i, 100);
  Texts texts4 = kNumbered;
  texts4.insert(texts4.begin() + 17, "");
  const Bytes nfs3 = MakeFrontEnd(h3, kNumbered), nfs4 = MakeFrontEnd(h4, texts4);
  EXPECT_EQ(Through<FeData3File>(nfs3, to4), nfs4);
  EXPECT_EQ(Through<FeData4File>(nfs4, to3), nfs3);

  // A flag other than 1 is not set; negative bytes average toward zero: -10 / 4 = -2.
  PutU16(h3, 16, 5);
  h3[40] = 0xFF, h3[41] = 0xFE, h3[42] = 0xFD, h3[43] = 0xFC;
  const Bytes out4 = Through<FeData3File>(MakeFrontEnd(h3, Texts(40)), to4);
  EXPECT_EQ(out4[890], 0x02);
  EXPECT_EQ(Slice(out4, 921, 4), Bytes(4, 0xFE));

  // NFS4 text 17 is dropped; 70000 keeps its low 16 bits; only the first byte of each group comes back.
  PutU32(h4, 798, 70000), PutU16(h4, 890, 0x0010);
  for (std::size_t i = 0; i < 20; ++i) h4[905 + i] = static_cast<std::uint8_t>(i + 1);
  texts4[17] = "dropped";
  Bytes want3 = FrontEndDefaults(false);
  PutU32(want3, 0, 0x44332211), PutU16(want3, 10, 0xFFFF), PutU16(want3, 16, 1), PutU16(want3, 24, 4464);
  want3[40] = 1, want3[41] = 5, want3[42] = 9, want3[43] = 13;
  EXPECT_EQ(Through<FeData4File>(MakeFrontEnd(h4, texts4), to3), MakeFrontEnd(want3, kNumbered));
}

}  // namespace
}  // namespace velkor
