#pragma once

#include <string>

#include "platform/Registry.h"

namespace velkor {

// Per-user settings: values in sections below
// HKEY_CURRENT_USER\Software\<settings key>\<application name>\<section>.
// A missing value reads as the default given; a write that fails says why.
class SettingsStore {
 public:
  SettingsStore(Registry& registry, std::string applicationName);

  void SetRegistryKey(std::string settingsKey);
  int GetProfileInt(const std::string& section, const std::string& name, int defaultValue);
  std::string GetProfileString(const std::string& section, const std::string& name,
                               const std::string& defaultValue);
  RegistryChange WriteProfileInt(const std::string& section, const std::string& name, int value);
  RegistryChange WriteProfileString(const std::string& section, const std::string& name, const std::string& value);

  // "HKEY_CURRENT_USER\Software\Velkor\velkor\Settings" in <store location>, for messages.
  std::string Describe(const std::string& section) const;

 private:
  std::string SectionKey(const std::string& section) const;

  Registry& registry_;
  std::string applicationName_;
  std::string settingsKey_;
};

}  // namespace velkor
