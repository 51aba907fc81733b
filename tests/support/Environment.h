#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velkor::test {

// Sets or removes a variable of this process's environment (Windows has no setenv).
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

// Sets (a value) or removes (nullopt) variables for as long as it lives, then puts back what was there.
class ScopedEnvironment {
 public:
  using Values = std::vector<std::pair<std::string, std::optional<std::string>>>;
  explicit ScopedEnvironment(const Values& values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name.c_str());
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      Apply(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) Apply(name, value);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  static void Apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) SetEnvironment(name, *value);
    else UnsetEnvironment(name);
  }
  Values saved_;
};

// HOME at `home`, the XDG folders at their defaults below it and no WINEPREFIX: the code under
// test reads and writes none of the user's settings, desktop entries or Wine prefixes.
inline ScopedEnvironment::Values HomeAt(const std::string& home) {
  return {{"HOME", home}, {"XDG_CONFIG_HOME", std::nullopt}, {"XDG_DATA_HOME", std::nullopt},
          {"WINEPREFIX", std::nullopt}};
}

}  // namespace velkor::test
