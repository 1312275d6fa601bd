#pragma once

#include <map>
#include <string>
#include <utility>

#include "core/analysis_config.h"

namespace ruvo {

// Per-user store of text values by section and key. The desktop backs it with its own store;
// tests use MemorySettingsStore (the command line keeps no settings). An absent value reads as
// empty text.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string Read(const std::string& section, const std::string& key) const = 0;
  virtual void Write(const std::string& section, const std::string& key, const std::string& value) = 0;
};

class MemorySettingsStore : public SettingsStore {
 public:
  std::string Read(const std::string& section, const std::string& key) const override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;

 private:
  std::map<std::pair<std::string, std::string>, std::string> values;
};

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kRecentFileSection = "Recent File List";
inline constexpr const char* kConfigFileName = "ruvo.cfg";

// The value of key in section "Settings", empty when absent.
std::string GetSetting(const SettingsStore& store, const std::string& key);
void PutSetting(SettingsStore& store, const std::string& key, const std::string& value);

// The recent-file list is stored in section "Recent File List" as "File1" (the newest) to "File4".
inline constexpr int kRecentFileCount = 4;
std::string RecentFileKey(int number);

// The newest entry ("File1") of the recent-file list, empty when there is none.
std::string LastDocumentPath(const SettingsStore& store);

// Opens the newest recent document through open (which shows its own message on failure) when the
// list has one; returns what open returned, or false when the list is empty.
template <typename OpenFunction>
bool ReopenLastDocument(const SettingsStore& store, OpenFunction&& open) {
  const std::string path = LastDocumentPath(store);
  return !path.empty() && std::forward<OpenFunction>(open)(path);
}

// Reads the configuration from the "DIR" setting followed directly by "ruvo.cfg" (no separator is
// inserted; an empty setting means the working directory).
AnalysisConfig LoadConfiguration(const SettingsStore& store);

}  // namespace ruvo
