#include "app/CarFacts.h"

#include <array>
#include <tuple>
#include <vector>

#include "app/CarGame.h"
#include "carp/PerformanceText.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "model/FeDataLayout.h"
#include "platform/File.h"

namespace velkor {
namespace {

// The text of a front-end file that names the car in full.
constexpr std::size_t kFullNameText = 2;

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

template <std::size_t HeaderSize, std::size_t Count>
std::string TextOf(platform::File file, const char* kind, std::size_t index) {
  std::array<std::uint8_t, HeaderSize> header{};
  std::array<std::uint32_t, Count> offsets{};
  std::array<std::string, Count> texts;
  fedata::LoadFile(std::move(file), kind, header, offsets, texts);
  return texts[index];
}

}  // namespace

platform::File OpenMember(const std::string& archivePath, const VivEntry& entry) {
  return platform::File::OpenRange(archivePath, static_cast<std::uint64_t>(entry.offset),
                         static_cast<std::uint64_t>(entry.length), archivePath + ": member " + entry.name);
}

std::string FrontEndText(platform::File file, std::size_t index) {
  const ContentIdentity identity = IdentifyFrontEndFile(file, 0, file.Length());
  bool nfs3 = identity.game == ContentGame::Nfs3;
  if (identity.game == ContentGame::Undecided) {
    // As the recogniser tells them apart: NFS3 files start with a printable character.
    const Bytes first = file.ReadAtMost(0, 1);
    nfs3 = file.Length() > 0 && static_cast<std::int8_t>(first[0]) >= 32;
  }
  file.Seek(0);
  if (nfs3) return TextOf<FeData3File::kHeaderSize, FeData3File::kTextCount>(std::move(file), "an NFS3 front-end file", index);
  return TextOf<FeData4File::kHeaderSize, FeData4File::kTextCount>(std::move(file), "an NFS4 front-end file", index);
}

std::pair<std::string, std::string> SerialAndClass(platform::File file) {
  std::array<std::string, 2> values;
  ExtractPerformanceValues(ReadPerformanceText(std::move(file)), values);
  return {Trimmed(values[0]), Trimmed(values[1])};
}

CarFacts ReadCarFacts(const std::string& archivePath) {
  platform::File archive = platform::File::Open(archivePath, platform::File::ReadExisting);
  const VivDirectory directory = ReadVivDirectory(VivLocation{&archive, 0, archive.Length(), ""});
  CarFacts facts;
  facts.game = DecidingModel(archive, directory, std::nullopt).identity.game;
  if (const VivEntry* carp = FindMember(directory, "carp.txt"))
    std::tie(facts.serial, facts.carClass) = SerialAndClass(OpenMember(archivePath, *carp));
  if (const VivEntry* texts = FindMember(directory, "fedata.eng"))
    facts.name = FrontEndText(OpenMember(archivePath, *texts), kFullNameText);
  return facts;
}

}  // namespace velkor
