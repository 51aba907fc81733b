#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/Errors.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::GetU32;
using test::PutU16;
using test::PutU32;
using test::Slice;
using test::TempDir;

Bytes Nfs3Defaults() {
  Bytes h(47, 0);
  h[4] = 9, h[8] = 1, h[12] = 3, h[22] = 128, h[44] = 5, h[45] = 40;
  return h;
}

Bytes Nfs4Defaults() {
  Bytes h(960, 0);
  h[0] = 4, h[904] = 10, h[958] = 41;
  return h;
}

std::vector<std::string> Numbered(std::size_t count, const std::string& prefix) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < count; ++i) texts.push_back(prefix + std::to_string(i));
  return texts;
}

TEST(FeData, ResetThenSaveAsWritesDefaultsAndEmptyTexts) {
  TempDir dir;
  FeData3File nfs3(dir / "fedata.eng");
  nfs3.Reset();
  nfs3.Save();
  EXPECT_EQ(test::ReadBytes(dir / "fedata.eng"), test::MakeFrontEnd(Nfs3Defaults(), std::vector<std::string>(40)));
  EXPECT_EQ(nfs3.size, 247);
  EXPECT_EQ(nfs3.textOffsets[0], 207u);
  EXPECT_EQ(nfs3.textOffsets[39], 246u);

  FeData4File nfs4(dir / "fedata.ger");
  nfs4.Reset();
  nfs4.Save();
  const Bytes bytes4 = test::ReadBytes(dir / "fedata.ger");
  EXPECT_EQ(bytes4, test::MakeFrontEnd(Nfs4Defaults(), std::vector<std::string>(41)));
  EXPECT_EQ(bytes4.size(), 1165u);
  EXPECT_EQ(GetU32(bytes4, 960), 1124u);
  EXPECT_EQ(GetU32(bytes4, 960 + 4 * 40), 1164u);
}

TEST(FeData, LoadReadsWhatExistsAndSaveAsPacksTheTexts) {
  TempDir dir;
  // Texts in reverse order with gaps, one of 300 bytes, one whose offset lies past the
  // end, and a last text without NUL.
  Bytes file = Nfs3Defaults();
  file.resize(207, 0);
  std::vector<std::string> want(40);
  for (std::size_t i = 40; i-- > 2;) {
    want[i] = "text " + std::to_string(i);
    PutU32(file, 47 + 4 * i, static_cast<std::uint32_t>(file.size() + 2));
    file.insert(file.end(), {'x', 'y'});
    file.insert(file.end(), want[i].begin(), want[i].end());
    file.push_back(0);
  }
  const std::string longText(300, 'L');
  want[1] = longText.substr(0, 256);
  PutU32(file, 47 + 4, static_cast<std::uint32_t>(file.size()));
  file.insert(file.end(), longText.begin(), longText.end());
  file.push_back(0);
  PutU32(file, 47 + 4 * 7, static_cast<std::uint32_t>(file.size() + 1000));
  want[7].clear();
  PutU32(file, 47, static_cast<std::uint32_t>(file.size()));
  want[0] = "unterminated";
  file.insert(file.end(), want[0].begin(), want[0].end());
  test::WriteBytes(dir / "fedata.eng", file);

  FeData3File data(dir / "fedata.eng");
  data.Load();
  EXPECT_EQ(data.size, static_cast<std::int32_t>(file.size()));
  for (std::size_t i = 0; i < 40; ++i) EXPECT_EQ(data.texts[i], want[i]) << i;
  data.SaveAs(dir / "out.eng");
  EXPECT_EQ(test::ReadBytes(dir / "out.eng"), test::MakeFrontEnd(Nfs3Defaults(), want));
}

TEST(FeData, FilesShorterThanHeaderAndOffsetsAreRejected) {
  TempDir dir;
  test::WriteBytes(dir / "a.eng", Bytes(206, 0));
  test::WriteBytes(dir / "b.eng", Bytes(1123, 4));
  test::WriteBytes(dir / "c.eng", Bytes(207, 0x7F));  // offsets far past the end: empty texts
  EXPECT_THROW(FeData3File(dir / "a.eng").Load(), FormatError);
  EXPECT_THROW(FeData4File(dir / "b.eng").Load(), FormatError);
  FeData3File c(dir / "c.eng");
  c.Load();
  EXPECT_EQ(c.texts[39], "");
}

TEST(FeData, ConversionMapsFieldsAndTextsBothWays) {
  TempDir dir;
  Bytes h3 = Nfs3Defaults();
  PutU32(h3, 0, 0x44332211);
  PutU16(h3, 10, 0xFFFF);  // -1
  PutU16(h3, 16, 1);
  PutU16(h3, 20, 1);
  PutU16(h3, 24, 0xFF85);  // -123
  h3[40] = 1, h3[41] = 2, h3[42] = 3, h3[43] = 4;
  const auto texts3 = Numbered(40, "t");
  test::WriteBytes(dir / "fedata.eng", test::MakeFrontEnd(h3, texts3));
  FeData3File nfs3(dir / "fedata.eng");
  nfs3.Load();
  nfs3.ConvertTo4(dir / "fedata.en4");

  Bytes h4 = Nfs4Defaults();
  PutU32(h4, 274, 0x44332211);
  PutU32(h4, 798, 0xFFFFFF85);
  PutU16(h4, 890, 0x12);
  PutU32(h4, 898, 0);  // -1 + 1
  for (std::size_t g = 0; g < 4; ++g)
    for (std::size_t i = 0; i < 4; ++i) h4[905 + 4 * g + i] = static_cast<std::uint8_t>(g + 1);
  for (std::size_t i = 0; i < 4; ++i) h4[921 + i] = 2;  // (1 + 2 + 3 + 4) / 4
  for (std::size_t i = 0; i < 4; ++i) PutU32(h4, 926 + 4 * i, 100);
  std::vector<std::string> texts4 = texts3;
  texts4.insert(texts4.begin() + 17, "");
  EXPECT_EQ(test::ReadBytes(dir / "fedata.en4"), test::MakeFrontEnd(h4, texts4));

  FeData4File nfs4(dir / "fedata.en4");
  nfs4.Load();
  nfs4.ConvertTo3(dir / "fedata.en3");
  EXPECT_EQ(test::ReadBytes(dir / "fedata.en3"), test::MakeFrontEnd(h3, texts3));
}

TEST(FeData, ConversionEdgeValues) {
  TempDir dir;
  // Flags other than 1 are not set; negative bytes average toward zero.
  Bytes h3 = Nfs3Defaults();
  PutU16(h3, 16, 5);
  h3[40] = 0xFF, h3[41] = 0xFE, h3[42] = 0xFD, h3[43] = 0xFC;
  test::WriteBytes(dir / "a.eng", test::MakeFrontEnd(h3, std::vector<std::string>(40)));
  FeData3File nfs3(dir / "a.eng");
  nfs3.Load();
  nfs3.ConvertTo4(dir / "a.en4");
  const Bytes out4 = test::ReadBytes(dir / "a.en4");
  EXPECT_EQ(out4[890], 0);
  EXPECT_EQ(GetU32(out4, 898), 1u);
  EXPECT_EQ(Slice(out4, 921, 4), Bytes(4, 0xFE));  // -10 / 4 = -2

  // NFS4 text 17 is dropped; 70000 keeps its low 16 bits; only the first byte of each group comes back.
  Bytes h4 = Nfs4Defaults();
  PutU32(h4, 798, 70000);
  PutU16(h4, 890, 0x0010);
  PutU32(h4, 898, 0);
  for (std::size_t i = 0; i < 20; ++i) h4[905 + i] = static_cast<std::uint8_t>(i + 1);
  test::WriteBytes(dir / "b.eng", test::MakeFrontEnd(h4, Numbered(41, "n")));
  FeData4File nfs4(dir / "b.eng");
  nfs4.Load();
  nfs4.ConvertTo3(dir / "b.en3");
  Bytes want3 = Nfs3Defaults();
  PutU16(want3, 10, 0xFFFF);
  PutU16(want3, 16, 1);
  PutU16(want3, 24, 4464);
  want3[40] = 1, want3[41] = 5, want3[42] = 9, want3[43] = 13;
  auto texts3 = Numbered(41, "n");
  texts3.erase(texts3.begin() + 17);
  EXPECT_EQ(test::ReadBytes(dir / "b.en3"), test::MakeFrontEnd(want3, texts3));
}

}  // namespace
}  // namespace velkor
