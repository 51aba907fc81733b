#pragma once

// What a car archive says about itself: its name, serial number and class, and the game
// its model is for. Read from the archive's members in place; nothing is unpacked.

#include <optional>
#include <string>
#include <utility>

#include "app/Game.h"
#include "archives/VivDirectory.h"
#include "recogniser/ContentGame.h"

namespace velkor {

struct CarFacts {
  std::string name;      // text 2 of fedata.eng ("Velkor Roadster"); empty when there is none
  std::string serial;    // label 0 of the performance file, blanks around it removed
  std::string carClass;  // label 1, the same way
  ContentGame game = ContentGame::Undecided;  // of the model that decides the car's game
};

// Reads the facts of the car archive at `archivePath`. Raises FileError or FormatError when
// the archive or one of the members read cannot be read.
CarFacts ReadCarFacts(const std::string& archivePath);

// `entry` of the archive at `archivePath`, opened as a file of its own; messages name it
// as the member of that archive.
platform::File OpenMember(const std::string& archivePath, const VivEntry& entry);

// Labels 0 (serial number) and 1 (class) of a performance file, blanks around them removed.
std::pair<std::string, std::string> SerialAndClass(platform::File file);

// Text `index` (below 17, where both versions agree) of a front-end file, read as the
// version its layout, or else its first byte, says.
std::string FrontEndText(platform::File file, std::size_t index);

}  // namespace velkor
