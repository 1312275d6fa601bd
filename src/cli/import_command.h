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
  bool engineSound = false;   // --engine-sound: tracked into a pulse track rather than converted
  EngineSoundOptions engine;  // its settings as given on the command line
  bool bandGiven = false;        // --rpm was given; otherwise the document's or the default band
  bool revsPerPulseGiven = false;
  std::string documentPath;      // --document: estimates and Rev/Spark from this run document
  std::string trackCsvPath;      // --track-csv: time, rpm and confidence per frame
  EngineSpeedLogOptions log;     // the log options as given on the command line
  bool logOnly = false;          // an option only a log takes was given: the input must be one
  bool pullGiven = false;        // --from or --to, which choose a log's pull
  std::string audioOption;       // the first option given that only audio takes (a filter, --channel, --rate)
};

// Parses the arguments after "import": IN [OUT.wav] [--channel N|mix|auto] [--from S] [--to S]
// [--rate HZ] [--highpass HZ|off] [--lowpass HZ] [--bandpass LO-HI] [--no-normalise] [--overwrite]
// [--engine-sound --cylinders N [--strokes 4|2] [--rpm LO-HI] [--document RUN.dat] [--revs-per-pulse R]
// [--track-csv FILE]], or LOG [OUT.wav] [--time-column NAME|N] [--rpm-column NAME|N] [--speed-column
// NAME|N [--speed-unit kmh|mph] --document RUN.dat] [--time-unit s|ms|us] [--from S] [--to S]
// [--revs-per-pulse R] [--overwrite]. An empty result after a one-line message on err.
std::optional<ImportRequest> ParseImport(const std::vector<std::string>& args, std::ostream& err);

// Imports as asked, printing what was done to out; failures are shown through ShowMessage.
// Returns kExitSuccess, kExitFailure, or kExitUsage for an option only audio takes given with an
// input that turns out to be an engine-speed log.
int RunImport(const ImportRequest& request, std::ostream& out);

}  // namespace ruvo
