#pragma once

#include <string>
#include <vector>

#include "core/settings.h"

namespace ruvo {

// The File menu's list of the four most recently opened or saved documents, newest first. It is
// read from the settings store at start-up and written back at exit, and at once when start-up
// drops a last document that no longer opens.
class RecentFileList {
 public:
  void Load(const SettingsStore& store);
  void Save(SettingsStore& store) const;

  // Moves path to the top, dropping an older entry of the same path and any beyond four.
  void Add(const std::string& path);
  void Remove(std::size_t index);

  const std::vector<std::string>& Paths() const { return paths; }

 private:
  std::vector<std::string> paths;
};

}  // namespace ruvo
