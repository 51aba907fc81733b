#pragma once

#include <string>

namespace velkor {

// The command summary printed by --help and after a usage error, made from the command table.
const std::string& UsageText();

}  // namespace velkor
