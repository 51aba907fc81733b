#include "base/Errors.h"

namespace velkor {

FileError::FileError(const std::string& path, const std::string& action, const std::string& reason)
    : Error("cannot " + action + " '" + path + "': " + reason), reason_(reason) {}

FormatError::FormatError(const std::string& path, std::uint64_t offset, const std::string& what)
    : Error("'" + path + "' at offset " + std::to_string(offset) + ": " + what) {}

FormatError::FormatError(const std::string& path, const std::string& what)
    : Error("'" + path + "': " + what) {}

}  // namespace velkor
