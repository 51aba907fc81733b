#include "cli/RunVelkor.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "sample/SampleCar.h"

namespace velkor::test {

namespace fs = std::filesystem;

namespace {

int startedCount = 0;

// In the child: standard output and error to `out` and `err`, the environment for `home`,
// then the program.
[[noreturn]] void ExecVelkor(const std::vector<std::string>& args, const std::string& home,
                             const std::map<std::string, std::string>& environment, const std::string& executable,
                             int out, int err) {
  ::dup2(out, 1);
  ::dup2(err, 2);
  ::setenv("HOME", home.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("WINEPREFIX", (home + "/.wine").c_str(), 1);
  for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
  std::vector<char*> argv{const_cast<char*>(executable.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(executable.c_str(), argv.data());
  ::_exit(127);
}

// Waits for the program to end; its exit status and standard output, and `err`.
RunResult Collect(pid_t pid, const std::string& outPath, std::string err) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(outPath), std::move(err)};
  fs::remove(outPath);
  return result;
}

}  // namespace

RunResult RunVelkor(const std::vector<std::string>& args, const std::string& home,
                    const std::map<std::string, std::string>& environment, const std::string& executable) {
  const std::string outPath = home + "/.velkor-run.out", errPath = home + "/.velkor-run.err";
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0)
    ExecVelkor(args, home, environment, executable, ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
               ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
  RunResult result = Collect(pid, outPath, "");
  result.err = ReadText(errPath);
  fs::remove(errPath);
  return result;
}

::testing::AssertionResult Ended(const RunResult& run, int status, const std::vector<std::string>& parts) {
  const auto failure = [&](const std::string& what) {
    return ::testing::AssertionFailure() << what << "\nstandard error: " << run.err << "\nstandard output: " << run.out;
  };
  if (run.exitStatus != status)
    return failure("exit status " + std::to_string(run.exitStatus) + " instead of " + std::to_string(status));
  for (const std::string& part : parts)
    if (run.err.find(part) == std::string::npos) return failure("no '" + part + "' on standard error");
  return ::testing::AssertionSuccess();
}

StartedVelkor::StartedVelkor(const std::vector<std::string>& args, const std::string& home,
                             const std::string& executable)
    : outPath_(home + "/.velkor-started-" + std::to_string(::getpid()) + "-" + std::to_string(++startedCount) + ".out") {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) ExecVelkor(args, home, {}, executable, ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), fds[1]);
  ::close(fds[1]);
  errPipe_ = fds[0];
}

StartedVelkor::~StartedVelkor() {
  if (pid_ > 0) Finish();
}

bool StartedVelkor::ErrorShows(const std::string& text) {
  char buffer[4096];
  while (text.empty() || err_.find(text) == std::string::npos) {
    const ssize_t n = ::read(errPipe_, buffer, sizeof buffer);
    if (n <= 0) return false;
    err_.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

RunResult StartedVelkor::Finish() {
  ErrorShows("");  // everything up to the end
  ::close(errPipe_);
  return Collect(std::exchange(pid_, -1), outPath_, err_);
}

RunResult RunUnprivileged(const std::vector<std::string>& args, const std::string& home,
                          const std::string& executable) {
  if (::geteuid() != 0) return RunVelkor(args, home, {}, executable);
  std::vector<std::string> all = {"--reuid=nobody", "--regid=nogroup", "--clear-groups", executable};
  all.insert(all.end(), args.begin(), args.end());
  return RunVelkor(all, home, {}, "/usr/bin/setpriv");
}

bool CanDropPrivileges() { return ::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) == 0; }

bool Installed(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

CliHome::CliHome() {
  MakeFolder(dir_ / "bin dir");
  fs::copy_file(VELKOR_EXE, Program());
  std::vector<sample::Member> references = sample::Nfs4ReferenceCar();
  for (const auto& member : sample::Nfs3ReferenceCar())
    if (member.first == "dash.qfs") references.push_back(member);
  MakeFolder(Data());
  for (const auto& [name, bytes] : references) WriteBytes(Data() + "/" + name, bytes);
  MakeFolder(Nfs3Cars()), MakeFolder(Nfs4Cars()), MakeFolder(dir_ / ".config/Velkor");
  std::string store = "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n\"Installed\"=dword:00000001\n"
                      "\"NFS3Path\"=\"" + (dir_ / "nfs3/") + "\"\n\"NFS4Path\"=\"" + (dir_ / "nfs4/") + "\"\n";
  // The games' folders as their installers name them.
  for (const auto& [game, folder] : {std::pair{"Need For Speed III", "nfs3"}, {"Need for Speed High Stakes", "nfs4"}})
    store += "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\" + std::string(game) + "]\n\"InstallPath\"=\"" +
             (dir_ / folder) + "\"\n";
  WriteText(Store(), store);
}

std::string CliHome::Put(const std::string& path, const Bytes& bytes) const {
  const std::string full = path.starts_with('/') ? path : dir_ / path;
  fs::create_directories(fs::path(full).parent_path());
  WriteBytes(full, bytes);
  return full;
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> snapshot;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    std::string& entry = snapshot[fs::relative(it->path(), root).string()];
    if (it->is_symlink()) entry = "<link> " + fs::read_symlink(it->path()).string();
    else if (it->is_directory()) entry = "<folder>";
    else if (it->file_size() > (1 << 20)) entry = std::to_string(it->file_size());
    else entry = ReadText(it->path().string());
  }
  return snapshot;
}

}  // namespace velkor::test
