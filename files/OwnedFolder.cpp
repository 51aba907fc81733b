#include "files/OwnedFolder.h"

#include <utility>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "files/GameFile.h"
#include "platform/FileSystem.h"

namespace velkor {

OwnedFolder::OwnedFolder(std::string path) : path_(std::move(path)) {}

OwnedFolder::~OwnedFolder() { Discard(); }

OwnedFolder::OwnedFolder(OwnedFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}

OwnedFolder& OwnedFolder::operator=(OwnedFolder&& other) noexcept {
  if (this != &other) {
    Discard();
    path_ = std::exchange(other.path_, {});
  }
  return *this;
}

void OwnedFolder::Discard() {
  if (!path_.empty()) DeleteFolderTree(std::exchange(path_, {}));
}

OwnedFolder OwnedFolder::Create(const std::string& path) {
  if (!platform::CreateFolder(path)) throw FileError(path, "create the folder", "something of that name exists already");
  return OwnedFolder(path);
}

OwnedFolder OwnedFolder::CreateBeside(const std::string& target) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = UnguessablePathBeside(target);
    if (platform::CreateFolder(path)) return OwnedFolder(path);
  }
  throw FileError(target, "create a working folder beside", "every name tried was taken");
}

}  // namespace velkor
