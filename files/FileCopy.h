#pragma once

#include <string>

#include "files/GameFile.h"

namespace velkor {

// A byte-for-byte copy of another file under a name of its own, without the copy being
// made: an archive that packs it reads the original's bytes (OpenContent). A conversion
// adds the same converted file or reference file under several names this way, instead
// of writing copies into a working folder that is deleted at the end.
class FileCopy : public GameFile {
 public:
  FileCopy(std::string path, std::string original);

  // Takes the original's length; raises FileError as GameFile::Load does.
  int Load() override;
  // Writes nothing: takes the original's length again, which a save of the original
  // (an archive saves its members in order) may have changed since Load.
  int SaveAs(std::string p) override;
  platform::File OpenContent() const override { return platform::File::Open(original_, platform::File::ReadExisting); }

 private:
  std::string original_;
};

}  // namespace velkor
