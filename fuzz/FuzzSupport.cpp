#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "files/RunLifetime.h"

namespace velkor::fuzz {
namespace {

namespace fs = std::filesystem;

// $TMPDIR when set, else memory-backed /dev/shm where there is one: the harnesses write
// and delete a few files per input, and a disk-backed folder slows them several times.
std::string ScratchParent() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && *tmp != '\0') return tmp;
  if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return "/tmp";
}

// The process's scratch folder below ScratchParent(), made on first use and removed when the
// process ends normally. The project's warnings (one per unreadable member) would flood
// the fuzzer's log, so standard error's C++ stream is silenced unless VELKOR_FUZZ_VERBOSE
// is set; harness findings are printed through C stdio, which stays open.
class Scratch {
 public:
  Scratch() {
    std::string pattern = ScratchParent() + "/velkor-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("velkor fuzz: cannot make the scratch folder");
      std::abort();
    }
    root_ = pattern;
    if (std::getenv("VELKOR_FUZZ_VERBOSE") == nullptr) std::cerr.rdbuf(nullptr);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  const std::string& Root() const { return root_; }

  bool IsKept(const std::string& name) const { return std::find(kept_.begin(), kept_.end(), name) != kept_.end(); }
  void Keep(const std::string& name) { kept_.push_back(name); }

  // Removes everything but the kept folders.
  void Empty() const {
    for (const auto& entry : fs::directory_iterator(root_)) {
      if (!IsKept(entry.path().filename().string())) fs::remove_all(entry.path());
    }
  }

 private:
  std::string root_;
  std::vector<std::string> kept_;
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

}  // namespace

Input::Input(const std::uint8_t* data, std::size_t size)
    : bytes_(data, size), folder_(TheScratch().Root() + "/in") {
  TheScratch().Empty();
  fs::create_directory(folder_);
}

Input::~Input() {
  // Objects that commands kept until the end of the run go first; none may delete or
  // write anything on the way.
  EndOfRun();
  for (const std::string& name : NamesIn(TheScratch().Root())) {
    const bool allowed = name == "in" || TheScratch().IsKept(name) ||
                         std::find(allowed_.begin(), allowed_.end(), name) != allowed_.end();
    Require(allowed, "a command wrote '" + name + "' outside the input's folder");
  }
  TheScratch().Empty();
}

std::string Input::Path(const std::string& name) const { return folder_ + "/" + name; }

std::string Input::Write(const std::string& name) const { return Write(name, bytes_); }

std::string Input::Write(const std::string& name, ByteView bytes) const {
  const std::string path = Path(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Require(file != nullptr, "cannot write the input file " + path);
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  Require(std::fclose(file) == 0 && written, "cannot write the input file " + path);
  return path;
}

std::string Input::AllowFolder(const std::string& name) {
  allowed_.push_back(name);
  const std::string path = TheScratch().Root() + "/" + name;
  fs::create_directories(path);
  return path;
}

bool MakeKeptFolder(const std::string& name, std::string& path) {
  Scratch& scratch = TheScratch();
  path = scratch.Root() + "/" + name;
  if (scratch.IsKept(name)) return false;
  fs::create_directories(path);
  scratch.Keep(name);
  return true;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void Note(const Error& error) {
  if (std::getenv("VELKOR_FUZZ_VERBOSE") != nullptr) std::fprintf(stderr, "velkor fuzz: expected error: %s\n", error.what());
}

void Require(bool condition, const std::string& message) {
  if (condition) return;
  std::fprintf(stderr, "velkor fuzz: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

void RequireOnly(const std::string& folder, std::initializer_list<std::string> names, const std::string& what) {
  std::vector<std::string> expected(names);
  std::sort(expected.begin(), expected.end());
  const std::vector<std::string> found = NamesIn(folder);
  if (found == expected) return;
  std::string listing;
  for (const auto& name : found) listing += " '" + name + "'";
  Require(false, what + ": the folder holds" + (listing.empty() ? " nothing" : listing));
}

}  // namespace velkor::fuzz
