#pragma once

#include <filesystem>
#include <string>

namespace ruvo {

// What is wrong with a band chosen for conditioning a recording, if anything.
enum class BandProblem {
  kNone,
  kLowNotBelowHigh,     // the low edge is not below the high edge
  kHighNotBelowNyquist  // the high edge is not below half the recording's sample rate
};

// Checks a band-pass from lowHz to highHz for a recording of sampleRateHz samples per second.
BandProblem CheckBand(double lowHz, double highHz, double sampleRateHz);

// Whether a file can be created in folder now: tried with a file of its own (removed at once), since
// permission bits do not stop every user (root) and a read-only mount stops every one.
bool FolderTakesFiles(const std::filesystem::path& folder);

// Where the conditioned copy of the recording at recordingPath (relative to the working directory,
// or absolute) goes: beside the recording when its folder takes files, otherwise documentFolder
// (the run document's), and beside the recording still when there is no document folder.
std::filesystem::path ConditionedCopyFolder(const std::string& recordingPath,
                                            const std::filesystem::path& documentFolder);

}  // namespace ruvo
