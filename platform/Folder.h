#pragma once

#include <optional>
#include <string>

#include "platform/File.h"

namespace velkor::platform {

// An open folder that files are created in by name. The names are taken relative to the
// folder that was opened, and a symbolic link at a name is never followed, so a folder or
// file swapped for a link after it was checked is never written through.
class Folder {
 public:
  // Opens an existing folder; raises FileError when `path` is a symbolic link or no folder.
  explicit Folder(std::string path);
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string& Path() const { return path_; }

  // Creates the file `name` (a plain name, no folders) in this folder, or empties the file
  // of that name. Raises FileError when a link, a folder or anything but a regular file
  // has that name.
  File CreateFileInside(const std::string& name);
  // Creates the file `name` only when nothing of that name exists (then it is a new, empty
  // regular file, with no check to make); nothing otherwise. Other failures raise as
  // CreateFileInside does.
  std::optional<File> CreateNewFileInside(const std::string& name);

 private:
  std::string path_;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace velkor::platform
