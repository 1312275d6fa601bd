#include "minute_run_files.h"

#include <filesystem>
#include <system_error>

#include "bench_runs.h"
#include "scratch_folder.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

MinuteRunFiles WriteMinuteRun(const ScratchFolder& folder) {
  MinuteRunFiles files;
  const SynthResult run = SynthesizeRun(MinuteLongRun());
  if (!run.ok) {
    files.error = "synthesis failed: " + run.error;
    return files;
  }
  files.documentPath = folder.WriteRun(run, "minute");
  if (files.documentPath.empty()) {
    files.error = "could not write the run into " + folder.Path().string();
    return files;
  }
  std::error_code error;
  std::filesystem::current_path(folder.Path(), error);
  if (error) {
    files.error = "could not enter " + folder.Path().string();
    return files;
  }
  files.wavePath = (folder.Path() / "minute.wav").string();
  files.parameters = run.document;
  files.parameters.waveFiles = {files.wavePath};
  files.sampleCount = run.sampleCount;
  files.ok = true;
  return files;
}

}  // namespace

const MinuteRunFiles& MinuteRunOnDisk() {
  static const ScratchFolder folder("ruvo-bench");
  static const MinuteRunFiles files = WriteMinuteRun(folder);
  return files;
}

}  // namespace ruvo
