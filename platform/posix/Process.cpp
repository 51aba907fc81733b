#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "base/Errors.h"
#include "platform/FileSystem.h"

namespace velkor::platform {

CommandLine ProgramCommandLine(int argc, char** argv) {
  CommandLine commandLine;
  for (int i = 1; i < argc; ++i) commandLine.arguments.emplace_back(argv[i]);
  return commandLine;
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty() || folder.front() != '/') continue;  // relative entries depend on where Velkor runs
    const std::string candidate = folder + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return "";
}

namespace {

// Waits for the child until `deadline`: true when it ended (status set), false when time ran out.
bool WaitUntil(pid_t pid, std::chrono::steady_clock::time_point deadline, int& status) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  for (;;) {
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) break;
    if (ended < 0 && errno != EINTR) {
      status = -1;  // not a normal end
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      if (pidfd >= 0) ::close(pidfd);
      return false;
    }
    if (pidfd >= 0) {
      pollfd ready{pidfd, POLLIN, 0};
      ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
    } else {  // a kernel before pidfds: look again shortly
      const timespec pause{0, 10'000'000};
      ::nanosleep(&pause, nullptr);
    }
  }
  if (pidfd >= 0) ::close(pidfd);
  return true;
}

}  // namespace

int RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeLimit) {
  if (argv.empty()) return -1;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::setpgid(0, 0);  // a group of its own, so that what it starts is killed with it
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      ::dup2(devNull, 0);
      ::dup2(devNull, 1);
      ::dup2(devNull, 2);
    }
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::setpgid(pid, pid);  // also here: the kill below may come before the child ran
  int status = 0;
  if (!WaitUntil(pid, deadline, status)) {
    ::kill(-pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return kProgramTimedOut;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool UserRunsProgram(const std::string& name) {
  for (const FolderEntry& entry : ListFolder("/proc")) {
    if (entry.name.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat st {};
    if (::stat(entry.fullPath.c_str(), &st) != 0 || st.st_uid != ::getuid()) continue;
    std::ifstream comm(entry.fullPath + "/comm");
    std::string command;
    if (std::getline(comm, command) && command == name) return true;
  }
  return false;
}

}  // namespace velkor::platform
