#pragma once

// What the hostile-input and data-loss suites share: a home folder with a settings store
// and both games installed, a copy of the program with its reference files, snapshots of
// folder trees, and a run of the program that checks what must hold for any input.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/Endian.h"
#include "cli/RunVelkor.h"
#include "support/TestSupport.h"

namespace velkor::test {

// A home folder for the program: "Installed" and both game paths in its settings store,
// the games' car folders (nfs3/GameData/CarModel, nfs4/Data/Cars), and a copy of the
// program in bin/ beside the reference files that car conversion adds to every car.
class HostileHome {
 public:
  HostileHome();
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }
  std::string Executable() const { return dir_ / "bin/velkor"; }
  std::string Nfs3Cars() const { return dir_ / "nfs3/GameData/CarModel"; }
  std::string Nfs4Cars() const { return dir_ / "nfs4/Data/Cars"; }

 private:
  TempDir dir_;
};

// Every file, folder and link below `root`, by path relative to it: a file's content, or
// "<folder>" / "<link> target". Links are not followed.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot Snapshot(const std::string& root);

// Paths that differ between two snapshots (added, removed or changed).
std::vector<std::string> Differences(const TreeSnapshot& before, const TreeSnapshot& after);

// True when the program under test was built with AddressSanitizer, which reserves far
// more address space than any limit that would catch a runaway allocation.
bool BuiltWithAddressSanitizer();

// Runs the program in `home` under an address-space limit of 256 MiB (none in sanitizer
// builds), so that an allocation sized by an unchecked count fails.
RunResult RunLimited(const HostileHome& home, const std::vector<std::string>& args);

// Runs the program on hostile input and checks what must hold whatever the input: the
// process ends with status 0 or 1, never by a signal; status 1 comes with a "velkor: "
// message on stderr; memory never runs out; nothing changes in the home folder outside the
// folders in `mayChange` (paths relative to the home); after a failure nothing changes at
// all. Failures name `label`. Returns the exit status.
int RunOnHostileInput(const HostileHome& home, const std::vector<std::string>& args,
                      const std::vector<std::string>& mayChange, const std::string& label);

// A mutated copy of a file: a label saying what was done, and the bytes.
struct Mutation {
  std::string label;
  Bytes bytes;
};

// `bytes` cut to each of `lengths` (those shorter than the whole), labelled "cut at N".
std::vector<Mutation> Truncations(const Bytes& bytes, const std::vector<std::size_t>& lengths);

// `bytes` with the 32-bit little- or big-endian field at `offset` set to each of the values
// that a hostile file would hold there: the largest positive, negative, all ones, and any
// `extra` values. Labelled with `field`.
std::vector<Mutation> FieldValues(const Bytes& bytes, std::size_t offset, bool bigEndian, const std::string& field,
                                  const std::vector<std::uint32_t>& extra = {});

}  // namespace velkor::test
