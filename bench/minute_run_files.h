#pragma once

#include <string>

#include "core/run_parameters.h"

namespace ruvo {

// The minute-long run (MinuteLongRun), synthesized and written once per process into a scratch
// folder that stays the working directory until the process ends, so every ruvo.log lands there.
struct MinuteRunFiles {
  bool ok = false;  // false when synthesis or writing failed; error says why
  std::string error;
  std::string wavePath;      // absolute
  std::string documentPath;  // absolute
  RunParameters parameters;  // the document's parameters, naming the recording by its absolute path
  std::int32_t sampleCount = 0;
};
const MinuteRunFiles& MinuteRunOnDisk();

}  // namespace ruvo
