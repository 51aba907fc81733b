#include <gtest/gtest.h>

#include <string>

#include "archives/Qfs.h"
#include "base/Errors.h"
#include "support/ModelBuilder.h"
#include "support/QfsInputs.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

Bytes Join(Bytes a, const Bytes& b) { return test::Append(a, b), a; }

// "abc", then a 6-byte copy from 3 back that overlaps itself, then "XYZ" with the stop.
const Bytes kShortCommands = {0x0F, 0x02, 'a', 'b', 'c', 0xFF, 'X', 'Y', 'Z'};
// "wxyz" by a literal command; "!" and a 4-byte copy from 4 back by a 3-byte command; a
// 300-byte copy from 9 back by a 4-byte command; the stop. 309 bytes in all.
const Bytes kLongCommands = {0xE0, 'w', 'x', 'y', 'z', 0x80, 0x40, 0x03, '!', 0xC4, 0x00, 0x08, 0x27, 0xFC};

std::string Decoded(const Bytes& stream) { return test::ToText(QfsDecode(stream, "t.qfs")); }

TEST(Qfs, DecodesEveryCommandUnderEveryHeader) {
  EXPECT_EQ(Decoded(Join({0x10, 0xFB, 0, 0, 12}, kShortCommands)), "abcabcabcXYZ");

  std::string repeated;
  for (int i = 0; i < 309; ++i) repeated += "wxyz!xyz!"[i % 9];
  const std::vector<std::pair<const char*, Bytes>> headers = {
      {"10FB", {0x10, 0xFB, 0x00, 0x01, 0x35}},
      {"11FB", {0x11, 0xFB, 0x00, 0x00, 0x16, 0x00, 0x01, 0x35}},
      {"90FB", {0x90, 0xFB, 0x00, 0x00, 0x01, 0x35}},
      {"91FB", {0x91, 0xFB, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x01, 0x35}},
  };
  for (const auto& [name, header] : headers) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Decoded(Join(header, kLongCommands)), repeated);
    EXPECT_EQ(Decoded(Join(Join(header, kLongCommands), {0, 0, 0})), repeated);  // padding after the stop
  }

  // Far copies, setting the high distance bits of each kind of copy, after 595 runs of 112 literals.
  Bytes stream = {0x10, 0xFB, 0x01, 0x06, 0xB2}, expected;
  for (std::size_t i = 0; i < 595 * 112; ++i) {
    expected.push_back(static_cast<std::uint8_t>(i * 2654435761u >> 13));  // not periodic over this range
  }
  for (std::size_t i = 0; i < expected.size(); i += 112) {
    stream.push_back(0xFB);
    stream.insert(stream.end(), expected.begin() + i, expected.begin() + i + 112);
  }
  // 10 bytes from 811 back; 67 from 15,037 back; 533 from 65,828 back.
  test::Append(stream, {0x7C, 0x2A, 0xBF, 0x3A, 0xBC, 0xD8, 0x01, 0x23, 0x10, 0xFC});
  for (const auto& [distance, length] : {std::pair<std::size_t, int>{811, 10}, {15037, 67}, {65828, 533}}) {
    for (int i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
  }
  EXPECT_EQ(QfsDecode(stream, "t.qfs"), expected);
}

TEST(Qfs, RefusesStreamsThatBreakTheirBounds) {
  const std::vector<std::tuple<const char*, Bytes, const char*>> bad = {
      {"past the declared size", Join({0x10, 0xFB, 0, 0, 11}, kShortCommands), "past its declared size"},
      {"literals past the size", {0x10, 0xFB, 0, 0, 2, 0xFF, 'a', 'b', 'c'}, "past its declared size"},
      {"copy before the start", {0x10, 0xFB, 0, 0, 4, 0x01, 0x05, 'a', 0xFC}, "before the start"},
      {"copy one byte before the start", {0x10, 0xFB, 0, 0, 4, 0x01, 0x01, 'a', 0xFC}, "before the start"},
      {"literals cut off", {0x10, 0xFB, 0, 0, 8, 0xE1, 'a', 'b', 'c', 'd', 'e'}, "ends early"},
      {"command cut off", {0x10, 0xFB, 0, 0, 9, 0xE0, 'a', 'b', 'c', 'd', 0xC0, 0}, "ends early"},
      {"stop before the end", {0x10, 0xFB, 0, 0, 5, 0xFD, 'a', 0, 0}, "ends early"},
      {"no stop, output short", {0x10, 0xFB, 0, 0, 5, 0xE0, 'a', 'b', 'c', 'd'}, "ends early"},
      {"header cut off", {0x10, 0xFB, 0, 0}, "ends early"},
      {"4 GiB from 1 byte", {0x90, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFC}, "more than its 1 compressed bytes"},
      {"not RefPack", {'B', 'I', 'G', 'F', 0, 0}, "no RefPack header"},
      {"unknown flags", {0x30, 0xFB, 0, 0, 0, 0xFC}, "no RefPack header"},
  };
  for (const auto& [what, stream, words] : bad) {
    SCOPED_TRACE(what);
    const std::string message = test::MessageOf<FormatError>([&, &in = stream] { QfsDecode(in, "t.qfs"); });
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_NE(message.find("t.qfs"), std::string::npos) << message;
  }
}

TEST(Qfs, EncodedStreamsDecodeToTheirInputAndAreSmallerForRepeats) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    for (const Bytes& input : test::QfsSampleInputs(seed)) {
      for (const QfsEncodeOptions options : {QfsEncodeOptions{}, QfsEncodeOptions{true, false},
                                             QfsEncodeOptions{false, true}, QfsEncodeOptions{true, true}}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << input.size() << " bytes, flags "
                                        << options.storeCompressedSize << options.wideSizes);
        const Bytes stream = QfsEncode(input, options);
        ASSERT_TRUE(IsQfsHeader(stream));
        EXPECT_EQ(stream[0], 0x10 | (options.storeCompressedSize ? 0x01 : 0) | (options.wideSizes ? 0x80 : 0));
        if (options.storeCompressedSize) {
          const std::size_t width = options.wideSizes ? 4 : 3;
          std::size_t stored = 0;
          for (std::size_t i = 0; i < width; ++i) stored = stored << 8 | stream[2 + i];
          EXPECT_EQ(stored, stream.size());
        }
        EXPECT_EQ(QfsDecode(stream, "t.qfs"), input);
      }
    }
  }
  EXPECT_LT(QfsEncode(Bytes(5000, 0x41)).size(), 40u);
  const Bytes mixed = test::QfsSampleInputs(4).back();
  EXPECT_LT(QfsEncode(mixed).size() * 10, mixed.size() * 7);
}

}  // namespace
}  // namespace velkor
