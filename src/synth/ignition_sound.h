#pragma once

#include <cstdint>
#include <vector>

#include "synth/ignition_simulation.h"
#include "synth/synth_options.h"

namespace ruvo {

// Length in seconds of the burst that each spark adds to the recording.
inline constexpr double kSparkBurstSeconds = 0.00075;

// Renders the levels of a recording of sampleCount samples at options.sampleRate, on the 8-bit
// scale but not rounded: the bursts of the sparks that have begun, as the recorder hears them
// (ApplyRecorder: silence, drift, noise, hum, static, gain step, clipping). Each burst is a
// decaying oscillation
//   peak exp(-d / 0.15 ms) cos(2 pi f d),   d = sample time - spark time, 0 <= d < 0.75 ms,
// with f = BurstRingHz(options): the asked ring or min(5 kHz, sample rate / 6), never above a
// sixth of the rate, so the first sample at or after a spark carries at least a fifth of the peak,
// with the peak's sign. Each burst repeats echoRatio x its peak after
// echoDelayMs. A spark's peak is options.sparkPeak times (1 - peakVariation x u), or 0 for a
// missing spark, or that times weakLevel for a weak one, chosen at random; the chosen peak is
// written to each spark. The spark choices come from their own stream of options.seed, so the
// recorder's noise does not shift them.
std::vector<double> RenderIgnitionLevels(const SynthOptions& options,
                                         std::vector<SparkEvent>& sparks,
                                         std::int32_t sampleCount);

// A complete 16-bit signed mono PCM WAV file (canonical 44-byte header) of levels on the 8-bit
// scale: each sample is (level - 128) x 256 rounded to the nearest integer, kept in -32768..32767.
std::vector<std::uint8_t> EncodeWave16(const std::vector<double>& levels, std::int32_t sampleRate);

}  // namespace ruvo
