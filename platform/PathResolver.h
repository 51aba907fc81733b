#pragma once

#include <string>

namespace velkor::platform {

// `gameFolder` (ending with its separator) followed by `relative`, a "/"-separated path.
// On POSIX every component that exists is matched ignoring case, as Wine does ("CAR.VIV"
// is the archive asked for as "car.viv"): an entry of exactly the name asked for wins,
// otherwise the first that differs only in ASCII case. Components that do not exist keep
// the spelling given. On Windows the components are joined with "\".
std::string ResolveInGameFolder(const std::string& gameFolder, const std::string& relative);

}  // namespace velkor::platform
