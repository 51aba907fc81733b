// Writes the synthetic sample: a car for NFS3 and the two games' reference cars.
//   velkor-sample <folder>
// creates <folder>/cars/roadster/car.viv and two game folders, <folder>/nfs3 with
// GameData/CarModel/fm50/car.viv and <folder>/nfs4 with Data/Cars/fm50/car.viv.

#include <filesystem>
#include <iostream>

#include "files/AtomicOutput.h"
#include "files/Errors.h"
#include "sample/SampleCar.h"

int main(int argc, char** argv) {
  using namespace velkor;
  if (argc != 2) {
    std::cerr << "usage: velkor-sample FOLDER\n";
    return 2;
  }
  try {
    const std::filesystem::path root = argv[1];
    const auto write = [&](const std::filesystem::path& relative, const std::vector<sample::Member>& members) {
      std::filesystem::create_directories((root / relative).parent_path());
      WriteFileAtomically((root / relative).string(), sample::PackArchive(members));
    };
    write("cars/roadster/car.viv", sample::RoadsterCar());
    write("nfs3/GameData/CarModel/fm50/car.viv", sample::Nfs3ReferenceCar());
    write("nfs4/Data/Cars/fm50/car.viv", sample::Nfs4ReferenceCar());
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "velkor-sample: " << e.what() << "\n";
    return 1;
  }
}
