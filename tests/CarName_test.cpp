#include <gtest/gtest.h>

#include "app/CarName.h"
#include "base/Errors.h"
#include "platform/Platform.h"

namespace velkor {
namespace {

std::string Path(std::initializer_list<const char*> parts) {
  std::string path = platform::kWindows ? "C:" : "";
  for (const char* part : parts) path += platform::kPathSeparator + std::string(part);
  return path;
}

TEST(CarNameFromPath, IsTheFolderThatHoldsTheArchive) {
  EXPECT_EQ(CarNameFromPath(Path({"games", "My Cars", "viper", "car.viv"})), "viper");
  // Any archive name, not only seven-character ones.
  EXPECT_EQ(CarNameFromPath(Path({"cars", "viper", "viper-gts.viv"})), "viper");
  EXPECT_EQ(CarNameFromPath(Path({"cars", "viper", ".", "car.viv"})), "viper");
}

TEST(CarNameFromPath, RefusesPathsThatNameNoCarFolder) {
  EXPECT_THROW(CarNameFromPath(Path({"car.viv"})), CommandError);
  EXPECT_THROW(CarNameFromPath(Path({"x", "..", "car.viv"})), CommandError);
}

}  // namespace
}  // namespace velkor
