#pragma once

#include <string>

namespace velkor {

// The outcome of a command started with --notify, shown as a desktop notification where
// there is a notification service (Linux); a failure is critical. Nothing on Windows, where
// the error is already shown in a message box.
void NotifyDesktop(const std::string& summary, const std::string& body, bool failure);

}  // namespace velkor
