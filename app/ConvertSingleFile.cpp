#include "app/Workflows.h"

namespace velkor {

void ConvertSingleFile(const std::string&, Game) {}

}  // namespace velkor
