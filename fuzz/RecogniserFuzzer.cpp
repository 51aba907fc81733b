// File type recognition: the first input byte picks a file name, the rest is the file.
// Whatever the content, OpenGameFile returns a loaded object or raises a file or format
// error, and the kind it picks agrees with RecogniseFileKind.

#include "fuzz/FuzzSupport.h"
#include "fuzz/RecogniserNames.h"
#include "platform/File.h"
#include "recogniser/OpenGameFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  if (size == 0) return 0;
  fuzz::Input input(data + 1, size - 1);
  const std::string path = input.Write(fuzz::kRecogniserNames[data[0] % fuzz::kRecogniserNames.size()]);

  FileKind kind = FileKind::Plain;
  {
    platform::File content = platform::File::Open(path, platform::File::ReadExisting);
    kind = RecogniseFileKind(path, content, 0, content.Length());
  }
  std::unique_ptr<GameFile> file;
  if (fuzz::Attempt([&] { file = OpenGameFile(path); })) {
    fuzz::Require(file->typeTag == TypeTagOf(kind) || (kind == FileKind::Plain && file->typeTag.empty()),
                  "OpenGameFile made a " + file->typeTag + " where RecogniseFileKind saw " + TypeTagOf(kind));
    fuzz::Require(file->size == static_cast<std::int32_t>(size - 1), "a loaded file does not know its length");
  }
  return 0;
}
