#include <gtest/gtest.h>

#include <regex>

#include "app/KeptCars.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

TEST(KeptCars, CopiesAreNamedAfterTheTimeAndTheNewestGoesByTimeThenNumber) {
  test::TempDir dir;
  const std::string kept = KeptCarFolder(dir.path(), Game::Nfs3, "viper");
  EXPECT_EQ(kept, platform::JoinPath(platform::JoinPath(dir.path(), "NFS3"), "viper"));
  EXPECT_FALSE(NewestKeptCopy(kept));

  test::WriteText(dir / "car.viv", "the old car");
  const std::string first = KeepReplacedArchive(dir / "car.viv", kept);
  const std::string second = KeepReplacedArchive(dir / "car.viv", kept);
  EXPECT_TRUE(std::regex_match(platform::FileNameOf(first), std::regex(R"(\d{8}-\d{6}\.viv)"))) << first;
  // Within the same second the name takes "-2"; a second later it is a plain one again.
  EXPECT_TRUE(std::regex_match(platform::FileNameOf(second), std::regex(R"(\d{8}-\d{6}(-2)?\.viv)"))) << second;
  EXPECT_NE(first, second);
  EXPECT_EQ(test::ReadText(first), "the old car");
  EXPECT_EQ(test::ReadText(second), "the old car");

  const std::string other = dir / "other";
  test::MakeFolder(other);
  for (const char* name : {"20240101-120000.viv", "20240101-120000-2.viv", "20240101-120000-10.viv",
                           "20231231-235959-11.viv", "29991231-235959.txt", "notes.viv", "29991231-235959-x.viv",
                           ".29991231-235959.viv.velkor-1.tmp"})
    test::WriteText(other + "/" + name, name);
  test::MakeFolder(other + "/29991231-235959.viv");
  EXPECT_EQ(NewestKeptCopy(other), platform::JoinPath(other, "20240101-120000-10.viv"));
}

}  // namespace
}  // namespace velkor
