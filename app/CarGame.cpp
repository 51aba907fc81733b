#include "app/CarGame.h"

#include "base/Errors.h"
#include "base/Text.h"
#include "carp/PerformanceFileNames.h"
#include "model/FrontEndNames.h"
#include "platform/ProgramLocation.h"

namespace velkor {
namespace {

const char* Other(Game game) { return game == Game::Nfs3 ? "NFS4" : "NFS3"; }

// The verb and switches that convert input of `game` into the other game.
std::string ConvertsIt(ContentGame game) {
  return game == ContentGame::Nfs3 ? "\"Convert to NFS4\" (/c4, /ci4) converts it"
                                   : "\"Convert to NFS3\" (/c3, /ci3) converts it";
}

bool IsGame(ContentGame content, Game game) {
  return content == (game == Game::Nfs3 ? ContentGame::Nfs3 : ContentGame::Nfs4);
}

// The refusal for content identified as `identity` when converting to `target`, or empty.
// `subject` is what the input is called ("car", "model", ...); `because` is the identity
// of the file that decides, as a phrase, for a car.
std::string Refusal(const std::string& path, Game target, bool mustBeOtherGame, const ContentIdentity& identity,
                    const std::string& subject, const std::string& because) {
  const std::string quoted = "'" + path + "'";
  const std::string reason = because.empty() ? "" : " (" + because + ")";
  if (identity.game == ContentGame::Neither)
    return quoted + " is " + (because.empty() ? identity.what : "a car of neither game" + reason) +
           "; it cannot be converted";
  if (IsGame(identity.game, target))
    return quoted + " is already an " + ShortName(target) + " " + subject + reason + "; " + ConvertsIt(identity.game);
  if (mustBeOtherGame && identity.game == ContentGame::Undecided)
    return quoted + " is not an " + Other(target) + " " + subject +
           (because.empty() ? " (it is " + identity.what + ")" : reason) + "; it cannot be converted to " +
           ShortName(target);
  return "";
}

}  // namespace

const VivEntry* FindMember(const VivDirectory& directory, const std::string& name) {
  const auto& entries = directory.entries;
  if (!platform::kWindows) {
    for (auto at = entries.rbegin(); at != entries.rend(); ++at)
      if (at->name == name) return &*at;
  }
  for (auto at = entries.rbegin(); at != entries.rend(); ++at)
    if (SameIgnoringCase(at->name, name)) return &*at;
  return nullptr;
}

int HighestModelVariant(const VivDirectory& directory) {
  for (int n = 3; n >= 1; --n)
    if (FindMember(directory, "car" + std::to_string(n) + ".fce") != nullptr) return n;
  return 0;
}

CarModel DecidingModel(platform::File& archive, const VivDirectory& directory, std::optional<Game> target) {
  const int variant = HighestModelVariant(directory);
  const std::string variantName = variant == 0 ? "car.fce" : "car" + std::to_string(variant) + ".fce";
  const VivEntry* entry = nullptr;
  if (target != Game::Nfs3) entry = FindMember(directory, "car.fce");
  if (entry == nullptr) entry = FindMember(directory, variantName);
  if (entry == nullptr) return {};
  return {entry->name, IdentifyModel(archive, static_cast<std::uint64_t>(entry->offset),
                                     static_cast<std::uint64_t>(entry->length))};
}

void RefuseCarOfWrongGame(const std::string& archivePath, Game target) {
  std::optional<platform::File> archive = platform::File::Open(archivePath, platform::File::ReadIfPossible);
  if (!archive) return;
  const std::uint64_t length = archive->Length();
  const VivDirectory directory = ReadVivDirectory(VivLocation{&*archive, 0, length, ""});
  const CarModel model = DecidingModel(*archive, directory, target);
  if (model.member.empty()) return;
  // An NFS3 model has no signature: only an NFS4 or FCE4M one says that a car is not NFS3.
  const std::string message = Refusal(archivePath, target, target == Game::Nfs3, model.identity, "car",
                                      "its " + model.member + " is " + model.identity.what);
  if (!message.empty()) throw CommandError(message);
}

void RefuseFileOfWrongGame(const std::string& path, Game target) {
  std::string subject;
  if (EndsWith(path, ".fce")) {
    subject = "model";
  } else if (EndsWithFrontEndFileName(path)) {
    subject = "front-end file";
  } else if (EndsWithPerformanceFileName(path)) {
    subject = "performance file";
  } else {
    return;
  }
  std::optional<platform::File> file = platform::File::Open(path, platform::File::ReadIfPossible);
  if (!file) return;
  const ContentIdentity identity = IdentifyByName(path, *file, 0, file->Length());
  // Only models have a signature whose absence says that a file is not NFS4.
  const std::string message = Refusal(path, target, subject == "model" && target == Game::Nfs3, identity, subject, "");
  if (!message.empty()) throw CommandError(message);
}

}  // namespace velkor
