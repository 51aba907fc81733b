#include "files/FileCopy.h"

#include <utility>

#include "platform/File.h"

namespace velkor {

FileCopy::FileCopy(std::string p, std::string original) : GameFile(std::move(p)), original_(std::move(original)) {}

int FileCopy::Load() {
  size = CheckedFileSize(original_, platform::File::LengthOf(original_));
  return 1;
}

int FileCopy::SaveAs(std::string) { return Load(); }

}  // namespace velkor
