#pragma once

#include <cstdint>
#include <string>

namespace ruvo {

// The benchmark's largest recording (bench/max_recording.options, the longest a wave file may hold),
// synthesized and written once per process into a scratch folder with its run document, as
// scripts/bench makes it with ruvo-synth: the same options give the same bytes.
struct MaxRecordingFiles {
  bool ok = false;  // false when the options, synthesis or writing failed; error says why
  std::string error;
  std::string wavePath;      // absolute
  std::string documentPath;  // absolute; the document names the recording relative to its folder
  std::int32_t sampleCount = 0;
};
const MaxRecordingFiles& MaxRecordingOnDisk();

}  // namespace ruvo
