#include "desktop/conditioned_copy.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace ruvo {

namespace fs = std::filesystem;

namespace {
constexpr int kProbeNames = 100;  // probes left behind by crashed runs before the folder counts as refusing
}  // namespace

BandProblem CheckBand(double lowHz, double highHz, double sampleRateHz) {
  if (!(lowHz < highHz)) return BandProblem::kLowNotBelowHigh;
  if (!(highHz < sampleRateHz / 2.0)) return BandProblem::kHighNotBelowNyquist;
  return BandProblem::kNone;
}

bool FolderTakesFiles(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return false;
  // "x": created here or not at all, so no file of anyone else's is ever opened or removed.
  for (int k = 0; k < kProbeNames; ++k) {
    const fs::path probe = folder / (".ruvo-write-probe-" + std::to_string(k));
    if (std::FILE* file = std::fopen(probe.c_str(), "wbx")) {
      std::fclose(file);
      fs::remove(probe, error);
      return true;
    }
    if (!fs::exists(probe, error)) return false;  // refused, not taken
  }
  return false;
}

fs::path ConditionedCopyFolder(const std::string& recordingPath, const fs::path& documentFolder) {
  std::error_code error;
  const fs::path absolute = fs::absolute(recordingPath, error);
  const fs::path beside = (error ? fs::path(recordingPath) : absolute).parent_path();
  if (documentFolder.empty() || FolderTakesFiles(beside)) return beside;
  return documentFolder;
}

}  // namespace ruvo
