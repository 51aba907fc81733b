#include "platform/Paths.h"

namespace velkor::platform {

bool IsFileNameBoundary(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace velkor::platform
