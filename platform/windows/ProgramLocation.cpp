#include "platform/ProgramLocation.h"

#include <cstdlib>

#include "base/Errors.h"
#include "platform/windows/Win32.h"

namespace velkor::platform {

std::string ExecutablePath() {
  // Grow the buffer until the path fits: a cut path would name another folder.
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::string buffer(size, '\0');
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), size);
    if (n == 0) throw FileError("the running program", "find the path of", SystemMessage(::GetLastError()));
    if (n < size) {
      buffer.resize(n);
      return buffer;
    }
    if (size >= 32768) throw FileError(buffer, "find the path of", "the path is too long");
  }
}

// Fixed rather than taken from the file name, so the settings do not move when the
// executable is saved as "Velkor (1).exe" or renamed.
std::string UserHomeFromSystem() {
  if (const char* profile = std::getenv("USERPROFILE"); profile && *profile) return profile;
  return ".";
}

std::string ApplicationName() { return "Velkor"; }

}  // namespace velkor::platform
