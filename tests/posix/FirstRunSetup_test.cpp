#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "app/Workflows.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

const std::string kNfs3Key = "Software\\Electronic Arts\\Need For Speed III";
const std::string kNfs4Key = "Software\\Electronic Arts\\Need for Speed High Stakes";
const std::string kSettings = "Software\\Velkor\\velkor\\Settings";

const std::vector<std::string> kNfs3Files = {"dash.qfs", "ocar.bnk", "ocard.bnk", "scar.bnk"};
const std::vector<std::string> kNfs4Files = {"careng.bnk", "careng.ctb", "careng.ltb", "dash.fce",
                                             "dash.fsh",   "dash00.tga", "ocareng.bnk", "scareng.bnk"};

// A reference car whose members are the named files, each holding its own name, plus one
// file no list asks for.
Bytes ReferenceCar(const std::vector<std::string>& names) {
  std::vector<test::NamedBytes> members;
  for (const auto& name : names) members.emplace_back(name, test::ToBytes("content of " + name));
  members.emplace_back("car.fce", test::ToBytes("not a reference file"));
  return test::BuildViv(members);
}

class FirstRunSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("WINEPREFIX", (dir / "no-wine").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    ::setenv("HOME", dir.path().c_str(), 1);  // no game of the machine's own Wine prefixes
    test::MakeFolder(programFolder);
  }
  void TearDown() override {
    ::unsetenv("WINEPREFIX");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", home.c_str(), 1);
  }

  GamePaths Run() {
    report = FirstRunSetup(registry, settings, programFolder);
    return report.paths;
  }
  std::optional<std::string> Classes(const std::string& key) {
    return registry.ReadString(RegistryRoot::ClassesRoot, key, "");
  }

  test::TempDir dir;
  std::string programFolder = dir / "Program Files/Velkor/";
  std::string referenceFolder = dir / "data/Velkor/";
  SetupReport report;
  const std::string home = ::getenv("HOME") ? ::getenv("HOME") : "/";
  FileRegistry registry{dir / "registry.reg"};
  SettingsStore settings = [this] {
    SettingsStore s(registry, "velkor");
    s.SetRegistryKey("Velkor");
    return s;
  }();
};

TEST_F(FirstRunSetupTest, OnlyNfs4InstalledCollectsItsEightFilesAndLeavesNoWorkingFolder) {
  const std::string game = dir / "nfs4";
  test::MakeFolder(game + "/data/cars/fm50");
  test::WriteBytes(game + "/data/cars/fm50/car.viv", ReferenceCar(kNfs4Files));
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", game);

  const GamePaths paths = Run();
  EXPECT_EQ(paths.nfs3Path, "N/A");
  EXPECT_EQ(paths.nfs4Path, game + "/");
  EXPECT_EQ(settings.GetProfileString("Settings", "NFS3Path", ""), "N/A");
  EXPECT_EQ(settings.GetProfileString("Settings", "NFS4Path", ""), game + "/");

  EXPECT_EQ(test::ListNames(referenceFolder), kNfs4Files);
  EXPECT_TRUE(test::ListNames(programFolder).empty());
  for (const auto& name : kNfs4Files) EXPECT_EQ(test::ReadText(referenceFolder + name), "content of " + name);
  EXPECT_EQ(report.referenceFolder, referenceFolder);
  EXPECT_EQ(report.referenceFiles.size(), 8u);
  EXPECT_EQ(report.nfs4.foundIn, "the settings store");
  EXPECT_EQ(test::ListNames(game + "/data/cars/fm50"), std::vector<std::string>{"car.viv"});
}

TEST_F(FirstRunSetupTest, AFinalSeparatorIsAddedOnlyWhenMissingAndCaseDoesNotMatter) {
  const std::string game = dir / "NFS3 Game/";
  test::MakeFolder(game + "GameData/CarModel/FM50");
  test::WriteBytes(game + "GameData/CarModel/FM50/CAR.VIV", ReferenceCar({"DASH.QFS", "ocar.bnk", "ocard.bnk"}));
  registry.WriteString(RegistryRoot::LocalMachine, kNfs3Key, "InstallPath", game);

  EXPECT_EQ(Run().nfs3Path, game);
  // The archive's members are found whatever their case; a missing one is passed over.
  EXPECT_EQ(test::ListNames(referenceFolder), (std::vector<std::string>{"dash.qfs", "ocar.bnk", "ocard.bnk"}));
  EXPECT_EQ(test::ListNames(game + "GameData/CarModel/FM50"), std::vector<std::string>{"CAR.VIV"});
}

TEST_F(FirstRunSetupTest, RegistersFiftyEightVerbValuesWithQuotedCommands) {
  registry.WriteString(RegistryRoot::ClassesRoot, ".txt", "", "somethingelse");
  Run();
  EXPECT_EQ(Classes(".txt"), "txtfile");
  EXPECT_EQ(Classes(".viv"), "vivfile");
  EXPECT_EQ(Classes("Folder\\shell\\pack"), "Pack to new VIV");
  EXPECT_EQ(Classes("Folder\\shell\\pack\\command"), "\"" + programFolder + "velkor\" /p \"%1\"");
  EXPECT_EQ(Classes("vivfile\\shell\\convertinstall4"), "Convert to NFS4 and install");
  EXPECT_EQ(Classes("vivfile\\shell\\convertinstall4\\command"), "\"" + programFolder + "velkor\" /ci4 \"%1\"");
  EXPECT_EQ(Classes("swefile\\shell\\convert3\\command"), "\"" + programFolder + "velkor\" /c3 \"%1\"");
  EXPECT_FALSE(Classes("swefile\\shell\\convertinstall3"));

  // Count the values below HKEY_CLASSES_ROOT in the store: 58, in the order written.
  const std::string store = test::ReadText(dir / "registry.reg");
  std::vector<std::string> keys;
  for (std::size_t at = store.find("[HKEY_CLASSES_ROOT\\"); at != std::string::npos;
       at = store.find("[HKEY_CLASSES_ROOT\\", at + 1))
    keys.push_back(store.substr(at + 19, store.find(']', at) - at - 19));
  ASSERT_EQ(keys.size(), 58u);
  EXPECT_EQ(keys[0], ".txt") << "existing key kept in place";
  EXPECT_EQ(keys[1], "Folder\\shell\\pack");
  EXPECT_EQ(keys[3], ".viv");
  EXPECT_EQ(keys.back(), "txtfile\\shell\\convert4\\command");
}

TEST_F(FirstRunSetupTest, UnusableReferenceCarsAreSkippedAndTheSetupCompletes) {
  // NFS3: the archive is missing. NFS4: the archive is corrupt.
  const std::string nfs3 = dir / "nfs3";
  const std::string nfs4 = dir / "nfs4";
  test::MakeFolder(nfs3);
  test::MakeFolder(nfs4 + "/data/cars/fm50");
  test::WriteText(nfs4 + "/data/cars/fm50/car.viv", "BIGF\xff\xff\xff\xff");
  registry.WriteString(RegistryRoot::LocalMachine, kNfs3Key, "InstallPath", nfs3);
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", nfs4);

  const GamePaths paths = Run();
  EXPECT_EQ(paths.nfs3Path, nfs3 + "/");
  EXPECT_EQ(paths.nfs4Path, nfs4 + "/");
  EXPECT_TRUE(test::ListNames(referenceFolder).empty());
  EXPECT_EQ(test::ListNames(nfs4 + "/data/cars/fm50"), std::vector<std::string>{"car.viv"});
}

TEST_F(FirstRunSetupTest, AnExistingWorkingFolderIsLeftAloneWithItsFiles) {
  const std::string game = dir / "nfs4";
  test::MakeFolder(game + "/data/cars/fm50/car");
  test::WriteText(game + "/data/cars/fm50/car/my-work.txt", "precious");
  test::WriteBytes(game + "/data/cars/fm50/car.viv", ReferenceCar(kNfs4Files));
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", game);

  Run();
  EXPECT_TRUE(test::ListNames(referenceFolder).empty());
  EXPECT_EQ(test::ListNames(game + "/data/cars/fm50/car"), std::vector<std::string>{"my-work.txt"});
  EXPECT_EQ(test::ReadText(game + "/data/cars/fm50/car/my-work.txt"), "precious");
}

}  // namespace
}  // namespace velkor
