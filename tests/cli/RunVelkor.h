#pragma once

#include <map>
#include <string>
#include <vector>

namespace velkor::test {

struct RunResult {
  int exitStatus = -1;  // -1 when the process ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs the velkor executable with the arguments, in `workingFolder` (when not empty),
// with HOME pointing to `home` (XDG_CONFIG_HOME and XDG_DATA_HOME unset, so their defaults
// lie below it), WINEPREFIX to `home`/.wine, and the extra environment given.
RunResult RunVelkor(const std::vector<std::string>& args, const std::string& home,
                    const std::map<std::string, std::string>& environment = {},
                    const std::string& executable = VELKOR_EXE);

}  // namespace velkor::test
