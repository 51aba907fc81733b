#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/PathResolver.h"
#include "settings/GameDiscovery.h"
#include "settings/RegistryStore.h"
#include "settings/WineRegistry.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

const std::string kNfs4Key = "Software\\Electronic Arts\\Need for Speed High Stakes";

TEST(WineRegistry, FindsEscapedValuesInPlainAndWowKeys) {
  const std::string text =
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
      "[Software\\\\Electronic Arts\\\\Need For Speed III] 1700000000\n#time=1d9\n"
      "\"InstallPath\"=\"C:\\\\Games\\\\NFS3 \\\"SE\\\"\"\n\n"
      "[Software\\\\Wow6432Node\\\\Electronic Arts\\\\Need for Speed High Stakes] 1700000000\n"
      "\"Other\"=dword:00000001\n\"installpath\"=str(2):\"D:\\\\NFS4\"\n";
  EXPECT_EQ(FindWineRegistryString(text, "software\\electronic arts\\need for speed iii", "InstallPath"),
            "C:\\Games\\NFS3 \"SE\"");
  EXPECT_EQ(FindWineRegistryString(text, "Software\\Wow6432Node\\Electronic Arts\\Need for Speed High Stakes",
                                             "InstallPath"),
            "D:\\NFS4");
  EXPECT_FALSE(FindWineRegistryString(text, kNfs4Key, "InstallPath"));
}

class GameFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("WINEPREFIX", (dir / "wine").c_str(), 1); }
  void TearDown() override { ::unsetenv("WINEPREFIX"); }

  void MakeWinePrefix(const std::string& key) {
    test::MakeFolder(dir / "wine/drive_c/Games/NFS4");
    test::MakeFolder(dir / "wine/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", dir / "wine/dosdevices/c:");
    test::WriteText(dir / "wine/system.reg", "WINE REGISTRY Version 2\n\n[" + key +
                                                 "] 1700000000\n\"InstallPath\"=\"c:\\\\GAMES\\\\nfs4\"\n");
  }

  test::TempDir dir;
  FileRegistry registry{dir / "registry.reg"};
};

TEST_F(GameFoldersTest, TheStoreComesFirstAndTheKeyIsCreated) {
  MakeWinePrefix("Software\\\\Electronic Arts\\\\Need for Speed High Stakes");
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", "/games/nfs4");
  EXPECT_EQ(ReadGameInstallPath(registry, kNfs4Key), "/games/nfs4");

  const std::string nfs3Key = "Software\\Electronic Arts\\Need For Speed III";
  EXPECT_FALSE(ReadGameInstallPath(registry, nfs3Key));
  EXPECT_NE(test::ReadText(dir / "registry.reg").find("[HKEY_LOCAL_MACHINE\\" + nfs3Key + "]"), std::string::npos);
}

TEST_F(GameFoldersTest, WinePathsMapThroughTheDriveLinkIgnoringCase) {
  for (const std::string key : {"Software\\\\Electronic Arts\\\\Need for Speed High Stakes",
                                "Software\\\\Wow6432Node\\\\Electronic Arts\\\\Need for Speed High Stakes"}) {
    std::filesystem::remove_all(dir / "wine");
    MakeWinePrefix(key);
    EXPECT_EQ(ReadGameInstallPath(registry, kNfs4Key), dir / "wine/dosdevices/c:/Games/NFS4") << key;
  }
  const std::string store = test::ReadText(dir / "registry.reg");
  EXPECT_EQ(store.find("InstallPath"), std::string::npos) << "nothing found in Wine is copied into the store";
}

TEST(ResolveInGameFolder, MatchesComponentsIgnoringCaseButAnExactNameAlwaysWins) {
  test::TempDir dir;
  const std::string game = dir / "game/";
  // Whatever order the folder lists them in, each exact name must find itself.
  const std::vector<std::string> names = {"DATA", "Data", "dAtA", "data", "datA"};
  for (const auto& name : names) test::MakeFolder(game + name);
  test::MakeFolder(game + "Data/Cars/FM50");
  test::WriteText(game + "Data/Cars/FM50/CAR.VIV", "x");
  for (const auto& name : names) EXPECT_EQ(platform::ResolveInGameFolder(game, name + "/x"), game + name + "/x");
  EXPECT_EQ(platform::ResolveInGameFolder(game, "Data/cars/fm50/car.viv"), game + "Data/Cars/FM50/CAR.VIV");
  EXPECT_EQ(platform::ResolveInGameFolder(game, "Data/cars/new/car.viv"), game + "Data/Cars/new/car.viv");
  const std::string any = platform::ResolveInGameFolder(game, "daTA");
  EXPECT_NE(std::find(names.begin(), names.end(), any.substr(game.size())), names.end()) << any;
}

}  // namespace
}  // namespace velkor
