#include "settings/SettingsStore.h"

#include <utility>

namespace velkor {

SettingsStore::SettingsStore(Registry& registry, std::string applicationName)
    : registry_(registry), applicationName_(std::move(applicationName)) {}

void SettingsStore::SetRegistryKey(std::string settingsKey) { settingsKey_ = std::move(settingsKey); }

std::string SettingsStore::SectionKey(const std::string& section) const {
  return "Software\\" + settingsKey_ + "\\" + applicationName_ + "\\" + section;
}

int SettingsStore::GetProfileInt(const std::string& section, const std::string& name, int defaultValue) {
  const auto value = registry_.ReadDword(RegistryRoot::CurrentUser, SectionKey(section), name);
  return value ? static_cast<int>(*value) : defaultValue;
}

std::string SettingsStore::GetProfileString(const std::string& section, const std::string& name,
                                            const std::string& defaultValue) {
  return registry_.ReadString(RegistryRoot::CurrentUser, SectionKey(section), name).value_or(defaultValue);
}

RegistryChange SettingsStore::WriteProfileInt(const std::string& section, const std::string& name, int value) {
  return registry_.WriteDword(RegistryRoot::CurrentUser, SectionKey(section), name,
                              static_cast<std::uint32_t>(value));
}

RegistryChange SettingsStore::WriteProfileString(const std::string& section, const std::string& name,
                                                 const std::string& value) {
  return registry_.WriteString(RegistryRoot::CurrentUser, SectionKey(section), name, value);
}

std::string SettingsStore::Describe(const std::string& section) const {
  const std::string key = std::string(RootName(RegistryRoot::CurrentUser)) + "\\" + SectionKey(section);
  const std::string location = registry_.Location();
  return location == RootName(RegistryRoot::CurrentUser) ? key : key + " in " + location;
}

}  // namespace velkor
