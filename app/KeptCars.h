#pragma once

// The car archives that installations replace, kept so that `velkor --restore` can put
// them back: <kept cars folder>/<NFS3|NFS4>/<car folder>/<YYYYMMDD-HHMMSS>.viv, named
// after the local time ("-2", "-3", ... when the name is taken). Velkor never deletes a
// kept copy.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "app/Game.h"
#include "platform/FileLock.h"

namespace velkor {

// The folder of one car's kept copies.
std::string KeptCarFolder(const std::string& keptCarsFolder, Game game, const std::string& carFolderName);

// Copies `archive` into `keptFolder` (created when missing) under a free name for now;
// returns the copy's path. The copy is created new under its name, so it never replaces
// anything, not even a copy that another run keeps at the same moment. Raises FileError
// when it cannot (nothing is left behind then), which fails the replacement. `onceNamed`,
// when given, runs after the copy's name is taken and before its bytes are written.
std::string KeepReplacedArchive(const std::string& archive, const std::string& keptFolder,
                                const std::function<void()>& onceNamed = nullptr);

// Held by an installation or a restoration from its start to its end, so that runs into
// one car folder take turns: an exclusive lock on `locksFolder`/<NFS3|NFS4>/<car folder in
// lower case>.lock (the games compare names ignoring case). Says on stderr when it waits.
class CarLock {
 public:
  CarLock(const std::string& locksFolder, Game game, const std::string& carFolderName);

 private:
  platform::FileLock lock_;
};

// The newest kept copy in `keptFolder` (by its name's time and number), if any.
std::optional<std::string> NewestKeptCopy(const std::string& keptFolder);

// How many kept copies `keptFolder` holds (0 when it does not exist).
std::size_t CountKeptCopies(const std::string& keptFolder);

}  // namespace velkor
