#pragma once

#include <string>

#include "files/GameFile.h"
#include "model/FceModel.h"

namespace velkor {

// An NFS3 car model ("FCE3"): a 7940-byte header and six data blocks.
class Fce3File : public GameFile {
 public:
  explicit Fce3File(std::string path);

  int Reset() override;
  int Load() override;
  int SaveAs(std::string p) override;

  // Writes the model in the NFS4 version to `path`; this object is not changed.
  int ConvertTo4(std::string path) const;

  fce::FceModel model;
};

}  // namespace velkor
