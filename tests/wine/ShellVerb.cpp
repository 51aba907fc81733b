// Starts a registered Explorer verb as Explorer does: reads the command text of
// HKEY_CLASSES_ROOT\<class>\shell\<verb>\command, puts the item's path in place of "%1",
// starts that command line as it stands and returns the program's exit status:
//   velkor_shell_verb.exe <class> <verb> <path>
// It hands its own standard handles to the program, so a failure shows in the test's output.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) return std::fprintf(stderr, "usage: velkor_shell_verb <class> <verb> <path>\n"), 100;
  const std::string key = std::string(argv[1]) + "\\shell\\" + argv[2] + "\\command";
  std::vector<char> text(32768, '\0');
  DWORD size = static_cast<DWORD>(text.size());
  if (::RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS)
    return std::fprintf(stderr, "velkor_shell_verb: no command text in HKEY_CLASSES_ROOT\\%s\n", key.c_str()), 101;
  std::string commandLine = text.data();
  const std::size_t at = commandLine.find("%1");
  if (at == std::string::npos) return std::fprintf(stderr, "velkor_shell_verb: no %%1 in %s\n", commandLine.c_str()), 102;
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
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return std::fprintf(stderr, "velkor_shell_verb: cannot start %s (error %lu)\n", commandLine.c_str(), ::GetLastError()), 103;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
