// The user's files through the real program: a settings store that cannot be read is never
// taken for an empty one; a full disk names the real output; FIFOs never make it hang.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/RunVelkor.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

// Runs the program under `timeout`: a run that hangs ends with status 124.
test::RunResult RunWithin10s(const std::vector<std::string>& args, const std::string& home) {
  std::vector<std::string> all = {"10", VELKOR_EXE};
  all.insert(all.end(), args.begin(), args.end());
  return test::RunVelkor(all, home, {}, "/usr/bin/timeout");
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FileSafetyCli, AStoreThatCannotBeReadFailsTheRunAndStaysAsItWas) {
  if (::access("/usr/bin/setpriv", X_OK) != 0 && ::geteuid() == 0)
    GTEST_SKIP() << "needs setpriv to drop root's privileges";
  test::TempDir home;
  const std::string folder = home / ".config/Velkor";
  const std::string store = folder + "/registry.reg";
  test::MakeFolder(folder);
  const std::string settings = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Mine]\n\"A\"=\"1\"\n";
  test::WriteText(store, settings);
  // Everyone may replace files in the folder: only reading the store itself is denied.
  ::chmod(folder.c_str(), 0777);
  ::chmod(store.c_str(), 0);

  std::vector<std::string> args = {};
  std::string runner = VELKOR_EXE;
  if (::geteuid() == 0) {
    args = {"--reuid=nobody", "--regid=nogroup", "--clear-groups", VELKOR_EXE};
    runner = "/usr/bin/setpriv";
  }
  const auto run = test::RunVelkor(args, home.path(), {}, runner);
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_EQ(run.err.rfind("velkor: ", 0), 0u) << run.err;
  EXPECT_TRUE(Contains(run.err, "'" + store + "'") && Contains(run.err, "Permission denied")) << run.err;
  ::chmod(store.c_str(), 0600);
  EXPECT_EQ(test::ReadText(store), settings);
  EXPECT_EQ(test::ListNames(folder), std::vector<std::string>{"registry.reg"});
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

TEST(FileSafetyCli, FifosNeverMakeTheProgramWait) {
  test::TempDir home;
  test::MakeFolder(home / "car");
  test::WriteText(home / "car/a.bin", "abc");
  ::mkfifo((home / "car/pipe").c_str(), 0600);
  const auto pack = RunWithin10s({"/p", home / "car"}, home.path());
  EXPECT_EQ(pack.exitStatus, 0) << pack.err;
  EXPECT_TRUE(Contains(pack.err, "velkor: warning: skipping '" + home / "car/pipe'")) << pack.err;
  EXPECT_EQ(test::ReadBytes(home / "car.viv"), test::BuildViv({{"a.bin", test::ToBytes("abc")}}));

  // A FIFO given as the input is refused.
  test::MakeFolder(home / ".config/Velkor");
  test::WriteText(home / ".config/Velkor/registry.reg",
                  "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n\"Installed\"=dword:00000001\n"
                  "\"NFS4Path\"=\"" + home.path() + "/\"\n");
  const std::vector<std::pair<std::string, std::string>> runs = {
      {"/c4", "car.fce"}, {"/c4", "fedata.eng"}, {"/e", "in.viv"}, {"--list", "in.viv"}};
  for (const auto& [command, name] : runs) {
    const std::string fifo = home / name;
    ::mkfifo(fifo.c_str(), 0600);
    const auto run = RunWithin10s({command, fifo}, home.path());
    EXPECT_EQ(run.exitStatus, 1) << command << " " << name;
    EXPECT_TRUE(Contains(run.err, "'" + fifo + "'") && Contains(run.err, "not a regular file"))
        << command << " " << name << ": " << run.err;
  }
}

}  // namespace
}  // namespace velkor
