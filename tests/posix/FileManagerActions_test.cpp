// Velkor's FileManager-Actions entries as PCManFM's own library (libfm) reads them: the entries
// its menu offers for a selection, and their commands run as it runs them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

#ifndef VELKOR_FILE_ACTIONS_MENU
#define VELKOR_FILE_ACTIONS_MENU ""
#endif

namespace velkor {
namespace {

using Words = std::vector<std::string>;

const Words kArchiveEntries = {"Convert to NFS3", "Convert to NFS3 and install", "Convert to NFS4",
                               "Convert to NFS4 and install", "Extract to new folder"};
const Words kFileEntries = {"Convert to NFS3", "Convert to NFS4"};

class FileManagerActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(VELKOR_FILE_ACTIONS_MENU).empty()) GTEST_SKIP() << "needs libfm (libfm-dev)";
  }

  std::string Actions() const { return home / ".local/share/file-manager/actions"; }

  // libfm's menu for the selection, sorted; with `entry`, that entry run on it first.
  Words Menu(const Words& selection, const std::string& entry = "") {
    Words args;
    if (!entry.empty()) args = {"--run", entry};
    for (const std::string& path : selection) args.push_back(home / path);
    const auto run = test::RunVelkor(args, home.path(), {}, VELKOR_FILE_ACTIONS_MENU);
    EXPECT_EQ(run.exitStatus, 0) << entry << "\n" << run.err;
    Words entries;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);)
      if (line.rfind("entry: ", 0) == 0) entries.push_back(line.substr(7));
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  std::string Member(const std::string& path, const std::string& name) {
    test::MakeFolder(home / path.substr(0, path.find_last_of('/')));
    test::WriteBytes(home / path, name == "car.viv" ? sample::PackArchive(sample::RoadsterCar())
                                                    : test::MemberOf(sample::RoadsterCar(), name));
    return path;
  }

  test::CliHome home;
};

TEST_F(FileManagerActionsTest, OfferedOnTheNamesTheCommandsTakeAndRunOncePerSelectedPath) {
  // Velkor run from a folder whose name needs every kind of quoting.
  const std::string program = home / "bin \"$x\\'s\"/velkor";
  test::MakeFolder(home / "bin \"$x\\'s\"");
  std::filesystem::copy_file(home.Program(), program);
  const auto setup = test::RunVelkor({"--setup"}, home.path(), {}, program);
  ASSERT_EQ(setup.exitStatus, 0) << setup.err;
  EXPECT_EQ(test::ListNames(Actions()).size(), 6u);

  test::MakeFolder(home / "loose/pack me");
  test::WriteText(home / "loose/pack me/carp.txt", "x");
  const std::vector<std::pair<Words, Words>> menus = {
      {{Member("loose/car.viv", "car.viv")}, kArchiveEntries},
      {{Member("loose/car.fce", "car.fce")}, kFileEntries},
      {{Member("loose/fedata.eng", "fedata.eng")}, kFileEntries},
      {{Member("loose/carp.txt", "carp.txt")}, kFileEntries},
      {{"loose/pack me"}, {"Pack to new VIV"}},
      {{"loose/car.viv", "loose/pack me"}, {}},
  };
  for (const auto& [selection, entries] : menus) EXPECT_EQ(Menu(selection), entries) << selection.front();

  // Each selected path gets a command of its own, its name passed exactly.
  const Words models = {Member("my cars/Road ster/car.fce", "car.fce"), Member("it's \"$HOME\\\"/car.fce", "car.fce")};
  EXPECT_EQ(Menu(models, "Convert to NFS4"), kFileEntries);
  for (const std::string& model : models)
    EXPECT_TRUE(test::PathExists(home / model.substr(0, model.size() - 1) + "4")) << model;
  Menu({"loose/car.viv"}, "Extract to new folder");
  EXPECT_EQ(test::ReadBytes(home / "loose/car/car.fce"), test::MemberOf(sample::RoadsterCar(), "car.fce"));
  Menu({"loose/pack me"}, "Pack to new VIV");
  EXPECT_EQ(test::ReadText(home / "loose/pack me.viv").substr(0, 4), "BIGF");

  test::WriteText(Actions() + "/mine.desktop", "[Desktop Entry]\nType=Action\n");
  ASSERT_EQ(home.Run({"--unregister"}).exitStatus, 0);
  EXPECT_EQ(test::ListNames(Actions()), Words{"mine.desktop"});
  EXPECT_EQ(Menu({"loose/car.viv"}), Words{});
}

}  // namespace
}  // namespace velkor
