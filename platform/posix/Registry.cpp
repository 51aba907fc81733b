#include "platform/Registry.h"

namespace velkor {

std::unique_ptr<Registry> platform::OpenNativeRegistry() { return nullptr; }

}  // namespace velkor
