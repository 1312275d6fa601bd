#pragma once

#include <string>

#include "calc/run_calculation.h"
#include "core/run_document.h"
#include "support/test_support.h"
#include "synth/synth_options.h"
#include "synth/synth_run.h"

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

// The form's side of a calculation: its parameters, results and document, in a temporary folder.
class CalculationFixture : public ::testing::Test {
 protected:
  // Writes the run (the typical one at 11025 Hz unless given) as name.* and opens its document.
  SyntheticRun OpenRun(const std::string& name, const SynthOptions& options = TypicalRun(11025)) {
    SyntheticRun written = WriteSyntheticRun(options, folder, name);
    EXPECT_TRUE(document.OpenRunDocument(written.documentPath));
    return written;
  }

  TempFolder folder;
  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation{params, config};
  RunDocument document{params, folder.Path().string(), &calculation};
};

// The largest truth horsepower and torque, with their RPM.
struct TruthPeaks {
  double horsepower = 0.0, horsepowerRpm = 0.0, torque = 0.0, torqueRpm = 0.0;
};
TruthPeaks PeaksOf(const SynthResult& run);

}  // namespace ruvo::test
