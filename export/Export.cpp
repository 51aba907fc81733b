#include "export/Export.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "archives/FshFile.h"
#include "archives/Qfs.h"
#include "archives/QfsFile.h"
#include "archives/TgaFile.h"
#include "archives/VivDirectory.h"
#include "archives/WorkingFolder.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "export/Glb.h"
#include "files/AtomicOutput.h"
#include "images/Picture.h"
#include "images/Png.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Report.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {
namespace {

Bytes PngOf(const Picture& picture) { return EncodePng(picture.width, picture.height, picture.rgba); }

const fce::FceModel& ModelOf(const GameFile& file) {
  if (const auto* nfs3 = dynamic_cast<const Fce3File*>(&file)) return nfs3->model;
  return dynamic_cast<const Fce4File&>(file).model;
}

// The glTF of a loaded model, textured with the loaded texture when there is one. NFS3
// models count v from the texture's bottom row, glTF from the top: the embedded picture
// is turned over for them, so the coordinates stay as the model stores them.
Bytes GlbOf(const GameFile& model, const TgaFile* texture) {
  const ModelScene scene = SceneOfModel(ModelOf(model), model.path);
  std::optional<Bytes> png;
  if (texture != nullptr) {
    Picture picture = PictureOfTga(*texture);
    png = PngOf(scene.textureRowsFromBottom ? Flipped(std::move(picture)) : picture);
  }
  return GlbOfScene(scene, png ? &*png : nullptr);
}

// The member that `wanted` names (in any case), or else the first, by name, that starts
// with `prefix` and ends with `suffix`: a car's model and texture, or a variant's.
const VivEntry* FindMember(const VivDirectory& directory, const std::string& wanted, const std::string& prefix,
                           const std::string& suffix) {
  const VivEntry* found = nullptr;
  for (const VivEntry& entry : directory.entries) {
    const std::string lower = LowerCaseAscii(entry.name);
    if (lower == wanted) return &entry;
    if (lower.starts_with(prefix) && EndsWith(lower, suffix) && (found == nullptr || entry.name < found->name))
      found = &entry;
  }
  return found;
}

void ExportCar(const std::string& archivePath, const std::string& target) {
  platform::File archive = platform::File::Open(archivePath, platform::File::ReadExisting);
  const VivLocation whole{&archive, 0, archive.Length(), ""};
  const VivDirectory directory = ReadVivDirectory(whole);
  const VivEntry* modelEntry = FindMember(directory, "car.fce", "car", ".fce");
  if (modelEntry == nullptr) throw CommandError("cannot export '" + archivePath + "': the archive has no car.fce");
  const VivEntry* textureEntry = FindMember(directory, "car00.tga", "car", ".tga");
  const auto open = [&](const VivEntry& entry) {
    const ContentRange range{archivePath, static_cast<std::uint64_t>(entry.offset),
                             static_cast<std::uint64_t>(entry.length)};
    return OpenPackedGameFile(platform::JoinPath(archivePath, entry.name), range);
  };
  const std::unique_ptr<GameFile> model = open(*modelEntry);
  const std::unique_ptr<GameFile> texture = textureEntry != nullptr ? open(*textureEntry) : nullptr;
  WriteFileAtomically(target, GlbOf(*model, dynamic_cast<const TgaFile*>(texture.get())));
}

void ExportModel(const std::string& path, const std::string& target) {
  const std::unique_ptr<GameFile> model = OpenGameFile(path);
  // A model unpacked from a car sits beside the car's texture.
  const std::string folder = DropLastCharacters(path, model->GetFileName().size());
  std::unique_ptr<TgaFile> texture;
  if (FileExists(folder + "car00.tga")) {
    texture = std::make_unique<TgaFile>(folder + "car00.tga");
    texture->Load();
  }
  WriteFileAtomically(target, GlbOf(*model, texture.get()));
}

// The PNG of every record with pixels, named after the records, then the folder, made
// under a temporary name and renamed into place once every file is in it.
void ExportImages(const std::string& path, const std::string& folder) {
  CheckWorkingFolderName(folder, path);
  std::vector<std::pair<std::string, Bytes>> pngs;
  {
    platform::File content = platform::File::Open(path, platform::File::ReadExisting);
    const bool compressed = EndsWith(LowerCaseAscii(path), ".qfs") || IsQfsHeader(content.ReadAtMost(0, 2));
    std::unique_ptr<FshSource> source;
    if (compressed) {
      source = std::make_unique<FshMemorySource>(ReadQfsContent(content, path));
    } else {
      source = std::make_unique<FshFileSource>(std::move(content));
    }
    for (const FshRecordPlace& place : ReadFshDirectory(*source)) {
      FshImage image(place.fileName);
      image.Read(source->ReadAtMost(place.offset, static_cast<std::size_t>(place.length)));
      if (const std::optional<Picture> picture = PictureOfFshImage(image)) {
        pngs.emplace_back(place.fileName + ".png", PngOf(*picture));
      } else {
        platform::ReportWarning("'" + path + "': image '" + place.fileName + "' has no pixels to export");
      }
    }
  }
  if (platform::IsFolder(folder) || FileExists(folder))
    throw CommandError("cannot export '" + path + "': '" + folder + "' already exists");
  std::string temporary;
  for (int attempt = 0; temporary.empty(); ++attempt) {
    if (attempt == 100) throw FileError(folder, "create", "no temporary folder name is free beside it");
    const std::string candidate = folder + ".partial-" + std::to_string(attempt);
    if (platform::CreateFolder(candidate)) temporary = candidate;
  }
  try {
    for (const auto& [name, png] : pngs) WriteFileAtomically(platform::JoinPath(temporary, name), png);
    platform::ReplaceFile(temporary, folder);
  } catch (const Error&) {
    DeleteFolderTree(temporary);
    throw;
  }
}

}  // namespace

void ExportFile(const std::string& path) {
  const std::string lower = LowerCaseAscii(path);
  const std::string stem = DropLastCharacters(path, 4);
  if (EndsWith(lower, ".viv")) {
    ExportCar(path, stem + ".glb");
  } else if (EndsWith(lower, ".fce")) {
    ExportModel(path, stem + ".glb");
  } else if (EndsWith(lower, ".tga")) {
    TgaFile tga(path);
    tga.Load();
    WriteFileAtomically(stem + ".png", PngOf(PictureOfTga(tga)));
  } else if (EndsWith(lower, ".fsh") || EndsWith(lower, ".qfs")) {
    ExportImages(path, stem);
  } else {
    throw CommandError("cannot export '" + path + "': only car archives (.viv), models (.fce), TGA images and "
                       "image archives (.fsh, .qfs) can be exported");
  }
}

}  // namespace velkor
