#include "desktop/recent_file_list.h"

#include <algorithm>

namespace ruvo {
namespace {

constexpr auto kEntries = static_cast<std::size_t>(kRecentFileCount);

}  // namespace

void RecentFileList::Load(const SettingsStore& store) {
  paths.clear();
  for (int number = 1; number <= kRecentFileCount; ++number) {
    std::string path = store.Read(kRecentFileSection, RecentFileKey(number));
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(std::move(path));
  }
}

void RecentFileList::Save(SettingsStore& store) const {
  for (std::size_t index = 0; index < kEntries; ++index)
    store.Write(kRecentFileSection, RecentFileKey(static_cast<int>(index) + 1),
                index < paths.size() ? paths[index] : std::string());
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
