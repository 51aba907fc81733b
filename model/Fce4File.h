#pragma once

#include <string>

#include "files/GameFile.h"
#include "model/FceModel.h"

namespace velkor {

// An NFS4 car model ("FCE4"): an 8248-byte header and fourteen data blocks.
class Fce4File : public GameFile {
 public:
  explicit Fce4File(std::string path);

  int Reset() override;
  int Load() override;
  int SaveAs(std::string p) override;

  // Writes the model in the NFS3 version to `path`; this object is not changed. NFS3
  // blocks 1 and 2 come from NFS4 blocks 1 and 2, or 9 and 10 when useAlternateBlocks
  // is not 0.
  int ConvertTo3(std::string path, int useAlternateBlocks) const;

  fce::FceModel model;
};

}  // namespace velkor
