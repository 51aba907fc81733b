#pragma once

#include <cstdint>

#include "base/Endian.h"
#include "platform/File.h"

namespace velkor {

// The bytes of an FSH image archive as FshFile unpacks them: a file read in place, or the
// content of a compressed file, decompressed into memory.
class FshSource {
 public:
  virtual ~FshSource() = default;
  virtual std::uint64_t Length() const = 0;
  // `length` bytes from `offset`, zero where the content ends first.
  virtual Bytes ReadAtMost(std::uint64_t offset, std::size_t length) = 0;
  // Appends `length` bytes from `offset`, all inside the content, to `out`.
  virtual void CopyRangeTo(platform::File& out, std::uint64_t offset, std::uint64_t length) = 0;
};

class FshFileSource : public FshSource {
 public:
  explicit FshFileSource(platform::File file) : file_(std::move(file)), length_(file_.Length()) {}
  std::uint64_t Length() const override { return length_; }
  Bytes ReadAtMost(std::uint64_t offset, std::size_t length) override { return file_.ReadAtMost(offset, length); }
  void CopyRangeTo(platform::File& out, std::uint64_t offset, std::uint64_t length) override {
    file_.CopyRangeTo(out, offset, length);
  }

 private:
  platform::File file_;
  std::uint64_t length_;
};

class FshMemorySource : public FshSource {
 public:
  explicit FshMemorySource(Bytes bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Length() const override { return bytes_.size(); }
  Bytes ReadAtMost(std::uint64_t offset, std::size_t length) override;
  void CopyRangeTo(platform::File& out, std::uint64_t offset, std::uint64_t length) override;

 private:
  Bytes bytes_;
};

}  // namespace velkor
