#include "platform/PathResolver.h"

namespace velkor::platform {

std::string ResolveInGameFolder(const std::string& gameFolder, const std::string& relative) {
  std::string path = gameFolder;
  for (char c : relative) path += c == '/' ? '\\' : c;
  return path;
}

}  // namespace velkor::platform
