#pragma once

#include <string>

#include "core/run_parameters.h"
#include "synth/synth_options.h"
#include "synth/synth_run.h"
#include "support/test_support.h"

namespace ruvo::test {

// A synthetic recording with its run document, written into a temporary folder.
struct SyntheticRun {
  SynthResult run;
  std::string documentPath;  // folder/name.dat, naming name.wav beside it
};

// Synthesizes options and writes the files as name.* into folder; fails the test when that fails.
SyntheticRun WriteSyntheticRun(const SynthOptions& options, const TempFolder& folder, const std::string& name);

// A clean run of the initial vehicle at sampleRate, 1000 to 6000 rpm.
SynthOptions TypicalRun(int sampleRate);

// The largest truth horsepower and torque, with their RPM.
struct TruthPeaks {
  double horsepower = 0.0, horsepowerRpm = 0.0, torque = 0.0, torqueRpm = 0.0;
};
TruthPeaks PeaksOf(const SynthResult& run);

}  // namespace ruvo::test
