#include "platform/Report.h"

#include <iostream>

namespace velkor::platform {

void ConnectStandardOutput() {}

void ReportError(const std::string& message) { std::cerr << "velkor: " << message << std::endl; }

void ReportWarning(const std::string& message) { std::cerr << "velkor: warning: " << message << std::endl; }

}  // namespace velkor::platform
