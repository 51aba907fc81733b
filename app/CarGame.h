#pragma once

// Which game a car archive is for: the game of the model that a conversion would read.

#include <optional>
#include <string>

#include "app/Game.h"
#include "archives/VivDirectory.h"
#include "recogniser/ContentGame.h"

namespace velkor {

// The entry of `directory` that unpacking would leave under `name`: the last of that name,
// or, when there is none (or on Windows, whose file names ignore case), the last whose name
// differs only in case. Nothing when there is none.
const VivEntry* FindMember(const VivDirectory& directory, const std::string& name);

// The highest numbered model variant of the car ("car3.fce" to "car1.fce"), 0 when it
// has none.
int HighestModelVariant(const VivDirectory& directory);

struct CarModel {
  std::string member;  // the member's name as stored; empty when the car has no model
  ContentIdentity identity;
};

// The model that decides the car's game: for a conversion to NFS3 the variant it would
// read; otherwise "car.fce", or the highest variant when the car has no "car.fce".
CarModel DecidingModel(platform::File& archive, const VivDirectory& directory, std::optional<Game> target);

// Raise CommandError, before anything is written, when the content clearly says that the
// input is already of `target`'s game or of neither game. Anything the content does not
// decide (and anything that cannot be read: the conversion reports that itself) passes.
void RefuseCarOfWrongGame(const std::string& archivePath, Game target);
void RefuseFileOfWrongGame(const std::string& path, Game target);

}  // namespace velkor
