#include "platform/Paths.h"

namespace velkor::platform {

bool IsFileNameBoundary(char c) { return c == '/'; }

}  // namespace velkor::platform
