#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "base/Errors.h"
#include "platform/PathResolver.h"
#include "settings/GameDiscovery.h"
#include "settings/LutrisConfig.h"
#include "settings/RegistryStore.h"
#include "settings/WineRegistry.h"
#include "support/Environment.h"
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
      // A list under a key at the key's own indentation, as Lutris writes them.
      {"game:\n  launch_configs:\n  - exe: a.exe\n    prefix: /no\n  - exe: b.exe\n  prefix: /p\n", "/p"},
      {"game:\n  prefix: \"/a\\\\b\\u00e9\\x41\\u4E2D\\U0001F600\\\"\"\n",
       "/a\\b\xC3\xA9" "A\xE4\xB8\xAD\xF0\x9F\x98\x80\""},
      {"\xEF\xBB\xBF---\r\ngame:\r\n\r\n  # comment\r\n  prefix: /p#q\r\n", "/p#q"},
      {"game: &g\n  prefix: /first\nother: *g\ngame:\n  prefix: /last\n", "/last"},
      {"game:\n  exe: x\n", std::nullopt},
      {"game:\n  prefix: ~\n", std::nullopt},
      {"- game:\n    prefix: /no\n", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadLutrisPrefix("g.yml", text), expected) << text;

  // YAML that is not well-formed (in its syntax or its bytes), and YAML that names no path:
  // the error names the file and the line.
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"game:\n  prefix: \"/unclosed\n\n", "line 4"}, {"a: 1\ngame:\n  prefix: /a\xFF\n", "line 3"},
      {"game: [1]\n", "line 1"}, {"\ngame:\n  - a\n", "line 3"}, {"game:\n  prefix:\n    a: b\n", "line 3"},
      {"game:\n  prefix: \"/a\\0b\"\n", "line 2"}};
  for (const auto& [text, line] : broken) {
    try {
      ReadLutrisPrefix("g.yml", text);
      ADD_FAILURE() << "no error for " << text;
    } catch (const FormatError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("'g.yml': " + line + ": ", 0), 0u) << e.what();
    }
  }
}

class GameDiscoveryTest : public ::testing::Test {
 protected:
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
  test::ScopedEnvironment environment{test::HomeAt(home.path())};
  FileRegistry registry{home / "registry.reg"};
};

// The settings store comes first; where it names no folder, a prefix with the game at every
// place, in the order they are tried: removing the winner's registry each time shows the next.
TEST_F(GameDiscoveryTest, EveryKindOfPlaceIsTriedInOrderAndPrefixesWithoutTheGameArePassedOver) {
  const std::vector<std::pair<std::string, std::string>> places = {  // the prefix below home, its kind
      {"custom", "WINEPREFIX"}, {".wine", "~/.wine"}, {"Games/a", "Lutris"}, {"Games/b", "Lutris"},
      {"Games/c", "Lutris"}, {"Games/d", "Lutris"}, {".local/share/bottles/bottles/c", "Bottles"},
      {".local/share/bottles/bottles/d", "Bottles"},
      {".var/app/com.usebottles.bottles/data/bottles/bottles/x", "Bottles"},
      {".PlayOnLinux/wineprefix/x", "PlayOnLinux"}, {".local/share/Steam/steamapps/compatdata/2310/pfx", "Steam"},
      {".steam/steam/steamapps/compatdata/2310/pfx", "Steam"}, {"Games/Heroic/Prefixes/x", "Heroic"}};
  for (const auto& [relative, kind] : places) MakePrefix(relative);
  test::SetEnvironment("WINEPREFIX", home / "custom");
  LutrisGame(".config/lutris/games/nfs.yml", "'~/Games/a'");
  LutrisGame(".local/share/lutris/games/nfs.yml", home / "Games/b");
  LutrisGame(".var/app/net.lutris.Lutris/config/lutris/games/nfs.yml", "~/Games/c");
  LutrisGame(".var/app/net.lutris.Lutris/data/lutris/games/nfs.yml", home / "Games/d");
  // Bottles in name order: "a" names a folder that does not exist; "a1" names the game and then
  // goes on with a line far longer than any Wine writes, "a2" is far larger than any (both are
  // passed over with a warning); "b" names another game only.
  MakePrefix(".local/share/bottles/bottles/a", "NFS4", false);
  const std::string longLine = MakePrefix(".local/share/bottles/bottles/a1") + "/system.reg";
  fs::resize_file(longLine, 60u << 20);  // a sparse run of NUL bytes without a line end
  const std::string large = MakePrefix(".local/share/bottles/bottles/a2") + "/system.reg";
  fs::resize_file(large, 100u << 20);
  MakePrefix(".local/share/bottles/bottles/b", "NFS4", true, "Software\\\\Electronic Arts\\\\Need For Speed III");
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", "/games/nfs4");
  const GameLocation stored = Find();
  EXPECT_EQ(stored.folder, "/games/nfs4");
  EXPECT_EQ(stored.foundIn, "the settings store");
  registry.WriteString(RegistryRoot::LocalMachine, kNfs4Key, "InstallPath", "");
  ::testing::internal::CaptureStderr();
  for (const auto& [relative, kind] : places) {
    const GameLocation found = Find();
    EXPECT_EQ(found.folder, In(home / relative)) << relative;
    EXPECT_EQ(found.foundIn, "Wine prefix " + home / relative + " (" + kind + ")");
    EXPECT_TRUE(found.searched.empty());
    fs::remove(home / relative + "/system.reg");
  }
  EXPECT_EQ(Find().folder, "");
  const std::string err = ::testing::internal::GetCapturedStderr();
  const std::string passing = "velkor: warning: passing over the Wine prefix registry: '";
  EXPECT_NE(err.find(passing + longLine + "': line 5 is longer"), std::string::npos) << err;
  EXPECT_NE(err.find(passing + large + "': larger than"), std::string::npos) << err;
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
