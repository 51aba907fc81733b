#include "platform/ProgramLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Errors.h"

namespace velkor::platform {

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) throw FileError("/proc/self/exe", "read", std::strerror(errno));
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

std::string UserHomeFromSystem() {
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

std::string ApplicationName() {
  std::string name = ExecutablePath();
  name = name.substr(name.find_last_of('/') + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace velkor::platform
