#pragma once

// What `velkor --check` finds: a description of the input (and of each member of a car)
// and its problems, each naming the member, the field and the value. Errors are what keeps
// the input from being converted; warnings are what converts but may misbehave in a game.

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Game.h"
#include "files/GameFile.h"
#include "platform/File.h"

namespace velkor {

class CheckReport {
 public:
  void Describe(const std::string& line) { description_.push_back(line); }
  void Warn(const std::string& member, const std::string& text) { Add("warning", member, text); }
  void Fail(const std::string& member, const std::string& text) {
    if (failuresAreWarnings_) return Add("warning", member, text + " (converting does not read it)");
    Add("error", member, text);
    ++errors_;
  }
  // While set, what would be an error only warns: for members that converting leaves alone.
  void SetFailuresAreWarnings(bool set) { failuresAreWarnings_ = set; }

  std::size_t errors() const { return errors_; }
  const std::vector<std::string>& problems() const { return problems_; }

  // The description, then the problems, one a line.
  void Print(std::ostream& out) const;

 private:
  void Add(const char* severity, const std::string& member, const std::string& text) {
    problems_.push_back(std::string(severity) + ": " + member + ": " + text);
  }

  std::vector<std::string> description_;
  std::vector<std::string> problems_;
  std::size_t errors_ = 0;
  bool failuresAreWarnings_ = false;
};

// `velkor --check PATH`: describes a car archive, model, front-end file, performance file or
// image and prints every problem found on `out`; writes nothing. Installed cars of both
// games (`paths`) are looked through for the same serial number. Raises CommandError after
// printing when the input cannot be converted, and for a file of no kind Velkor converts.
void CheckPath(const std::string& path, const GamePaths& paths, std::ostream& out);

// Checks of one file's content; each returns a phrase saying what the file is ("an NFS3
// model, 12 parts, ..."), reports problems under `member` and never raises for bad content.
std::string CheckModelContent(platform::File file, const std::string& member, CheckReport& report);
std::string CheckPerformanceContent(platform::File file, const std::string& member, CheckReport& report);
std::string CheckFrontEndContent(platform::File file, const std::string& member, CheckReport& report);
std::string CheckImageContent(const std::string& path, const std::optional<ContentRange>& packedIn, const std::string& member,
                              CheckReport& report);

}  // namespace velkor
