// Every output writes a temporary file of its own, created new beside the target.

#include <gtest/gtest.h>

#include "files/AtomicOutput.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

TEST(FileSafety, OutputsToOneTargetAtOnceEachKeepTheirOwnTemporaryFile) {
  test::TempDir dir;
  const std::string target = dir / "out.bin";
  {
    AtomicOutput first(target);
    AtomicOutput second(target);
    first.file().Write(test::ToBytes("first"));
    second.file().Write(test::ToBytes("2nd"));
    first.Commit();
    EXPECT_EQ(test::ReadText(target), "first");
    second.Commit();
  }
  EXPECT_EQ(test::ReadText(target), "2nd");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"out.bin"});
}

}  // namespace
}  // namespace velkor
