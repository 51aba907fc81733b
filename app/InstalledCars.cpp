#include "app/InstalledCars.h"

#include <algorithm>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>

#include "app/CarFacts.h"
#include "app/KeptCars.h"
#include "app/Notice.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "platform/Paths.h"
#include "platform/Report.h"

namespace velkor {
namespace {

bool IsSet(const std::string& gamePath) { return !gamePath.empty() && gamePath != kNotAvailable; }

// The car's archive in `carFolder`: "car.viv" in any case, the exact spelling first.
const platform::FolderEntry* ArchiveIn(const std::vector<platform::FolderEntry>& entries) {
  const platform::FolderEntry* found = nullptr;
  for (const auto& entry : entries) {
    if (entry.isFolder || !SameIgnoringCase(entry.name, "car.viv")) continue;
    if (entry.name == "car.viv") return &entry;
    if (found == nullptr) found = &entry;
  }
  return found;
}

InstalledCar ReadCar(Game game, const platform::FolderEntry& folder, const std::string& archive,
                     const std::string& keptCarsFolder) {
  InstalledCar car;
  car.game = game;
  car.folder = folder.name;
  car.archive = archive;
  car.keptCopies = CountKeptCopies(KeptCarFolder(keptCarsFolder, game, folder.name));
  try {
    car.size = platform::File::LengthOf(archive);
    const CarFacts facts = ReadCarFacts(archive);
    car.name = facts.name;
    car.serial = facts.serial;
    car.carClass = facts.carClass;
  } catch (const Error& e) {
    car.problem = e.what();
  }
  return car;
}

std::vector<InstalledCar> CarsOf(Game game, const std::string& gamePath, const std::string& keptCarsFolder) {
  std::vector<InstalledCar> cars;
  if (!IsSet(gamePath)) return cars;
  const std::string carsFolder = platform::ResolveInGameFolder(gamePath, CarsFolderOf(game));
  for (const auto& folder : platform::ListFolder(carsFolder)) {
    if (!folder.isFolder) continue;
    const auto entries = platform::ListFolder(folder.fullPath);
    if (const platform::FolderEntry* archive = ArchiveIn(entries))
      cars.push_back(ReadCar(game, folder, archive->fullPath, keptCarsFolder));
  }
  std::sort(cars.begin(), cars.end(), [](const InstalledCar& a, const InstalledCar& b) {
    const std::string la = LowerCaseAscii(a.folder), lb = LowerCaseAscii(b.folder);
    return la != lb ? la < lb : a.folder < b.folder;
  });
  return cars;
}

// Notes, for each car, the other cars of its game that have the same serial number.
void MarkSharedSerials(std::vector<InstalledCar>& cars) {
  std::map<std::pair<Game, std::string>, std::vector<std::size_t>> bySerial;
  for (std::size_t i = 0; i < cars.size(); ++i)
    if (!cars[i].serial.empty()) bySerial[{cars[i].game, cars[i].serial}].push_back(i);
  for (const auto& [key, indexes] : bySerial)
    for (std::size_t i : indexes)
      for (std::size_t j : indexes)
        if (i != j) cars[i].sharesSerialWith.push_back(cars[j].folder);
}

// 8-bit text as UTF-8, each byte taken as the ISO 8859-1 character of that code.
std::string Utf8FromLatin1(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | byte >> 6));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return out;
}

std::string Note(const InstalledCar& car) {
  if (!car.problem.empty()) return "cannot be read: " + car.problem;
  if (car.sharesSerialWith.empty()) return "";
  std::string note = "serial number also used by";
  for (std::size_t i = 0; i < car.sharesSerialWith.size(); ++i)
    note += (i == 0 ? " '" : ", '") + car.sharesSerialWith[i] + "'";
  return note;
}

}  // namespace

std::vector<InstalledCar> ListInstalledCars(const GamePaths& paths, const std::string& keptCarsFolder) {
  std::vector<InstalledCar> cars = CarsOf(Game::Nfs3, paths.nfs3Path, keptCarsFolder);
  std::vector<InstalledCar> nfs4 = CarsOf(Game::Nfs4, paths.nfs4Path, keptCarsFolder);
  cars.insert(cars.end(), std::make_move_iterator(nfs4.begin()), std::make_move_iterator(nfs4.end()));
  MarkSharedSerials(cars);
  return cars;
}

std::vector<std::string> CarsWithSerial(Game game, const std::string& gamePath, const std::string& serial,
                                        const std::string& exceptFolder) {
  std::vector<std::string> folders;
  if (serial.empty()) return folders;
  for (const InstalledCar& car : CarsOf(game, gamePath, ""))
    if (car.serial == serial && !SameIgnoringCase(car.folder, exceptFolder)) folders.push_back(car.folder);
  return folders;
}

void WarnIfSerialShared(Game game, const std::string& gamePath, const std::string& carFolder,
                        const std::string& archive, bool notify) {
  std::string serial;
  try {
    serial = ReadCarFacts(archive).serial;
  } catch (const Error& e) {
    // The car is installed; only the comparison is lost.
    platform::ReportWarning("cannot compare the serial number of '" + carFolder + "' with the other cars': " + e.what());
    return;
  }
  const std::vector<std::string> others = CarsWithSerial(game, gamePath, serial, carFolder);
  if (others.empty()) return;
  std::string names;
  for (const auto& other : others) names += (names.empty() ? "'" : ", '") + other + "'";
  const std::string message = "'" + carFolder + "' has the serial number " + serial + ", which the " +
                              ShortName(game) + " car" + (others.size() == 1 ? " " : "s ") + names +
                              (others.size() == 1 ? " also has" : " also have") +
                              "; the game may then show the wrong car or crash: give one of them another serial "
                              "number (label 0 of its carp.txt)";
  platform::ReportWarning(message);
  if (notify) NotifyDesktop("Velkor: serial number shared", message, false);
}

void PrintCarsTable(const std::vector<InstalledCar>& cars, std::ostream& out) {
  if (cars.empty()) {
    out << "no installed cars found\n";
    return;
  }
  const std::vector<std::string> headings = {"game", "folder", "name", "serial", "class", "size", "kept", "note"};
  std::vector<std::vector<std::string>> rows;
  for (const InstalledCar& car : cars)
    rows.push_back({ShortName(car.game), car.folder, car.name, car.serial, car.carClass, std::to_string(car.size),
                    std::to_string(car.keptCopies), Note(car)});
  std::vector<std::size_t> widths(headings.size());
  for (std::size_t c = 0; c < headings.size(); ++c) {
    widths[c] = headings[c].size();
    for (const auto& row : rows) widths[c] = std::max(widths[c], row[c].size());
  }
  const auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const bool number = c == 5 || c == 6;
      const std::string pad(widths[c] - cells[c].size(), ' ');
      text += (c == 0 ? "" : "  ") + (number ? pad + cells[c] : cells[c] + (c + 1 == cells.size() ? "" : pad));
    }
    out << text.substr(0, text.find_last_not_of(' ') + 1) << "\n";
  };
  line(headings);
  for (const auto& row : rows) line(row);
}

void PrintCarsJson(const std::vector<InstalledCar>& cars, std::ostream& out) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const InstalledCar& car : cars) {
    nlohmann::ordered_json entry = {{"game", ShortName(car.game)},
                            {"folder", Utf8FromLatin1(car.folder)},
                            {"archive", Utf8FromLatin1(car.archive)},
                            {"name", Utf8FromLatin1(car.name)},
                            {"serial", Utf8FromLatin1(car.serial)},
                            {"class", Utf8FromLatin1(car.carClass)},
                            {"size", car.size},
                            {"keptCopies", car.keptCopies},
                            {"sharesSerialWith", nlohmann::ordered_json::array()},
                            {"problem", nullptr}};
    for (const auto& folder : car.sharesSerialWith) entry["sharesSerialWith"].push_back(Utf8FromLatin1(folder));
    if (!car.problem.empty()) entry["problem"] = Utf8FromLatin1(car.problem);
    list.push_back(std::move(entry));
  }
  out << list.dump(2) << "\n";
}

}  // namespace velkor
