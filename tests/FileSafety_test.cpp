// Temporary files of their own for every output, and copies that say why they failed.

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "platform/Platform.h"
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

TEST(FileSafety, AFailedCopyNamesTheDestinationAndTheReason) {
  test::TempDir dir;
  test::WriteText(dir / "from", "bytes");
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {dir / "missing", dir / "to"}, {dir / "from", dir / "no folder/to"}, {dir.path(), dir / "to"}}) {
    try {
      platform::CopyFileReplacing(from, to);
      ADD_FAILURE() << from << " copied to " << to;
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find("'" + to + "'"), std::string::npos) << e.what();
      EXPECT_FALSE(e.reason().empty()) << e.what();
    }
  }
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"from"});
}

}  // namespace
}  // namespace velkor
