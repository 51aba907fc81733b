#pragma once

#include <string>

namespace velkor {

// The name of the folder that directly holds a car archive ("viper" for
// .../viper/car.viv), under which an installed car is stored. Raises CommandError when
// the archive lies in no such folder or the name could not name a folder.
std::string CarNameFromPath(const std::string& archivePath);

}  // namespace velkor
