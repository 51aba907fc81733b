#pragma once

#include <optional>
#include <string>

namespace velkor {

// Looks up a string value in the text of a Wine registry file (system.reg): sections
// "[Software\\Electronic Arts\\Game] 1700000000" hold "name"="value" lines, with "\"
// doubled in key names and values. The key is given with single "\" and compared
// ignoring case, as are value names.
std::optional<std::string> FindWineRegistryString(const std::string& fileText, const std::string& key,
                                                  const std::string& name);

}  // namespace velkor
