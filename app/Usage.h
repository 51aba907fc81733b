#pragma once

namespace velkor {

// The command summary printed by --help and after a usage error.
extern const char* const kUsageText;

}  // namespace velkor
