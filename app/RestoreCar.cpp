#include "app/KeptCars.h"
#include "app/Workflows.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "files/AtomicOutput.h"
#include "files/GameFile.h"
#include "platform/File.h"
#include "platform/PathResolver.h"
#include "platform/Paths.h"
#include "platform/FileSystem.h"
#include "settings/DataFolder.h"

namespace velkor {
namespace {

// The full, normalised form of a path, without separators at its end.
std::string Normalised(const std::string& path) {
  return platform::WithoutTrailingSeparators(platform::FullPath(path));
}

}  // namespace

RestoreOutcome RestoreCar(const std::string& archivePath, const GamePaths& paths, const std::string& keptCarsFolder) {
  const std::string archive = Normalised(archivePath);
  const std::string carFolder = platform::WithoutTrailingSeparators(platform::FolderPartOf(archive));
  const std::string carsFolder = platform::WithoutTrailingSeparators(platform::FolderPartOf(carFolder));

  // Which game's car folder holds the car; names compare ignoring case, as the games do.
  std::optional<Game> game;
  std::string gameCarsFolder;
  std::string looked;
  for (Game candidate : {Game::Nfs3, Game::Nfs4}) {
    const std::string& gamePath = candidate == Game::Nfs3 ? paths.nfs3Path : paths.nfs4Path;
    if (gamePath.empty() || gamePath == kNotAvailable) continue;
    const std::string folder = platform::ResolveInGameFolder(gamePath, CarsFolderOf(candidate));
    looked += std::string(looked.empty() ? "" : ", ") + ShortName(candidate) + "'s '" + folder + "'";
    if (!game && !carsFolder.empty() && SameIgnoringCase(Normalised(folder), carsFolder)) {
      game = candidate;
      gameCarsFolder = folder;
    }
  }
  if (!game)
    throw CommandError("cannot restore '" + archivePath + "': it is not a car's archive in a game's car folder (" +
                       (looked.empty() ? std::string("no game was found") : looked) + ")");

  // Taken turns with installations into the same car (see ConvertCar).
  const CarLock lock(LocksFolder(), *game, platform::FileNameOf(carFolder));
  RestoreOutcome result;
  const std::string carFolderPath =
      platform::ResolveInGameFolder(platform::JoinPath(gameCarsFolder, ""), platform::FileNameOf(carFolder));
  result.installed.carName = platform::FileNameOf(carFolderPath);
  result.installed.outputPath = platform::ResolveInGameFolder(platform::JoinPath(carFolderPath, ""),
                                                              platform::FileNameOf(archive));
  const std::string keptFolder = KeptCarFolder(keptCarsFolder, *game, result.installed.carName);
  const auto newest = NewestKeptCopy(keptFolder);
  if (!newest)
    throw CommandError("cannot restore '" + archivePath + "': no replaced archive of the car '" +
                       result.installed.carName + "' is kept in '" + keptFolder + "'");
  result.restoredFrom = *newest;

  if (!platform::IsFolder(carFolderPath) && !platform::CreateFolder(carFolderPath) &&
      !platform::IsFolder(carFolderPath))
    throw FileError(carFolderPath, "create the folder", "a file of that name is in the way");
  platform::File in = platform::File::Open(*newest, platform::File::ReadExisting);
  AtomicOutput out(result.installed.outputPath);
  out.BeforeReplacing(
      [&](const std::string& replaced) { result.installed.keptCopy = KeepReplacedArchive(replaced, keptFolder); });
  in.CopyRangeTo(out.file(), 0, in.Length());
  out.Commit();
  return result;
}

}  // namespace velkor
