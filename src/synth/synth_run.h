#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_parameters.h"
#include "synth/ignition_simulation.h"
#include "synth/synth_options.h"

namespace ruvo {

// The true engine output at one engine speed: what a perfect calculation reports.
struct TruthRow {
  double rpm = 0.0;
  double torqueFtLb = 0.0;
  double horsepower = 0.0;  // engine power, 550 ft-lb/s per hp
};

// A synthetic recording and everything known about it.
struct SynthResult {
  bool ok = false;
  std::string error;               // why not, when ok is false
  std::vector<std::uint8_t> wave;  // the complete WAV file, of SampleBits(options) bits a sample
  std::int32_t sampleCount = 0;    // samples in it
  std::vector<SparkEvent> sparks;  // every spark, heard or missed, in time order (peaks 0 with engine sound)
  std::vector<TruthRow> truth;     // the multiples of 50 rpm from the start to the end rpm
  std::vector<MotionStep> motion;  // the integrated states
  std::string loggerCsv;           // the engine-speed log (FormatLoggerCsv); empty without --log-rate
  double runStartSeconds = 0.0;    // full throttle begins, seconds from the first sample
  double runEndSeconds = 0.0;      // the end rpm is reached
  // options.vehicle with the pulse-detection estimates (initial and final rpm, pulse duration)
  // filled in, ready for a calculation once waveFiles names the recording; waveFiles is empty.
  RunParameters document;
};

// Simulates, renders (the sparks' clicks, or the engine's sound) and describes one recording;
// the typical run takes a few tens of milliseconds. On invalid options (ValidateSynthOptions), a
// torque that cannot reach the end rpm, or a recording longer than a WAV reader accepts
// (9,999,999 samples), ok is false and error says why. Deterministic: equal options give equal
// results, byte for byte.
//
// Example, in a test:
//   SynthOptions options;
//   options.noise = 0.0;
//   const SynthResult run = SynthesizeRun(options);   // run.wave, run.sparks, run.document
SynthResult SynthesizeRun(const SynthOptions& options);

}  // namespace ruvo
