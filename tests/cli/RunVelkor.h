#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor::test {

struct RunResult {
  int exitStatus = -1;  // -1 when the process ended by a signal
  std::string out;
  std::string err;
};

// Runs the velkor executable with the arguments, in `workingFolder` (when not empty),
// with HOME pointing to `home` (XDG_CONFIG_HOME and XDG_DATA_HOME unset, so their defaults
// lie below it), WINEPREFIX to `home`/.wine, and the extra environment given.
RunResult RunVelkor(const std::vector<std::string>& args, const std::string& home,
                    const std::map<std::string, std::string>& environment = {},
                    const std::string& executable = VELKOR_EXE);

// Success when the run ended with `status` and its standard error holds each of `parts`;
// otherwise what differed and what the program printed.
::testing::AssertionResult Ended(const RunResult& run, int status, const std::vector<std::string>& parts = {});

// A run of the program started in the background (as RunVelkor), whose standard error the
// test reads while it runs: for forcing an order between the program and the test.
class StartedVelkor {
 public:
  StartedVelkor(const std::vector<std::string>& args, const std::string& home, const std::string& executable);
  ~StartedVelkor();
  StartedVelkor(const StartedVelkor&) = delete;
  StartedVelkor& operator=(const StartedVelkor&) = delete;
  // Reads standard error until it holds `text` (true) or the program closed it (false).
  bool ErrorShows(const std::string& text);
  // Waits for the end; what it printed.
  RunResult Finish();

 private:
  int pid_ = -1;
  int errPipe_ = -1;
  std::string outPath_;
  std::string err_;
};

// RunVelkor as the user nobody when the tests run as root, for whom permissions do not apply.
RunResult RunUnprivileged(const std::vector<std::string>& args, const std::string& home,
                          const std::string& executable = VELKOR_EXE);
// Whether RunUnprivileged can drop root's privileges (setpriv is there), or there are none.
bool CanDropPrivileges();

// Whether `program` is found on PATH (a test of a helper program skips without it).
bool Installed(const std::string& program);

// A home for the program: a copy of it in "bin dir/", the reference files that car conversion
// adds in the data folder, "Installed", both game paths and both games' InstallPath in the
// settings store, and the games' car folders.
class CliHome {
 public:
  CliHome();
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }
  std::string Program() const { return dir_ / "bin dir/velkor"; }
  std::string Store() const { return dir_ / ".config/Velkor/registry.reg"; }
  std::string Nfs3Cars() const { return dir_ / "nfs3/GameData/CarModel"; }
  std::string Nfs4Cars() const { return dir_ / "nfs4/Data/Cars"; }
  std::string Data() const { return dir_ / ".local/share/Velkor"; }
  RunResult Run(const std::vector<std::string>& args) const { return RunVelkor(args, path(), {}, Program()); }
  // `bytes` as the file `path`, absolute or below the home (folders made as needed); its path.
  std::string Put(const std::string& path, const Bytes& bytes) const;
  std::string PutCar(const std::string& folder, const std::vector<NamedBytes>& members) const {
    return Put(folder + "/car.viv", BuildViv(members));
  }

 private:
  TempDir dir_;
};

// Every file, folder and link below `root` by relative path: a file's bytes (its length
// when over 1 MiB), "<folder>" or "<link> target".
std::map<std::string, std::string> Snapshot(const std::string& root);

}  // namespace velkor::test
