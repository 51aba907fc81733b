#include "files/RunLifetime.h"

#include <utility>
#include <vector>

#include "base/Errors.h"

namespace velkor {
namespace {

std::vector<std::unique_ptr<GameFile>>& RunLifetimeObjects() {
  static std::vector<std::unique_ptr<GameFile>> objects;
  return objects;
}

}  // namespace

GameFile& KeepUntilEndOfRun(std::unique_ptr<GameFile> file) {
  if (!file) throw InternalError("KeepUntilEndOfRun was given no object");
  // Cleared before anything else can fail, so that no path lets the object delete its folder.
  file->KeepUnpackedFolder();
  auto& objects = RunLifetimeObjects();
  objects.push_back(std::move(file));
  return *objects.back();
}

void EndOfRun() {
  auto& objects = RunLifetimeObjects();
  while (!objects.empty()) objects.pop_back();
}

}  // namespace velkor
