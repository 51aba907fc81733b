#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "app/CarGame.h"
#include "app/CarName.h"
#include "app/KeptCars.h"
#include "app/Workflows.h"
#include "archives/FshFile.h"
#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "files/AtomicOutput.h"
#include "files/FileCopy.h"
#include "files/GameFile.h"
#include "files/OwnedFolder.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "model/FrontEndNames.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "platform/Paths.h"
#include "recogniser/OpenGameFile.h"
#include "settings/DataFolder.h"

namespace velkor {
namespace {

// Owns the file objects of one conversion and destroys them in the reverse order of their
// construction, so an FSH file removes its image folder before the archive that holds it
// removes its working folder.
class ObjectStack {
 public:
  ObjectStack() = default;
  ObjectStack(const ObjectStack&) = delete;
  ObjectStack& operator=(const ObjectStack&) = delete;
  ~ObjectStack() { Clear(); }
  void Clear() {
    while (!objects_.empty()) objects_.pop_back();
  }

  template <class T>
  T& Add(std::unique_ptr<T> object) {
    T& ref = *object;
    objects_.push_back(std::move(object));
    return ref;
  }

 private:
  std::vector<std::unique_ptr<GameFile>> objects_;
};

// Raises FileError naming the destination and the system's reason.
void CopyFile(const std::string& from, const std::string& to) { platform::CopyFileReplacing(from, to); }

class CarConversion {
 public:
  CarConversion(const std::string& archivePath, Game target, const std::string& outputPath,
                const std::string& referenceFolder)
      : archivePath_(archivePath),
        target_(target),
        outputPath_(outputPath),
        referenceFolder_(referenceFolder) {}

  // Everything that can be checked before anything is written.
  void CheckBeforeStart() const {
    for (const char* name : ReferenceFiles()) Reference(name);
  }

  // Converts the car and writes the output archive; `beforeReplacing` runs just before an
  // existing archive with other bytes is replaced.
  void Run(std::function<void(const std::string&)> beforeReplacing) {
    // The converted files are written in a folder of this run's own, which goes at the
    // end, so they need no temporary files; folders of the archives' names (a user's
    // extraction, say) are neither used nor touched.
    const OwnedFolder work = OwnedFolder::CreateBeside(outputPath_);
    const ScratchFolder scratch(work.Path());
    outputFolder_ = work.Path();
    // The input's members are only read: they stay in the input archive, and are read
    // from there (each is still opened as its kind, with the same warnings).
    auto& input = objects_.Add(std::make_unique<VivArchive>(archivePath_, &OpenGameFile));
    input.openPacked = &OpenPackedGameFile;
    input_ = &input;
    output_ = &objects_.Add(std::make_unique<VivArchive>(outputPath_, &OpenGameFile));
    input.Load();
    output_->Reset();
    if (target_ == Game::Nfs3) {
      ToNfs3();
    } else {
      ToNfs4();
    }
    output_->beforeReplacing = std::move(beforeReplacing);
    output_->Save();
    objects_.Clear();  // before the folder goes: an object may still name a file in it
  }

 private:
  std::vector<const char*> ReferenceFiles() const {
    if (target_ == Game::Nfs3) return {"dash.qfs", "careng.bnk", "ocareng.bnk", "scareng.bnk"};
    return {"dash.fsh", "dash.fce", "dash00.tga", "careng.ctb", "careng.ltb", "careng.bnk", "ocareng.bnk",
            "scareng.bnk"};
  }

  std::string Reference(const std::string& name) const {
    const std::string path = referenceFolder_ + name;
    if (!FileExists(path)) {
      const bool fromNfs3 = name == "dash.qfs";
      throw CommandError("the reference file '" + name + "' is missing from '" + referenceFolder_ +
                         "': Velkor collects it there at its first start, or with velkor --setup, from " +
                         (fromNfs3 ? "NFS3's reference car (gamedata/carmodel/fm50/car.viv)"
                                   : "NFS4's reference car (data/cars/fm50/car.viv)") +
                         " in the game's folder");
    }
    return path;
  }

  // The input's member `name` (see VivArchive::Member), or nullptr.
  const GameFile* In(const std::string& name) const { return input_->Member(name); }

  // An object of class T on the input's member `name`, which a car needs, loaded from
  // the input archive.
  template <class T>
  T& LoadRequiredIn(const std::string& name) {
    const GameFile* member = In(name);
    if (member == nullptr) throw CommandError("the car '" + archivePath_ + "' has no " + name + ", which a car needs");
    T& object = objects_.Add(std::make_unique<T>(member->path));
    object.packedIn = member->packedIn;
    object.Load();
    return object;
  }

  std::string Out(const std::string& name) const { return platform::JoinPath(outputFolder_, name); }

  template <class T>
  T& AddMember(const std::string& name) {
    T& member = objects_.Add(std::make_unique<T>(Out(name)));
    member.Load();
    output_->members.push_back(&member);
    return member;
  }

  // A member `name` with the bytes of the file `original`, packed from there.
  void AddCopy(const std::string& name, const std::string& original) {
    GameFile& member = objects_.Add(std::make_unique<FileCopy>(Out(name), original));
    member.Load();
    output_->members.push_back(&member);
  }

  // A reference file that the output holds as it is: packed straight from the reference
  // folder.
  void AddReferenceCopy(const std::string& name) { AddCopy(name, Reference(name)); }

  // The input's images, packed byte for byte from the input archive.
  void AddFrontEndImages() {
    auto& images = objects_.Add(std::make_unique<FshFile>(Out("fedata.fsh")));
    images.unpackImages = false;
    const GameFile* input = In("fedata.fsh");
    if (input == nullptr) return;
    images.packedIn = input->packedIn;
    images.Load();
    output_->members.push_back(&images);
  }

  // Each language's front-end texts that the input has, converted from Source's game to
  // Target's; the source object lives only for its conversion.
  template <class Source, class Target>
  void AddFrontEndTexts() {
    for (std::string_view language : kFrontEndLanguages) {
      const std::string name = FrontEndFileName(language);
      auto& converted = objects_.Add(std::make_unique<Target>(Out(name)));
      const GameFile* input = In(name);
      if (input == nullptr) continue;
      {
        Source source(input->path);
        source.packedIn = input->packedIn;
        source.Load();
        if constexpr (std::is_same_v<Target, FeData3File>) {
          source.ConvertTo3(Out(name));
        } else {
          source.ConvertTo4(Out(name));
        }
      }
      converted.Load();
      output_->members.push_back(&converted);
    }
  }

  void ToNfs3() {
    int variant = 0;
    for (int n = 3; n >= 1 && variant == 0; --n)
      if (In("car" + std::to_string(n) + ".fce") != nullptr) variant = n;
    const std::string suffix = variant == 0 ? "" : std::to_string(variant);

    auto& performance = LoadRequiredIn<Carp4File>("carp" + suffix + ".txt");
    performance.ConvertTo3(Out("carp.txt"));
    AddMember<Carp3File>("carp.txt");

    auto& model = LoadRequiredIn<Fce4File>("car" + suffix + ".fce");
    model.ConvertTo3(Out("car.fce"), 0);
    model.ConvertTo3(Out("card.fce"), 1);
    AddMember<Fce3File>("car.fce");
    AddMember<Fce3File>("card.fce");

    auto& texture = LoadRequiredIn<TgaFile>("car" + suffix + "00.tga");
    texture.FlipVertical();
    texture.SaveAs(Out("car00.tga"));
    AddMember<TgaFile>("car00.tga");

    AddReferenceCopy("dash.qfs");
    AddFrontEndImages();
    AddFrontEndTexts<FeData4File, FeData3File>();
    for (const char* bank : {"careng.bnk", "ocareng.bnk", "scareng.bnk"}) AddReferenceCopy(bank);
  }

  void ToNfs4() {
    auto& performance = LoadRequiredIn<Carp3File>("carp.txt");
    performance.ConvertTo4(Out("carp.txt"));
    AddMember<Carp4File>("carp.txt");
    for (const char* copy : {"carp1.txt", "carp2.txt", "carp3.txt"}) AddCopy(copy, Out("carp.txt"));

    auto& model = LoadRequiredIn<Fce3File>("car.fce");
    model.ConvertTo4(Out("car.fce"));
    AddMember<Fce4File>("car.fce");
    for (const char* copy : {"car1.fce", "car2.fce", "car3.fce"}) AddCopy(copy, Out("car.fce"));

    auto& texture = LoadRequiredIn<TgaFile>("car00.tga");
    texture.FlipVertical();
    texture.SaveAs(Out("car00.tga"));
    AddMember<TgaFile>("car00.tga");
    for (const char* copy : {"car100.tga", "car200.tga", "car300.tga"}) AddCopy(copy, Out("car00.tga"));

    // An FSH file is packed byte for byte, never read for its images.
    AddReferenceCopy("dash.fsh");
    CopyFile(Reference("dash.fce"), Out("dash.fce"));
    AddMember<Fce4File>("dash.fce");
    CopyFile(Reference("dash00.tga"), Out("dash00.tga"));
    AddMember<TgaFile>("dash00.tga");

    AddFrontEndImages();
    AddFrontEndTexts<FeData3File, FeData4File>();
    for (const char* sound : {"careng.ctb", "careng.ltb", "careng.bnk", "ocareng.bnk", "scareng.bnk"})
      AddReferenceCopy(sound);
  }

  std::string archivePath_;
  Game target_;
  std::string outputPath_;
  std::string outputFolder_;  // the run's own working folder, while Run runs
  std::string referenceFolder_;
  ObjectStack objects_;
  VivArchive* input_ = nullptr;
  VivArchive* output_ = nullptr;
};

}  // namespace

ConversionOutcome ConvertCar(const std::string& archivePath, Game target, bool install,
                             const std::string& referenceFolder, const std::string& gamePath,
                             const std::string& keptCarsFolder) {
  RefuseCarOfWrongGame(archivePath, target);
  ConversionOutcome outcome;
  std::string carFolderPath;
  std::optional<CarLock> lock;
  if (install) {
    const std::string carName = CarNameFromPath(archivePath);
    // Held to the end: a second run into this car waits, so that neither mixes its files
    // with the other's nor replaces the car that the other keeps.
    lock.emplace(LocksFolder(), target, carName);
    const std::string cars = target == Game::Nfs3 ? "GameData/CarModel" : "Data/Cars";
    const std::string carsFolder = platform::ResolveInGameFolder(gamePath, cars);
    if (!platform::IsFolder(carsFolder))
      throw CommandError(std::string("cannot install into ") + ShortName(target) + ": its car folder '" + carsFolder +
                         "' does not exist (is " + ShortName(target) + "Path right?)");
    carFolderPath = platform::ResolveInGameFolder(gamePath, cars + "/" + carName);
    outcome.outputPath = platform::ResolveInGameFolder(gamePath, cars + "/" + carName + "/car.viv");
    outcome.carName = platform::FileNameOf(carFolderPath);
  } else {
    outcome.outputPath = archivePath.substr(0, archivePath.size() - 1) + (target == Game::Nfs3 ? "3" : "4");
  }

  CarConversion conversion(archivePath, target, outcome.outputPath, referenceFolder);
  conversion.CheckBeforeStart();
  if (!FileExists(archivePath)) throw FileError(archivePath, "open", "no such file or not readable");
  OwnedFolder carFolder;
  if (install && !platform::IsFolder(carFolderPath)) carFolder = OwnedFolder::Create(carFolderPath);
  // An installed car is replaced only once the new archive is complete and the old one
  // has been kept.
  conversion.Run([&](const std::string& replaced) {
    if (install)
      outcome.keptCopy = KeepReplacedArchive(replaced, KeptCarFolder(keptCarsFolder, target, outcome.carName));
  });
  carFolder.Keep();
  return outcome;
}

}  // namespace velkor
