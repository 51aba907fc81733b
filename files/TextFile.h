#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velkor {

// The whole of a file that is small by nature (a configuration or registry file of another
// program), as text. Raises FileError when it cannot be read and FormatError when it is
// longer than `largest`, so a file that is not what it claims to be never fills memory.
std::string ReadTextFile(const std::string& path, std::uint64_t largest);

// The same for a file that may well be missing or unusable: nothing then.
std::optional<std::string> ReadTextFileIfPossible(const std::string& path, std::uint64_t largest);

}  // namespace velkor
