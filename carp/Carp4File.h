#pragma once

#include <array>
#include <string>

#include "carp/ParameterDescriptions.h"
#include "files/GameFile.h"

namespace velkor {

// An NFS4 performance file (carp.txt): 81 parameters, labels 0 to 80, each held as the
// exact bytes of its value line.
class Carp4File : public GameFile {
 public:
  explicit Carp4File(std::string path);

  // Fills `values` from the file by label; entries in any order, other text ignored.
  int Load() override;
  // Writes the 81 entries in the NFS4 order, CR LF line ends, atomically.
  int SaveAs(std::string p) override;
  // Writes the NFS3 version at `path`: values 0 to 79; the understeer gradient is dropped.
  int ConvertTo3(std::string path) const;

  std::array<std::string, kNfs4ParameterCount> values;
};

}  // namespace velkor
