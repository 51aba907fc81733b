#include <gtest/gtest.h>

#include <string>

#include "files/Errors.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::PutU32;
using test::TempDir;

TEST(FceLoad, ResetThenSaveAsWritesAnEmptyModel) {
  TempDir dir;
  Fce3File nfs3(dir / "a.fce");
  nfs3.Reset();
  nfs3.SaveAs(dir / "a.fce");
  Bytes want3(7940, 0);
  want3[0] = 0x13, want3[1] = 0x10, want3[2] = 0x10;
  EXPECT_EQ(test::ReadBytes(dir / "a.fce"), want3);
  EXPECT_EQ(nfs3.size, 7940);
  EXPECT_EQ(nfs3.typeTag, "FCE3");

  Fce4File nfs4(dir / "b.fce");
  nfs4.Reset();
  nfs4.Save();
  Bytes want4(8248, 0);
  want4[0] = 0x14, want4[1] = 0x10, want4[2] = 0x10;
  EXPECT_EQ(test::ReadBytes(dir / "b.fce"), want4);
  EXPECT_EQ(nfs4.size, 8248);
  EXPECT_EQ(nfs4.typeTag, "FCE4");
}

TEST(FceLoad, BlocksStoredOutOfOrderWithGapsAreSavedPacked) {
  TempDir dir;
  const std::size_t n = 2, m = 1;
  const auto lengths = test::Fce3BlockLengths(n, m);
  // Header, a 5-byte gap, then the blocks in reverse order with a 3-byte gap between each.
  Bytes stored = test::MakeFce3(2, 1, 1);
  stored.resize(7940 + 5, 0xAA);
  for (std::size_t b = 6; b >= 1; --b) {
    PutU32(stored, 0x10 + 4 * (b - 1), static_cast<std::uint32_t>(stored.size() - 7940));
    const Bytes data = test::BlockPattern(static_cast<int>(b), lengths[b]);
    stored.insert(stored.end(), data.begin(), data.end());
    stored.insert(stored.end(), 3, 0xAA);
  }
  test::WriteBytes(dir / "in.fce", stored);

  Fce3File model(dir / "in.fce");
  model.Load();
  EXPECT_EQ(model.size, static_cast<std::int32_t>(stored.size()));
  model.SaveAs(dir / "out.fce");
  EXPECT_EQ(test::ReadBytes(dir / "out.fce"), test::MakeFce3(2, 1, 1));
  EXPECT_EQ(model.size, static_cast<std::int32_t>(7940 + 80 * n + 56 * m));
}

// Loading `bytes` fails with a format error whose message names the file and `field`.
void ExpectRejected(const Bytes& bytes, bool nfs4, const std::string& field) {
  TempDir dir;
  const std::string path = dir / "bad.fce";
  test::WriteBytes(path, bytes);
  try {
    if (nfs4) {
      Fce4File(path).Load();
    } else {
      Fce3File(path).Load();
    }
    ADD_FAILURE() << "accepted; expected a complaint about " << field;
  } catch (const FormatError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(field), std::string::npos) << message;
  }
}

TEST(FceLoad, CountsAndOffsetsThatDoNotFitTheFileAreRejected) {
  const Bytes good3 = test::MakeFce3(3, 2, 1);
  const Bytes good4 = test::MakeFce4(3, 2, 1);

  ExpectRejected(Bytes(good3.begin(), good3.begin() + 7939), false, "header");
  ExpectRejected(Bytes(good4.begin(), good4.begin() + 8000), true, "header");
  ExpectRejected(Bytes(good3.begin(), good3.end() - 1), false, "blockOffsets[6]");
  ExpectRejected(Bytes(good4.begin(), good4.end() - 1), true, "blockOffsets[14]");

  auto with = [](Bytes bytes, std::size_t at, std::uint32_t value) {
    PutU32(bytes, at, value);
    return bytes;
  };
  ExpectRejected(with(good3, 0xF8, 65), false, "partCount");
  ExpectRejected(with(good4, 0x11C, 65), true, "partCount");
  ExpectRejected(with(good3, 0xF8, 0xFFFFFFFF), false, "partCount");
  ExpectRejected(with(good3, 0x04, 0xFFFFFFFF), false, "recordCount");
  ExpectRejected(with(good4, 0x0C, 0x80000000), true, "elementCount");
  ExpectRejected(with(good3, 0x08, 0x7FFFFFFF), false, "elementCount");  // huge: nothing allocated
  ExpectRejected(with(good4, 0x08, 0x7FFFFFFF), true, "recordCount");
  ExpectRejected(with(good3, 0x10 + 4 * 2, 0xFFFFFFF0), false, "blockOffsets[3]");
  ExpectRejected(with(good4, 0x14 + 4 * 8, 0x7FFFFFFF), true, "blockOffsets[9]");
}

TEST(FceLoad, EmptyBlocksFitAnywhereAndPartCountSixtyFourIsAccepted) {
  TempDir dir;
  // No elements: the element blocks are empty, so their offsets are never used.
  Bytes model = test::MakeFce3(0, 1, 64);
  for (std::size_t b : {1, 2, 4, 5, 6}) PutU32(model, 0x10 + 4 * (b - 1), 0x7FFFFFFF);
  test::WriteBytes(dir / "a.fce", model);
  Fce3File file(dir / "a.fce");
  file.Load();
  EXPECT_EQ(file.model.header.partCount(), 64);
  EXPECT_EQ(Bytes(file.model.block(3).begin(), file.model.block(3).end()), test::BlockPattern(3, 56));
}

}  // namespace
}  // namespace velkor
