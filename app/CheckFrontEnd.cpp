// The front-end file and image checks of `velkor --check`.

#include <algorithm>

#include "app/CheckReport.h"
#include "archives/TgaFile.h"
#include "base/Errors.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "model/FeDataLayout.h"
#include "recogniser/ContentGame.h"

namespace velkor {

std::string CheckFrontEndContent(platform::File file, const std::string& member, CheckReport& report) {
  const std::uint64_t length = file.Length();
  const ContentIdentity identity = IdentifyFrontEndFile(file, 0, length);
  bool nfs3 = identity.game == ContentGame::Nfs3;
  if (identity.game == ContentGame::Undecided)  // as the recogniser tells them apart
    nfs3 = length > 0 && static_cast<std::int8_t>(file.ReadAtMost(0, 1)[0]) >= 32;
  const std::size_t header = nfs3 ? FeData3File::kHeaderSize : FeData4File::kHeaderSize;
  const std::size_t count = nfs3 ? FeData3File::kTextCount : FeData4File::kTextCount;
  const std::size_t tableEnd = header + 4 * count;
  const std::string what = nfs3 ? "an NFS3 front-end file" : "an NFS4 front-end file";
  if (length < tableEnd) {
    report.Fail(member, "length = " + std::to_string(length) + ": " + what + " needs " + std::to_string(tableEnd) +
                            " bytes for its header and text offsets");
    return "a front-end file too short to read";
  }
  const Bytes table = file.ReadAtMost(header, 4 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t offset = ReadU32LE(table, 4 * i);
    const std::string field = "textOffsets[" + std::to_string(i) + "] = " + std::to_string(offset);
    if (offset >= length) {
      report.Warn(member, field + " is not inside the file of " + std::to_string(length) + " bytes; the text reads as empty");
      continue;
    }
    if (offset < tableEnd)
      report.Warn(member, field + " points into the header and offset table, which end at " + std::to_string(tableEnd));
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(length - offset, fedata::kMaxTextLength + 1));
    const Bytes text = file.ReadAtMost(offset, available);
    if (std::find(text.begin(), text.end(), std::uint8_t{0}) == text.end())
      report.Warn(member, field + ": the text has no NUL " +
                              (available > fedata::kMaxTextLength ? "within its first 256 bytes; it is cut there"
                                                                  : "before the end of the file"));
  }
  return what;
}

std::string CheckImageContent(const std::string& path, const std::optional<ContentRange>& packedIn,
                              const std::string& member, CheckReport& report) {
  TgaFile image(path);
  if (packedIn) image.packedIn = *packedIn;
  try {
    image.Load();
  } catch (const FormatError& e) {
    report.Fail(member, e.what());
    return "an image that cannot be read";
  }
  return "a TGA image, " + std::to_string(image.width) + " x " + std::to_string(image.height) + ", " +
         std::to_string(image.pixelDepth) + " bits a pixel";
}

}  // namespace velkor
