// No data loss: an archive being replaced is old or new, never a mix, whenever the process
// is killed; a full disk fails the installation and leaves the installed car as it was;
// a conversion never works in a folder that already exists; deleting a working folder
// never follows a link out of it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "archives/VivArchive.h"
#include "cli/HostileSupport.h"
#include "recogniser/OpenGameFile.h"
#include "sample/SampleCar.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The program started without waiting for it, to be killed part-way.
class RunningVelkor {
 public:
  RunningVelkor(const test::HostileHome& home, const std::vector<std::string>& args) {
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      ::setenv("HOME", home.path().c_str(), 1);
      ::unsetenv("XDG_CONFIG_HOME");
      ::unsetenv("XDG_DATA_HOME");
      const std::string exe = home.Executable();
      std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(exe.c_str(), argv.data());
      ::_exit(127);
    }
  }
  ~RunningVelkor() {
    if (pid_ > 0) Kill();
  }
  RunningVelkor(const RunningVelkor&) = delete;
  RunningVelkor& operator=(const RunningVelkor&) = delete;

  // SIGKILL (harmless when it has ended already), then collect it.
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    Wait();
  }
  bool Ended() {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
    pid_ = -1;
    return true;
  }
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
};

// The size of the temporary file that an atomic write of `target` is filling
// (".<name>.velkor-<pid>.tmp" beside it), or nothing when there is none.
std::optional<std::uintmax_t> TemporaryFileSize(const std::string& target) {
  const fs::path path(target);
  const std::string prefix = "." + path.filename().string() + ".velkor-";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(path.parent_path(), ec)) {
    if (entry.path().filename().string().rfind(prefix, 0) != 0) continue;
    const auto size = fs::file_size(entry.path(), ec);
    if (!ec) return size;
  }
  return std::nullopt;
}

// Runs the command to its end, timing it; then, from the same start each time, kills it at
// many moments and checks that `target` holds either the bytes it held before or the bytes
// of the complete run. The moments: fractions and multiples of the run's time, and the
// moments the temporary file of the new archive has grown to a quarter, half and nine
// tenths of its final size. `prepare` restores the start (and clears what a killed run
// leaves: working folders and temporary files). `complete` receives the complete bytes.
template <typename Prepare>
void KillAtManyMoments(const test::HostileHome& home, const std::vector<std::string>& args, const std::string& target,
                       Prepare prepare, Bytes& complete) {
  prepare();
  const Bytes before = test::ReadBytes(target);
  const auto start = Clock::now();
  const auto full = test::RunVelkor(args, home.path(), {}, home.Executable());
  const auto duration = Clock::now() - start;
  ASSERT_EQ(full.exitStatus, 0) << full.err;
  const Bytes after = test::ReadBytes(target);
  ASSERT_NE(before, after);
  complete = after;

  int old = 0, whole = 0, midWrite = 0;
  const auto check = [&](const std::string& moment) {
    const Bytes found = test::ReadBytes(target);
    EXPECT_TRUE(found == before || found == after)
        << "killed " << moment << ": a mixed archive of " << found.size() << " bytes";
    old += found == before;
    whole += found == after;
  };
  for (const int percent : {0, 5, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 150, 200, 300}) {
    prepare();
    RunningVelkor run(home, args);
    std::this_thread::sleep_for(duration * percent / 100);
    run.Kill();
    check("after " + std::to_string(percent) + "% of a run's time");
  }
  for (const int percent : {1, 25, 50, 90}) {
    prepare();
    RunningVelkor run(home, args);
    const std::uintmax_t wanted = after.size() * static_cast<std::uintmax_t>(percent) / 100;
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    bool caught = false;
    while (!caught && !run.Ended() && Clock::now() < giveUp) {
      const auto size = TemporaryFileSize(target);
      caught = size && *size >= wanted && *size < after.size();
    }
    run.Kill();
    midWrite += caught;
    check("with the new archive " + std::to_string(percent) + "% written");
  }
  // Informational: how the kills fell.
  std::cout << "[          ] killed 19 times: " << old << " old, " << whole << " complete; " << midWrite
            << " while the new archive was partly written\n";
}

// Removes the leftovers of a killed run in `folder`: temporary files (".name.velkor-N.tmp")
// and the named working folders.
void ClearLeftovers(const std::string& folder, const std::vector<std::string>& workingFolders) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.front() == '.' && name.ends_with(".tmp")) fs::remove(entry.path());
  }
  for (const auto& working : workingFolders) fs::remove_all(folder + "/" + working);
}

Bytes Filler(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + seed + (i >> 12));
  return bytes;
}

// An uncompressed 32-bit TGA of width x height pixels, from the format: 18-byte header with
// image type 2, width and height little-endian at 12 and 14, 32 bits per pixel at 16.
Bytes Texture(std::uint16_t width, std::uint16_t height) {
  Bytes bytes(18, 0);
  bytes[2] = 2;
  bytes[12] = static_cast<std::uint8_t>(width), bytes[13] = static_cast<std::uint8_t>(width >> 8);
  bytes[14] = static_cast<std::uint8_t>(height), bytes[15] = static_cast<std::uint8_t>(height >> 8);
  bytes[16] = 32;
  const Bytes pixels = Filler(std::size_t{width} * height * 4, 7);
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

// The sample car with a large texture, so that converting it takes long enough to kill.
std::vector<test::NamedBytes> LargeCar(std::uint16_t width, std::uint16_t height) {
  std::vector<test::NamedBytes> car = sample::RoadsterCar();
  for (auto& [name, bytes] : car)
    if (name == "car00.tga") bytes = Texture(width, height);
  return car;
}

TEST(DataLoss, PackingKilledAtAnyMomentLeavesTheOldArchiveOrTheNewOne) {
  test::HostileHome home;
  const std::string folder = home / "big";
  test::MakeFolder(folder);
  std::vector<test::NamedBytes> members;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "part" + std::to_string(100 + i) + ".bin";
    members.push_back({name, Filler(256 << 10, static_cast<std::uint8_t>(i))});
    test::WriteBytes(folder + "/" + name, members.back().second);
  }
  const Bytes old = test::BuildViv({{"old.txt", test::ToBytes("the archive as it was")}});
  Bytes complete;
  KillAtManyMoments(
      home, {"/p", folder}, home / "big.viv",
      [&] {
        ClearLeftovers(home.path(), {});
        test::WriteBytes(home / "big.viv", old);
      },
      complete);
  // The complete archive is the folder's files in name order.
  EXPECT_EQ(complete, test::BuildViv(members));
}

TEST(DataLoss, InstallingKilledAtAnyMomentLeavesTheInstalledCarOrTheNewOne) {
  test::HostileHome home;
  const std::string input = home / "cars/racer";
  const std::string installed = home.Nfs4Cars() + "/racer";
  test::MakeFolder(input);
  test::WriteBytes(input + "/car.viv", test::BuildViv(sample::RoadsterCar()));
  const auto first = test::RunVelkor({"/ci4", input + "/car.viv"}, home.path(), {}, home.Executable());
  ASSERT_EQ(first.exitStatus, 0) << first.err;
  const Bytes old = test::ReadBytes(installed + "/car.viv");

  test::WriteBytes(input + "/car.viv", test::BuildViv(LargeCar(1024, 512)));
  Bytes complete;
  KillAtManyMoments(
      home, {"/ci4", input + "/car.viv"}, installed + "/car.viv",
      [&] {
        ClearLeftovers(input, {"car"});
        ClearLeftovers(installed, {"car"});
        test::WriteBytes(installed + "/car.viv", old);
      },
      complete);
  // The 28 members of an NFS4 car, less the five languages the sample car has no texts for.
  EXPECT_EQ(test::VivNames(complete).size(), 23u);
}

// A tmpfs of `size` bytes mounted over `folder` while the object lives; only root may.
class SmallDisk {
 public:
  SmallDisk(const std::string& folder, std::size_t size) : folder_(folder) {
    test::MakeFolder(folder);
    const std::string options = "size=" + std::to_string(size);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

TEST(DataLoss, AFullDiskFailsTheInstallationAndKeepsTheInstalledCar) {
  test::HostileHome home;
  const std::string input = home / "cars/racer";
  test::MakeFolder(input);
  const Bytes old = test::BuildViv(sample::Nfs4ReferenceCar());
  // The converted car needs four copies of a 4 MiB texture in its working folder and again
  // in the archive: every size here runs out at another step.
  test::WriteBytes(input + "/car.viv", test::BuildViv(LargeCar(1024, 1024)));
  for (const std::size_t size : {64u << 10, 256u << 10, 2u << 20, 6u << 20, 12u << 20, 20u << 20, 30u << 20}) {
    SmallDisk disk(home / "nfs4", size);
    if (!disk.mounted()) GTEST_SKIP() << "needs root and tmpfs to run out of disk space";
    const std::string installed = home.Nfs4Cars() + "/racer";
    test::MakeFolder(installed);
    test::WriteBytes(installed + "/car.viv", old);

    const auto run = test::RunVelkor({"/ci4", input + "/car.viv"}, home.path(), {}, home.Executable());
    const std::string label = "a disk of " + std::to_string(size >> 10) + " KiB";
    EXPECT_EQ(run.exitStatus, 1) << label;
    EXPECT_EQ(run.err.rfind("velkor: ", 0), 0u) << label << ": " << run.err;
    EXPECT_EQ(test::ReadBytes(installed + "/car.viv"), old) << label;
    EXPECT_EQ(test::ListNames(installed), std::vector<std::string>{"car.viv"}) << label;
    EXPECT_EQ(test::ListNames(home.Nfs4Cars()), std::vector<std::string>{"racer"}) << label;
    EXPECT_EQ(test::ListNames(input), std::vector<std::string>{"car.viv"}) << label;
  }
}

TEST(DataLoss, AConversionRefusesToWorkInAFolderThatExists) {
  test::HostileHome home;
  const std::string input = home / "cars/racer";
  const std::string installed = home.Nfs4Cars() + "/racer";
  test::MakeFolder(input + "/car");
  test::WriteBytes(input + "/car.viv", test::BuildViv(sample::RoadsterCar()));
  test::WriteText(input + "/car/notes.txt", "the user's own notes");
  test::MakeFolder(installed + "/car");
  test::WriteText(installed + "/car.viv", "the installed car");
  test::WriteText(installed + "/car/tuning.txt", "the user's tuning");
  const test::TreeSnapshot before = test::Snapshot(home.path());

  for (const std::string command : {"/c4", "/ci4", "/c3", "/ci3"}) {
    const auto run = test::RunVelkor({command, input + "/car.viv"}, home.path(), {}, home.Executable());
    EXPECT_EQ(run.exitStatus, 1) << command;
    EXPECT_NE(run.err.find("already exists"), std::string::npos) << command << ": " << run.err;
    EXPECT_EQ(test::Differences(before, test::Snapshot(home.path())), std::vector<std::string>{}) << command;
  }

  // The installation's working folder alone is enough to refuse.
  fs::remove_all(input + "/car");
  const test::TreeSnapshot withoutInputFolder = test::Snapshot(home.path());
  const auto run = test::RunVelkor({"/ci4", input + "/car.viv"}, home.path(), {}, home.Executable());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find(installed + "/car"), std::string::npos) << run.err;
  EXPECT_EQ(test::Differences(withoutInputFolder, test::Snapshot(home.path())), std::vector<std::string>{});
}

// A folder outside every working folder, with content that must survive.
void MakeOutside(const std::string& outside) {
  test::MakeFolder(outside + "/deeper");
  test::WriteText(outside + "/precious.txt", "precious");
  test::WriteText(outside + "/deeper/more.txt", "more");
}

void ExpectOutsideIntact(const std::string& outside) {
  EXPECT_EQ(test::ReadText(outside + "/precious.txt"), "precious");
  EXPECT_EQ(test::ReadText(outside + "/deeper/more.txt"), "more");
  EXPECT_EQ(test::ListNames(outside), (std::vector<std::string>{"deeper", "precious.txt"}));
}

TEST(DataLoss, AWorkingFolderHoldingLinksIsDeletedWithoutFollowingThem) {
  test::TempDir dir;
  MakeOutside(dir / "outside");
  test::WriteBytes(dir / "car.viv", test::BuildViv(sample::RoadsterCar()));
  // A working folder that exists already (an earlier extraction), with links out of it.
  test::MakeFolder(dir / "car");
  fs::create_directory_symlink(dir / "outside", dir / "car/link-to-folder");
  fs::create_symlink(dir / "outside/precious.txt", dir / "car/link-to-file");
  {
    VivArchive archive(dir / "car.viv", &OpenGameFile);
    archive.Load();
  }
  EXPECT_FALSE(test::PathExists(dir / "car"));
  ExpectOutsideIntact(dir / "outside");
}

TEST(DataLoss, ConvertingWhereTheWorkingFolderIsALinkChangesNothingBehindIt) {
  test::HostileHome home;
  MakeOutside(home / "outside");
  const std::string input = home / "cars/racer";
  test::MakeFolder(input);
  test::WriteBytes(input + "/car.viv", test::BuildViv(sample::RoadsterCar()));
  fs::create_directory_symlink(home / "outside", input + "/car");

  for (const std::string command : {"/c4", "/ci4"}) {
    const auto run = test::RunVelkor({command, input + "/car.viv"}, home.path(), {}, home.Executable());
    EXPECT_EQ(run.exitStatus, 1) << command << ": " << run.err;
    ExpectOutsideIntact(home / "outside");
    EXPECT_TRUE(fs::is_symlink(input + "/car"));
  }
}

TEST(DataLoss, ExtractingIntoAFolderHoldingLinksWritesNothingBehindThem) {
  test::HostileHome home;
  MakeOutside(home / "outside");
  const std::string input = home / "cars/racer";
  test::MakeFolder(input + "/car");
  test::WriteBytes(input + "/car.viv", test::BuildViv(sample::RoadsterCar()));
  // Links named like a member and like the folder an FSH member unpacks into.
  fs::create_symlink(home / "outside/precious.txt", input + "/car/carp.txt");
  fs::create_directory_symlink(home / "outside", input + "/car/fedata");

  const auto run = test::RunVelkor({"/e", input + "/car.viv"}, home.path(), {}, home.Executable());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("symbolic link"), std::string::npos) << run.err;
  ExpectOutsideIntact(home / "outside");
  EXPECT_EQ(test::ListNames(input + "/car"), (std::vector<std::string>{"carp.txt", "fedata"}));

  // A working folder that is itself a link is refused the same way.
  fs::remove_all(input + "/car");
  fs::create_directory_symlink(home / "outside", input + "/car");
  const auto linked = test::RunVelkor({"/e", input + "/car.viv"}, home.path(), {}, home.Executable());
  EXPECT_EQ(linked.exitStatus, 1);
  EXPECT_NE(linked.err.find("symbolic link"), std::string::npos) << linked.err;
  ExpectOutsideIntact(home / "outside");
}

}  // namespace
}  // namespace velkor
