#include "app/KeptCars.h"

#include <cstdio>
#include <ctime>
#include <tuple>

#include "base/Errors.h"
#include "base/Text.h"
#include "files/GameFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Report.h"
#include "settings/UserFolders.h"

namespace velkor {
namespace {

std::string LocalTimeStamp() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  // One thread: the C library's shared buffer is safe here.
  if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", local);
  return text;
}

// Writes the whole of `in` into the new file `out` at `path`; a copy that cannot be
// written whole is removed again.
void WriteKeptCopy(platform::File& in, platform::File& out, const std::string& path, const std::function<void()>& onceNamed) {
  try {
    if (onceNamed) onceNamed();
    in.CopyRangeTo(out, 0, in.Length());
    out.Close();
  } catch (const std::exception&) {
    out.CloseQuietly();
    try {
      platform::RemoveFile(path);
    } catch (const FileError&) {
      // The failure that is being raised matters more than the leftover copy.
    }
    throw;
  }
}

std::string LockPath(const std::string& locksFolder, Game game, const std::string& carFolderName) {
  const std::string folder = platform::JoinPath(locksFolder, ShortName(game));
  ProvideFolders(folder);
  return platform::JoinPath(folder, LowerCaseAscii(carFolderName) + ".lock");
}

// The time and number of a kept copy's name "YYYYMMDD-HHMMSS[-N].viv"; nothing for
// any other name.
std::optional<std::tuple<std::string, long>> KeptNameOrder(const std::string& name) {
  if (name.size() < 19 || name.compare(name.size() - 4, 4, ".viv") != 0 || name[8] != '-') return std::nullopt;
  for (std::size_t i = 0; i < 15; ++i)
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return std::nullopt;
  const std::string rest = name.substr(15, name.size() - 19);
  if (rest.empty()) return std::tuple{name.substr(0, 15), 1L};
  if (rest.size() < 2 || rest.size() > 9 || rest[0] != '-') return std::nullopt;
  long number = 0;
  for (std::size_t i = 1; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
    number = number * 10 + (rest[i] - '0');
  }
  return std::tuple{name.substr(0, 15), number};
}

}  // namespace

std::string KeepReplacedArchive(const std::string& archive, const std::string& keptFolder,
                                const std::function<void()>& onceNamed) {
  std::optional<platform::File> in;
  try {
    in = platform::File::Open(archive, platform::File::ReadExisting);
  } catch (const FileError& e) {
    throw FileError(archive, "keep the replaced car", e.reason() + "; nothing was replaced");
  }
  try {
    ProvideFolders(keptFolder);
  } catch (const FileError& e) {
    throw FileError(keptFolder, "create the folder for the replaced car", e.reason() + "; nothing was replaced");
  }
  const std::string stamp = LocalTimeStamp();
  for (int n = 1; n < 100000; ++n) {
    const std::string kept = platform::JoinPath(keptFolder, stamp + (n == 1 ? "" : "-" + std::to_string(n)) + ".viv");
    try {
      std::optional<platform::File> out = platform::File::Open(kept, platform::File::CreateNew);
      if (!out) continue;  // taken
      WriteKeptCopy(*in, *out, kept, onceNamed);
      return kept;
    } catch (const FileError& e) {
      throw FileError(kept, "keep the replaced car '" + archive + "' as", e.reason() + "; nothing was replaced");
    }
  }
  throw FileError(keptFolder, "keep the replaced car '" + archive + "' in", "every name tried was taken");
}

CarLock::CarLock(const std::string& locksFolder, Game game, const std::string& carFolderName)
    : lock_(LockPath(locksFolder, game, carFolderName), [&] {
        platform::ReportWarning(std::string("another run is installing into ") + ShortName(game) + "'s car folder '" +
                                carFolderName + "'; waiting for it to end");
      }) {}

std::string KeptCarFolder(const std::string& keptCarsFolder, Game game, const std::string& carFolderName) {
  return platform::JoinPath(platform::JoinPath(keptCarsFolder, ShortName(game)), carFolderName);
}

std::optional<std::string> NewestKeptCopy(const std::string& keptFolder) {
  std::optional<std::tuple<std::string, long>> newest;
  std::string path;
  for (const auto& entry : platform::ListFolder(keptFolder)) {
    if (entry.isFolder) continue;
    const auto order = KeptNameOrder(entry.name);
    if (order && (!newest || *order > *newest)) {
      newest = order;
      path = entry.fullPath;
    }
  }
  if (!newest) return std::nullopt;
  return path;
}

std::size_t CountKeptCopies(const std::string& keptFolder) {
  std::size_t count = 0;
  for (const auto& entry : platform::ListFolder(keptFolder))
    if (!entry.isFolder && KeptNameOrder(entry.name)) ++count;
  return count;
}

}  // namespace velkor
