#include "app/Workflows.h"

namespace velkor {

void ConvertCar(const std::string&, Game, bool, const std::string&, const std::string&) {}

}  // namespace velkor
