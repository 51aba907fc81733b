#pragma once

// The cars installed in both games' car folders ("GameData/CarModel/<car>/car.viv" for
// NFS3, "Data/Cars/<car>/car.viv" for NFS4, names matched ignoring case), for
// `velkor --cars` and for the warning an installation gives about a shared serial number.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/Game.h"

namespace velkor {

struct InstalledCar {
  Game game = Game::Nfs3;
  std::string folder;   // the car folder's name
  std::string archive;  // the archive's path
  std::string name;     // from fedata.eng
  std::string serial;   // label 0 of carp.txt
  std::string carClass;  // label 1
  std::uint64_t size = 0;
  std::size_t keptCopies = 0;
  std::string problem;  // why the archive cannot be read; the facts above are then empty
  std::vector<std::string> sharesSerialWith;  // folders of other cars of the game with the same serial
};

// Every installed car of the games whose paths are set, by game and then by folder name.
// A car that cannot be read is listed with its problem; nothing stops the list.
std::vector<InstalledCar> ListInstalledCars(const GamePaths& paths, const std::string& keptCarsFolder);

// A table for people: one line a car, shared serial numbers and problems noted.
void PrintCarsTable(const std::vector<InstalledCar>& cars, std::ostream& out);

// The same as a JSON array of objects, for scripts. The games' texts are 8-bit; they are
// given as their ISO 8859-1 characters.
void PrintCarsJson(const std::vector<InstalledCar>& cars, std::ostream& out);

// The folders of the other cars of `game` whose serial number is `serial` (none for an
// empty serial). `exceptFolder` (compared ignoring case) is left out.
std::vector<std::string> CarsWithSerial(Game game, const std::string& gamePath, const std::string& serial,
                                        const std::string& exceptFolder);

// After an installation of the car `carFolder` of `game`: a warning (and, with `notify`, a
// desktop notification) when another car of that game has the same serial number.
void WarnIfSerialShared(Game game, const std::string& gamePath, const std::string& carFolder,
                        const std::string& archive, bool notify);

}  // namespace velkor
