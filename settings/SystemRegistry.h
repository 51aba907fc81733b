#pragma once

#include <memory>

#include "platform/Registry.h"

namespace velkor {

// The registry Velkor keeps its settings in: the system's own where there is one,
// otherwise the store file $XDG_CONFIG_HOME/Velkor/registry.reg.
std::unique_ptr<Registry> OpenSystemRegistry();

}  // namespace velkor
