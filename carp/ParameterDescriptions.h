#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace velkor {

// Labels 0 to 79 exist in both games' performance files; label 80 only in NFS4 files.
inline constexpr std::size_t kNfs3ParameterCount = 80;
inline constexpr std::size_t kNfs4ParameterCount = 81;

// The description line text of each parameter, indexed by label. Both writers put it
// directly before the label, e.g. "Serial Number(0)".
extern const std::array<std::string_view, kNfs4ParameterCount> parameterDescriptions;

}  // namespace velkor
