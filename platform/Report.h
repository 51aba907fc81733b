#pragma once

// What the program says to the user outside its regular output.

#include <string>

namespace velkor::platform {

// Makes what the program prints on standard output reach the user. On Windows a program
// without a console of its own writes to the console of the program that started it,
// unless its output was redirected; elsewhere there is nothing to do.
void ConnectStandardOutput();

// One line on standard error (or, on Windows without a console, a message box).
void ReportError(const std::string& message);
void ReportWarning(const std::string& message);

}  // namespace velkor::platform
