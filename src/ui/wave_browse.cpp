#include "ui/wave_browse.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>

#include "ui/user_prompts.h"

namespace ruvo {
namespace {

// The working directory; false (and folder unchanged) when it cannot be read.
bool ReadWorkingFolder(std::string& folder) {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (error) return false;
  folder = current.string();
  return true;
}

}  // namespace

std::string WaveListEntry(const std::string& chosenPath, const std::string& workingFolder) {
  const std::string prefix = workingFolder + '/';
  if (chosenPath.size() > prefix.size() && chosenPath.compare(0, prefix.size(), prefix) == 0)
    return chosenPath.substr(prefix.size());
  return chosenPath;
}

std::vector<std::string> WaveBrowse::ChooseWaveFiles(QWidget* parent) {
  const bool folderKnown = ReadWorkingFolder(browseWorkingFolder);
  if (lastWaveFolder.empty()) lastWaveFolder = browseWorkingFolder;

  const FileChoice choice = Prompts().OpenFiles(
      parent, QCoreApplication::translate("ruvo::WaveBrowse", "Open"), QString::fromStdString(lastWaveFolder),
      // A phone's video is read for its sound; phones name some of them in capitals.
      QCoreApplication::translate("ruvo::WaveBrowse",
                                  "Recordings (*.wav *.flac *.ogg *.opus *.mp3 *.m4a *.aac *.aiff *.mp4 *.MP4 *.mov "
                                  "*.MOV *.3gp *.3GP);;Logs (*.csv *.txt *.log);;All files (*)"),
      true);
  std::vector<std::string> entries;
  if (choice.accepted) {
    for (const QString& file : choice.files) {
      const std::string path = file.toStdString();
      // A working directory that could not be read gives no relative names.
      entries.push_back(folderKnown ? WaveListEntry(path, browseWorkingFolder) : path);
    }
  }
  if (!choice.finalFolder.isEmpty()) lastWaveFolder = choice.finalFolder.toStdString();
  return entries;
}

}  // namespace ruvo
