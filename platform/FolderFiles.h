#pragma once

#include <cstdint>
#include <string>

#include "platform/File.h"

namespace velkor::platform {

// The files of one folder, looked up by name. On POSIX the folder is opened once and each
// name is looked up inside it, which spares the walk along the folder's whole path for
// each of the thousands of files of a big folder; a folder that cannot be opened so is
// looked up by path. Every call behaves as the same call on the joined path (PathOf),
// messages included.
class FolderFiles {
 public:
  explicit FolderFiles(std::string folder);
  ~FolderFiles();
  FolderFiles(const FolderFiles&) = delete;
  FolderFiles& operator=(const FolderFiles&) = delete;

  std::string PathOf(const std::string& name) const;
  // As File::Open(PathOf(name), File::ReadExisting).
  File Open(const std::string& name) const;

 private:
  std::string folder_;
#ifndef _WIN32
  int fd_ = -1;
#endif
};

}  // namespace velkor::platform
