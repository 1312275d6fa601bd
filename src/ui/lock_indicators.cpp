#include "ui/lock_indicators.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace ruvo {
namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void Merge(std::optional<bool>& state, const std::filesystem::path& led) {
  std::ifstream in(led / "brightness");
  long brightness = 0;
  if (!(in >> brightness)) return;
  state = state.value_or(false) || brightness > 0;
}

}  // namespace

LockStates ReadLockStates(const std::string& ledsFolder) {
  LockStates states;
  std::error_code error;
  // Iterated with error codes: a folder that vanishes midway ends the scan instead of throwing.
  for (std::filesystem::directory_iterator entry(ledsFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (EndsWith(name, "::capslock")) Merge(states.caps, entry->path());
    if (EndsWith(name, "::numlock")) Merge(states.num, entry->path());
    if (EndsWith(name, "::scrolllock")) Merge(states.scroll, entry->path());
  }
  return states;
}

}  // namespace ruvo
