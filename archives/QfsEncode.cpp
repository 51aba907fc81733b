#include <algorithm>
#include <vector>

#include "archives/Qfs.h"
#include "base/Errors.h"

namespace velkor {
namespace {

constexpr std::size_t kWindow = 131072;      // the farthest a 4-byte command reaches back
constexpr std::size_t kLongestCopy = 1028;   // the longest copy of a 4-byte command
constexpr std::size_t kMostLiterals = 112;   // the most a literal command carries
constexpr std::size_t kChainSteps = 48;      // candidates tried per position: speed over size
constexpr std::size_t kHashBits = 15;
constexpr std::uint64_t kThreeByteLimit = 0xFFFFFF;

std::size_t HashAt(ByteView data, std::size_t at) {
  const std::uint32_t v = data[at] | (data[at + 1] << 8) | (data[at + 2] << 16);
  return (v * 2654435761u) >> (32 - kHashBits);
}

// Whether a copy of `length` bytes from `distance` back fits one of the three copy commands.
bool Encodable(std::size_t length, std::size_t distance) {
  if (length >= 5) return distance <= kWindow;
  if (length == 4) return distance <= 16384;
  return length == 3 && distance <= 1024;
}

class Encoder {
 public:
  explicit Encoder(ByteView data) : data_(data), head_(std::size_t{1} << kHashBits, kNone), previous_(kWindow, kNone) {}

  Bytes Run() {
    std::size_t at = 0;
    while (at < data_.size()) {
      const auto [length, distance] = LongestMatch(at);
      if (length == 0) {
        Remember(at);
        ++at;
        continue;
      }
      EmitCopy(at, length, distance);
      for (std::size_t i = 0; i < length; ++i) Remember(at + i);
      at += length;
      literalStart_ = at;
    }
    FlushLiterals(at, 3);
    out_.push_back(static_cast<std::uint8_t>(0xFC + (at - literalStart_)));
    AppendLiterals(at);
    return std::move(out_);
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  void Remember(std::size_t at) {
    if (at + 3 > data_.size()) return;
    const std::size_t h = HashAt(data_, at);
    previous_[at % kWindow] = head_[h];
    head_[h] = at;
  }

  std::pair<std::size_t, std::size_t> LongestMatch(std::size_t at) const {
    std::size_t bestLength = 0;
    std::size_t bestDistance = 0;
    if (at + 3 > data_.size()) return {0, 0};
    const std::size_t most = std::min(kLongestCopy, data_.size() - at);
    std::size_t candidate = head_[HashAt(data_, at)];
    for (std::size_t step = 0; step < kChainSteps && candidate != kNone && at - candidate <= kWindow; ++step) {
      std::size_t length = 0;
      while (length < most && data_[candidate + length] == data_[at + length]) ++length;
      if (length > bestLength && Encodable(length, at - candidate)) {
        bestLength = length;
        bestDistance = at - candidate;
        if (length == most) break;
      }
      const std::size_t next = previous_[candidate % kWindow];
      if (next == kNone || next >= candidate) break;  // the slot was reused by a later position
      candidate = next;
    }
    return {bestLength, bestDistance};
  }

  // Emits literal commands until at most `keep` pending literals remain (a copy or stop
  // command carries up to 3).
  void FlushLiterals(std::size_t at, std::size_t keep) {
    while (at - literalStart_ > keep) {
      const std::size_t count = std::min(kMostLiterals, (at - literalStart_) & ~std::size_t{3});
      out_.push_back(static_cast<std::uint8_t>(0xE0 + count / 4 - 1));
      out_.insert(out_.end(), data_.begin() + static_cast<std::ptrdiff_t>(literalStart_),
                  data_.begin() + static_cast<std::ptrdiff_t>(literalStart_ + count));
      literalStart_ += count;
    }
  }

  void AppendLiterals(std::size_t at) {
    out_.insert(out_.end(), data_.begin() + static_cast<std::ptrdiff_t>(literalStart_),
                data_.begin() + static_cast<std::ptrdiff_t>(at));
    literalStart_ = at;
  }

  void EmitCopy(std::size_t at, std::size_t length, std::size_t distance) {
    FlushLiterals(at, 3);
    const std::size_t literals = at - literalStart_;
    const std::size_t d = distance - 1;
    if (length <= 10 && distance <= 1024) {
      out_.push_back(static_cast<std::uint8_t>(((d >> 3) & 0x60) | ((length - 3) << 2) | literals));
      out_.push_back(static_cast<std::uint8_t>(d));
    } else if (length <= 67 && distance <= 16384) {
      out_.push_back(static_cast<std::uint8_t>(0x80 | (length - 4)));
      out_.push_back(static_cast<std::uint8_t>((literals << 6) | (d >> 8)));
      out_.push_back(static_cast<std::uint8_t>(d));
    } else {
      const std::size_t l = length - 5;
      out_.push_back(static_cast<std::uint8_t>(0xC0 | ((d >> 12) & 0x10) | ((l >> 6) & 0x0C) | literals));
      out_.push_back(static_cast<std::uint8_t>(d >> 8));
      out_.push_back(static_cast<std::uint8_t>(d));
      out_.push_back(static_cast<std::uint8_t>(l));
    }
    AppendLiterals(at);
  }

  ByteView data_;
  std::vector<std::size_t> head_;
  std::vector<std::size_t> previous_;
  std::size_t literalStart_ = 0;
  Bytes out_;
};

void AppendBigEndian(Bytes& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

Bytes QfsEncode(ByteView data, QfsEncodeOptions options) {
  if (data.size() > 0xFFFFFFFFu) throw CommandError("more than 4 GiB cannot be compressed as QFS");
  const bool wide = options.wideSizes || data.size() > kThreeByteLimit;
  const std::size_t width = wide ? 4 : 3;
  const Bytes commands = Encoder(data).Run();

  Bytes out;
  out.push_back(static_cast<std::uint8_t>(0x10 | (wide ? 0x80 : 0) | (options.storeCompressedSize ? 0x01 : 0)));
  out.push_back(0xFB);
  const std::size_t headerSize = 2 + width * (options.storeCompressedSize ? 2 : 1);
  if (options.storeCompressedSize) AppendBigEndian(out, headerSize + commands.size(), width);
  AppendBigEndian(out, data.size(), width);
  out.insert(out.end(), commands.begin(), commands.end());
  return out;
}

}  // namespace velkor
