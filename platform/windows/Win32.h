#pragma once

// <windows.h> without its min/max macros and rarely used parts, plus helpers that the
// Windows side of platform/ shares.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// platform::ReplaceFile is Velkor's own; the Win32 function of that name is not used.
#undef ReplaceFile

#include <string>

namespace velkor::platform {

// The system's text for an error code from GetLastError or a registry call, without the
// final period and line break ("The system cannot find the file specified").
std::string SystemMessage(DWORD error);

}  // namespace velkor::platform
