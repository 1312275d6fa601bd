#include "max_recording_files.h"

#include <fstream>
#include <vector>

#include "cli/synth_command_line.h"
#include "scratch_folder.h"

namespace ruvo {
namespace {

// RUVO_MAX_RECORDING_OPTIONS names bench/max_recording.options: one ruvo-synth argument a line.
MaxRecordingFiles WriteMaxRecording(const ScratchFolder& folder) {
  MaxRecordingFiles files;
  std::ifstream in(RUVO_MAX_RECORDING_OPTIONS);
  if (!in) {
    files.error = std::string("could not read ") + RUVO_MAX_RECORDING_OPTIONS;
    return files;
  }
  std::vector<std::string> args{"--out", folder.Path().string()};
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) args.push_back(line);
  SynthCommand command;
  if (!ParseSynthCommandLine(args, command, files.error)) return files;
  const SynthResult run = SynthesizeRun(command.options);
  if (!run.ok) {
    files.error = "synthesis failed: " + run.error;
    return files;
  }
  files.documentPath = folder.WriteRun(run, "max");
  if (files.documentPath.empty()) {
    files.error = "could not write the recording into " + folder.Path().string();
    return files;
  }
  files.wavePath = (folder.Path() / "max.wav").string();
  files.sampleCount = run.sampleCount;
  files.ok = true;
  return files;
}

}  // namespace

const MaxRecordingFiles& MaxRecordingOnDisk() {
  static const ScratchFolder folder("ruvo-bench-max");
  static const MaxRecordingFiles files = WriteMaxRecording(folder);
  return files;
}

}  // namespace ruvo
