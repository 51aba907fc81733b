#include <algorithm>
#include <array>
#include <string_view>

#include "archives/FshFile.h"
#include "archives/Qfs.h"
#include "archives/QfsFile.h"
#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "base/Endian.h"
#include "base/Text.h"
#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "carp/PerformanceFileNames.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "model/FrontEndNames.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {
namespace {

// The rule a name matches, before any content is looked at.
enum class NameRule { Viv, Fsh, Qfs, Tga, Fce, FeData, Carp, None };

constexpr std::array<std::uint8_t, 4> kFce4Signature = {0x14, 0x10, 0x10, 0x00};
constexpr std::string_view kNfs4Label = "(80)";
constexpr std::size_t kSearchChunk = 64 * 1024;

NameRule RuleForName(const std::string& lowerPath) {
  if (EndsWith(lowerPath, ".viv")) return NameRule::Viv;
  if (EndsWith(lowerPath, ".fsh")) return NameRule::Fsh;
  if (EndsWith(lowerPath, ".qfs")) return NameRule::Qfs;
  if (EndsWith(lowerPath, ".tga")) return NameRule::Tga;
  if (EndsWith(lowerPath, ".fce")) return NameRule::Fce;
  if (EndsWithFrontEndFileName(lowerPath)) return NameRule::FeData;
  if (EndsWithPerformanceFileName(lowerPath)) return NameRule::Carp;
  return NameRule::None;
}

// The first `count` bytes of the content, zero where the content is shorter.
Bytes FirstBytes(platform::File& content, std::uint64_t offset, std::uint64_t length, std::size_t count) {
  Bytes bytes = content.ReadAtMost(offset, static_cast<std::size_t>(std::min<std::uint64_t>(count, length)));
  bytes.resize(count, 0);
  return bytes;
}

// Whether "(80)" occurs in the content before its first NUL byte. Reads in bounded
// chunks and keeps the last three bytes of each, so a label split between chunks is found.
bool ContainsNfs4LabelBeforeNul(platform::File& content, std::uint64_t offset, std::uint64_t length) {
  std::string window;
  std::uint64_t done = 0;
  while (done < length) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kSearchChunk, length - done));
    const Bytes bytes = content.ReadAtMost(offset + done, chunk);
    done += chunk;
    const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    window.append(bytes.begin(), nul);
    if (window.find(kNfs4Label) != std::string::npos) return true;
    if (nul != bytes.end()) return false;
    if (window.size() > kNfs4Label.size() - 1) window.erase(0, window.size() - (kNfs4Label.size() - 1));
  }
  return false;
}

FileKind KindFor(NameRule rule, platform::File* content, std::uint64_t offset, std::uint64_t length) {
  switch (rule) {
    case NameRule::Viv: return FileKind::Viv;
    case NameRule::Qfs: return FileKind::Qfs;
    case NameRule::Fsh:
      // Some image archives named .fsh are stored compressed.
      return IsQfsHeader(FirstBytes(*content, offset, length, 2)) ? FileKind::Qfs : FileKind::Fsh;
    case NameRule::Tga: return FileKind::Tga;
    case NameRule::None: return FileKind::Plain;
    case NameRule::Fce: {
      const Bytes first = FirstBytes(*content, offset, length, 4);
      return std::equal(first.begin(), first.end(), kFce4Signature.begin()) ? FileKind::Fce4 : FileKind::Fce3;
    }
    case NameRule::FeData: {
      // NFS3 texts start with a printable character; the first byte read as signed 8-bit.
      const auto first = static_cast<std::int8_t>(FirstBytes(*content, offset, length, 1)[0]);
      return first >= 32 ? FileKind::FeData3 : FileKind::FeData4;
    }
    case NameRule::Carp:
      return ContainsNfs4LabelBeforeNul(*content, offset, length) ? FileKind::Carp4 : FileKind::Carp3;
  }
  return FileKind::Plain;
}

bool NeedsContent(NameRule rule) {
  return rule == NameRule::Fsh || rule == NameRule::Fce || rule == NameRule::FeData || rule == NameRule::Carp;
}

std::unique_ptr<GameFile> Construct(FileKind kind, std::string path) {
  switch (kind) {
    case FileKind::Viv: return std::make_unique<VivArchive>(std::move(path), &OpenGameFile);
    case FileKind::Fsh: return std::make_unique<FshFile>(std::move(path));
    case FileKind::Qfs: return std::make_unique<QfsFile>(std::move(path));
    case FileKind::Tga: return std::make_unique<TgaFile>(std::move(path));
    case FileKind::Fce3: return std::make_unique<Fce3File>(std::move(path));
    case FileKind::Fce4: return std::make_unique<Fce4File>(std::move(path));
    case FileKind::FeData3: return std::make_unique<FeData3File>(std::move(path));
    case FileKind::FeData4: return std::make_unique<FeData4File>(std::move(path));
    case FileKind::Carp3: return std::make_unique<Carp3File>(std::move(path));
    case FileKind::Carp4: return std::make_unique<Carp4File>(std::move(path));
    case FileKind::Plain: break;
  }
  return std::make_unique<GameFile>(std::move(path));
}

}  // namespace

const char* TypeTagOf(FileKind kind) {
  switch (kind) {
    case FileKind::Viv: return "VIV";
    case FileKind::Fsh: return "FSH";
    case FileKind::Qfs: return "QFS";
    case FileKind::Tga: return "TGA";
    case FileKind::Fce3: return "FCE3";
    case FileKind::Fce4: return "FCE4";
    case FileKind::FeData3: return "FEDATA3";
    case FileKind::FeData4: return "FEDATA4";
    case FileKind::Carp3: return "CARP3";
    case FileKind::Carp4: return "CARP4";
    case FileKind::Plain: break;
  }
  return "";
}

FileKind RecogniseFileKind(const std::string& path, platform::File& content, std::uint64_t offset, std::uint64_t length) {
  return KindFor(RuleForName(LowerCaseAscii(path)), &content, offset, length);
}

namespace {

std::unique_ptr<GameFile> Open(std::string path, const ContentRange* packedIn, std::optional<std::uint64_t> length) {
  const NameRule rule = RuleForName(LowerCaseAscii(path));
  FileKind kind = FileKind::Plain;
  if (NeedsContent(rule)) {
    platform::File content = packedIn ? platform::File::OpenRange(packedIn->file, packedIn->offset, packedIn->length, path)
                            : platform::File::Open(path, platform::File::ReadExisting);
    kind = KindFor(rule, &content, 0, content.Length());
  } else {
    kind = KindFor(rule, nullptr, 0, 0);
  }
  std::unique_ptr<GameFile> file = Construct(kind, std::move(path));
  if (packedIn) {
    file->packedIn = *packedIn;
    if (kind == FileKind::Fsh || kind == FileKind::Qfs) static_cast<FshFile&>(*file).unpackImages = false;
    if (kind == FileKind::Viv) static_cast<VivArchive&>(*file).openPacked = &OpenPackedGameFile;
  }
  if (kind == FileKind::Plain && length) {
    file->size = CheckedFileSize(file->path, *length);  // all that loading a plain file learns
  } else {
    file->Load();
  }
  return file;
}

}  // namespace

std::unique_ptr<GameFile> OpenGameFile(std::string path, std::optional<std::uint64_t> length) {
  return Open(std::move(path), nullptr, length);
}

std::unique_ptr<GameFile> OpenPackedGameFile(std::string path, const ContentRange& packedIn) {
  return Open(std::move(path), &packedIn, std::nullopt);
}

}  // namespace velkor
