#pragma once

#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace ruvo {

// Where the desktop puts a converted recording: the run document's folder, or the recording's own
// while the document has none yet (never a folder the user did not choose).
struct ConversionPlace {
  std::filesystem::path folder;  // empty: beside each recording
  bool besideDocument = false;

  std::filesystem::path FolderFor(const std::string& recordingPath) const;
};

// Whether path names an existing file the calculation cannot read as it is (not an 8-bit mono WAV).
bool NeedsConversion(const std::string& path);

// Converts the recording at path with the default conditioning under the first free name of
// NAME.wav, NAME-8bit.wav, ... in place's folder, behind a progress dialog with Cancel for
// conversions of more than half a second; an earlier conversion of the same recording found there
// is used instead. The converted file's path; nothing when the conversion failed (its message
// shown) or was cancelled.
std::optional<std::string> ConvertForCalculation(QWidget* parent, const std::string& path, const ConversionPlace& place);

// Makes a recording the user adds ready for the calculation: a file that needs converting is,
// after one question naming the file it will become, converted (or its earlier conversion reused
// without asking). Returns the path to list: the converted file's, or path itself when nothing
// needed converting or the user kept the file as it is; nothing when the conversion failed or was
// cancelled.
std::optional<std::string> ReadyForCalculation(QWidget* parent, const std::string& path, const ConversionPlace& place);

}  // namespace ruvo
