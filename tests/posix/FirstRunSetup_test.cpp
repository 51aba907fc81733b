#include <gtest/gtest.h>

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

  test::TempDir dir;
  test::ScopedEnvironment environment{test::HomeAt(dir.path())};
  std::string program = dir / "Program Files/Velkor/";
  std::string reference = dir / ".local/share/Velkor/";  // where the reference files are collected
  SetupReport report;
  FileRegistry registry{dir / "registry.reg"};
  SettingsStore settings = [this] { SettingsStore s(registry, "velkor"); return s.SetRegistryKey("Velkor"), s; }();
};

// Member names are matched ignoring case; a file the car lacks is passed over. A reference file
// is replaced whole, never rewritten in place: a conversion that opened the old one meanwhile
// goes on reading the old bytes.
TEST_F(FirstRunSetupTest, AGamesReferenceFilesAreCollectedAndNoWorkingFolderLeft) {
  const std::string car = dir / "game/GameData/CarModel/FM50";
  const Names stored = {"DASH.QFS", "ocar.bnk", "Ocard.bnk", "scar.BNK"};
  const Names collected = {"dash.qfs", "ocar.bnk", "ocard.bnk", "scar.bnk"};
  Game(kNfs3Key, dir / "game/", "GameData/CarModel/FM50", stored);
  test::MakeFolder(reference);
  test::WriteText(reference + "dash.qfs", "old");
  std::filesystem::create_hard_link(reference + "dash.qfs", dir / "opened meanwhile");
  Run();
  EXPECT_EQ(test::ReadText(dir / "opened meanwhile"), "old");
  EXPECT_EQ(test::ListNames(reference), collected);
  for (std::size_t i = 0; i < collected.size(); ++i)
    EXPECT_EQ(test::ReadText(reference + collected[i]), "content of " + stored[i]);
  EXPECT_EQ(test::ListNames(car), Names{"CAR.VIV"});
  EXPECT_EQ(report.referenceFiles.size(), collected.size());
  EXPECT_EQ(test::ListNames(program), Names{}) << "nothing is written beside the program";
}

// Reference cars are read where they are: a folder named like the archive is left alone. Game
// paths are stored with one final separator, "N/A" for a game not found. The registry's shell
// verbs (read back one by one in the Wine suite): 58 keys, commands quoted.
TEST_F(FirstRunSetupTest, UnusableReferenceCarsAreSkippedAndTheSetupCompletes) {
  const GamePaths none = Run();
  EXPECT_EQ(std::pair(none.nfs3Path, none.nfs4Path), std::pair(std::string("N/A"), std::string("N/A")));
  EXPECT_EQ(settings.GetProfileString("Settings", "NFS4Path", ""), "N/A");
  EXPECT_EQ(registry.ReadString(RegistryRoot::ClassesRoot, "vivfile\\shell\\convertinstall4\\command", ""),
            "\"" + program + "velkor\" /ci4 \"%1\"");
  const std::string store = test::ReadText(dir / "registry.reg"), classes = "[HKEY_CLASSES_ROOT\\";
  std::size_t keys = 0;
  for (std::size_t at = store.find(classes); at != std::string::npos; at = store.find(classes, at + 1)) ++keys;
  EXPECT_EQ(keys, 58u);
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

}  // namespace
}  // namespace velkor
