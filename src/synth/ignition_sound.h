#pragma once

#include <cstdint>
#include <vector>

#include "synth/ignition_simulation.h"
#include "synth/synth_options.h"

namespace ruvo {

// Length in seconds of the burst that each spark adds to the recording.
inline constexpr double kSparkBurstSeconds = 0.00075;

// Renders the 8-bit samples of a recording of sampleCount samples at options.sampleRate.
// Every sample is the silence level, plus the baseline drift (growing linearly from 0 at the
// first sample to options.dcOffset at the last), plus Gaussian noise of standard deviation
// options.noise, plus the bursts of the sparks that have begun: a decaying oscillation
//   peak exp(-d / 0.15 ms) cos(2 pi f d),   d = sample time - spark time, 0 <= d < 0.75 ms,
// with f = min(5 kHz, sample rate / 6), so the first sample at or after a spark carries at
// least a fifth of the peak, with the peak's sign. A spark's peak is options.sparkPeak times (1 - peakVariation x u),
// or 0 for a missing spark, or that times weakLevel for a weak one, chosen at random; the chosen peak is written to
// each spark. The sum is clipped to silence +- clipLevel when clipLevel is not 0, rounded to the nearest integer and
// limited to 0..255. The noise and the spark choices come from separate streams of options.seed, so one does not shift
// the other.
std::vector<std::uint8_t> RenderIgnitionSound(const SynthOptions& options,
                                              std::vector<SparkEvent>& sparks,
                                              std::int32_t sampleCount);

// A complete WAV file: the canonical 44-byte header of 8-bit unsigned mono PCM (byte rate =
// sample rate, block alignment 1) followed by the samples, and a pad byte after an odd count.
std::vector<std::uint8_t> EncodeWave(const std::vector<std::uint8_t>& samples, std::int32_t sampleRate);

}  // namespace ruvo
