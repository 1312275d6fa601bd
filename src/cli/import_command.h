#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "audio/recording_import.h"

namespace ruvo {

// One "ruvo-cli import" command line.
struct ImportRequest {
  std::string inputPath;
  std::string outputPath;  // empty: the first free of ImportNaming beside the input
  bool overwrite = false;  // an existing outputPath may be replaced
  ConversionOptions conversion;
};

// Parses the arguments after "import": IN [OUT.wav] [--channel N|mix|auto] [--from S] [--to S]
// [--rate HZ] [--highpass HZ|off] [--lowpass HZ] [--bandpass LO-HI] [--no-normalise] [--overwrite]. An empty
// result after a one-line message on err.
std::optional<ImportRequest> ParseImport(const std::vector<std::string>& args, std::ostream& err);

// Imports as asked, printing what was done to out; failures are shown through ShowMessage.
// Returns kExitSuccess or kExitFailure.
int RunImport(const ImportRequest& request, std::ostream& out);

}  // namespace ruvo
