#include "e2e/synthetic_run.h"

#include "synth/synth_files.h"

namespace ruvo::test {

SyntheticRun WriteSyntheticRun(const SynthOptions& options, const TempFolder& folder, const std::string& name) {
  SyntheticRun written{SynthesizeRun(options), folder.File(name + ".dat")};
  EXPECT_TRUE(written.run.ok) << written.run.error;
  EXPECT_TRUE(WriteSynthFiles(written.run, folder.Path().string(), name));
  return written;
}

SynthOptions TypicalRun(int sampleRate) {
  SynthOptions options;
  options.sampleRate = sampleRate;
  return options;
}

TruthPeaks PeaksOf(const SynthResult& run) {
  TruthPeaks peaks;
  for (const TruthRow& row : run.truth) {
    if (row.horsepower > peaks.horsepower) {
      peaks.horsepower = row.horsepower;
      peaks.horsepowerRpm = row.rpm;
    }
    if (row.torqueFtLb > peaks.torque) {
      peaks.torque = row.torqueFtLb;
      peaks.torqueRpm = row.rpm;
    }
  }
  return peaks;
}

}  // namespace ruvo::test
