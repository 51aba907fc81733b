#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Report.h"
#include "platform/windows/Win32.h"

// Velkor runs in the GUI subsystem, so Explorer starts it without a console window. A
// message then goes to standard error when a caller redirected it, else to the console of
// the program that started Velkor, and only when there is neither to a message box: a run
// with a console or a redirected standard error (every scripted or automated run) never
// stops at a box that nobody will close.

namespace velkor::platform {
namespace {

// A console takes UTF-16 text: written as bytes, Velkor's UTF-8 would be read in the console's
// own code page, and any name outside ASCII would show garbled.
bool WriteToConsole(HANDLE h, const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  DWORD written = 0;
  return ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) && written == wide.size();
}

bool WriteAll(HANDLE h, const std::string& text) {
  if (DWORD mode = 0; ::GetConsoleMode(h, &mode)) return WriteToConsole(h, text);
  DWORD written = 0;
  return ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

bool IsUsable(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN; }

bool WriteToStandardError(const std::string& text) {
  const HANDLE h = ::GetStdHandle(STD_ERROR_HANDLE);
  return IsUsable(h) && WriteAll(h, text);
}

// The console of the parent process (cmd.exe, PowerShell), opened once and kept until exit.
HANDLE ParentConsole() {
  static const HANDLE console = [] {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) return HANDLE{nullptr};
    const HANDLE h = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    return h == INVALID_HANDLE_VALUE ? HANDLE{nullptr} : h;
  }();
  return console;
}

bool WriteToTerminal(const std::string& line) {
  if (WriteToStandardError(line)) return true;
  const HANDLE console = ParentConsole();
  return console != nullptr && WriteAll(console, line);
}

void ShowBox(const std::string& text, UINT icon) {
  ::MessageBoxA(nullptr, text.c_str(), "Velkor", MB_OK | MB_SETFOREGROUND | icon);
}

// Warnings without a terminal wait here, so that a run shows one box rather than one per
// warning: together with the error that ends the command, or on their own at exit.
std::vector<std::string>& PendingWarnings() {
  static std::vector<std::string> warnings;
  return warnings;
}

std::string TakePendingWarnings() {
  std::string text;
  for (const std::string& warning : PendingWarnings()) text += "Warning: " + warning + "\n";
  PendingWarnings().clear();
  return text;
}

void ShowPendingWarnings() {
  const std::string text = TakePendingWarnings();
  if (!text.empty()) ShowBox(text, MB_ICONWARNING);
}

}  // namespace

// Output redirected to a file or pipe stays there; otherwise the C runtime's stdout, and
// with it std::cout, is reopened on the parent's console.
// The console's code page becomes UTF-8 while Velkor prints, so that the C runtime's bytes
// show as written, and goes back to the one the user's console had when Velkor ends.
void ConnectStandardOutput() {
  if (IsUsable(::GetStdHandle(STD_OUTPUT_HANDLE)) || ParentConsole() == nullptr) return;
  if (std::freopen("CONOUT$", "w", stdout) == nullptr) return;  // the output stays unseen, as before
  static const UINT previous = ::GetConsoleOutputCP();
  if (previous == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8)) return;
  std::atexit([] {
    std::fflush(stdout);
    ::SetConsoleOutputCP(previous);
  });
}

void ReportError(const std::string& message) {
  if (WriteToTerminal("velkor: " + message + "\r\n")) return;
  std::string text = TakePendingWarnings();
  if (!text.empty()) text += "\n";
  ShowBox(text + message, MB_ICONERROR);
}

void ReportWarning(const std::string& message) {
  if (WriteToTerminal("velkor: warning: " + message + "\r\n")) return;
  // The list exists before the exit handler is registered, so it is destroyed after the
  // handler has run.
  std::vector<std::string>& warnings = PendingWarnings();
  static const bool registered = std::atexit(ShowPendingWarnings) == 0;
  if (!registered) {
    ShowBox("Warning: " + message, MB_ICONWARNING);
    return;
  }
  warnings.push_back(message);
}

}  // namespace velkor::platform
