#include <stdlib.h>

#include "support/Environment.h"

void velkor::test::SetEnvironment(const std::string& name, const std::string& value) { ::_putenv_s(name.c_str(), value.c_str()); }
// An empty value removes the variable on Windows.
void velkor::test::UnsetEnvironment(const std::string& name) { ::_putenv_s(name.c_str(), ""); }
