#include <filesystem>
#include <functional>

#include "app/CarFacts.h"
#include "app/CarGame.h"
#include "app/CheckReport.h"
#include "app/InstalledCars.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "carp/PerformanceFileNames.h"
#include "carp/PerformanceText.h"
#include "model/FrontEndNames.h"
#include "platform/Paths.h"

namespace velkor {
namespace {

enum class Kind { Car, Model, FrontEnd, Performance, Image, Other };

Kind KindOfName(const std::string& name) {
  const std::string lower = LowerCaseAscii(name);
  if (EndsWith(lower, ".viv")) return Kind::Car;
  if (EndsWith(lower, ".fce")) return Kind::Model;
  if (EndsWithFrontEndFileName(lower)) return Kind::FrontEnd;
  if (EndsWithPerformanceFileName(lower)) return Kind::Performance;
  if (EndsWith(lower, ".tga")) return Kind::Image;
  return Kind::Other;
}

// Checks one file (opened by `open`) of `kind`; nothing for other kinds.
std::string CheckContent(Kind kind, const std::function<platform::File()>& open, const std::string& path,
                         const std::optional<ContentRange>& packedIn, const std::string& member,
                         CheckReport& report) {
  switch (kind) {
    case Kind::Model: return CheckModelContent(open(), member, report);
    case Kind::FrontEnd: return CheckFrontEndContent(open(), member, report);
    case Kind::Performance: return CheckPerformanceContent(open(), member, report);
    case Kind::Image: return CheckImageContent(path, packedIn, member, report);
    case Kind::Car:
    case Kind::Other: break;
  }
  return "";
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec1, ec2;
  const auto ca = std::filesystem::weakly_canonical(a, ec1), cb = std::filesystem::weakly_canonical(b, ec2);
  return !ec1 && !ec2 && ca == cb;
}

// Warns when installed cars other than `self` have the serial number: of `game`, whose
// cars it would clash with, and of the other game, whose cars it would clash with once
// converted.
void CheckSerial(const std::string& serial, Game game, const std::string& self, const std::string& member,
                 const GamePaths& paths, CheckReport& report) {
  if (serial.empty()) return;
  for (const InstalledCar& car : ListInstalledCars(paths, "")) {
    if (car.serial != serial || SameFile(car.archive, self)) continue;
    report.Warn(member, "serial number = " + serial + ": the installed " + ShortName(car.game) + " car '" +
                            car.folder + "' has it too" +
                            (car.game == game ? "; the game may show the wrong car or crash"
                                              : ", so the car converted to " + std::string(ShortName(car.game)) +
                                                    " would share it"));
  }
}

// A numbered variant's performance file, model or texture, which only NFS4 cars have.
bool IsNfs4Variant(const std::string& lowerName) {
  for (const std::string n : {"1", "2", "3"})
    if (lowerName == "carp" + n + ".txt" || lowerName == "car" + n + ".fce" || lowerName == "car" + n + "00.tga")
      return true;
  return false;
}

void CheckCar(const std::string& path, const GamePaths& paths, CheckReport& report) {
  platform::File archive = platform::File::Open(path, platform::File::ReadExisting);
  const VivLocation whole{&archive, 0, archive.Length(), ""};
  VivDirectory directory;
  try {
    directory = ReadVivDirectory(whole);
    CheckVivMembers(whole, directory);
  } catch (const FormatError& e) {
    report.Describe("'" + path + "': a car archive that cannot be read");
    report.Fail("archive", e.what());
    return;
  }
  const CarModel model = DecidingModel(archive, directory, std::nullopt);
  const bool nfs4 = model.identity.game == ContentGame::Nfs4;
  const Game game = nfs4 ? Game::Nfs4 : Game::Nfs3;
  const int variant = nfs4 ? HighestModelVariant(directory) : 0;
  report.Describe("'" + path + "': " + (model.identity.game == ContentGame::Neither ? "a car of neither game"
                                        : nfs4 ? "an NFS4 car" : "an NFS3 car") +
                  ", " + std::to_string(directory.entries.size()) + " members" +
                  (variant == 0 ? "" : "; converting to NFS3 takes variant " + std::to_string(variant)));

  // What converting the car reads: its performance file, model and texture, and the texts.
  const std::string n = variant == 0 ? "" : std::to_string(variant);
  const std::vector<std::string> needed = {"carp" + n + ".txt", "car" + n + ".fce", "car" + n + "00.tga"};
  for (const auto& name : needed)
    if (FindMember(directory, name) == nullptr) report.Fail(name, "missing; converting the car needs it");
  const auto isRead = [&](const std::string& name) {
    for (const auto& wanted : needed)
      if (SameIgnoringCase(name, wanted)) return true;
    return EndsWithFrontEndFileName(LowerCaseAscii(name)) && FindMember(directory, LowerCaseAscii(name)) != nullptr;
  };

  for (const VivEntry& entry : directory.entries) {
    const std::string lower = LowerCaseAscii(entry.name);
    if (!nfs4 && IsNfs4Variant(lower)) {
      report.Warn(entry.name, "a member of NFS4 cars; converting to NFS4 leaves it out");
    } else if (nfs4 && lower == "card.fce") {
      report.Warn(entry.name, "a member of NFS3 cars; converting to NFS3 makes a new one");
    }
    const std::optional<ContentRange> range =
        ContentRange{path, static_cast<std::uint64_t>(entry.offset), static_cast<std::uint64_t>(entry.length)};
    report.SetFailuresAreWarnings(!isRead(entry.name));
    const std::string what = CheckContent(KindOfName(entry.name), [&] { return OpenMember(path, entry); }, path + ":" +
                                          entry.name, range, entry.name, report);
    report.SetFailuresAreWarnings(false);
    report.Describe("  " + entry.name + ": " + (what.empty() ? std::to_string(entry.length) + " bytes" : what));
  }
  if (const VivEntry* carp = FindMember(directory, needed[0])) {
    try {
      CheckSerial(SerialAndClass(OpenMember(path, *carp)).first, game, path, carp->name, paths, report);
    } catch (const FormatError&) {
      // The performance file's own check has said why it cannot be read.
    }
  }
}

}  // namespace

void CheckReport::Print(std::ostream& out) const {
  for (const auto& line : description_) out << line << "\n";
  for (const auto& line : problems_) out << line << "\n";
  out.flush();
}

void CheckPath(const std::string& path, const GamePaths& paths, std::ostream& out) {
  const Kind kind = KindOfName(path);
  if (kind == Kind::Other)
    throw CommandError("cannot check '" + path + "': only car archives (\".viv\"), models (\".fce\"), front-end " +
                       "files (\"fedata.eng\", ...), performance files (\"carp.txt\", ...) and images (\".tga\") " +
                       "are checked");
  CheckReport report;
  if (kind == Kind::Car) {
    CheckCar(path, paths, report);
  } else {
    const std::string member = platform::FileNameOf(path);
    const auto open = [&] { return platform::File::Open(path, platform::File::ReadExisting); };
    const std::string what = CheckContent(kind, open, path, std::nullopt, member, report);
    report.Describe("'" + path + "': " + what);
    if (kind == Kind::Performance && report.errors() == 0) {
      platform::File file = platform::File::Open(path, platform::File::ReadExisting);
      const bool nfs4 = IdentifyPerformanceFile(file, 0, file.Length()).game == ContentGame::Nfs4;
      file.Seek(0);
      CheckSerial(SerialAndClass(std::move(file)).first, nfs4 ? Game::Nfs4 : Game::Nfs3, path, member, paths, report);
    }
  }
  report.Print(out);
  if (report.errors() > 0)
    throw CommandError("'" + path + "' cannot be converted: " + std::to_string(report.errors()) +
                       (report.errors() == 1 ? " error" : " errors") + " above");
}

}  // namespace velkor
