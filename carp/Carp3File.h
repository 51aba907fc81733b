#pragma once

#include <array>
#include <string>

#include "carp/ParameterDescriptions.h"
#include "files/GameFile.h"

namespace velkor {

// An NFS3 performance file (carp.txt): 80 parameters, labels 0 to 79, each held as the
// exact bytes of its value line.
class Carp3File : public GameFile {
 public:
  explicit Carp3File(std::string path);

  // Fills `values` from the file by label; entries in any order, other text ignored.
  int Load() override;
  // Writes the 80 entries in the NFS3 order, CR LF line ends, atomically.
  int SaveAs(std::string p) override;
  // Writes the NFS4 version at `path`: the same 80 values, and "1.000000" as the
  // understeer gradient (label 80) that NFS3 lacks.
  int ConvertTo4(std::string path) const;

  std::array<std::string, kNfs3ParameterCount> values;
};

}  // namespace velkor
