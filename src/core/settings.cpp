#include "core/settings.h"

#include <vector>

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

namespace {

std::string RecentKey(int number) { return "File" + std::to_string(number); }

}  // namespace

void AddRecentDocument(SettingsStore& store, const std::string& path) {
  std::vector<std::string> paths{path};
  for (int number = 1; number <= kRecentFileCount; ++number) {
    std::string entry = store.Read(kRecentFileSection, RecentKey(number));
    if (!entry.empty() && entry != path) paths.push_back(std::move(entry));
  }
  paths.resize(kRecentFileCount);
  for (int number = 1; number <= kRecentFileCount; ++number)
    store.Write(kRecentFileSection, RecentKey(number), paths[static_cast<std::size_t>(number - 1)]);
}

std::string LastDocumentPath(const SettingsStore& store) { return store.Read(kRecentFileSection, "File1"); }

AnalysisConfig LoadConfiguration(const SettingsStore& store) {
  return ReadAnalysisConfig(GetSetting(store, "DIR") + kConfigFileName);
}

}  // namespace ruvo
