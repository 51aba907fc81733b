#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>

#include "app/Workflows.h"
#include "settings/RegistryStore.h"
#include "support/Environment.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using Names = std::vector<std::string>;
const std::string kNfs3Key = "Software\\Electronic Arts\\Need For Speed III";
const std::string kNfs4Key = "Software\\Electronic Arts\\Need for Speed High Stakes";

// A reference car holding the named files, each holding its own name, and a file no list asks for.
Bytes ReferenceCar(const Names& names) {
  std::vector<test::NamedBytes> members{{"car.fce", test::ToBytes("not a reference file")}};
  for (const auto& name : names) members.emplace_back(name, test::ToBytes("content of " + name));
  return test::BuildViv(members);
}

// The file-manager entries and reference files go into the test's own home.
class FirstRunSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { test::MakeFolder(program); }
  GamePaths Run() {
    report = FirstRunSetup(registry, settings, program);
    return report.paths;
  }
  // Installs a game at `folder` whose reference car (at `car`, below it) holds `names`.
  void Game(const std::string& key, const std::string& folder, const std::string& car, const Names& names) {
    test::MakeFolder(folder + car);
    test::WriteBytes(folder + car + "/CAR.VIV", ReferenceCar(names));
    registry.WriteString(RegistryRoot::LocalMachine, key, "InstallPath", folder);
  }
  std::optional<std::string> Classes(const std::string& key) {
    return registry.ReadString(RegistryRoot::ClassesRoot, key, "");
  }

  test::TempDir dir;
  test::ScopedEnvironment environment{test::HomeAt(dir.path())};
  std::string program = dir / "Program Files/Velkor/";
  std::string reference = dir / ".local/share/Velkor/";  // where the reference files are collected
  SetupReport report;
  FileRegistry registry{dir / "registry.reg"};
  SettingsStore settings = [this] { SettingsStore s(registry, "velkor"); return s.SetRegistryKey("Velkor"), s; }();
};

// Member names are matched ignoring case; a file the car lacks is passed over.
TEST_F(FirstRunSetupTest, EachGamesReferenceFilesAreCollectedAndNoWorkingFolderLeft) {
  struct Row { const std::string& key; std::string car; Names stored, collected; };
  const Names nfs4 = {"careng.bnk", "careng.ctb", "careng.ltb", "dash.fce", "dash.fsh", "dash00.tga", "ocareng.bnk",
                      "scareng.bnk"};
  const Row rows[] = {
      {kNfs3Key, "GameData/CarModel/FM50", {"DASH.QFS", "ocar.bnk", "Ocard.bnk", "scar.BNK"},
       {"dash.qfs", "ocar.bnk", "ocard.bnk", "scar.bnk"}},
      {kNfs3Key, "gamedata/carmodel/fm50", {"dash.qfs", "ocard.bnk", "scar.bnk"},
       {"dash.qfs", "ocard.bnk", "scar.bnk"}},
      {kNfs4Key, "Data/Cars/FM50", nfs4, nfs4},
      {kNfs4Key, "data/cars/fm50", {"dash.fsh", "scareng.bnk"}, {"dash.fsh", "scareng.bnk"}}};
  for (const Row& row : rows) {
    test::TempDir games;
    for (const auto& key : {kNfs3Key, kNfs4Key})
      registry.WriteString(RegistryRoot::LocalMachine, key, "InstallPath", "");
    Game(row.key, games / "game/", row.car, row.stored);
    Run();
    EXPECT_EQ(test::ListNames(reference), row.collected) << row.car;
    for (std::size_t i = 0; i < row.collected.size(); ++i) {
      EXPECT_EQ(test::ReadText(reference + row.collected[i]), "content of " + row.stored[i]);
      std::remove((reference + row.collected[i]).c_str());
    }
    EXPECT_EQ(test::ListNames(games / ("game/" + row.car)), Names{"CAR.VIV"});
    EXPECT_EQ(report.referenceFiles.size(), row.collected.size());
    EXPECT_EQ(test::ListNames(program), Names{}) << "nothing is written beside the program";
  }
}

// A reference file is replaced whole, never rewritten in place: a conversion that opened the
// old one meanwhile goes on reading the old bytes.
TEST_F(FirstRunSetupTest, ReferenceFilesAreReplacedNotRewrittenInPlace) {
  Game(kNfs4Key, dir / "nfs4/", "data/cars/fm50", {"dash.fsh"});
  test::MakeFolder(reference);
  test::WriteText(reference + "dash.fsh", "old");
  std::filesystem::create_hard_link(reference + "dash.fsh", dir / "opened meanwhile");
  Run();
  EXPECT_EQ(test::ReadText(reference + "dash.fsh"), "content of dash.fsh");
  EXPECT_EQ(test::ReadText(dir / "opened meanwhile"), "old");
}

TEST_F(FirstRunSetupTest, RegistersFiftyEightVerbValuesWithQuotedCommands) {
  registry.WriteString(RegistryRoot::ClassesRoot, ".txt", "", "somethingelse");
  Run();
  EXPECT_EQ(Classes(".txt"), "txtfile");
  EXPECT_EQ(Classes(".viv"), "vivfile");
  EXPECT_EQ(Classes("Folder\\shell\\pack"), "Pack to new VIV");
  EXPECT_EQ(Classes("Folder\\shell\\pack\\command"), "\"" + program + "velkor\" /p \"%1\"");
  EXPECT_EQ(Classes("vivfile\\shell\\convertinstall4"), "Convert to NFS4 and install");
  EXPECT_EQ(Classes("vivfile\\shell\\convertinstall4\\command"), "\"" + program + "velkor\" /ci4 \"%1\"");
  EXPECT_EQ(Classes("swefile\\shell\\convert3\\command"), "\"" + program + "velkor\" /c3 \"%1\"");
  EXPECT_FALSE(Classes("swefile\\shell\\convertinstall3"));
  // The keys below HKEY_CLASSES_ROOT in the store: 58, in the order written.
  const std::string store = test::ReadText(dir / "registry.reg");
  Names keys;
  const std::string classes = "[HKEY_CLASSES_ROOT\\";
  for (std::size_t at = store.find(classes); at != std::string::npos; at = store.find(classes, at + 1))
    keys.push_back(store.substr(at + 19, store.find(']', at) - at - 19));
  ASSERT_EQ(keys.size(), 58u);
  EXPECT_EQ(Names(keys.begin(), keys.begin() + 4),
            (Names{".txt", "Folder\\shell\\pack", "Folder\\shell\\pack\\command", ".viv"}));
  EXPECT_EQ(keys.back(), "txtfile\\shell\\convert4\\command");
}

// Reference cars are read where they are: a folder named like the archive is left alone. Game
// paths are stored with one final separator, "N/A" for a game not found.
TEST_F(FirstRunSetupTest, UnusableReferenceCarsAreSkippedAndTheSetupCompletes) {
  const GamePaths none = Run();
  EXPECT_EQ(std::pair(none.nfs3Path, none.nfs4Path), std::pair(std::string("N/A"), std::string("N/A")));
  EXPECT_EQ(settings.GetProfileString("Settings", "NFS4Path", ""), "N/A");
  // NFS3: no reference car. NFS4: a corrupt one, then one beside a folder of its name.
  test::MakeFolder(dir / "nfs3");
  registry.WriteString(RegistryRoot::LocalMachine, kNfs3Key, "InstallPath", dir / "nfs3");
  Game(kNfs4Key, dir / "nfs4/", "data/cars/fm50", {});
  const std::string car = dir / "nfs4/data/cars/fm50";
  test::WriteText(car + "/CAR.VIV", "BIGF\xff\xff\xff\xff");
  const GamePaths found = Run();
  EXPECT_EQ(std::pair(found.nfs3Path, found.nfs4Path), std::pair(dir / "nfs3/", dir / "nfs4/"));
  EXPECT_EQ(settings.GetProfileString("Settings", "NFS3Path", ""), dir / "nfs3/");
  EXPECT_EQ(test::ListNames(car), Names{"CAR.VIV"});
  test::WriteBytes(car + "/CAR.VIV", ReferenceCar({"dash.fsh"}));
  test::MakeFolder(car + "/CAR");
  test::WriteText(car + "/CAR/my-work.txt", "precious");
  Run();
  EXPECT_EQ(test::ListNames(reference), Names{"dash.fsh"});
  EXPECT_EQ(test::ListNames(car), (Names{"CAR", "CAR.VIV"}));
  EXPECT_EQ(test::ListNames(car + "/CAR"), Names{"my-work.txt"});
  EXPECT_EQ(test::ReadText(car + "/CAR/my-work.txt"), "precious");
}

TEST_F(FirstRunSetupTest, WarningsGiveTheFileAndTheReason) {
  test::MakeFolder(reference + "dash.fsh");  // a folder where a reference file goes
  const std::string store = dir / "missing/registry.reg", game = dir / "nfs4";
  FileRegistry unwritable(store);
  SettingsStore storeSettings(unwritable, "velkor");
  storeSettings.SetRegistryKey("Velkor");
  test::WriteReferenceCar(game, true);
  unwritable.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", game);
  testing::internal::CaptureStderr();
  FirstRunSetup(unwritable, storeSettings, program);
  const std::string err = testing::internal::GetCapturedStderr(), reason = ": No such file or directory\n";
  for (const std::string& warning :
       {"cannot write NFS3Path in HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings in " + store + reason,
        "cannot write 58 shell verb values in " + store + reason,
        "cannot copy the reference file '" + game + "/data/cars/fm50/car/dash.fsh' to '" + reference +
            "dash.fsh': Is a directory\n"})
    EXPECT_NE(err.find("velkor: warning: " + warning), std::string::npos) << err;
}

// Both games in one Wine prefix, and a Lutris file that cannot be read: the prefix's
// registry is opened once and the file named in one warning, not once per game.
TEST_F(FirstRunSetupTest, WinePrefixesAreSearchedOnceForBothGames) {
  const std::string prefix = dir / ".wine", games = prefix + "/drive_c/Games/";
  test::MakeFolder(games + "NFS3");
  test::MakeFolder(games + "NFS4");
  test::MakeFolder(prefix + "/dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  test::WriteText(prefix + "/system.reg",
                  "WINE REGISTRY Version 2\n\n[Software\\\\Electronic Arts\\\\Need For Speed III] 1700000000\n"
                  "\"InstallPath\"=\"C:\\\\Games\\\\NFS3\"\n\n"
                  "[Software\\\\Electronic Arts\\\\Need for Speed High Stakes] 1700000000\n"
                  "\"InstallPath\"=\"C:\\\\Games\\\\NFS4\"\n");
  const std::string lutris = dir / ".config/lutris/games/broken.yml";
  test::MakeFolder(dir / ".config/lutris/games");
  test::WriteText(lutris, "game: [\n");

  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, (prefix + "/system.reg").c_str(), IN_OPEN), 0);
  testing::internal::CaptureStderr();
  const GamePaths paths = Run();
  const std::string err = testing::internal::GetCapturedStderr();
  // A watch on a file reports each opening as one event without a name.
  alignas(inotify_event) char events[4096];
  const ssize_t opened = ::read(watch, events, sizeof events);
  ::close(watch);

  EXPECT_EQ(paths.nfs3Path, prefix + "/dosdevices/c:/Games/NFS3/");
  EXPECT_EQ(paths.nfs4Path, prefix + "/dosdevices/c:/Games/NFS4/");
  EXPECT_EQ(opened, static_cast<ssize_t>(sizeof(inotify_event))) << "the registry opened once";
  const std::string warning = "velkor: warning: passing over the Lutris game file: '" + lutris + "'";
  const std::size_t first = err.find(warning);
  EXPECT_NE(first, std::string::npos) << err;
  EXPECT_EQ(err.find(warning, first + 1), std::string::npos) << err;
}

}  // namespace
}  // namespace velkor
