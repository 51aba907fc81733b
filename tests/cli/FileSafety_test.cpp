// The user's files through the real program: a settings store that cannot be read is never
// taken for an empty one; a full disk names the real output; FIFOs never make it hang; and
// nothing follows a link out of a working folder, whether deleting it or writing into it.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A store that cannot be read is never taken for an empty one, and a folder that cannot be
// made is refused with the system's own reason; nothing is written.
TEST(FileSafetyCli, AStoreThatCannotBeReadOrAFolderThatCannotBeMadeFailsTheRun) {
  if (!test::CanDropPrivileges()) GTEST_SKIP() << "needs setpriv to drop root's privileges";
  test::TempDir home;
  const std::string folder = home / ".config/Velkor", store = folder + "/registry.reg", locked = home / "locked";
  test::MakeFolder(folder);
  const std::string settings =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Mine]\n\"A\"=\"1\"\n";
  test::WriteText(store, settings);
  // Everyone may replace files in the folder: only reading the store itself is denied.
  ::chmod(folder.c_str(), 0777);
  ::chmod(store.c_str(), 0);
  const auto run = test::RunUnprivileged({}, home.path());
  EXPECT_TRUE(test::Ended(run, 1, {"'" + store + "'", "Permission denied"}));
  EXPECT_EQ(run.err.rfind("velkor: ", 0), 0u) << run.err;
  ::chmod(store.c_str(), 0600);
  EXPECT_EQ(test::ReadText(store), settings);
  EXPECT_EQ(test::ListNames(folder), std::vector<std::string>{"registry.reg"});

  test::WriteText(store, "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n\"Installed\"=dword:00000001\n");
  ::chmod(store.c_str(), 0666);
  test::MakeFolder(locked);
  test::WriteBytes(locked + "/car.viv", test::BuildViv({{"notes.txt", test::ToBytes("notes")}}));
  ::chmod(locked.c_str(), 0555);
  EXPECT_TRUE(test::Ended(test::RunUnprivileged({"/e", locked + "/car.viv"}, home.path()), 1,
                          {"cannot create the folder '" + locked + "/car': Permission denied"}));
  EXPECT_EQ(test::ListNames(locked), std::vector<std::string>{"car.viv"});
}

TEST(FileSafetyCli, PackingOntoAFullDiskNamesTheArchiveAndLeavesNoTemporaryFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to mount a small tmpfs";
  test::TempDir home;
  const std::string disk = home / "disk";
  test::MakeFolder(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{disk};
  test::MakeFolder(disk + "/pack me");
  test::WriteBytes(disk + "/pack me/big.bin", Bytes(160 * 1024, 7));

  const auto run = test::RunVelkor({"/p", disk + "/pack me"}, home.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "velkor: cannot write '" + disk + "/pack me.viv': No space left on device\n");
  EXPECT_EQ(test::ListNames(disk), std::vector<std::string>{"pack me"});
}

TEST(FileSafetyCli, FifosNeverMakeTheProgramWaitAndLinksInTheWorkingFolderAreNeverFollowed) {
  test::CliHome home;
  const auto runWithin10s = [&](const std::string& command, const std::string& path) {  // a hang ends with 124
    return test::RunVelkor({"10", home.Program(), command, path}, home.path(), {}, "/usr/bin/timeout");
  };
  home.Put("car/a.bin", test::ToBytes("abc"));
  ::mkfifo((home / "car/pipe").c_str(), 0600);
  // Links are packed as what they lead to: a file's bytes, but never a FIFO's.
  ::symlink("a.bin", (home / "car/b.bin").c_str());
  ::symlink("pipe", (home / "car/pipe link").c_str());
  EXPECT_TRUE(test::Ended(runWithin10s("/p", home / "car"), 0,
                          {"velkor: warning: skipping '" + home / "car/pipe'", "skipping '" + home / "car/pipe link'"}));
  EXPECT_EQ(test::ReadBytes(home / "car.viv"),
            test::BuildViv({{"a.bin", test::ToBytes("abc")}, {"b.bin", test::ToBytes("abc")}}));

  for (const auto& [command, name] : std::vector<std::pair<std::string, std::string>>{
           {"/c4", "car.fce"}, {"/c4", "fedata.eng"}, {"/e", "in.viv"}, {"--list", "in.viv"}}) {
    const std::string fifo = home / name;
    ::mkfifo(fifo.c_str(), 0600);
    const auto names = test::ListNames(home.path());
    // Exit 1, not 124: nothing waited for a writer.
    EXPECT_TRUE(test::Ended(runWithin10s(command, fifo), 1, {"'" + fifo + "': it is not a regular file"})) << command;
    EXPECT_EQ(test::ListNames(home.path()), names) << "nothing written beside it";
  }

  const std::string input = home / "cars/racer";
  test::MakeFolder(home / "outside/deeper");
  test::WriteText(home / "outside/precious.txt", "precious");
  // Links named like a member and like the folder an FSH member unpacks into, then the folder itself a link.
  test::MakeFolder(input + "/car");
  test::WriteBytes(input + "/car.viv", test::BuildViv(sample::RoadsterCar()));
  fs::create_symlink(home / "outside/precious.txt", input + "/car/carp.txt");
  fs::create_directory_symlink(home / "outside", input + "/car/fedata");
  // The installed car's folder holds one of that name too.
  home.Put(home.Nfs4Cars() + "/racer/car/notes.txt", test::ToBytes("notes"));
  // Conversions do not use that folder at all.
  for (const std::string command : {"/e", "/c4", "/ci4", "/e", "/c4", "/ci4"}) {
    const auto run = home.Run({command, input + "/car.viv"});
    EXPECT_EQ(run.exitStatus, command == "/e" ? 1 : 0) << command << run.err;
    EXPECT_EQ(run.err.find("symbolic link") != std::string::npos, command == "/e") << run.err;
    EXPECT_EQ(test::ReadText(home / "outside/precious.txt"), "precious");
    EXPECT_EQ(test::ListNames(home / "outside"), (Names{"deeper", "precious.txt"}));
    if (fs::is_symlink(input + "/car") || command != "/ci4") continue;
    EXPECT_EQ(test::ListNames(input + "/car"), (Names{"carp.txt", "fedata"}));
    fs::remove_all(input + "/car");
    fs::create_directory_symlink(home / "outside", input + "/car");
  }
  EXPECT_TRUE(fs::is_symlink(input + "/car"));
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/racer/car"), Names{"notes.txt"});
  EXPECT_EQ(test::ReadText(home.Nfs4Cars() + "/racer/car/notes.txt"), "notes");
}

}  // namespace
}  // namespace velkor
