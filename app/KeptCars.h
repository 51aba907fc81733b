#pragma once

// The car archives that installations replace, kept so that `velkor --restore` can put
// them back: <kept cars folder>/<NFS3|NFS4>/<car folder>/<YYYYMMDD-HHMMSS>.viv, named
// after the local time ("-2", "-3", ... when the name is taken). Velkor never deletes a
// kept copy.

#include <cstddef>
#include <optional>
#include <string>

#include "app/Game.h"

namespace velkor {

// The folder of one car's kept copies.
std::string KeptCarFolder(const std::string& keptCarsFolder, Game game, const std::string& carFolderName);

// Copies `archive` into `keptFolder` (created when missing) under a free name for now;
// returns the copy's path. Raises FileError when it cannot, which fails the replacement.
std::string KeepReplacedArchive(const std::string& archive, const std::string& keptFolder);

// The newest kept copy in `keptFolder` (by its name's time and number), if any.
std::optional<std::string> NewestKeptCopy(const std::string& keptFolder);

// How many kept copies `keptFolder` holds (0 when it does not exist).
std::size_t CountKeptCopies(const std::string& keptFolder);

}  // namespace velkor
