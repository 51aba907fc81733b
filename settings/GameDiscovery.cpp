#include "settings/GameDiscovery.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "base/Errors.h"
#include "base/Text.h"
#include "files/TextFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "platform/ProgramLocation.h"
#include "platform/Report.h"
#include "settings/LutrisConfig.h"
#include "settings/UserFolders.h"
#include "settings/WineRegistry.h"

namespace velkor {
namespace {

// A Lutris file is a few KiB; anything far larger is not what it claims to be and is not
// read into memory.
constexpr std::uint64_t kLargestLutrisFile = 1u << 20;

// "C:\Games\NFS3" -> "<prefix>/dosdevices/c:/Games/NFS3", components matched ignoring case.
std::optional<std::string> MapWindowsPath(const std::string& prefix, const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
  const char drive = AsciiLower(windowsPath[0]);
  if (drive < 'a' || drive > 'z') return std::nullopt;
  std::string relative;
  for (std::size_t i = 2; i < windowsPath.size(); ++i) {
    const char c = windowsPath[i] == '\\' ? '/' : windowsPath[i];
    if (c == '/' && (relative.empty() || relative.back() == '/')) continue;
    relative += c;
  }
  return platform::ResolveInGameFolder(prefix + "/dosdevices/" + drive + ":/", relative);
}

// The folder that a prefix's registry value names, when it exists.
std::optional<std::string> FolderInPrefix(const std::string& prefix, const std::string& value) {
  std::optional<std::string> folder = MapWindowsPath(prefix, value);
  if (!folder && !value.empty() && value.front() == '/') folder = value;
  if (folder && platform::IsFolder(*folder)) return folder;
  return std::nullopt;
}

// For each game not found yet (an empty folder), its folder in this prefix when the
// prefix's system.reg names one that exists. The file is read once for all the games; one
// that is not a registry Wine writes is passed over with a warning naming it.
void FindInPrefix(const std::string& prefix, const std::vector<std::string>& gameKeys,
                  std::vector<std::optional<std::string>>& found) {
  std::vector<std::string> keys;  // per game: its key, then the same below Wow6432Node
  for (const std::string& key : gameKeys) {
    keys.push_back(key);
    keys.push_back("Software\\Wow6432Node\\" + key.substr(key.find('\\') + 1));
  }
  std::optional<std::vector<std::optional<std::string>>> values;
  try {
    values = ReadWineRegistryStrings(prefix + "/system.reg", keys, "InstallPath");
  } catch (const Error& e) {
    platform::ReportWarning("passing over the Wine prefix registry: " + std::string(e.what()));
  }
  if (!values) return;
  for (std::size_t game = 0; game < gameKeys.size(); ++game) {
    for (std::size_t k = 2 * game; k < 2 * game + 2 && !found[game]; ++k)
      if ((*values)[k]) found[game] = FolderInPrefix(prefix, *(*values)[k]);
  }
}

// One place where prefixes are kept, and the prefixes found there.
struct PrefixPlace {
  std::string kind;         // "WINEPREFIX", "Lutris", ...
  std::string description;  // for the list of places searched
  std::vector<std::string> prefixes;
};

// The folders inside `folder` (followed by `below`, e.g. "/pfx"), in name order.
std::vector<std::string> SubfoldersOf(const std::string& folder, const std::string& below = "") {
  std::vector<std::string> names;
  for (const auto& entry : platform::ListFolder(folder))
    if (entry.isFolder) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  std::vector<std::string> prefixes;
  for (const auto& name : names) prefixes.push_back(folder + "/" + name + below);
  return prefixes;
}

std::string ExpandHome(const std::string& path) {
  if (path == "~" || path.rfind("~/", 0) == 0) return HomeFolder() + path.substr(1);
  return path;
}

// The prefixes that the Lutris game files in `folder` name, in the files' name order.
std::vector<std::string> LutrisPrefixes(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : platform::ListFolder(folder))
    if (!entry.isFolder && EndsWith(entry.name, ".yml")) files.push_back(entry.fullPath);
  std::sort(files.begin(), files.end());
  std::vector<std::string> prefixes;
  for (const auto& file : files) {
    const auto text = ReadTextFileIfPossible(file, kLargestLutrisFile);
    if (!text) {
      platform::ReportWarning("passing over the Lutris game file '" + file + "': it cannot be read");
      continue;
    }
    try {
      if (auto prefix = ReadLutrisPrefix(file, *text)) {
        const std::string expanded = ExpandHome(*prefix);
        if (!expanded.empty() && expanded.front() == '/') prefixes.push_back(expanded);
      }
    } catch (const FormatError& e) {
      platform::ReportWarning("passing over the Lutris game file: " + std::string(e.what()));
    }
  }
  return prefixes;
}

std::vector<PrefixPlace> PrefixPlaces() {
  const std::string home = HomeFolder();
  const std::string data = UserDataHome();
  const std::string lutrisFlatpak = home + "/.var/app/net.lutris.Lutris";
  const std::string bottlesFlatpak = home + "/.var/app/com.usebottles.bottles/data/bottles/bottles";
  std::vector<PrefixPlace> places;
  // Wine itself takes only an absolute WINEPREFIX.
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix == '/')
    places.push_back({"WINEPREFIX", std::string("$WINEPREFIX (") + prefix + ")", {prefix}});
  places.push_back({"~/.wine", "the default Wine prefix " + home + "/.wine", {home + "/.wine"}});
  for (const std::string& folder : {UserConfigHome() + "/lutris/games", data + "/lutris/games",
                                    lutrisFlatpak + "/config/lutris/games", lutrisFlatpak + "/data/lutris/games"})
    places.push_back({"Lutris", "Lutris games in " + folder + "/*.yml", LutrisPrefixes(folder)});
  for (const std::string& folder : {data + "/bottles/bottles", bottlesFlatpak})
    places.push_back({"Bottles", "Bottles in " + folder + "/*/", SubfoldersOf(folder)});
  places.push_back({"PlayOnLinux", "PlayOnLinux prefixes in " + home + "/.PlayOnLinux/wineprefix/*/",
                    SubfoldersOf(home + "/.PlayOnLinux/wineprefix")});
  for (const std::string& folder : {home + "/.local/share/Steam/steamapps/compatdata",
                                    home + "/.steam/steam/steamapps/compatdata"})
    places.push_back({"Steam", "Steam prefixes in " + folder + "/*/pfx/", SubfoldersOf(folder, "/pfx")});
  places.push_back({"Heroic", "Heroic prefixes in " + home + "/Games/Heroic/Prefixes/*/",
                    SubfoldersOf(home + "/Games/Heroic/Prefixes")});
  return places;
}

}  // namespace

std::vector<GameLocation> FindGames(Registry& registry, const std::vector<std::string>& gameKeys) {
  std::vector<GameLocation> locations(gameKeys.size());
  std::vector<std::string> unfound;  // the keys of the games the Wine prefixes may hold
  for (std::size_t game = 0; game < gameKeys.size(); ++game) {
    GameLocation& location = locations[game];
    registry.CreateKey(RegistryRoot::LocalMachine, gameKeys[game]);
    const auto stored = registry.ReadString(RegistryRoot::LocalMachine, gameKeys[game], "InstallPath");
    // An empty InstallPath names no folder; elsewhere the Wine prefixes may still have one.
    if (stored && (!stored->empty() || platform::kWindows)) {
      location.folder = *stored;
      location.foundIn = platform::kWindows ? "the registry" : "the settings store";
      continue;
    }
    location.searched.push_back(std::string(platform::kWindows ? "the registry: " : "the settings store: ") +
                                RootName(RegistryRoot::LocalMachine) + "\\" + gameKeys[game] + "\\InstallPath" +
                                (platform::kWindows ? "" : " in " + registry.Location()));
    unfound.push_back(gameKeys[game]);
  }
  // Windows has the games' own keys; elsewhere they live in Wine prefixes.
  if constexpr (platform::kWindows) {
    return locations;
  } else {
    if (unfound.empty()) return locations;
    std::vector<std::optional<std::string>> found(unfound.size());
    std::vector<std::string> foundIn(unfound.size());
    std::vector<std::string> searched;
    std::vector<std::string> tried;
    const auto allFound = [&] {
      return std::all_of(found.begin(), found.end(), [](const auto& folder) { return folder.has_value(); });
    };
    for (const PrefixPlace& place : PrefixPlaces()) {
      searched.push_back(place.description);
      for (const std::string& prefix : place.prefixes) {
        if (allFound()) break;
        if (std::find(tried.begin(), tried.end(), prefix) != tried.end()) continue;
        tried.push_back(prefix);
        FindInPrefix(prefix, unfound, found);
        for (std::size_t game = 0; game < unfound.size(); ++game)
          if (found[game] && foundIn[game].empty()) foundIn[game] = "Wine prefix " + prefix + " (" + place.kind + ")";
      }
    }
    for (std::size_t game = 0, next = 0; game < locations.size(); ++game) {
      GameLocation& location = locations[game];
      if (location.searched.empty()) continue;  // found in the store
      if (found[next]) {
        location = {*found[next], foundIn[next], {}};
      } else {
        location.searched.insert(location.searched.end(), searched.begin(), searched.end());
      }
      ++next;
    }
    return locations;
  }
}

GameLocation FindGame(Registry& registry, const std::string& gameKey) { return FindGames(registry, {gameKey}).front(); }

}  // namespace velkor
