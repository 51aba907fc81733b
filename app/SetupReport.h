#pragma once

#include <ostream>

#include "app/Workflows.h"

namespace velkor {

// The report of `velkor --setup`: where each game was found (or the places searched),
// the reference files collected and the file-manager integration written.
void PrintSetupReport(const SetupReport& report, std::ostream& out);

}  // namespace velkor
