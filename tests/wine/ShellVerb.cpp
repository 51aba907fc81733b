// Starts a registered Explorer verb the way Explorer does: reads the command text of
// HKEY_CLASSES_ROOT\<class>\shell\<verb>\command, puts the item's path in place of "%1"
// and starts that command line as it stands, then returns the program's exit status.
//
//   velkor_shell_verb.exe <class> <verb> <path>
//
// Unlike Explorer it hands its own standard handles to the program, so that a failure
// shows up in the test's output instead of in a message box.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool ReadCommandText(const std::string& key, std::string& text) {
  DWORD size = 0;
  if (::RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::vector<char> buffer(size + 1, '\0');
  if (::RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer.data(), &size) !=
      ERROR_SUCCESS)
    return false;
  text = buffer.data();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: velkor_shell_verb <class> <verb> <path>\n");
    return 100;
  }
  const std::string key = std::string(argv[1]) + "\\shell\\" + argv[2] + "\\command";
  std::string commandLine;
  if (!ReadCommandText(key, commandLine)) {
    std::fprintf(stderr, "velkor_shell_verb: no command text in HKEY_CLASSES_ROOT\\%s\n", key.c_str());
    return 101;
  }
  const std::size_t at = commandLine.find("%1");
  if (at == std::string::npos) {
    std::fprintf(stderr, "velkor_shell_verb: no %%1 in %s\n", commandLine.c_str());
    return 102;
  }
  commandLine.replace(at, 2, argv[3]);
  std::printf("%s\n", commandLine.c_str());
  std::fflush(stdout);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
    std::fprintf(stderr, "velkor_shell_verb: cannot start %s (error %lu)\n", commandLine.c_str(), ::GetLastError());
    return 103;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
