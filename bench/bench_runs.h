#pragma once

#include <cstdint>
#include <vector>

#include "synth/synth_options.h"

namespace ruvo {

// A noisy recording of a loaded truck accelerating from 1000 to 6000 rpm for about a minute at 44100
// samples per second, then lifting off: the long end of what users record.
SynthOptions MinuteLongRun();

// Pulse times and cumulative revolutions of an engine accelerating steadily from 1000 to 6000
// rpm with two revolutions per pulse, each time rounded to a sample at 44100 samples per second
// as a detected pulse's would be.
struct PulseTrain {
  std::vector<double> times;        // seconds
  std::vector<double> revolutions;  // engine revolutions from the first pulse
};
PulseTrain AcceleratingPulseTrain(std::int32_t pulseCount);

}  // namespace ruvo
