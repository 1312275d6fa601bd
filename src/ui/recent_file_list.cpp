#include "ui/recent_file_list.h"

#include <algorithm>

namespace ruvo {
namespace {

constexpr std::size_t kEntries = kRecentFileCount;

std::string RecentKey(std::size_t number) { return "File" + std::to_string(number); }

}  // namespace

void RecentFileList::Load(const SettingsStore& store) {
  paths.clear();
  for (std::size_t number = 1; number <= kEntries; ++number) {
    std::string path = store.Read(kRecentFileSection, RecentKey(number));
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(std::move(path));
  }
}

void RecentFileList::Save(SettingsStore& store) const {
  for (std::size_t number = 1; number <= kEntries; ++number)
    store.Write(kRecentFileSection, RecentKey(number), number <= paths.size() ? paths[number - 1] : std::string());
}

void RecentFileList::Add(const std::string& path) {
  if (path.empty()) return;
  std::erase(paths, path);
  paths.insert(paths.begin(), path);
  if (paths.size() > kEntries) paths.resize(kEntries);
}

void RecentFileList::Remove(std::size_t index) {
  if (index < paths.size()) paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace ruvo
