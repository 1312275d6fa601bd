#pragma once

#include <string>
#include <vector>

class QWidget;

namespace ruvo {

// The list entry for a file chosen in the wave-file dialog: the part after workingFolder and its
// separator when the file lies below that folder, otherwise the full path.
std::string WaveListEntry(const std::string& chosenPath, const std::string& workingFolder);

// The wave-file browse of one main form, which owns it. It opens where the previous browse ended
// (the working directory the first time), leaves the working directory as it found it, and
// returns the list entries of the chosen files in the dialog's order (none when cancelled).
// Single-threaded.
class WaveBrowse {
 public:
  std::vector<std::string> ChooseWaveFiles(QWidget* parent);

 private:
  std::string lastWaveFolder;       // where the next dialog opens
  std::string browseWorkingFolder;  // working directory at the latest browse
};

}  // namespace ruvo
