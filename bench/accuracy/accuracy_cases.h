#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "synth/synth_options.h"

namespace ruvo {

// One synthetic run of the accuracy harness.
struct AccuracyCase {
  std::string name;   // "hatchback-44100-clean": vehicle, sample rate, sound; also its file names
  std::string sound;  // "clean" or "noisy"
  SynthOptions options;
};

// Every vehicle with its own torque curve, at 11025, 22050 and 44100 samples per second, clean
// and noisy, each run ending in a lift-off. Deterministic.
std::vector<AccuracyCase> AccuracyCases();

// A smoothing method with the level it runs at.
struct SmoothingChoice {
  std::string name;   // short, for tables and plot keys
  std::string label;  // as ruvo-synth's --smoothing-method names it, for the Markdown tables
  std::int32_t method = 0;
  std::int32_t level = 0;
};

// Every smoothing method at the smoothing dialog's default level.
std::vector<SmoothingChoice> SmoothingChoices();

}  // namespace ruvo
