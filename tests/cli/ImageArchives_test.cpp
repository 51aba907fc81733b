// Image archives, plain (FSH) and compressed (QFS), inside car archives and as loose files.

#include <gtest/gtest.h>

#include "archives/Qfs.h"
#include "cli/RunVelkor.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

// Two 1×1 records of 32-bit pixels, "ab01" at 32 and "cd02" at 52, as the FSH layout has it.
const Bytes kRecordA = {0x7D, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 20, 30, 255};
const Bytes kRecordB = {0x7D, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 50, 60, 128};
Bytes TwoRecordFsh() {
  Bytes fsh = {'S', 'H', 'P', 'I', 72, 0, 0, 0, 2, 0, 0, 0, 'G', 'I', 'M', 'X',
               'a', 'b', '0', '1', 32, 0, 0, 0, 'c', 'd', '0', '2', 52, 0, 0, 0};
  fsh.insert(fsh.end(), kRecordA.begin(), kRecordA.end());
  fsh.insert(fsh.end(), kRecordB.begin(), kRecordB.end());
  return fsh;
}

void ExpectRecords(const std::string& folder) {
  EXPECT_EQ(test::ListNames(folder), (std::vector<std::string>{"ab01", "cd02"})) << folder;
  EXPECT_EQ(test::ReadBytes(folder + "/ab01"), kRecordA);
  EXPECT_EQ(test::ReadBytes(folder + "/cd02"), kRecordB);
}

TEST(ImageArchives, CompressedMembersAreListedAsQfsAndUnpackAsTheImagesTheyHold) {
  test::TempDir home;
  Bytes damaged = QfsEncode(TwoRecordFsh());
  damaged.resize(damaged.size() - 6);
  test::WriteBytes(home / "car.viv", test::BuildViv({{"dash.qfs", QfsEncode(TwoRecordFsh())},
                                                     {"vid.fsh", QfsEncode(TwoRecordFsh(), {true, true})},
                                                     {"plain.fsh", TwoRecordFsh()},
                                                     {"bad.qfs", damaged}}));
  const auto list = test::RunVelkor({"--list", home / "car.viv"}, home.path());
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  for (const std::string line : {"QFS      dash.qfs", "QFS      vid.fsh", "FSH      plain.fsh", "QFS      bad.qfs"})
    EXPECT_NE(list.out.find(line), std::string::npos) << line << "\n" << list.out;

  const auto extract = test::RunVelkor({"/e", home / "car.viv"}, home.path());
  ASSERT_EQ(extract.exitStatus, 0) << extract.err;
  EXPECT_NE(extract.err.find("bad.qfs"), std::string::npos) << extract.err;
  EXPECT_EQ(test::ListNames(home / "car"),
            (std::vector<std::string>{"bad.qfs", "dash", "dash.qfs", "plain", "plain.fsh", "vid", "vid.fsh"}));
  for (const std::string folder : {"dash", "vid", "plain"}) ExpectRecords(home / ("car/" + folder));
  EXPECT_EQ(test::ReadBytes(home / "car/bad.qfs"), damaged);
}

TEST(ImageArchives, ALooseImageArchiveUnpacksIntoTheFolderBesideIt) {
  test::TempDir home;
  test::MakeFolder(home / "art");
  test::WriteBytes(home / "art/Dash.QFS", QfsEncode(TwoRecordFsh(), {true, false}));
  test::WriteBytes(home / "art/fedata.fsh", TwoRecordFsh());
  for (const std::string name : {"Dash.QFS", "fedata.fsh"}) {
    const auto run = test::RunVelkor({"/e", home / ("art/" + name)}, home.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
  }
  EXPECT_EQ(test::ListNames(home / "art"), (std::vector<std::string>{"Dash", "Dash.QFS", "fedata", "fedata.fsh"}));
  ExpectRecords(home / "art/Dash");
  ExpectRecords(home / "art/fedata");
}

}  // namespace
}  // namespace velkor
