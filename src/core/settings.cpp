#include "core/settings.h"

namespace ruvo {

std::string MemorySettingsStore::Read(const std::string& section, const std::string& key) const {
  const auto found = values.find({section, key});
  return found == values.end() ? std::string() : found->second;
}

void MemorySettingsStore::Write(const std::string& section, const std::string& key, const std::string& value) {
  values[{section, key}] = value;
}

std::string GetSetting(const SettingsStore& store, const std::string& key) { return store.Read(kSettingsSection, key); }

void PutSetting(SettingsStore& store, const std::string& key, const std::string& value) {
  store.Write(kSettingsSection, key, value);
}

std::string RecentFileKey(int number) { return "File" + std::to_string(number); }

std::string LastDocumentPath(const SettingsStore& store) { return store.Read(kRecentFileSection, RecentFileKey(1)); }

AnalysisConfig LoadConfiguration(const SettingsStore& store) {
  return ReadAnalysisConfig(GetSetting(store, "DIR") + kConfigFileName);
}

}  // namespace ruvo
