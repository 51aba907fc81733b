#pragma once

#include <string>

namespace velkor {

enum class Game { Nfs3, Nfs4 };

// "NFS3" or "NFS4".
inline const char* ShortName(Game game) { return game == Game::Nfs3 ? "NFS3" : "NFS4"; }

inline const char* FullName(Game game) {
  return game == Game::Nfs3 ? "Need For Speed III" : "Need for Speed High Stakes";
}

// The value a game path holds when the game was not found.
inline constexpr const char* kNotAvailable = "N/A";

// The game's car folder inside its installation, "/"-separated.
inline const char* CarsFolderOf(Game game) { return game == Game::Nfs3 ? "GameData/CarModel" : "Data/Cars"; }

struct GamePaths {
  std::string nfs3Path;
  std::string nfs4Path;
};

}  // namespace velkor
