// Compressed image archives: decompressing, compressing what came out again, and unpacking
// the file's records. A stream that is refused writes nothing.

#include "archives/Qfs.h"
#include "archives/QfsFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  Bytes decoded;
  const bool decodes =
      fuzz::Attempt([&] { decoded = QfsDecode(input.Bytes(), "dash.qfs", QfsFile::kMostDecompressedBytes); });
  if (decodes) {
    for (const QfsEncodeOptions options : {QfsEncodeOptions{}, QfsEncodeOptions{true, true}}) {
      fuzz::Require(QfsDecode(QfsEncode(decoded, options), "again.qfs") == decoded,
                    "compressing what was decompressed does not give it back");
    }
  }
  {
    QfsFile images(input.Write("dash.qfs"));
    const bool loaded = fuzz::Attempt([&] { images.Load(); });
    fuzz::Require(loaded || fuzz::NamesIn(input.Folder()) == std::vector<std::string>{"dash.qfs"},
                  "a refused compressed file left something behind");
    fuzz::Require(loaded == decodes, "the file and its bytes were judged differently");
  }
  fuzz::RequireOnly(input.Folder(), {"dash.qfs"}, "a compressed image archive left its images behind");
  return 0;
}
