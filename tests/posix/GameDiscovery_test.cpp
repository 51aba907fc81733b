#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "base/Errors.h"
#include "platform/PathResolver.h"
#include "settings/GameDiscovery.h"
#include "settings/LutrisConfig.h"
#include "settings/RegistryStore.h"
#include "settings/WineRegistry.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
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

TEST(LutrisConfig, ReadsThePrefixOfTheGameMappingOnly) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"game:\n  exe: /x.exe\n  prefix: /home/u/Games/nfs3\nname: NFS\n", "/home/u/Games/nfs3"},
      {"prefix: /no\nsystem:\n  prefix: /no\ngame:\n  args:\n    prefix: /no\n  prefix: ~/Games/x # mine\n",
       "~/Games/x"},
      {"game:\n    prefix: '/a b/it''s' # c\n", "/a b/it's"},
      {"game:\n  prefix: \"/a\\\\b\\u00e9\\x41\\\"\"\n", "/a\\b\xC3\xA9" "A\""},
      {"game:\n  prefix: /a long\n    path\n  exe: x\n", "/a long path"},
      {"game:\n  prefix: \"/a\n    b\\\n    c\"\n", "/a bc"},
      {"\xEF\xBB\xBF---\r\ngame:\r\n\r\n  # comment\r\n  prefix: /p#q\r\n", "/p#q"},
      {"game:\n  exe: x\n", std::nullopt},
      {"game:\n  prefix: ~\n", std::nullopt},
      {"game: {}\nprefix: /no\n", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadLutrisPrefix("g.yml", text), expected) << text;

  for (const std::string broken : {"game:\n  prefix: '/unclosed\n", "game:\n\tprefix: /p\n", "game:\n  - a\n",
                                   "game:\n  prefix: |\n    /p\n", "game: [1]\n", "game:\n  prefix:\n    a: b\n",
                                   "game:\n  prefix: \"/a\\q\"\n", "game:\n    exe: x\n  prefix: /p\n",
                                   "game:\n  prefix: '/a' b\n"}) {
    EXPECT_THROW(ReadLutrisPrefix("g.yml", broken), FormatError) << broken;
  }
}

// Wine prefixes of every kind in a scratch home, each with its own system.reg.
class GameDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
      saved_.emplace_back(name, ::getenv(name) ? std::optional<std::string>(::getenv(name)) : std::nullopt);
    ::setenv("HOME", home.path().c_str(), 1);
    ::unsetenv("WINEPREFIX");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }

  // A prefix at `relative` below home whose registry names the game at C:\Games\<folder>,
  // with that folder present unless told otherwise. Returns the prefix's path.
  std::string MakePrefix(const std::string& relative, const std::string& folder = "NFS4", bool present = true,
                         const std::string& key = "Software\\\\Electronic Arts\\\\Need for Speed High Stakes") {
    const std::string prefix = home / relative;
    test::MakeFolder(prefix + "/dosdevices");
    test::MakeFolder(prefix + "/drive_c/Games");
    if (present) test::MakeFolder(prefix + "/drive_c/Games/" + folder);
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    test::WriteText(prefix + "/system.reg", "WINE REGISTRY Version 2\n\n[" + key +
                                                "] 1700000000\n\"InstallPath\"=\"C:\\\\games\\\\" + folder + "\"\n");
    return prefix;
  }
  void LutrisGame(const std::string& file, const std::string& prefixValue) {
    test::MakeFolder(fs::path(home / file).parent_path().string());
    test::WriteText(home / file, "game:\n  exe: nfs.exe\n  prefix: " + prefixValue + "\nrunner: wine\n");
  }
  GameLocation Find() { return FindGame(registry, kNfs4Key); }
  static std::string In(const std::string& prefix) { return prefix + "/dosdevices/c:/Games/NFS4"; }

  test::TempDir home;
  FileRegistry registry{home / "registry.reg"};

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(GameDiscoveryTest, TheStoreComesFirstAndTheKeyIsCreated) {
  MakePrefix(".wine");
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", "/games/nfs4");
  const GameLocation found = Find();
  EXPECT_EQ(found.folder, "/games/nfs4");
  EXPECT_EQ(found.foundIn, "the settings store");

  const std::string nfs3Key = "Software\\Electronic Arts\\Need For Speed III";
  const GameLocation missing = FindGame(registry, nfs3Key);
  EXPECT_EQ(missing.folder, "");
  ASSERT_EQ(missing.searched.size(), 12u);
  EXPECT_EQ(missing.searched.front().rfind("the settings store: ", 0), 0u);
  EXPECT_EQ(missing.searched.back(), "Heroic prefixes in " + home / "Games/Heroic/Prefixes/*/");
  EXPECT_NE(test::ReadText(home / "registry.reg").find("[HKEY_LOCAL_MACHINE\\" + nfs3Key + "]"), std::string::npos);
}

TEST_F(GameDiscoveryTest, EachKindOfPrefixIsFound) {
  struct Case {
    std::string prefix;      // below home
    std::string lutrisFile;  // below home; empty when the prefix is not Lutris's
    std::string kind;
  };
  const std::vector<Case> cases = {
      {"custom", "", "WINEPREFIX"},
      {".wine", "", "~/.wine"},
      {"Games/a", ".config/lutris/games/nfs.yml", "Lutris"},
      {"Games/b", ".local/share/lutris/games/nfs.yml", "Lutris"},
      {"Games/c", ".var/app/net.lutris.Lutris/config/lutris/games/nfs.yml", "Lutris"},
      {"Games/d", ".var/app/net.lutris.Lutris/data/lutris/games/nfs.yml", "Lutris"},
      {".local/share/bottles/bottles/NFS", "", "Bottles"},
      {".var/app/com.usebottles.bottles/data/bottles/bottles/NFS", "", "Bottles"},
      {".PlayOnLinux/wineprefix/NFS", "", "PlayOnLinux"},
      {".local/share/Steam/steamapps/compatdata/2310/pfx", "", "Steam"},
      {".steam/steam/steamapps/compatdata/2310/pfx", "", "Steam"},
      {"Games/Heroic/Prefixes/NFS", "", "Heroic"},
  };
  for (const Case& c : cases) {
    fs::remove_all(home.path());
    fs::create_directory(home.path());
    const std::string prefix = MakePrefix(c.prefix);
    if (c.kind == "WINEPREFIX") ::setenv("WINEPREFIX", prefix.c_str(), 1);
    if (!c.lutrisFile.empty()) LutrisGame(c.lutrisFile, "'~/" + c.prefix + "'");
    const GameLocation found = Find();
    EXPECT_EQ(found.folder, In(prefix)) << c.prefix;
    EXPECT_EQ(found.foundIn, "Wine prefix " + prefix + " (" + c.kind + ")") << c.prefix;
    EXPECT_TRUE(found.searched.empty());
    ::unsetenv("WINEPREFIX");
  }
}

TEST_F(GameDiscoveryTest, PlacesAreTriedInOrderAndPrefixesWithoutTheGameArePassedOver) {
  // One prefix with the game at every place; removing the winner each time shows the next.
  std::vector<std::string> order = {MakePrefix("custom"), MakePrefix(".wine"), MakePrefix("Games/lutris")};
  ::setenv("WINEPREFIX", order[0].c_str(), 1);
  LutrisGame(".config/lutris/games/nfs.yml", order[2]);
  // Bottles in name order: "a" names a folder that does not exist, "b" another game only.
  MakePrefix(".local/share/bottles/bottles/a", "NFS4", false);
  MakePrefix(".local/share/bottles/bottles/b", "NFS4", true, "Software\\\\Electronic Arts\\\\Need For Speed III");
  order.push_back(MakePrefix(".local/share/bottles/bottles/c"));
  order.push_back(MakePrefix(".local/share/bottles/bottles/d"));
  order.push_back(MakePrefix(".PlayOnLinux/wineprefix/x"));
  order.push_back(MakePrefix(".local/share/Steam/steamapps/compatdata/1/pfx"));
  order.push_back(MakePrefix("Games/Heroic/Prefixes/x"));
  for (const std::string& prefix : order) {
    EXPECT_EQ(Find().folder, In(prefix));
    fs::remove(prefix + "/system.reg");
  }
  EXPECT_EQ(Find().folder, "");
}

TEST_F(GameDiscoveryTest, ABrokenLutrisFileIsPassedOverWithAWarningNamingIt) {
  const std::string prefix = MakePrefix("Games/nfs");
  test::MakeFolder(home / ".config/lutris/games");
  test::WriteText(home / ".config/lutris/games/a.yml", "game:\n  prefix: \"/never closed\n");
  LutrisGame(".config/lutris/games/b.yml", prefix);
  ::testing::internal::CaptureStderr();
  const GameLocation found = Find();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(found.folder, In(prefix));
  EXPECT_NE(err.find("velkor: warning: passing over the Lutris game file: '" + home / ".config/lutris/games/a.yml" +
                     "'"),
            std::string::npos)
      << err;
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
