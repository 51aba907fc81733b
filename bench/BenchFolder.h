#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace velkor::bench {

// A scratch folder for one benchmark program, removed with everything in it at the end.
class BenchFolder {
 public:
  explicit BenchFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("velkor-" + name + "-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  ~BenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace velkor::bench
