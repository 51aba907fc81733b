#pragma once

#include <ostream>
#include <string>

namespace velkor {

// "--list": prints an archive's directory (index, offset, length, the kind its member
// would be opened as, name) after the checks that unpacking makes; writes no file.
void ListArchive(const std::string& archivePath, std::ostream& out);

}  // namespace velkor
