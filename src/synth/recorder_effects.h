#pragma once

#include <cstdint>
#include <vector>

#include "synth/synth_options.h"

namespace ruvo {

// What the recorder makes of a sound, whatever the sound: turns sound (deviations from silence
// on the 8-bit scale, one per sample at options.sampleRate) into the recording's levels, in place.
// Each level becomes the silence level, plus the baseline drift (growing linearly from 0 at the
// first sample to options.dcOffset at the last), plus gain x (sound + Gaussian noise of standard
// deviation options.noise + the mains hum humLevel sin(2 pi humHz t) + static: Gaussian noise
// through a one-pole low-pass at staticHz, scaled to standard deviation staticLevel). The gain is
// 1, and gainStepFactor from gainStepSeconds on (when above 0). The sum is clipped to silence
// +- clipLevel when clipLevel is not 0 and limited to 0..255. The noise and the static come from
// their own streams of options.seed.
void ApplyRecorder(const SynthOptions& options, std::vector<double>& sound);

// Levels rounded to the nearest integer: the 8-bit samples. Preconditions: levels in 0..255.
std::vector<std::uint8_t> RoundToEightBit(const std::vector<double>& levels);

}  // namespace ruvo
