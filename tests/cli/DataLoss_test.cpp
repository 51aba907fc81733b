// No data loss: a conversion never works in a folder that exists already, and nothing
// follows a link out of a working folder, whether deleting it or writing into it.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A home with the sample car in cars/racer and a folder "outside" whose content must survive.
struct LinkHome : test::CliHome {
  LinkHome() {
    test::MakeFolder(*this / "outside/deeper");
    test::WriteText(*this / "outside/precious.txt", "precious");
    test::MakeFolder(input);
    test::WriteBytes(input + "/car.viv", test::BuildViv(sample::RoadsterCar()));
  }
  void ExpectOutsideIntact() const {
    EXPECT_EQ(test::ReadText(*this / "outside/precious.txt"), "precious");
    EXPECT_EQ(test::ListNames(*this / "outside"), (Names{"deeper", "precious.txt"}));
  }
  const std::string input = *this / "cars/racer";
};

TEST(DataLoss, AConversionRefusesToWorkInAFolderThatExists) {
  LinkHome home;
  const std::string installed = home.Nfs4Cars() + "/racer";
  test::MakeFolder(home.input + "/car");
  test::WriteText(home.input + "/car/notes.txt", "the user's own notes");
  test::MakeFolder(installed + "/car");
  test::WriteText(installed + "/car.viv", "the installed car");
  const auto before = test::Snapshot(home.path());
  for (const std::string command : {"/c4", "/ci4", "/c3", "/ci3"}) {
    const auto run = home.Run({command, home.input + "/car.viv"});
    EXPECT_EQ(run.exitStatus, 1) << command;
    EXPECT_NE(run.err.find("'" + home.input + "/car' already exists"), std::string::npos) << run.err;
    EXPECT_EQ(test::Snapshot(home.path()), before) << command;
  }
  // The installation's working folder alone is enough to refuse.
  fs::remove_all(home.input + "/car");
  const auto withoutInputFolder = test::Snapshot(home.path());
  const auto run = home.Run({"/ci4", home.input + "/car.viv"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'" + installed + "/car' already exists"), std::string::npos) << run.err;
  EXPECT_EQ(test::Snapshot(home.path()), withoutInputFolder);
}

TEST(DataLoss, NothingIsWrittenThroughALinkInOrAsTheWorkingFolder) {
  LinkHome home;
  // Links named like a member and like the folder an FSH member unpacks into, then the folder itself a link.
  test::MakeFolder(home.input + "/car");
  fs::create_symlink(home / "outside/precious.txt", home.input + "/car/carp.txt");
  fs::create_directory_symlink(home / "outside", home.input + "/car/fedata");
  for (const std::string command : {"/e", "/e", "/c4", "/ci4"}) {
    const auto run = home.Run({command, home.input + "/car.viv"});
    EXPECT_EQ(run.exitStatus, 1) << command;
    EXPECT_NE(run.err.find(command == "/e" ? "symbolic link" : "already exists"), std::string::npos) << run.err;
    home.ExpectOutsideIntact();
    if (fs::is_symlink(home.input + "/car")) continue;
    EXPECT_EQ(test::ListNames(home.input + "/car"), (Names{"carp.txt", "fedata"}));
    fs::remove_all(home.input + "/car");
    fs::create_directory_symlink(home / "outside", home.input + "/car");
  }
  EXPECT_TRUE(fs::is_symlink(home.input + "/car"));
}

}  // namespace
}  // namespace velkor
