#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "archives/Qfs.h"
#include "support/QfsInputs.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

// A second decoder, written independently in Python from the format, must read what the
// encoder writes as QfsDecode does, and refuse what QfsDecode refuses.
TEST(QfsReference, AnIndependentDecoderAgreesOnEncodedStreams) {
  if (std::system("python3 -c '' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
  test::TempDir dir;
  std::vector<Bytes> inputs = test::QfsSampleInputs(9);
  std::string command = "python3 '" + std::string(VELKOR_TEST_SOURCES) + "/support/python/refpack_reference.py'";
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    test::WriteBytes(dir / std::to_string(i), QfsEncode(inputs[i], {(i % 2) == 1, (i % 3) == 1}));
    command += " '" + (dir / std::to_string(i)) + "' '" + (dir / std::to_string(i)) + ".out'";
  }
  Bytes cut = QfsEncode(inputs.back());  // refused: no output for it
  cut.resize(cut.size() / 2);
  test::WriteBytes(dir / "cut", cut);
  command += " '" + (dir / "cut") + "' '" + (dir / "cut.out") + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    SCOPED_TRACE(inputs[i].size());
    EXPECT_EQ(test::ReadBytes(dir / (std::to_string(i) + ".out")), inputs[i]);
  }
  EXPECT_FALSE(test::PathExists(dir / "cut.out"));
}

}  // namespace
}  // namespace velkor
