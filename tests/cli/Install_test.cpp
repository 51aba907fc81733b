// Installations that meet each other or a car folder they cannot fully use: runs into one car
// take turns, every replaced car is kept or nothing is replaced, and a conversion works only
// in a folder of its own.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "app/KeptCars.h"
#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

struct InstallHome : test::CliHome {
  // The sample car without the members named, as cars/<folder>/car.viv.
  std::string PutCar(const std::string& folder, const Names& without = {}) const {
    auto car = sample::RoadsterCar();
    std::erase_if(car, [&](const auto& m) { return std::count(without.begin(), without.end(), m.first) > 0; });
    return CliHome::PutCar(folder, car);
  }
  // What "/c4" makes of `archive`, which "/ci4" installs.
  Bytes ConvertedBeside(const std::string& archive) const {
    EXPECT_EQ(Run({"/c4", archive}).exitStatus, 0);
    const std::string output = archive.substr(0, archive.size() - 1) + "4";
    const Bytes bytes = test::ReadBytes(output);
    fs::remove(output);
    return bytes;
  }
  std::vector<Bytes> Kept(const std::string& car) const {
    std::vector<Bytes> copies;
    for (const auto& name : test::ListNames(Data() + "/replaced/NFS4/" + car))
      copies.push_back(test::ReadBytes(Data() + "/replaced/NFS4/" + car + "/" + name));
    std::sort(copies.begin(), copies.end());
    return copies;
  }
  // Lets the user nobody write where an installation writes.
  void OpenToEveryone(const std::vector<std::string>& folders) const {
    for (const auto& folder : folders) {
      test::MakeFolder(folder);
      fs::permissions(folder, fs::perms::all);
    }
  }
};

TEST(Install, RunsIntoOneCarTakeTurnsAndEveryReplacedCarIsKept) {
  InstallHome home;
  const std::string installed = home.Nfs4Cars() + "/Racer/car.viv";
  ASSERT_EQ(home.Run({"/ci4", home.PutCar("old/Racer", {"fedata.eng"})}).exitStatus, 0);
  const Bytes before = test::ReadBytes(installed);
  const std::string one = home.PutCar("one/Racer", {"fedata.ger"}), two = home.PutCar("two/Racer");
  const Bytes oneBytes = home.ConvertedBeside(one), twoBytes = home.ConvertedBeside(two);

  // The test holds the car's lock (the folder name in another case is the same car), only
  // shared: an installation's lock excludes every other holder, so both runs wait for it
  // before writing anything.
  test::MakeFolder(home.Data() + "/locks/NFS4");
  const int lock = ::open((home.Data() + "/locks/NFS4/racer.lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(::flock(lock, LOCK_SH), 0);
  test::StartedVelkor first({"/ci4", one}, home.path(), home.Program());
  test::StartedVelkor second({"/ci4", two}, home.path(), home.Program());
  ASSERT_TRUE(first.ErrorShows("waiting for it to end"));
  ASSERT_TRUE(second.ErrorShows("waiting for it to end"));
  EXPECT_EQ(test::ReadBytes(installed), before);
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Racer"), Names{"car.viv"});
  ::close(lock);
  const auto ran = std::pair(first.Finish(), second.Finish());
  ASSERT_EQ(std::pair(ran.first.exitStatus, ran.second.exitStatus), std::pair(0, 0)) << ran.first.err << ran.second.err;

  // One whole car installed; the other and the car there before both kept.
  const Bytes now = test::ReadBytes(installed);
  ASSERT_TRUE(now == oneBytes || now == twoBytes);
  std::vector<Bytes> expectedKept = {before, now == oneBytes ? twoBytes : oneBytes};
  std::sort(expectedKept.begin(), expectedKept.end());
  EXPECT_EQ(home.Kept("Racer"), expectedKept);
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Racer"), Names{"car.viv"});
}

// A copy being kept holds its name from the moment it is chosen: a second copy kept at that
// moment, in the same second, takes another name, and both survive whole.
TEST(Install, ACopyKeptMeanwhileIsNeverReplaced) {
  test::TempDir dir;
  test::WriteText(dir / "first.viv", "the first car");
  test::WriteText(dir / "second.viv", "the second car");
  std::string inner;
  const std::string outer = KeepReplacedArchive(dir / "first.viv", dir / "kept", [&] {
    inner = KeepReplacedArchive(dir / "second.viv", dir / "kept");
  });
  EXPECT_NE(inner, outer);
  EXPECT_EQ(test::ReadText(outer), "the first car");
  EXPECT_EQ(test::ReadText(inner), "the second car");
  EXPECT_EQ(test::ListNames(dir / "kept").size(), 2u);
}

// Replacing needs the old car kept first: an installed car that cannot be read, a kept folder
// that cannot be written, or one that fills up, fail the installation with the installed car
// as it was and no partial copy kept.
TEST(Install, AnOldCarThatCannotBeKeptIsNeverReplaced) {
  if (!test::CanDropPrivileges()) GTEST_SKIP() << "needs setpriv to drop root's privileges";
  InstallHome home;
  const std::string archive = home.PutCar("cars/Racer"), folder = home.Nfs4Cars() + "/Racer";
  const std::string kept = home.Data() + "/replaced/NFS4/Racer";
  home.OpenToEveryone({folder, home.Data(), home.Data() + "/replaced", home.Data() + "/replaced/NFS4"});
  const Bytes old(100 * 1024, 'o');
  test::WriteBytes(folder + "/car.viv", old);
  const auto expectRefused = [&](const std::string& reason) {
    const auto run = test::RunUnprivileged({"/ci4", archive}, home.path(), home.Program());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing was replaced"), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadBytes(folder + "/car.viv"), old);
    EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
    EXPECT_TRUE(!test::PathExists(kept) || test::ListNames(kept).empty());
  };
  // The kept folder made by root, open to everyone or not.
  const auto makeKeptFolder = [&](fs::perms perms) {
    test::MakeFolder(kept);
    fs::permissions(kept, perms);
  };
  // Replaceable (the folder is open to everyone) but not readable.
  fs::permissions(folder + "/car.viv", fs::perms::owner_write);
  expectRefused("'" + folder + "/car.viv': Permission denied");
  fs::permissions(folder + "/car.viv", fs::perms::all);
  EXPECT_FALSE(test::PathExists(kept));

  makeKeptFolder(fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read | fs::perms::group_exec |
                 fs::perms::others_exec);
  expectRefused("Permission denied");

  if (::geteuid() != 0) return;  // a small file system needs root
  makeKeptFolder(fs::perms::all);
  if (::mount("tmpfs", kept.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0) GTEST_SKIP() << "cannot mount a tmpfs";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{kept};
  expectRefused("No space left on device");
}

TEST(Install, RestoreRecreatesADeletedCarFolder) {
  InstallHome home;
  const std::string folder = home.Nfs4Cars() + "/Racer";
  ASSERT_EQ(home.Run({"/ci4", home.PutCar("a/Racer", {"fedata.ger"})}).exitStatus, 0);
  const Bytes first = test::ReadBytes(folder + "/car.viv");
  ASSERT_EQ(home.Run({"/ci4", home.PutCar("b/Racer")}).exitStatus, 0);
  fs::remove_all(folder);
  const auto run = home.Run({"--restore", folder + "/car.viv"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
  EXPECT_EQ(test::ReadBytes(folder + "/car.viv"), first);
}

// A conversion works in a hidden folder of its own: folders named like the archives (a
// user's extraction, an installed car's) are neither refused nor touched, and the output is
// the same.
TEST(Install, AConversionLeavesFoldersNamedLikeItsArchivesAlone) {
  InstallHome home;
  const std::string archive = home.PutCar("cars/Racer"), folder = home.Nfs4Cars() + "/Racer";
  const Bytes expected = home.ConvertedBeside(archive);
  test::MakeFolder(home / "cars/Racer/car");
  test::WriteText(home / "cars/Racer/car/carp.txt", "the user's edit");
  test::MakeFolder(folder + "/car");
  test::WriteText(folder + "/car/notes.txt", "notes");
  const auto userFiles = test::Snapshot(home / "cars/Racer/car"), carFiles = test::Snapshot(folder + "/car");
  for (const std::string command : {"/c4", "/ci4"}) {
    const auto run = home.Run({command, archive});
    EXPECT_EQ(std::pair(run.exitStatus, run.err), std::pair(0, std::string())) << command;
  }
  EXPECT_EQ(test::ReadBytes(home / "cars/Racer/car.vi4"), expected);
  EXPECT_EQ(test::ReadBytes(folder + "/car.viv"), expected);
  EXPECT_EQ(test::Snapshot(home / "cars/Racer/car"), userFiles);
  EXPECT_EQ(test::Snapshot(folder + "/car"), carFiles);
  EXPECT_EQ(test::ListNames(home / "cars/Racer"), (Names{"car", "car.vi4", "car.viv"}));
  EXPECT_EQ(test::ListNames(folder), (Names{"car", "car.viv"}));
}

}  // namespace
}  // namespace velkor
