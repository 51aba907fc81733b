#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/Errors.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace velkor::platform {

bool CreateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  const int error = errno;
  if (error == EEXIST) return false;
  throw FileError(path, "create the folder", std::strerror(error));
}

bool PathIsTaken(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string FinalTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {  // the system's own limit
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), text.data(), text.size());
    if (n < 0) throw FileError(current, "read the link", std::strerror(errno));
    text.resize(static_cast<std::size_t>(n));
    current = !text.empty() && text.front() == '/' ? text : FolderPartOf(current) + text;
  }
  throw FileError(path, "follow the link", std::strerror(ELOOP));
}

void CopyFileReplacing(const std::string& from, const std::string& to) {
  const std::string action = "copy '" + from + "' to";
  try {
    File in = File::Open(from, File::ReadExisting);
    struct stat a {}, b {};
    if (::stat(from.c_str(), &a) == 0 && ::stat(to.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino)
      return;
    File out = File::Open(to, File::CreateOrTruncate);
    in.CopyRangeTo(out, 0, in.Length());
    out.Close();
  } catch (const FileError& e) {
    throw FileError(to, action, e.reason());
  }
}

void ReplaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw FileError(to, "replace", std::strerror(errno));
}

bool RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR) return false;
  throw FileError(path, "remove", std::strerror(error));
}

bool RemoveEmptyFolder(const std::string& path) {
  if (::rmdir(path.c_str()) == 0) return true;
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR || error == ENOTEMPTY || error == EEXIST) return false;
  throw FileError(path, "remove the folder", std::strerror(error));
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return entries;
  // Room for as many entries as the folder's size allows for (at least 12 bytes each on
  // ext4, 20 on tmpfs), so that a big listing is not copied as it grows. Only the part
  // filled is ever touched; the guess is capped, and a folder that holds more grows as usual.
  struct stat folderStat {};
  if (::fstat(::dirfd(dir.get()), &folderStat) == 0 && folderStat.st_size > 0)
    entries.reserve(static_cast<std::size_t>(std::min<off_t>(folderStat.st_size / 12, 65536)));
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  while (const dirent* e = ::readdir(dir.get())) {
    const char* name = e->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    // Built in place: one allocation for the path, none for a short name.
    FolderEntry& entry = entries.emplace_back();
    entry.name = name;
    entry.fullPath.reserve(base.size() + entry.name.size());
    entry.fullPath.append(base).append(entry.name);
    // The entry's type comes with the listing on most file systems; only links (to learn
    // what they lead to) and entries of unreported type cost a call of their own.
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {
      struct stat lst {};
      type = ::lstat(entry.fullPath.c_str(), &lst) != 0 ? DT_UNKNOWN
             : S_ISLNK(lst.st_mode)                    ? DT_LNK
             : S_ISDIR(lst.st_mode)                    ? DT_DIR
             : S_ISREG(lst.st_mode)                    ? DT_REG
                                                       : DT_FIFO;  // any special file
    }
    entry.isLink = type == DT_LNK;
    if (entry.isLink) {
      struct stat st {};  // what the link leads to, when it leads anywhere
      const bool reached = ::stat(entry.fullPath.c_str(), &st) == 0;
      entry.isFolder = reached && S_ISDIR(st.st_mode);
      entry.isSpecial = reached && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode);
    } else {
      entry.isFolder = type == DT_DIR;
      entry.isSpecial = type != DT_DIR && type != DT_REG && type != DT_UNKNOWN;
    }
  }
  return entries;
}

void MakeExecutable(const std::string& path) {
  struct stat st {};
  // Each read permission brings the execute permission beside it.
  if (::stat(path.c_str(), &st) == 0 && ::chmod(path.c_str(), (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2)) == 0)
    return;
  const int error = errno;
  throw FileError(path, "make executable", std::strerror(error));
}

}  // namespace velkor::platform
