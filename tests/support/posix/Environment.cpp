#include <stdlib.h>

#include "support/Environment.h"

void velkor::test::SetEnvironment(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }
void velkor::test::UnsetEnvironment(const std::string& name) { ::unsetenv(name.c_str()); }
