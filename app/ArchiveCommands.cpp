#include "app/Workflows.h"

namespace velkor {

void ExtractArchive(const std::string&) {}

void PackFolder(const std::string&) {}

}  // namespace velkor
