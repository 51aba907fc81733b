#pragma once

#include <string>

namespace velkor {

// A folder that this run made, removed with everything in it at the end unless it is kept.
// An empty object owns nothing; a folder that existed before is never owned, so nothing
// that was there before the run is ever deleted through it.
class OwnedFolder {
 public:
  OwnedFolder() = default;
  // Takes over `path`, a folder the caller has just made.
  explicit OwnedFolder(std::string path);
  // Discards the folder unless Keep() was called.
  ~OwnedFolder();
  OwnedFolder(OwnedFolder&& other) noexcept;
  OwnedFolder& operator=(OwnedFolder&& other) noexcept;
  OwnedFolder(const OwnedFolder&) = delete;
  OwnedFolder& operator=(const OwnedFolder&) = delete;

  // Makes the folder `path` (one level); raises FileError with the system's reason when it
  // cannot, also when anything of that name exists already.
  static OwnedFolder Create(const std::string& path);
  // Makes a new hidden folder with a name nobody can guess beside `target`
  // (".<name>.velkor-<random>"): a private place to work in.
  static OwnedFolder CreateBeside(const std::string& target);

  const std::string& Path() const { return path_; }
  bool Owns() const { return !path_.empty(); }
  // Leaves the folder in place; the object owns nothing any more.
  void Keep() { path_.clear(); }
  // Removes the folder with everything in it now.
  void Discard();

 private:
  std::string path_;
};

}  // namespace velkor
