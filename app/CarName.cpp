#include "app/CarName.h"

#include "base/Errors.h"
#include "platform/Paths.h"

namespace velkor {

std::string CarNameFromPath(const std::string& archivePath) {
  // A relative path names a file below the current folder: take its full form, so that
  // "car.viv" run in a car's folder still yields the car's name.
  const std::string path = platform::FullPath(archivePath);

  const std::size_t nameStart = platform::FileNameStart(path);
  const std::string name = nameStart == 0 ? std::string() : platform::FileNameOf(path.substr(0, nameStart - 1));
  if (name.empty() || name == "." || name == ".." || name.back() == ':')
    throw CommandError("cannot install '" + archivePath +
                       "': it lies in no folder whose name could name the car; put it in a folder named after the car");
  return name;
}

}  // namespace velkor
