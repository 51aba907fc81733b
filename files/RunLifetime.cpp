#include "files/RunLifetime.h"

#include <utility>
#include <vector>

#include "archives/FshFile.h"
#include "archives/VivArchive.h"
#include "files/Errors.h"

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
  if (auto* archive = dynamic_cast<VivArchive*>(file.get())) archive->removeFolder = false;
  if (auto* images = dynamic_cast<FshFile*>(file.get())) images->removeFolder = false;
  auto& objects = RunLifetimeObjects();
  objects.push_back(std::move(file));
  return *objects.back();
}

void EndOfRun() {
  auto& objects = RunLifetimeObjects();
  while (!objects.empty()) objects.pop_back();
}

}  // namespace velkor
