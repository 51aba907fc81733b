#include <gtest/gtest.h>

#include <filesystem>

#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "platform/Platform.h"
#include "recogniser/OpenGameFile.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

TEST(VivArchivePack, HeaderDirectoryAndDataInAppendOrderAndRefusalsKeepTheOldArchive) {
  test::TempDir dir;
  test::MakeFolder(dir / "car");
  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.removeFolder = false;
  archive.Reset();
  std::vector<std::unique_ptr<GameFile>> owned;
  const auto add = [&](const std::string& name, const std::string& content) {
    test::WriteText(dir / ("car/" + name), content);
    owned.push_back(std::make_unique<GameFile>(dir / ("car/" + name)));
    owned.back()->Load();
    archive.members.push_back(owned.back().get());
  };
  archive.Save();
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), (Bytes{'B', 'I', 'G', 'F', 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 16}));

  add("a", "xyz");
  add("bc", "12345");
  archive.Save();
  // 16 + (1 + 9) + (2 + 9) = 37; 37 + 3 = 40; 40 + 5 = 45.
  const Bytes two = {'B', 'I', 'G', 'F', 0, 0, 0, 45, 0, 0, 0, 2, 0, 0, 0, 37, 0, 0, 0, 37, 0, 0, 0, 3, 'a', 0,
                     0, 0, 0, 40, 0, 0, 0, 5, 'b', 'c', 0, 'x', 'y', 'z', '1', '2', '3', '4', '5'};
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), two);
  EXPECT_EQ(archive.size, 45);
  std::swap(archive.members[0], archive.members[1]);  // nothing is sorted
  archive.Save();
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), test::BuildViv({{"bc", {'1', '2', '3', '4', '5'}}, {"a", {'x', 'y', 'z'}}}));

  // A member whose own SaveAs changes its length: a 1 x 1 image whose 4-byte footer is dropped.
  const Bytes withFooter = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x5A, 1, 2, 3, 4};
  test::WriteBytes(dir / "car/car00.tga", withFooter);
  TgaFile tga(dir / "car/car00.tga");
  tga.Load();
  archive.members = {&tga};
  archive.Save();
  const Bytes packed = test::BuildViv({{"car00.tga", Bytes(withFooter.begin(), withFooter.end() - 4)}});
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), packed);

  const auto expectRefused = [&] {
    EXPECT_THROW(archive.Save(), CommandError);
    EXPECT_EQ(test::ListNames(dir.path()), (std::vector<std::string>{"car", "car.viv"}));
    EXPECT_EQ(test::ReadBytes(dir / "car.viv"), packed);
  };
  for (const char* name : {"big1", "big2"}) {  // together beyond 2^31-1 bytes
    add(name, "");
    std::filesystem::resize_file(dir / (std::string("car/") + name), 1100u * 1024 * 1024);  // sparse
    owned.back()->Load();
  }
  expectRefused();
  if (platform::kWindows) return;  // there "\" separates folders
  archive.members.clear();
  add("a\\b", "x");  // a name no archive could unpack
  expectRefused();
}

TEST(VivArchivePack, UnpackingAndRepackingKeepEveryByteAndAnUnchangedArchiveStaysInPlace) {
  test::TempDir dir;
  // Small members on both sides of one larger than the copy buffer's pieces (64 KiB).
  std::vector<test::NamedBytes> members;
  for (const std::size_t size : {100, 3, 0, 70000, 2000, 1}) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + size);
    members.push_back({"m" + std::to_string(members.size()), bytes});
  }
  const Bytes original = test::BuildViv(members);
  test::WriteBytes(dir / "car.viv", original);
  std::filesystem::create_hard_link(dir / "car.viv", dir / "alias.viv");

  VivArchive archive(dir / "car.viv", &OpenGameFile);
  archive.Load();
  for (const auto& [name, bytes] : members) EXPECT_EQ(test::ReadBytes(dir / ("car/" + name)), bytes) << name;
  archive.Save();
  EXPECT_TRUE(std::filesystem::equivalent(dir / "car.viv", dir / "alias.viv")) << "rewritten with the same bytes";

  members[4].second[1999] ^= 1;  // same length, one bit in the last byte of a member
  test::WriteBytes(dir / "car/m4", members[4].second);
  archive.Save();
  EXPECT_EQ(test::ReadBytes(dir / "car.viv"), test::BuildViv(members));
  EXPECT_EQ(test::ReadBytes(dir / "alias.viv"), original);
}

}  // namespace
}  // namespace velkor
