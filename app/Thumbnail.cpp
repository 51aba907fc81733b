#include "app/Thumbnail.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "archives/Qfs.h"
#include "archives/TgaFile.h"
#include "archives/VivDirectory.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "files/AtomicOutput.h"
#include "images/Png.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "platform/File.h"
#include "platform/ProgramLocation.h"
#include "platform/Report.h"
#include "render/CarMesh.h"
#include "render/FshPicture.h"
#include "render/Rasteriser.h"
#include "render/TgaPicture.h"

namespace velkor {
namespace {

// Textures are drawn from at most this many texels a side.
constexpr int kLargestTexture = 1024;

constexpr std::uint8_t kFce3Signature[4] = {0x13, 0x10, 0x10, 0x00};
constexpr std::uint8_t kFce4Signature[4] = {0x14, 0x10, 0x10, 0x00};
constexpr std::uint8_t kFce4MSignature[4] = {0x15, 0x10, 0x10, 0x00};

bool Starts(ByteView bytes, const std::uint8_t (&signature)[4]) {
  return bytes.size() >= 4 && std::equal(signature, signature + 4, bytes.begin());
}
bool StartsWithText(ByteView bytes, std::string_view text) {
  return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin());
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void CheckSize(const std::string& shownAs, std::uint64_t length) {
  if (length > kLargestThumbnailInput)
    throw CommandError("'" + shownAs + "' is " + std::to_string(length >> 20) +
                       " MiB, more than a thumbnail reads (" + std::to_string(kLargestThumbnailInput >> 20) + " MiB)");
}

// Where a file's bytes lie: a file of its own, or a member inside an archive.
struct Source {
  std::string shownAs;
  std::optional<ContentRange> packedIn;
};

template <class T>
std::unique_ptr<T> Loaded(const Source& source) {
  auto object = std::make_unique<T>(source.shownAs);
  object->packedIn = source.packedIn;
  object->Load();
  return object;
}

// The model drawn as a car: the high body and wheels, textured when `texture` is given.
render::RgbaImage DrawModel(const Source& model, const std::optional<Source>& texture, int size) {
  Bytes start;
  {
    platform::File file = model.packedIn ? platform::File::OpenRange(model.packedIn->file, model.packedIn->offset, model.packedIn->length,
                                                 model.shownAs)
                               : platform::File::Open(model.shownAs, platform::File::ReadExisting);
    CheckSize(model.shownAs, file.Length());
    start = file.ReadAtMost(0, 4);
  }
  render::Mesh mesh;
  if (Starts(start, kFce4Signature)) {
    mesh = render::CarMesh(Loaded<Fce4File>(model)->model, model.shownAs);
  } else if (Starts(start, kFce4MSignature)) {
    throw CommandError("'" + model.shownAs + "' is an FCE4M model, which neither game reads");
  } else {
    // NFS3 models have no signature of their own.
    mesh = render::CarMesh(Loaded<Fce3File>(model)->model, model.shownAs);
  }
  render::RgbaImage surface;
  if (texture) {
    // A car whose texture cannot be read is still drawn, plain.
    try {
      const auto tga = Loaded<TgaFile>(*texture);
      surface = render::TgaPicture(*tga, kLargestTexture);
    } catch (const FormatError& e) {
      platform::ReportWarning(std::string("the car is drawn without its texture: ") + e.what());
    }
  }
  try {
    return render::RenderMesh(mesh, surface, size);
  } catch (const CommandError& e) {
    throw FormatError(model.shownAs, e.what());
  }
}

// The variant a conversion takes: the highest numbered model present, its texture of the
// same number; the plain ones without numbers.
template <class Present>
std::pair<std::string, std::string> ChosenVariant(Present present) {
  for (int n = 3; n >= 1; --n) {
    const std::string number = std::to_string(n);
    if (present("car" + number + ".fce")) return {"car" + number + ".fce", "car" + number + "00.tga"};
  }
  return {"car.fce", "car00.tga"};
}

render::RgbaImage DrawCarArchive(platform::File& archive, const std::string& input, int size) {
  const std::uint64_t length = archive.Length();
  const VivDirectory directory = ReadVivDirectory({&archive, 0, length, ""});
  // As unpacking would leave it: the last entry of a name, or of one differing in case.
  const auto find = [&](const std::string& name) -> const VivEntry* {
    for (auto at = directory.entries.rbegin(); at != directory.entries.rend(); ++at)
      if (at->name == name) return &*at;
    for (auto at = directory.entries.rbegin(); at != directory.entries.rend(); ++at)
      if (SameIgnoringCase(at->name, name)) return &*at;
    return nullptr;
  };
  const auto [modelName, textureName] = ChosenVariant([&](const std::string& name) { return find(name) != nullptr; });
  const auto member = [&](const VivEntry& entry) {
    return Source{input + "/" + entry.name,
                  ContentRange{input, static_cast<std::uint64_t>(entry.offset), static_cast<std::uint64_t>(entry.length)}};
  };
  const VivEntry* model = find(modelName);
  if (model == nullptr) throw CommandError("'" + input + "' holds no car model (" + modelName + ")");
  const VivEntry* texture = find(textureName);
  std::optional<Source> textureSource;
  if (texture != nullptr) {
    CheckSize(input + "/" + texture->name, static_cast<std::uint64_t>(texture->length));
    textureSource = member(*texture);
  }
  return DrawModel(member(*model), textureSource, size);
}

render::RgbaImage DrawLooseModel(const std::string& input, int size) {
  const std::string folder = FolderOf(input);
  const std::string name = LowerCaseAscii(FileNameOf(input));
  // car2.fce is textured with car200.tga, any other model with car00.tga beside it.
  std::string textureName = "car00.tga";
  for (int n = 1; n <= 3; ++n)
    if (name == "car" + std::to_string(n) + ".fce") textureName = "car" + std::to_string(n) + "00.tga";
  std::optional<Source> texture;
  for (const std::string& candidate : {textureName, UpperCaseAscii(textureName)}) {
    if (!texture && platform::File::Open(folder + candidate, platform::File::ReadIfPossible)) {
      CheckSize(folder + candidate, platform::File::LengthOf(folder + candidate));
      texture = Source{folder + candidate, std::nullopt};
    }
  }
  return DrawModel(Source{input, std::nullopt}, texture, size);
}

}  // namespace

render::RgbaImage ThumbnailPicture(int size, const std::string& input) {
  platform::File file = platform::File::Open(input, platform::File::ReadExisting);
  const Bytes start = file.ReadAtMost(0, 4);
  const std::string name = LowerCaseAscii(FileNameOf(input));
  // An archive is read member by member, each checked on its own; other files whole.
  if (StartsWithText(start, "BIGF")) return DrawCarArchive(file, input, size);
  CheckSize(input, file.Length());
  if (render::IsFshImage(start) || IsQfsHeader(start)) {
    Bytes bytes(static_cast<std::size_t>(file.Length()));
    file.Seek(0);
    file.ReadExact(bytes);
    if (IsQfsHeader(start)) bytes = QfsDecode(bytes, input, kLargestThumbnailInput);
    return render::FshPicture(bytes, input, size);
  }
  if (Starts(start, kFce3Signature) || Starts(start, kFce4Signature) || EndsWith(name, ".fce"))
    return DrawLooseModel(input, size);
  if (EndsWith(name, ".tga")) return render::TgaPicture(*Loaded<TgaFile>(Source{input, std::nullopt}), size);
  throw CommandError("'" + input + "' is neither a car, a car model nor an image Velkor knows");
}

void ThumbnailCommand(const std::vector<std::string>& arguments) {
  if (arguments.size() != 3) throw UsageError("--thumbnail takes a size, an input file and an output file");
  const std::string& text = arguments[0];
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) < 1)
    throw UsageError("the thumbnail size '" + text + "' is not a whole number of pixels from 1");
  if (platform::kWindows) throw CommandError("thumbnails are made on Linux only");
  WriteThumbnail(std::min(std::stoi(text), render::kLargestPicture), arguments[1], arguments[2]);
}

void WriteThumbnail(int size, const std::string& input, const std::string& output) {
  const render::RgbaImage picture = ThumbnailPicture(size, input);
  const Bytes png = EncodePng(static_cast<std::uint32_t>(picture.width), static_cast<std::uint32_t>(picture.height),
                              picture.pixels);
  // Xfce's thumbnail service creates the output empty and reads back the file it holds
  // open, not the name: a new file renamed over it would never be seen. An empty output
  // is therefore written in place; the picture is whole in memory before it is opened.
  if (const auto existing = platform::File::Open(output, platform::File::ReadIfPresent);
      existing && existing->Length() == 0) {
    platform::File out = platform::File::Open(output, platform::File::CreateOrTruncate);
    out.Write(png);
    out.Close();
    return;
  }
  WriteFileAtomically(output, png);
}

}  // namespace velkor
