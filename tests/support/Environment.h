#pragma once

#include <string>

namespace velkor::test {

// Sets or removes a variable of this process's environment (Windows has no setenv).
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

}  // namespace velkor::test
