#pragma once

#include <string>
#include <vector>

#include "base/Endian.h"

namespace velkor::test {

// A fresh folder for one test, deleted with everything in it when the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const;  // path() joined with a relative name

 private:
  std::string path_;
};

Bytes ToBytes(const std::string& text);
std::string ToText(const Bytes& bytes);
void WriteBytes(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
Bytes ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
bool PathExists(const std::string& path);
void MakeFolder(const std::string& path);
std::vector<std::string> ListNames(const std::string& folder);  // one level, sorted
// `text` as one word of a POSIX shell command line, in single quotes.
std::string ShellQuoted(const std::string& text);

}  // namespace velkor::test
