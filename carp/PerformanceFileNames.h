#pragma once

#include <array>
#include <string_view>

#include "base/Text.h"

namespace velkor {

// The names a performance file goes by: the car's own and the three variants.
inline constexpr std::array<std::string_view, 4> kPerformanceFileNames = {"carp.txt", "carp1.txt", "carp2.txt",
                                                                          "carp3.txt"};

// True when `path` ends with a performance file name, compared exactly.
inline bool EndsWithPerformanceFileName(std::string_view path) {
  for (std::string_view name : kPerformanceFileNames)
    if (EndsWith(path, name)) return true;
  return false;
}

}  // namespace velkor
