#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/Text.h"

namespace velkor {

// The languages of the front-end text files "fedata.<language>", in the order a car
// archive holds them.
inline constexpr std::array<std::string_view, 7> kFrontEndLanguages = {"eng", "bri", "ger", "fre",
                                                                       "ita", "spa", "swe"};

inline std::string FrontEndFileName(std::string_view language) { return "fedata." + std::string(language); }

// True when `path` ends with a front-end file name ("fedata.eng", ...), compared exactly.
inline bool EndsWithFrontEndFileName(std::string_view path) {
  constexpr std::string_view kStem = "fedata.";
  for (std::string_view language : kFrontEndLanguages)
    if (EndsWith(path, language) && EndsWith(path.substr(0, path.size() - language.size()), kStem)) return true;
  return false;
}

}  // namespace velkor
