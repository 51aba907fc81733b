#include <gtest/gtest.h>

#include <filesystem>

#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "files/Errors.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;
using test::ToBytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// An archive whose working folder is `dir`/car, holding a plain member per name.
struct PackFixture {
  TempDir dir;
  VivArchive archive{dir / "car.viv"};
  std::vector<std::unique_ptr<GameFile>> owned;

  PackFixture() {
    archive.removeFolder = false;
    archive.Reset();
    test::MakeFolder(dir / "car");
  }
  void Add(const std::string& name, const std::string& content) {
    test::WriteText(dir / ("car/" + name), content);
    owned.push_back(std::make_unique<GameFile>(dir / ("car/" + name)));
    owned.back()->Load();
    archive.members.push_back(owned.back().get());
  }
};

TEST(VivArchivePack, AnEmptyArchiveIsItsSixteenByteHeader) {
  PackFixture f;
  EXPECT_EQ(f.archive.size, 16);
  f.archive.Save();
  EXPECT_EQ(test::ReadBytes(f.dir / "car.viv"),
            Concat({ToBytes("BIGF"), {0, 0, 0, 16}, {0, 0, 0, 0}, {0, 0, 0, 16}}));
  EXPECT_EQ(f.archive.size, 16);
}

TEST(VivArchivePack, MembersAreStoredInAppendOrderAfterADirectoryOfTheirNames) {
  PackFixture f;
  f.Add("a", "xyz");
  f.Add("bc", "12345");
  f.archive.Save();
  // 16 + (1 + 9) + (2 + 9) = 37; 37 + 3 = 40; 40 + 5 = 45.
  EXPECT_EQ(test::ReadBytes(f.dir / "car.viv"),
            Concat({ToBytes("BIGF"), {0, 0, 0, 45}, {0, 0, 0, 2}, {0, 0, 0, 37},  //
                    {0, 0, 0, 37}, {0, 0, 0, 3}, ToBytes("a"), {0},               //
                    {0, 0, 0, 40}, {0, 0, 0, 5}, ToBytes("bc"), {0},              //
                    ToBytes("xyz12345")}));
  EXPECT_EQ(f.archive.size, 45);
  EXPECT_EQ(f.archive.dataStart, 37);

  // Reversed appending reverses the archive; nothing is sorted.
  std::swap(f.archive.members[0], f.archive.members[1]);
  f.archive.Save();
  const Bytes reversed = test::ReadBytes(f.dir / "car.viv");
  EXPECT_EQ(Bytes(reversed.begin() + 16, reversed.begin() + 27),
            Concat({{0, 0, 0, 37}, {0, 0, 0, 5}, ToBytes("bc"), {0}}));
  EXPECT_EQ(Bytes(reversed.end() - 8, reversed.end()), ToBytes("12345xyz"));
}

TEST(VivArchivePack, AMemberIsPackedWithTheLengthItsOwnSaveWrites) {
  PackFixture f;
  // A 1 x 1 image of 8 bits with a 4-byte footer: its SaveAs drops the footer.
  test::WriteBytes(f.dir / "car/car00.tga", {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x5A, 1, 2, 3, 4});
  TgaFile image(f.dir / "car/car00.tga");
  image.Load();
  EXPECT_EQ(image.size, 23);
  f.archive.members.push_back(&image);
  f.archive.Save();

  const Bytes archive = test::ReadBytes(f.dir / "car.viv");
  ASSERT_EQ(archive.size(), 16u + 4 + 4 + 10 + 19);
  EXPECT_EQ(Bytes(archive.begin() + 4, archive.begin() + 8), (Bytes{0, 0, 0, 53}));
  EXPECT_EQ(Bytes(archive.begin() + 20, archive.begin() + 24), (Bytes{0, 0, 0, 19}));
  EXPECT_EQ(archive.back(), 0x5A);
}

TEST(VivArchivePack, AMissingMemberFileFailsAndLeavesTheOldArchiveAlone) {
  PackFixture f;
  test::WriteText(f.dir / "car.viv", "old archive");
  f.Add("a", "xyz");
  std::filesystem::remove(f.dir / "car/a");
  EXPECT_THROW(f.archive.Save(), FileError);
  EXPECT_EQ(test::ReadText(f.dir / "car.viv"), "old archive");
  EXPECT_EQ(test::ListNames(f.dir.path()), (std::vector<std::string>{"car", "car.viv"}));
}

TEST(VivArchivePack, AnArchiveBeyondTwoGibibytesIsRefusedBeforeAnythingIsWritten) {
  PackFixture f;
  for (const char* name : {"big1", "big2"}) {
    f.Add(name, "");
    std::filesystem::resize_file(f.dir / (std::string("car/") + name), 1100u * 1024 * 1024);  // sparse
    f.owned.back()->Load();
  }
  EXPECT_THROW(f.archive.Save(), CommandError);
  EXPECT_EQ(test::ListNames(f.dir.path()), (std::vector<std::string>{"car"}));
}

TEST(VivArchivePack, MemberNamesAnArchiveCouldNotUnpackAreRefused) {
  if (platform::kWindows) GTEST_SKIP() << "\\ separates folders there";
  PackFixture f;
  f.Add("a\\b", "x");  // an ordinary name on POSIX, a folder part on Windows
  EXPECT_THROW(f.archive.Save(), CommandError);
  EXPECT_FALSE(test::PathExists(f.dir / "car.viv"));
}

}  // namespace
}  // namespace velkor
