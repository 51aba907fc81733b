#include <gtest/gtest.h>

#include <tuple>

#include "base/Errors.h"
#include "recogniser/OpenGameFile.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

TEST(OpenGameFile, NamesDecideAndContentSeparatesTheGames) {
  test::TempDir dir;
  const std::vector<std::tuple<std::string, Bytes, std::string>> cases = {
      {"car.viv", {}, "VIV"}, {"DASH.FSH", {}, "FSH"}, {"Car00.Tga", {}, "TGA"}, {"car.viv.bak", {1}, ""},
      {"CAR.FCE", {0x14, 0x10, 0x10, 0}, "FCE4"}, {"car.fce", {0x14, 0x10, 0x10, 0x01}, "FCE3"},
      {"car.fce", {0x14, 0x10, 0x10}, "FCE4"}, {"fedata.swe", {}, "FEDATA4"},  // missing bytes count as zero
      {"fedata.eng", {0x7F}, "FEDATA3"}, {"FEDATA.GER", {0x20}, "FEDATA3"}, {"fedata.spa", {0x80}, "FEDATA4"},
      {"fedata.ita", {0x1F}, "FEDATA4"}, {"fedata.txt", {0x7F}, ""},
      {"mycarp.txt", {1}, "CARP3"}, {"CARP2.TXT", test::ToBytes("speed(80)"), "CARP4"},
      {"carp.txt", {'a', 0, '(', '8', '0', ')'}, "CARP3"},  // the search ends at a NUL
      {"carp4.txt", test::ToBytes("(80)"), ""},
  };
  for (const auto& [name, content, kind] : cases) {
    test::WriteBytes(dir / "content", content);
    File file(dir / "content", File::Mode::Read);
    EXPECT_EQ(TypeTagOf(RecogniseFileKind(dir / name, file, 0, file.Length())), kind) << name;
  }

  // The label is found across read chunks, and only within the member.
  Bytes big(64 * 1024 - 2, ' ');
  for (char c : std::string("(80)\x14\x10\x10\x01")) big.push_back(static_cast<std::uint8_t>(c));
  test::WriteBytes(dir / "archive", big);
  File archive(dir / "archive", File::Mode::Read);
  EXPECT_EQ(RecogniseFileKind("carp.txt", archive, 0, big.size() - 4), FileKind::Carp4);
  EXPECT_EQ(RecogniseFileKind("carp.txt", archive, 0, big.size() - 5), FileKind::Carp3);
  EXPECT_EQ(RecogniseFileKind("a.fce", archive, big.size() - 4, 3), FileKind::Fce4);  // the 0x01 is not read
}

TEST(OpenGameFile, ObjectsAreBuiltOnThePathAsGivenAndLoaded) {
  test::TempDir dir;
  test::WriteBytes(dir / "CAR00.TGA", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x42});
  const auto image = OpenGameFile(dir / "CAR00.TGA");
  EXPECT_EQ(image->typeTag, "TGA");
  EXPECT_EQ(image->path, dir / "CAR00.TGA");
  EXPECT_EQ(image->size, 19);
  EXPECT_THROW(OpenGameFile(dir / "missing.fce"), FileError);
  test::WriteText(dir / "bad.tga", "short");
  EXPECT_THROW(OpenGameFile(dir / "bad.tga"), FormatError);
}

}  // namespace
}  // namespace velkor
