#include "harness_runs.h"

#include <optional>
#include <ostream>
#include <string>

#include "accuracy_cases.h"
#include "impairment_sweep.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"

namespace ruvo {

std::int32_t WriteHarnessRuns(const std::string& folder, std::ostream& err) {
  std::int32_t failed = 0;
  auto write = [&](const SynthResult& run, const std::string& name) {
    if (run.ok && WriteSynthFiles(run, folder, name)) return;
    err << "ruvo-accuracy: " << name << " not written" << (run.ok ? "" : ": " + run.error) << "\n";
    ++failed;
  };

  for (const AccuracyCase& accuracyCase : AccuracyCases()) {
    SynthResult run = SynthesizeRun(accuracyCase.options);
    for (const SmoothingChoice& choice : SmoothingChoices()) {
      run.document.smoothingMethod = choice.method;
      run.document.smoothingLevel = choice.level;
      write(run, accuracyCase.name + "-" + choice.name);
    }
  }

  for (const SweepCase& sweepCase : ImpairmentSweepCases()) {
    const std::string level = sweepCase.impairment == "clean" ? "" : sweepCase.level + "-";
    const std::string name = "sweep-" + sweepCase.impairment + "-" + level + std::to_string(sweepCase.sampleRate) +
                             "-" + std::to_string(sweepCase.seed);
    std::string error;
    const std::optional<SynthOptions> options = SweepOptions(sweepCase, error);
    if (options) {
      write(SynthesizeRun(*options), name);
    } else {
      err << "ruvo-accuracy: " << name << " not written: " << error << "\n";
      ++failed;
    }
  }
  return failed;
}

}  // namespace ruvo
