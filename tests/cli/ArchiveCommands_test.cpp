// Packing, unpacking and listing archives, and image archives, through the real program, with
// each argument exactly as a file manager passes it.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>

#include "archives/Qfs.h"
#include "cli/RunVelkor.h"
#include "support/ModelBuilder.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using test::Ended;
using Names = std::vector<std::string>;

test::RunResult Velkor(const test::TempDir& home, const Names& args) { return test::RunVelkor(args, home.path()); }

TEST(ArchiveCommands, PackingThenExtractingElsewhereGivesTheSameFiles) {
  test::TempDir home;
  // An empty file, a blank and bytes 0x80-0xFF in names, a member its kind cannot read, data
  // of every byte value; a sub-folder and a dot file are left out.
  std::string all;
  for (int i = 0; i < 256 * 3; ++i) all.push_back(static_cast<char>(i));
  const std::vector<std::pair<std::string, std::string>> files = {
      {"sub/inner", "x"}, {".hidden", "x"}, {"empty", ""}, {"with blank.txt", "blank"}, {"all.bin", all},
      {"caf\xe9 \x80\xff.bin", "high"}, {"car00.tga", "not an image"}};
  test::MakeFolder(home / "car/sub");
  for (const auto& [name, content] : files) test::WriteText(home / ("car/" + name), content);
  const Names packed = {"all.bin", "caf\xe9 \x80\xff.bin", "car00.tga", "empty", "with blank.txt"};

  const auto pack = Velkor(home, {"/p", home / "car/"});
  ASSERT_TRUE(Ended(pack, 0));
  EXPECT_EQ(pack.out + pack.err, "");
  std::vector<test::NamedBytes> members;
  for (const auto& name : packed) members.emplace_back(name, test::ReadBytes(home / ("car/" + name)));
  EXPECT_EQ(test::ReadBytes(home / "car.viv"), test::BuildViv(members)) << "members in name order";
  test::MakeFolder(home / "elsewhere");
  std::filesystem::rename(home / "car.viv", home / "elsewhere/car.viv");
  const auto extract = Velkor(home, {"/e", home / "elsewhere/car.viv"});
  ASSERT_TRUE(Ended(extract, 0));
  EXPECT_EQ(extract.out, "");
  EXPECT_EQ(extract.err.rfind("velkor: warning: '" + (home / "elsewhere/car/car00.tga") + "'", 0), 0u) << extract.err;
  EXPECT_EQ(test::ListNames(home / "elsewhere/car"), packed);
  for (const auto& [name, bytes] : members) EXPECT_EQ(test::ReadBytes(home / ("elsewhere/car/" + name)), bytes) << name;
  EXPECT_TRUE(test::PathExists(home / "elsewhere/car.viv"));

  // A directory larger than 64 KiB: 4,500 entries of 22 bytes each, data from offset 99,016.
  test::MakeFolder(home / "many");
  std::vector<test::NamedBytes> many;
  for (int i = 0; i < 4500; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "part-%04d.bin", i);
    many.emplace_back(name, Bytes(static_cast<std::size_t>(1 + i % 7), static_cast<std::uint8_t>(i)));
    test::WriteBytes(home / ("many/" + std::string(name)), many.back().second);
  }
  ASSERT_TRUE(Ended(Velkor(home, {"/p", home / "many"}), 0));
  EXPECT_EQ(test::ReadBytes(home / "many.viv"), test::BuildViv(many));

  // In byte order: a name before the longer names it begins, then by the first byte that
  // differs, however far in. Packed over an archive holding those bytes followed by more,
  // which are not the same bytes: it is rewritten.
  const Names ordered = {"same_start_01234567", "same_start_0123456789", "same_start_01234567890",
                         "same_start_0123456789a", "same_start_0123456789b", "same_start_1"};
  test::MakeFolder(home / "shared");
  for (const std::size_t i : {4, 1, 5, 0, 3, 2}) test::WriteText(home / ("shared/" + ordered[i]), ordered[i]);
  std::vector<test::NamedBytes> sharing;
  for (const auto& name : ordered) sharing.emplace_back(name, test::ToBytes(name));
  Bytes longer = test::BuildViv(sharing);
  longer.push_back('!');
  test::WriteBytes(home / "shared.viv", longer);
  ASSERT_TRUE(Ended(Velkor(home, {"/p", home / "shared"}), 0));
  EXPECT_EQ(test::ReadBytes(home / "shared.viv"), test::BuildViv(sharing));

  const auto missing = Velkor(home, {"/p", home / "nothing"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err, "velkor: cannot pack '" + (home / "nothing") + "': there is no such folder\n");
  EXPECT_FALSE(test::PathExists(home / "nothing.viv"));
}

TEST(ArchiveCommands, AFolderTooBigForAnArchiveIsRefusedAndNothingIsWritten) {
  test::TempDir home;
  test::MakeFolder(home / "out/big");
  test::WriteText(home / "out/big/a", "x");
  // Sparse: 16 + 2 * 10 bytes of header and directory, "x", then this one ends 17 bytes
  // past the last byte an archive can hold.
  test::WriteText(home / "out/big/b", "");
  std::filesystem::resize_file(home / "out/big/b", 2147483647u - 20);
  const auto refused = [&](const std::string& why) {
    // Refused before the big file is read: the program may write no file past 1 MiB
    // (SIGXFSZ would end it).
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{1 << 20, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto run = Velkor(home, {"/p", home / "out/big"});
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "velkor: cannot pack '" + (home / "out/big.viv") + "': the archive would be " + why +
                           " bytes a VIV archive can address\n");
    EXPECT_EQ(test::ListNames(home / "out"), Names{"big"});
  };
  refused("2147483664 bytes, more than the 2147483647");
  test::WriteText(home / "out/big/c", "y");  // now another entry would start beyond the limit
  refused("larger than the 2147483647");
}

TEST(ArchiveCommands, ListingShowsTheDirectoryAndWritesNothing) {
  test::TempDir home;
  Bytes fce4m = test::MakeFce4(3, 2, 1);  // 8248 + 140 * 3 + 68 * 2 = 8804 bytes
  fce4m[0] = 0x15;                        // an FCE4M model, which neither game reads
  test::WriteBytes(home / "car.viv", test::BuildViv({{"a b", {'x', 'y', 'z'}}, {"carp.txt", {'(', '8', '0', ')'}},
                                                     {"e\x01", {}}, {"car.fce", fce4m},
                                                     {"card.fce", test::MakeFce3(1, 1, 1)}}));  // 7940 + 80 + 56
  const auto list = Velkor(home, {"--list", home / "car.viv"});
  ASSERT_TRUE(Ended(list, 0));
  // 16 + (3 + 9) + (8 + 9) + (2 + 9) + (7 + 9) + (8 + 9) = 89.
  EXPECT_EQ(list.out, home / "car.viv" + ": 5 entries, 16976 bytes\n"
                      "index      offset      length  kind     name\n"
                      "    0          89           3  -        a b\n"
                      "    1          92           4  CARP4    carp.txt\n"
                      "    2          96           0  -        e\\x01\n"
                      "    3          96        8804  FCE4M    car.fce\n"
                      "    4        8900        8076  FCE3     card.fce\n");
  EXPECT_EQ(test::ListNames(home.path()), Names{"car.viv"});
}

// Two 1×1 records of 32-bit pixels, "ab01" at 32 and "cd02" at 52, as the FSH layout has it.
const Bytes kRecordA = {0x7D, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 20, 30, 255};
const Bytes kRecordB = {0x7D, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 50, 60, 128};
Bytes TwoRecordFsh() {
  Bytes fsh = {'S', 'H', 'P', 'I', 72, 0, 0, 0, 2, 0, 0, 0, 'G', 'I', 'M', 'X',
               'a', 'b', '0', '1', 32, 0, 0, 0, 'c', 'd', '0', '2', 52, 0, 0, 0};
  test::Append(fsh, kRecordA);
  test::Append(fsh, kRecordB);
  return fsh;
}

// Image archives, compressed or not, unpack as the images they hold. Extracting again never loses
// an edit: files holding the member's bytes and the user's own files are fine; a file with other
// bytes refuses the extraction before anything is written.
TEST(ArchiveCommands, ImagesUnpackAndExtractingAgainKeepsEditsAndRefusesBeforeWritingAnything) {
  test::TempDir home;
  Bytes damaged = QfsEncode(TwoRecordFsh());
  damaged.resize(damaged.size() - 6);
  test::WriteBytes(home / "car.viv", test::BuildViv({{"a.txt", test::ToBytes("one")}, {"b.txt", test::ToBytes("two")},
                                                     {"dash.qfs", QfsEncode(TwoRecordFsh())},
                                                     {"vid.fsh", QfsEncode(TwoRecordFsh(), {true, true})},
                                                     {"plain.fsh", TwoRecordFsh()}, {"bad.qfs", damaged}}));
  const auto extract = [&] { return Velkor(home, {"/e", home / "car.viv"}); };
  ASSERT_TRUE(Ended(extract(), 0, {"bad.qfs"}));
  EXPECT_EQ(test::ListNames(home / "car"),
            (Names{"a.txt", "b.txt", "bad.qfs", "dash", "dash.qfs", "plain", "plain.fsh", "vid", "vid.fsh"}));
  for (const std::string folder : {"car/dash", "car/vid", "car/plain"}) {
    EXPECT_EQ(test::ListNames(home / folder), (Names{"ab01", "cd02"})) << folder;
    EXPECT_EQ(test::ReadBytes(home / (folder + "/ab01")), kRecordA) << folder;
    EXPECT_EQ(test::ReadBytes(home / (folder + "/cd02")), kRecordB) << folder;
  }
  EXPECT_EQ(test::ReadBytes(home / "car/bad.qfs"), damaged);

  test::WriteText(home / "car/mine.txt", "my own file");
  ASSERT_TRUE(Ended(extract(), 0));
  EXPECT_EQ(test::ReadText(home / "car/mine.txt"), "my own file");

  test::WriteText(home / "car/b.txt", "edited");
  std::filesystem::remove(home / "car/a.txt");
  EXPECT_TRUE(Ended(extract(), 1, {"'" + (home / "car/b.txt") + "' already exists with other content",
                                   "move the folder '" + (home / "car") + "' away"}));
  EXPECT_EQ(test::ReadText(home / "car/b.txt"), "edited");
  EXPECT_FALSE(test::PathExists(home / "car/a.txt")) << "nothing is written";

  test::WriteText(home / "car/b.txt", "two");
  test::WriteText(home / "car/plain/ab01", "edited image");
  EXPECT_TRUE(Ended(extract(), 1, {"'" + (home / "car/plain/ab01") + "'"}));
  EXPECT_EQ(test::ReadText(home / "car/plain/ab01"), "edited image");
}

}  // namespace
}  // namespace velkor
