#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archives/FshSource.h"
#include "base/Endian.h"
#include "files/GameFile.h"
#include "platform/File.h"

namespace velkor {

// One image record of an FSH file, unpacked into a file of its own. Records are kept as
// stored; reading one never fails on its content: a record shorter than its header
// announces keeps what exists.
class FshImage : public GameFile {
 public:
  explicit FshImage(std::string path);

  int Load() override;

  std::uint8_t recordCode = 0;
  std::array<std::uint8_t, 3> recordLength{};
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::array<std::uint16_t, 4> placement{};
  Bytes pixels;         // as stored; their length follows from recordCode
  Bytes paletteHeader;  // code 0x7B only: 16 bytes after the pixels
  Bytes palette;        // code 0x7B only: 256 entries of 4 bytes
};

// An FSH image archive: a small directory of named image records. It is only read (and
// packed byte for byte as it is on disk); Load unpacks the records into the working
// folder, the path less its last four characters. Reading never fails on the file's
// content: the directory is cut to the entries that fit, offsets are unsigned, an entry
// whose record would have a negative length is skipped.
class FshFile : public GameFile {
 public:
  explicit FshFile(std::string path);
  // Deletes the working folder with everything in it while `removeFolder` and
  // `unpackImages` are true.
  ~FshFile() override;

  int Load() override;

  std::string WorkingFolder() const;

  // Not owned: the images live until the end of the run.
  std::vector<FshImage*> images;
  // When false, Load only takes the file's length: no folder, no images (for a workflow
  // that packs the file again as it is and never looks at its images).
  bool unpackImages = true;
  bool removeFolder = true;
  void KeepUnpackedFolder() override { removeFolder = false; }

 protected:
  // The FSH bytes to unpack, read before the working folder is made: a file whose content
  // is refused leaves nothing behind.
  virtual std::unique_ptr<FshSource> OpenImages();

 private:
  void Unpack(FshSource& fsh, const std::string& folder);
};

// The file name of a record: its 4-byte name, or the name's 8 lower-case hex digits when
// it holds a NUL, a control byte or a character that some system forbids in file names.
std::string FshRecordFileName(ByteView name);

}  // namespace velkor
