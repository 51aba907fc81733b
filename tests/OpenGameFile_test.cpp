#include <gtest/gtest.h>

#include "files/Errors.h"
#include "files/OpenGameFile.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

// The kind recognised for a file of that name and content.
std::string KindOf(const TempDir& dir, const std::string& name, const Bytes& content) {
  test::WriteBytes(dir / "content", content);
  File file(dir / "content", File::Mode::Read);
  return TypeTagOf(RecogniseFileKind(dir / name, file, 0, file.Length()));
}

TEST(OpenGameFile, NamesDecideAndContentSeparatesTheGames) {
  TempDir dir;
  const Bytes text = test::ToBytes("x");
  EXPECT_EQ(KindOf(dir, "car.viv", {}), "VIV");
  EXPECT_EQ(KindOf(dir, "DASH.FSH", {}), "FSH");
  EXPECT_EQ(KindOf(dir, "Car00.Tga", {}), "TGA");
  EXPECT_EQ(KindOf(dir, "car.viv.bak", text), "");
  EXPECT_EQ(KindOf(dir, "readme", text), "");

  EXPECT_EQ(KindOf(dir, "CAR.FCE", {0x14, 0x10, 0x10, 0x00}), "FCE4");
  EXPECT_EQ(KindOf(dir, "car.fce", {0x14, 0x10, 0x10, 0x00, 9}), "FCE4");
  EXPECT_EQ(KindOf(dir, "car.fce", {0x13, 0x10, 0x10, 0x00}), "FCE3");
  EXPECT_EQ(KindOf(dir, "car.fce", {0x14, 0x10, 0x10}), "FCE4") << "a missing fourth byte counts as zero";
  EXPECT_EQ(KindOf(dir, "car.fce", {}), "FCE3");
  EXPECT_EQ(KindOf(dir, "car.fce", {0x14, 0x10, 0x10, 0x01}), "FCE3");

  EXPECT_EQ(KindOf(dir, "fedata.eng", {0x7F}), "FEDATA3");
  EXPECT_EQ(KindOf(dir, "FEDATA.GER", {0x20}), "FEDATA3");
  EXPECT_EQ(KindOf(dir, "fedata.spa", {0x80}), "FEDATA4");
  EXPECT_EQ(KindOf(dir, "fedata.ita", {0x1F}), "FEDATA4");
  EXPECT_EQ(KindOf(dir, "fedata.swe", {}), "FEDATA4") << "an empty file's first byte counts as zero";
  EXPECT_EQ(KindOf(dir, "fedata.txt", {0x7F}), "");

  EXPECT_EQ(KindOf(dir, "mycarp.txt", text), "CARP3");
  EXPECT_EQ(KindOf(dir, "CARP2.TXT", test::ToBytes("speed(80)")), "CARP4");
  EXPECT_EQ(KindOf(dir, "carp.txt", test::ToBytes("just (80) somewhere")), "CARP4");
  EXPECT_EQ(KindOf(dir, "carp.txt", Bytes{'a', 0, '(', '8', '0', ')'}), "CARP3") << "the search ends at a NUL";
  EXPECT_EQ(KindOf(dir, "carp4.txt", test::ToBytes("(80)")), "");
}

TEST(OpenGameFile, TheLabelIsFoundAcrossReadChunksAndOnlyWithinTheMember) {
  TempDir dir;
  Bytes big(64 * 1024 - 2, ' ');
  for (char c : std::string("(80)")) big.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(KindOf(dir, "carp.txt", big), "CARP4");

  // A member inside an archive: bytes after it belong to the next member.
  test::WriteBytes(dir / "archive", test::ToBytes("xx(80)\x14\x10\x10\x01"));
  File archive(dir / "archive", File::Mode::Read);
  EXPECT_EQ(RecogniseFileKind("carp.txt", archive, 0, 6), FileKind::Carp4);
  EXPECT_EQ(RecogniseFileKind("carp.txt", archive, 0, 5), FileKind::Carp3);
  EXPECT_EQ(RecogniseFileKind("a.fce", archive, 6, 4), FileKind::Fce3);
  EXPECT_EQ(RecogniseFileKind("a.fce", archive, 6, 3), FileKind::Fce4) << "the 0x01 after the member is not read";
}

TEST(OpenGameFile, ObjectsAreBuiltOnThePathAsGivenAndLoaded) {
  TempDir dir;
  test::WriteBytes(dir / "CAR00.TGA", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x42});
  const auto image = OpenGameFile(dir / "CAR00.TGA");
  EXPECT_EQ(image->typeTag, "TGA");
  EXPECT_EQ(image->path, dir / "CAR00.TGA");
  EXPECT_EQ(image->size, 19);

  test::WriteText(dir / "Carp.txt", "label (80)\r\n1\r\n");
  EXPECT_EQ(OpenGameFile(dir / "Carp.txt")->typeTag, "CARP4");
  test::WriteText(dir / "notes", "12345");
  const auto plain = OpenGameFile(dir / "notes");
  EXPECT_EQ(plain->typeTag, "");
  EXPECT_EQ(plain->size, 5);

  EXPECT_THROW(OpenGameFile(dir / "missing.fce"), FileError);
  EXPECT_THROW(OpenGameFile(dir / "missing"), FileError);
  test::WriteText(dir / "bad.tga", "short");
  EXPECT_THROW(OpenGameFile(dir / "bad.tga"), FormatError);
}

}  // namespace
}  // namespace velkor
